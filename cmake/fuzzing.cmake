# Fuzz targets and their corpus replays.
#
# VEXOLIN_FUZZ (the "fuzz" preset, clang only) instruments every target for
# coverage (-fsanitize=fuzzer-no-link, on top of the sanitizers), so libFuzzer
# also sees the branches of the libraries and of the plug-in module the
# targets load; the fuzz programs themselves link libFuzzer's driver.
#
# VEXOLIN_FUZZ_REPLAY builds each target a second time with a small driver of
# our own instead of libFuzzer's, which feeds every file of the target's
# corpus to it once. Any compiler can build that, so the sanitizer build of
# the ordinary test command replays the corpora: a crash fixed once stays
# fixed. It is on by default in sanitizer builds.
#
#   vexolin_add_fuzz_target(NAME SOURCES file... LIBRARIES lib...)
#     fuzz_NAME          the libFuzzer program (VEXOLIN_FUZZ)
#     fuzz_NAME_replay   the replay program, and the CTest test
#                        fuzz_replay_NAME over tests/fuzz/corpus/NAME/
option(VEXOLIN_FUZZ "Build the libFuzzer targets (clang; implies the sanitizers)" OFF)

if(VEXOLIN_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "VEXOLIN_FUZZ needs clang (libFuzzer); this compiler is ${CMAKE_CXX_COMPILER_ID}")
  endif()
  if(NOT VEXOLIN_SANITIZE)
    message(FATAL_ERROR "VEXOLIN_FUZZ needs VEXOLIN_SANITIZE: a finding must stop the run where it happens")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(VEXOLIN_FUZZ OR VEXOLIN_SANITIZE)
  set(_vexolin_replay_default ON)
else()
  set(_vexolin_replay_default OFF)
endif()
option(VEXOLIN_FUZZ_REPLAY "Replay every fuzz corpus file in the tests" ${_vexolin_replay_default})

set(VEXOLIN_FUZZ_CORPUS_DIR ${PROJECT_SOURCE_DIR}/tests/fuzz/corpus)

function(vexolin_add_fuzz_target name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;LIBRARIES")
  if(VEXOLIN_FUZZ)
    add_executable(fuzz_${name} ${arg_SOURCES})
    target_link_libraries(fuzz_${name} PRIVATE ${arg_LIBRARIES} vexolin_warnings)
    # The targets include their shared support as "tests/fuzz/support/...".
    target_include_directories(fuzz_${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    target_compile_definitions(fuzz_${name} PRIVATE VEXOLIN_FUZZ_TARGET="${name}")
  endif()
  if(VEXOLIN_FUZZ_REPLAY)
    add_executable(fuzz_${name}_replay ${arg_SOURCES} ${PROJECT_SOURCE_DIR}/tests/fuzz/support/replay_main.cpp)
    target_link_libraries(fuzz_${name}_replay PRIVATE ${arg_LIBRARIES} vexolin_warnings)
    target_include_directories(fuzz_${name}_replay PRIVATE ${PROJECT_SOURCE_DIR})
    target_compile_definitions(fuzz_${name}_replay PRIVATE VEXOLIN_FUZZ_TARGET="${name}")
    add_test(NAME fuzz_replay_${name} COMMAND fuzz_${name}_replay ${VEXOLIN_FUZZ_CORPUS_DIR}/${name})
    set_tests_properties(fuzz_replay_${name} PROPERTIES LABELS fuzz TIMEOUT 120)
  endif()
endfunction()
