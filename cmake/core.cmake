# The portable core: no Windows headers, built for both targets.
file(GLOB_RECURSE CORE_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/core/*.cpp)
add_library(core STATIC ${CORE_SOURCES})
target_include_directories(core PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(core PUBLIC ${UPDATER_ZLIB})
