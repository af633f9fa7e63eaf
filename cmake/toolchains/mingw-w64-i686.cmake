# 32-bit Windows (the shipped plug-in) with the mingw-w64 cross compiler.
set(VEXOLIN_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
