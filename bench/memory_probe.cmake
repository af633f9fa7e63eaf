# The benchmarks' meshes (bench_mesh.*) and the memory probe
# (memory_probe.cpp): plain C++ over the stand-in host, without Google
# Benchmark, so that they build in every leg that builds the stand-in host,
# the Windows cross builds included. The probe is run by hand or by
# scripts/bench-memory.sh; CTest only runs it once on a small mesh to see that
# it works and prints its line (no figure is checked).
add_library(vexolin_bench_mesh STATIC bench_mesh.cpp)
target_include_directories(vexolin_bench_mesh PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(vexolin_bench_mesh PUBLIC standin_host vexolin_mesh vexolin_commands vexolin_warnings)

add_executable(vexolin_memory_probe memory_probe.cpp)
target_link_libraries(vexolin_memory_probe PRIVATE vexolin_bench_mesh vexolin_host)
if(WIN32)
  target_link_libraries(vexolin_memory_probe PRIVATE psapi)
endif()
target_compile_definitions(vexolin_memory_probe PRIVATE STANDIN_HOST_PATH="$<TARGET_FILE:standin_host>"
                                                        VEXOLIN_MODULE_PATH="$<TARGET_FILE:vexolin>")
add_dependencies(vexolin_memory_probe vexolin)

# How scripts/bench-memory.sh starts the probe: directly, or under the cross
# build's emulator (Wine, with the runtime DLLs on its path), one word a line.
file(GENERATE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/memory_probe_command.txt
  CONTENT "$<JOIN:${CMAKE_CROSSCOMPILING_EMULATOR};$<TARGET_FILE:vexolin_memory_probe>,\n>\n")

# Sanitizers' shadow memory would be all the probe measures there.
if(NOT VEXOLIN_SANITIZE AND NOT VEXOLIN_SANITIZE_THREAD)
  add_test(NAME memory_probe_runs COMMAND vexolin_memory_probe --faces 2500 --command 15 --start all --runs 1)
  set_tests_properties(memory_probe_runs PROPERTIES
    PASS_REGULAR_EXPRESSION "(^|\n)case\tcommand=15\t[^\n]*\tB_per_line=[0-9]+\\.[0-9]+\tfirst_ms=[0-9.]+\tmedian_ms=[0-9.]+\t"
    FAIL_REGULAR_EXPRESSION "memory_probe: ")
endif()
