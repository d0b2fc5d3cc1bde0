# One program per tests/fuzz/fuzz_<target>.cpp: a libFuzzer program in the
# fuzzing build; in the host build, the target fed its seed corpus
# (tests/fuzz/corpus/<target>/) by the seed driver, as one test.
file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/fuzz/fuzz_*.cpp)
foreach(source ${FUZZ_SOURCES})
  get_filename_component(target ${source} NAME_WE)
  string(REGEX REPLACE "^fuzz_" "" corpus ${target})
  add_executable(${target} ${source})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/fuzz)
  target_link_libraries(${target} PRIVATE pelmora_logic)
  if(PELMORA_FUZZ)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
  else()
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/fuzz/seed_driver.cpp)
    add_test(NAME ${target} COMMAND ${target} ${PROJECT_SOURCE_DIR}/tests/fuzz/corpus/${corpus})
  endif()
endforeach()
