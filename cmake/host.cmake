# Host build: the program's logic against the simulated Windows machine, and
# the tests that drive it.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# The simulated message table, and the header of message names that windmc
# makes in the Windows build.
set(GENERATED ${CMAKE_BINARY_DIR}/generated)
set(SIM_TABLE ${GENERATED}/sim_message_table.inc)
add_custom_command(
  OUTPUT ${SIM_TABLE} ${GENERATED}/messages.h
  COMMAND ${CMAKE_COMMAND} -E make_directory ${GENERATED}
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/mc_to_table.py
          ${PROJECT_SOURCE_DIR}/res/messages.mc ${SIM_TABLE} ${GENERATED}/messages.h
  DEPENDS ${PROJECT_SOURCE_DIR}/res/messages.mc ${PROJECT_SOURCE_DIR}/tools/mc_to_table.py
  COMMENT "Building the simulated message table")
add_custom_target(message_names DEPENDS ${GENERATED}/messages.h)
add_dependencies(pelmora_logic message_names)
target_include_directories(pelmora_logic PUBLIC ${GENERATED})

file(GLOB SIM_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/platform/sim/*.cpp)
add_library(pelmora_sim STATIC ${SIM_SOURCES} ${SIM_TABLE})
target_include_directories(pelmora_sim PUBLIC ${PROJECT_SOURCE_DIR}
                                       PRIVATE ${GENERATED})
target_link_libraries(pelmora_logic PUBLIC pelmora_sim)

if(PELMORA_FUZZ)
  include(${PROJECT_SOURCE_DIR}/tests/fuzz/fuzz.cmake)
  return()
endif()

if(PELMORA_BENCH)
  include(${PROJECT_SOURCE_DIR}/bench/bench.cmake)
  return()
endif()

enable_testing()
find_package(GTest REQUIRED)
file(GLOB HOST_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/host/*.cpp)
add_executable(host_tests ${HOST_TEST_SOURCES})
target_link_libraries(host_tests PRIVATE pelmora_logic GTest::gtest GTest::gtest_main)
target_compile_definitions(host_tests PRIVATE
  PELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}" PELMORA_MESSAGE_HEADER="${GENERATED}/messages.h")
include(GoogleTest)
gtest_discover_tests(host_tests DISCOVERY_TIMEOUT 60)
include(${PROJECT_SOURCE_DIR}/tests/fuzz/fuzz.cmake)

file(GLOB HOST_EXTRA CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/host/*.cmake)
foreach(extra ${HOST_EXTRA})
  include(${extra})
endforeach()
