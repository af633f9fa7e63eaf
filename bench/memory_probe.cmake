# The benchmarks' meshes (bench_mesh.*): plain C++ over the stand-in host,
# without Google Benchmark.
add_library(vexolin_bench_mesh STATIC bench_mesh.cpp)
target_include_directories(vexolin_bench_mesh PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(vexolin_bench_mesh PUBLIC standin_host vexolin_mesh vexolin_commands vexolin_warnings)
