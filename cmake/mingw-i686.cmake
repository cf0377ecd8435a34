# The shipped program: 32-bit Windows code.
set(MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
