# One libFuzzer program per tests/fuzz/fuzz_<target>.cpp.
file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/fuzz/fuzz_*.cpp)
foreach(source ${FUZZ_SOURCES})
  get_filename_component(target ${source} NAME_WE)
  add_executable(${target} ${source})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/fuzz)
  target_link_libraries(${target} PRIVATE pelmora_logic)
  target_link_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
endforeach()
