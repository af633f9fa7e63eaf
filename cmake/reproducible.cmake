# Reproducible builds (release presets): the same commit built in any two
# folders gives byte-identical binaries. Nothing of the build machine may
# enter a binary: no source or build paths (__FILE__, debug information), no
# link time stamps. Dates that must appear come from SOURCE_DATE_EPOCH, which
# scripts/release.sh sets from the commit date (GCC reads it for __DATE__).
option(VEXOLIN_REPRODUCIBLE "Build binaries that do not depend on the build folder or time" OFF)
if(NOT VEXOLIN_REPRODUCIBLE)
  return()
endif()
if(MSVC)
  message(FATAL_ERROR "VEXOLIN_REPRODUCIBLE is made for GCC and mingw-w64 builds")
endif()

# Source and build paths become relative ones. The build folder is mapped
# first: it may lie inside the source tree (build/<preset>).
add_compile_options(
  "$<$<COMPILE_LANGUAGE:CXX,C>:-ffile-prefix-map=${CMAKE_BINARY_DIR}/=build/>"
  "$<$<COMPILE_LANGUAGE:CXX,C>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>")
if(MINGW)
  # PE headers and the resource directory carry a time stamp unless told not to.
  add_link_options(-Wl,--no-insert-timestamp)
endif()
