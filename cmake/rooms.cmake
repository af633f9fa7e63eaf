# One library per room of the plug-in, each seeing only its own headers and
# those of the rooms it links, so that an include of a higher room fails to
# build.
#
# A room's include directory is build/rooms/<room>, holding one link named
# <room> to the source folder: "#include "ui/widgets.h"" resolves only in a
# target that links vexolin_ui (directly or through a room above it). The
# source tree's root is never an include directory of a room. Where the file
# system cannot make links, the rooms fall back to the source root and the
# layering is not checked by that build.

# Strict warnings for the plug-in's rooms, as one target so that every room
# opts in with one line (STRICT).
add_library(vexolin_strict_warnings INTERFACE)
if(NOT MSVC)
  target_compile_options(vexolin_strict_warnings INTERFACE
    -Wconversion -Wsign-conversion -Wold-style-cast -Woverloaded-virtual -Wshadow)
endif()

set(VEXOLIN_ROOMS_DIR ${PROJECT_BINARY_DIR}/rooms)

# The include directory that shows `room` alone.
function(vexolin_room_include_dir room out)
  set(dir ${VEXOLIN_ROOMS_DIR}/${room})
  if(NOT EXISTS ${dir}/${room})
    file(MAKE_DIRECTORY ${dir})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${room} ${dir}/${room} RESULT made SYMBOLIC)
    if(NOT made EQUAL 0)
      message(WARNING "cannot link ${dir}/${room} (${made}): the rooms' layering is not checked in this build")
      set(dir ${PROJECT_SOURCE_DIR})
    endif()
  endif()
  set(${out} ${dir} PARENT_SCOPE)
endfunction()

# vexolin_room(<room> [SOURCES files...] [LINKS rooms-below...]
#              [PRIVATE_LINKS rooms-below...] [STRICT])
# Makes vexolin_<room>: a static library of SOURCES, or a header-only
# interface library without them. Rooms above a room see its LINKS too;
# its PRIVATE_LINKS only it sees (their headers are not on the include path
# of the rooms above, so they cannot include them).
function(vexolin_room room)
  cmake_parse_arguments(ARG "STRICT" "" "SOURCES;LINKS;PRIVATE_LINKS" ${ARGN})
  set(target vexolin_${room})
  vexolin_room_include_dir(${room} dir)
  set(links)
  foreach(below IN LISTS ARG_LINKS)
    list(APPEND links vexolin_${below})
  endforeach()
  set(private_links)
  foreach(below IN LISTS ARG_PRIVATE_LINKS)
    list(APPEND private_links vexolin_${below})
  endforeach()
  if(ARG_SOURCES)
    add_library(${target} STATIC ${ARG_SOURCES})
    target_include_directories(${target} PUBLIC ${dir})
    target_link_libraries(${target} PUBLIC ${links} vexolin_fp PRIVATE ${private_links} vexolin_warnings)
    if(ARG_STRICT)
      target_link_libraries(${target} PRIVATE vexolin_strict_warnings)
    endif()
    set_target_properties(${target} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${dir})
    target_link_libraries(${target} INTERFACE ${links})
  endif()
endfunction()
