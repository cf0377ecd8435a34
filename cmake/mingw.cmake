# Cross-compiling the Windows program with mingw-w64 (posix thread model) for
# the processor that the including toolchain file names in MINGW_PROCESSOR
# (i686 or x86_64). Windows programs run under Wine through tools/wine-run.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${MINGW_PROCESSOR})
set(CMAKE_C_COMPILER ${MINGW_PROCESSOR}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_PROCESSOR}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_PROCESSOR}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_PROCESSOR}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
