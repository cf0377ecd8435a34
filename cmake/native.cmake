# Host build: the portable core, its tests, fuzz targets and benchmarks.
find_package(ZLIB REQUIRED)
set(UPDATER_ZLIB ZLIB::ZLIB)

if(UPDATER_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(UPDATER_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

include(${CMAKE_CURRENT_LIST_DIR}/core.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/default_skin.cmake)

# The publisher's readers take a publisher's files: they are fuzzed too.
file(GLOB PUBLISH_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tools/publish/*.cpp)
list(FILTER PUBLISH_SOURCES EXCLUDE REGEX "/publish_main\\.cpp$")
add_library(publish STATIC ${PUBLISH_SOURCES})
# The publisher signs releases with OpenSSL's libcrypto; the program itself
# verifies them with the system's own functions and never links it.
find_package(OpenSSL REQUIRED COMPONENTS Crypto)
target_link_libraries(publish PUBLIC core OpenSSL::Crypto)
target_include_directories(publish PUBLIC ${PROJECT_SOURCE_DIR}/tools)

if(UPDATER_FUZZ)
  file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/fuzz/*_fuzz.cpp)
  foreach(src ${FUZZ_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE core publish)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  endforeach()
  return()
endif()

# The release publisher: a host tool that writes the server package (and, on
# request, a client package) for a folder of files to publish.
add_executable(quibo-publish ${PROJECT_SOURCE_DIR}/tools/publish/publish_main.cpp)
target_link_libraries(quibo-publish PRIVATE publish)
# Without --skin the client package takes the skin this build made.
add_dependencies(quibo-publish default_skin)
target_compile_definitions(quibo-publish PRIVATE UPDATER_DEFAULT_SKIN_DIR="${UPDATER_SKIN_DIR}")

enable_testing()
find_package(GTest REQUIRED)
file(GLOB NATIVE_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/native/*.cpp)
add_executable(core_tests ${NATIVE_TEST_SOURCES})
target_link_libraries(core_tests PRIVATE core publish GTest::gtest_main Threads::Threads)
# The default skin's test reads the skin this build made.
add_dependencies(core_tests default_skin)
target_compile_definitions(core_tests PRIVATE UPDATER_DEFAULT_SKIN_DIR="${UPDATER_SKIN_DIR}")
find_package(Threads REQUIRED)
add_test(NAME core_tests
         COMMAND core_tests --gtest_output=xml:${UPDATER_RESULTS_DIR}/core_tests.xml
         WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}/tests/native)

file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/*.cpp)
foreach(src ${BENCH_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE core)
endforeach()

# The sources include in one direction (core <- win <- download, install <- ui
# <- app); the second test shows the check catching wrong includes.
add_test(NAME include_layers COMMAND /usr/bin/python3 ${PROJECT_SOURCE_DIR}/tools/check_layers.py)
add_test(NAME include_layers_catch_wrong
         COMMAND /usr/bin/python3 ${PROJECT_SOURCE_DIR}/tools/check_layers.py
                 ${PROJECT_SOURCE_DIR}/tests/fixtures/layers/src)
set_tests_properties(include_layers_catch_wrong PROPERTIES PASS_REGULAR_EXPRESSION
    "core/text.cpp:1: the portable core includes <windows.h>.*download/fetch.cpp:1: download/ may not include \"app/title.h\".*2 include\\(s\\) break")
