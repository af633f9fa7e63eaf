# Windows builds (mingw-w64 cross compilers, or Visual Studio).
if(NOT WIN32)
  return()
endif()

# Programs and DLLs side by side: the test programs import the stand-in
# host's DLL, and Windows finds a program's DLLs in the program's folder.
# The plug-in module (a MODULE library) stays in plugin/ and is loaded by path.
if(NOT CMAKE_RUNTIME_OUTPUT_DIRECTORY)
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endif()

if(MSVC)
  # The shipped module must not depend on the Visual C++ runtime DLLs, so a
  # build of the module alone links the C runtime statically. With the
  # stand-in host and the tests, every binary shares the DLL runtime instead:
  # C++ objects cross the boundary between the test programs and the host.
  if(NOT DEFINED CMAKE_MSVC_RUNTIME_LIBRARY AND NOT VEXOLIN_BUILD_STANDIN)
    set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
  endif()
  # Sources are UTF-8.
  add_compile_options(/utf-8)
endif()
