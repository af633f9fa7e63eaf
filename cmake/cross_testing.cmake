# Running the tests of a build for another platform.
#
# Windows: test programs run under Wine through scripts/wine-run.sh, with a
# private Wine prefix in the build folder and the cross compiler's C++ runtime
# DLLs on the Windows search path (only the plug-in module links that runtime
# statically; the test programs and the stand-in host share one copy, as they
# do on Linux). 32-bit programs run under Wine's 32-bit loader, which on a
# kernel that runs no 32-bit code needs qemu-i386 registered in binfmt_misc
# for the whole test run: scripts/test-all.sh mingw32 does that through
# scripts/i386-emulation.sh.
#
# A native build registers one CTest test per GoogleTest case. A cross build
# registers one per test program instead, which runs the whole program once:
# every start under Wine costs about a second, far more than most
# tests take. The GoogleTest output still names each failing case.
#
# A GoogleTest program is added to every leg, the cross legs included, by this
# one call:
#
#   vexolin_add_gtest_program(TARGET [ENVIRONMENT VAR=VALUE...])
function(vexolin_add_gtest_program target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "ENVIRONMENT")
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${target} COMMAND ${target} --gtest_brief=1)
    if(arg_ENVIRONMENT)
      set_tests_properties(${target} PROPERTIES ENVIRONMENT "${arg_ENVIRONMENT}")
    endif()
  elseif(arg_ENVIRONMENT)
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "${arg_ENVIRONMENT}")
  else()
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

if(NOT CMAKE_CROSSCOMPILING)
  return()
endif()

if(WIN32 AND MINGW AND VEXOLIN_BUILD_STANDIN)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(_gcc_runtime libgcc_s_seh-1.dll)
    set(_wine_arch "")
  else()
    # 32-bit mingw-w64 unwinds with DWARF tables (dw2), not SEH.
    set(_gcc_runtime libgcc_s_dw2-1.dll)
    set(_wine_arch --win32)
    # GCC 12 at -O3 for i686 reports overlapping copies inside libstdc++'s
    # std::string concatenation that cannot happen (a known false positive,
    # gone in GCC 13); it stops the stand-in host's build. A diagnostic only:
    # the generated code is the same.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
      add_compile_options(-Wno-restrict)
    endif()
  endif()
  set(_runtime_dirs "")
  foreach(_dll libstdc++-6.dll ${_gcc_runtime} libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${_dll}
      OUTPUT_VARIABLE _path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${_path}" OR NOT EXISTS "${_path}")
      message(FATAL_ERROR "The cross compiler has no ${_dll}, which the test programs need under Wine")
    endif()
    get_filename_component(_dir "${_path}" DIRECTORY)
    get_filename_component(_dir "${_dir}" REALPATH)
    list(APPEND _runtime_dirs --path ${_dir})
  endforeach()
  set(CMAKE_CROSSCOMPILING_EMULATOR
    ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh ${_wine_arch} --prefix ${CMAKE_BINARY_DIR}/wineprefix ${_runtime_dirs})
endif()
