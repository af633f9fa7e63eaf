# Warnings for every target of the project, as an interface target.
add_library(vexolin_warnings INTERFACE)
if(MSVC)
  target_compile_options(vexolin_warnings INTERFACE /W4 /permissive-)
  if(VEXOLIN_WERROR)
    target_compile_options(vexolin_warnings INTERFACE /WX)
  endif()
else()
  target_compile_options(vexolin_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
    -Wdouble-promotion -Wfloat-conversion -Wformat=2 -Wimplicit-fallthrough
    -Wmissing-declarations)
  if(VEXOLIN_WERROR)
    target_compile_options(vexolin_warnings INTERFACE -Werror)
  endif()
endif()
