# 64-bit Windows with the mingw-w64 cross compiler; its programs run under Wine.
set(VEXOLIN_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
