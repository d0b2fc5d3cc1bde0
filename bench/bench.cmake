# Host benchmarks: one Google Benchmark program per bench/*_bench.cpp, linked
# against the program's logic and the simulation.
find_package(benchmark REQUIRED)
file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/*_bench.cpp)
foreach(source ${BENCH_SOURCES})
  get_filename_component(target ${source} NAME_WE)
  add_executable(${target} ${source})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/bench)
  target_link_libraries(${target} PRIVATE pelmora_logic benchmark::benchmark)
endforeach()
