# The same Windows program as 64-bit code. The shipped program is the 32-bit
# build; this one runs the Windows tests on machines whose kernel cannot
# execute 32-bit code (and so cannot run 32-bit Wine).
set(MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
