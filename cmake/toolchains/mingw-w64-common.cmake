# Shared part of the mingw-w64 toolchain files; VEXOLIN_MINGW_TRIPLET names
# the target (i686-w64-mingw32 or x86_64-w64-mingw32).
set(CMAKE_SYSTEM_NAME Windows)
if(VEXOLIN_MINGW_TRIPLET MATCHES "^x86_64")
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
else()
  set(CMAKE_SYSTEM_PROCESSOR x86)
endif()

# Debian ships a win32-threads and a posix-threads flavour of each compiler;
# the posix one has the complete <thread>/<mutex> of the C++ library. Its
# pthread runtime is linked statically into the plug-in like the rest.
find_program(VEXOLIN_MINGW_CXX NAMES ${VEXOLIN_MINGW_TRIPLET}-g++-posix ${VEXOLIN_MINGW_TRIPLET}-g++ REQUIRED)
find_program(VEXOLIN_MINGW_RC NAMES ${VEXOLIN_MINGW_TRIPLET}-windres)
find_program(VEXOLIN_MINGW_CC NAMES ${VEXOLIN_MINGW_TRIPLET}-gcc-posix ${VEXOLIN_MINGW_TRIPLET}-gcc REQUIRED)
set(CMAKE_CXX_COMPILER ${VEXOLIN_MINGW_CXX})
# C only for third-party sources built along (GoogleTest's project() asks for it).
set(CMAKE_C_COMPILER ${VEXOLIN_MINGW_CC})
if(VEXOLIN_MINGW_RC)
  set(CMAKE_RC_COMPILER ${VEXOLIN_MINGW_RC})
endif()
# The matching binutils, for the export and import table checks.
set(CMAKE_OBJDUMP /usr/bin/${VEXOLIN_MINGW_TRIPLET}-objdump CACHE FILEPATH "objdump of the target")

set(CMAKE_FIND_ROOT_PATH /usr/${VEXOLIN_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine: see cmake/cross_testing.cmake.
