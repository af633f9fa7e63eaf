# GoogleTest for builds that cannot use the system's copy: the cross builds
# (Windows) and the 32-bit Linux build, since Debian's libraries are 64-bit
# Linux only. Built from the sources in VEXOLIN_GTEST_SOURCE_DIR
# (libgtest-dev installs them in /usr/src/googletest); find_package(GTest)
# then finds these targets through cmake/find/FindGTest.cmake.
set(VEXOLIN_GTEST_SOURCE_DIR "" CACHE PATH
  "GoogleTest sources to build with the project instead of the installed libraries")
if(NOT VEXOLIN_GTEST_SOURCE_DIR OR NOT VEXOLIN_BUILD_STANDIN)
  return()
endif()
if(NOT EXISTS "${VEXOLIN_GTEST_SOURCE_DIR}/CMakeLists.txt")
  message(FATAL_ERROR "No GoogleTest sources in ${VEXOLIN_GTEST_SOURCE_DIR} (install libgtest-dev)")
endif()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
# Same C runtime as the rest of an MSVC build.
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
# SYSTEM: the project's warning flags do not apply to GoogleTest's headers.
add_subdirectory(${VEXOLIN_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/_deps/googletest SYSTEM EXCLUDE_FROM_ALL)
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/find)
