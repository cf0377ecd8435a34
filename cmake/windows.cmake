# The real program: a 32-bit Windows GUI executable, statically linked, text in code page 936.
enable_language(RC)
find_library(MINGW_ZLIB NAMES libz.a REQUIRED)
set(UPDATER_ZLIB ${MINGW_ZLIB})

add_compile_options(-fexec-charset=CP936 -finput-charset=UTF-8)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
add_link_options(-static -static-libgcc -static-libstdc++)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")

include(${CMAKE_CURRENT_LIST_DIR}/core.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/default_skin.cmake)

# Everything that talks to Windows, apart from the entry point.
file(GLOB_RECURSE WIN_SOURCES CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/src/app/*.cpp ${PROJECT_SOURCE_DIR}/src/download/*.cpp
     ${PROJECT_SOURCE_DIR}/src/install/*.cpp ${PROJECT_SOURCE_DIR}/src/ui/*.cpp
     ${PROJECT_SOURCE_DIR}/src/win/*.cpp)
list(FILTER WIN_SOURCES EXCLUDE REGEX "/src/app/main\\.cpp$")
list(FILTER WIN_SOURCES EXCLUDE REGEX "/src/install/install_step_hook\\.cpp$")
set(WIN_LIBRARIES wininet comctl32 shell32 gdi32 user32 kernel32 version ole32 bcrypt)
add_library(winsys STATIC ${WIN_SOURCES})
target_link_libraries(winsys PUBLIC core ${WIN_LIBRARIES})

# The same code with its assertions on, for the Windows test programs: they
# check the thread rules and invariants that the shipped program (a release
# build, NDEBUG) leaves out. -UNDEBUG reaches every program that links them.
add_library(core_checked STATIC ${CORE_SOURCES})
target_include_directories(core_checked PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(core_checked PUBLIC ${UPDATER_ZLIB})
target_compile_options(core_checked PUBLIC -UNDEBUG)
add_library(winsys_checked STATIC ${WIN_SOURCES})
target_link_libraries(winsys_checked PUBLIC core_checked ${WIN_LIBRARIES})

# The way to stop an installation at a chosen step from outside (for the
# crash tests) stays out of the shipped program: it is one object, built
# twice, and only the program in step-hook/ has the working one.
set(UPDATER_STEP_HOOK_SOURCE ${PROJECT_SOURCE_DIR}/src/install/install_step_hook.cpp)
add_library(step_hook_off OBJECT ${UPDATER_STEP_HOOK_SOURCE})
add_library(step_hook_on OBJECT ${UPDATER_STEP_HOOK_SOURCE})
target_compile_definitions(step_hook_on PRIVATE QUIBO_INSTALL_STEP_HOOK)
foreach(hook step_hook_off step_hook_on)
  target_link_libraries(${hook} PRIVATE core)
endforeach()

# The default icon strip (bitmap 129) is drawn at build time, like the skin's own.
set(UPDATER_ICON_STRIP ${CMAKE_BINARY_DIR}/res/icon_strip.bmp)
add_custom_command(
    OUTPUT ${UPDATER_ICON_STRIP}
    COMMAND Python3::Interpreter ${UPDATER_MAKE_SKIN} strip ${UPDATER_ICON_STRIP}
    DEPENDS ${UPDATER_MAKE_SKIN}
    COMMENT "Drawing the icon strip"
    VERBATIM)

# windres reports no dependencies: the files the resource script pulls in are named here.
set_source_files_properties(${PROJECT_SOURCE_DIR}/res/update.rc PROPERTIES
    OBJECT_DEPENDS "${PROJECT_SOURCE_DIR}/res/update.manifest;${PROJECT_SOURCE_DIR}/res/update.ico;${UPDATER_ICON_STRIP}")
foreach(program update update_step_hook)
  add_executable(${program} WIN32 ${PROJECT_SOURCE_DIR}/src/app/main.cpp ${PROJECT_SOURCE_DIR}/res/update.rc)
  # windres looks for the files a script names in its include folders too.
  target_include_directories(${program} PRIVATE ${CMAKE_BINARY_DIR}/res)
  add_dependencies(${program} default_skin)  # the skin a package gets unless its publisher makes one
  set_target_properties(${program} PROPERTIES OUTPUT_NAME update SUFFIX .exe)
endforeach()
target_link_libraries(update PRIVATE winsys step_hook_off)
# The same program with the step hook, for the crash tests only.
target_link_libraries(update_step_hook PRIVATE winsys step_hook_on)
set_target_properties(update_step_hook PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/step-hook)

enable_testing()
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
target_compile_options(gtest PRIVATE -w)
target_compile_options(gtest_main PRIVATE -w)

# Windows tests run under Wine through the toolchain's emulator (tools/wine-run).
file(GLOB WIN_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/windows/*.cpp)
add_executable(win_tests ${WIN_TEST_SOURCES})
target_link_libraries(win_tests PRIVATE winsys_checked step_hook_off gtest_main)
# The tray tests look at the icons as the host program does, in Wine's own tray.
target_sources(win_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/host/tray_view.cpp
                                 ${PROJECT_SOURCE_DIR}/tests/host/screen_image.cpp)
target_include_directories(win_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/host)
# The program's own resources, so that the wizard's frame and pages can be made in a test.
target_sources(win_tests PRIVATE ${PROJECT_SOURCE_DIR}/res/update.rc)
target_include_directories(win_tests PRIVATE ${CMAKE_BINARY_DIR}/res)
add_dependencies(win_tests update)  # the manifest test reads update.exe beside it
add_test(NAME win_tests
         COMMAND win_tests --gtest_output=xml:Z:${UPDATER_RESULTS_DIR}/win_tests.xml
         WORKING_DIRECTORY ${CMAKE_BINARY_DIR})

# The servers the transfer tests talk to (nginx, odd HTTP answers, FTP), on 127.0.0.1.
set(UPDATER_SERVERS ${PROJECT_SOURCE_DIR}/tools/test-servers)
add_test(NAME servers_start COMMAND ${UPDATER_SERVERS} start)
add_test(NAME servers_stop COMMAND ${UPDATER_SERVERS} stop)
set_tests_properties(servers_start PROPERTIES FIXTURES_SETUP servers)
set_tests_properties(servers_stop PROPERTIES FIXTURES_CLEANUP servers)
set_tests_properties(win_tests PROPERTIES FIXTURES_REQUIRED servers)

# The portable core's tests, run once more as Windows code in code page 936.
file(GLOB NATIVE_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/native/*.cpp)
# The publishing tool runs on the publisher's own machine; only the native build has it.
list(FILTER NATIVE_TEST_SOURCES EXCLUDE REGEX "/publish_test\\.cpp$")
add_executable(core_tests_win ${NATIVE_TEST_SOURCES})
target_link_libraries(core_tests_win PRIVATE core_checked gtest_main)
add_dependencies(core_tests_win default_skin)
target_compile_definitions(core_tests_win PRIVATE UPDATER_DEFAULT_SKIN_DIR="Z:${UPDATER_SKIN_DIR}")
add_test(NAME core_tests_win
         COMMAND core_tests_win --gtest_output=xml:Z:${UPDATER_RESULTS_DIR}/core_tests_win.xml
         WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}/tests/native)

# Systems set up otherwise (tools/wine-env.sh): English formats on a Chinese
# system, where the user's locale names another code page than the system's;
# and a Western system, code page 1252, which has no lead bytes.
add_test(NAME core_tests_win_english_formats
         COMMAND core_tests_win --gtest_filter=Zip*:Package*
                 --gtest_output=xml:Z:${UPDATER_RESULTS_DIR}/core_tests_win_english_formats.xml
         WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}/tests/native)
set_tests_properties(core_tests_win_english_formats PROPERTIES ENVIRONMENT UPDATER_WINE_FORMATS=en_US.UTF-8)
add_test(NAME win_tests_western_code_page
         COMMAND win_tests --gtest_filter=SystemCodePage*
                 --gtest_output=xml:Z:${UPDATER_RESULTS_DIR}/win_tests_western_code_page.xml
         WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
set_tests_properties(win_tests_western_code_page PROPERTIES ENVIRONMENT UPDATER_WINE_CTYPE=C.UTF-8)

# The host program that the scenarios start the updater from, and the stand-in
# updater that the host program's own tests start instead.
file(GLOB HOST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/host/*.cpp)
list(FILTER HOST_SOURCES EXCLUDE REGEX "/(stand_in|box_hook|close_target|broadcaster)\\.cpp$")
add_executable(host ${HOST_SOURCES})
target_include_directories(host PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(host PRIVATE gdi32 user32 kernel32)
# The hook the host installs to read the style of each box (box_hook.dll beside host.exe).
add_library(box_hook SHARED ${PROJECT_SOURCE_DIR}/tests/host/box_hook.cpp)
set_target_properties(box_hook PROPERTIES PREFIX "")
target_link_libraries(box_hook PRIVATE user32 kernel32)
target_link_options(box_hook PRIVATE -Wl,--kill-at)  # exported as "BoxHookProc", not "BoxHookProc@12"
add_dependencies(host box_hook)
add_executable(stand_in WIN32 ${PROJECT_SOURCE_DIR}/tests/host/stand_in.cpp)
target_link_libraries(stand_in PRIVATE comctl32 gdi32 user32 kernel32)
# The program the closing tests end (close_target.exe beside win_tests.exe).
add_executable(close_target WIN32 ${PROJECT_SOURCE_DIR}/tests/host/close_target.cpp)
target_link_libraries(close_target PRIVATE shell32 user32 kernel32)
add_dependencies(win_tests close_target)
# A program that broadcasts a changed setting, as installers do (broadcaster.exe beside win_tests.exe).
add_executable(broadcaster WIN32 ${PROJECT_SOURCE_DIR}/tests/host/broadcaster.cpp)
target_link_libraries(broadcaster PRIVATE user32 kernel32)
add_dependencies(win_tests broadcaster)

# Benchmarks of the Windows code (bench/win), run under Wine by the scripts in bench/.
file(GLOB WIN_BENCH_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/win/*.cpp)
foreach(src ${WIN_BENCH_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE winsys step_hook_off psapi)
endforeach()

# The example host program for publishers (examples/host): plain Win32, none
# of the updater's own code, so that a publisher can copy it as it is.
add_executable(example_host WIN32 ${PROJECT_SOURCE_DIR}/examples/host/example_host.cpp
                                  ${PROJECT_SOURCE_DIR}/examples/host/updater.cpp)
target_link_libraries(example_host PRIVATE comctl32 shell32 gdi32 user32 kernel32)
