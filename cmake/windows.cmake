enable_language(RC)

# Windows XP-era SDK surface is enough; newer calls are looked up at run time.
target_compile_definitions(pelmora_logic PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
  _WIN32_WINNT=0x0501)
target_sources(pelmora_logic PRIVATE ${PROJECT_SOURCE_DIR}/platform/win/library_search.cpp)

# Message table: one .mc source, compiled by windmc into a .bin that the
# resource script pulls in, and the header of message names the code includes.
set(MC_OUT ${CMAKE_BINARY_DIR}/mc)
add_custom_command(
  OUTPUT ${MC_OUT}/messages.rc ${MC_OUT}/MSG00409.bin ${MC_OUT}/messages.h
  COMMAND ${CMAKE_COMMAND} -E make_directory ${MC_OUT}
  COMMAND ${PELMORA_WINDMC} -U -r ${MC_OUT} -h ${MC_OUT} ${PROJECT_SOURCE_DIR}/res/messages.mc
  DEPENDS ${PROJECT_SOURCE_DIR}/res/messages.mc
  COMMENT "Compiling the message table")
add_custom_target(message_table DEPENDS ${MC_OUT}/messages.rc ${MC_OUT}/MSG00409.bin ${MC_OUT}/messages.h)
add_dependencies(pelmora_logic message_table)
target_include_directories(pelmora_logic PUBLIC ${MC_OUT})

set(STATIC_RUNTIME -static -static-libgcc -static-libstdc++ -municode $<$<CONFIG:MinSizeRel>:-s>)

# The same commit gives the same bytes: no link time in the PE header, and no
# checkout or build folder in any file name the compiler writes (__FILE__,
# debug information).
target_compile_options(pelmora_logic PUBLIC
  -ffile-prefix-map=${PROJECT_SOURCE_DIR}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
set(REPRODUCIBLE_LINK -Wl,--no-insert-timestamp)
set(WIN_LIBS setupapi advapi32 user32)

function(pelmora_program name entry description)
  configure_file(${PROJECT_SOURCE_DIR}/res/program.rc.in ${CMAKE_BINARY_DIR}/${name}.rc @ONLY)
  add_executable(${name} ${entry} ${CMAKE_BINARY_DIR}/${name}.rc)
  # windres does not report what the script pulls in: without this, a changed
  # message table or manifest leaves the programs with the old one.
  set_source_files_properties(${CMAKE_BINARY_DIR}/${name}.rc PROPERTIES
    OBJECT_DEPENDS "${MC_OUT}/MSG00409.bin;${PROJECT_SOURCE_DIR}/res/pelmora.manifest")
  add_dependencies(${name} message_table)
  set_target_properties(${name} PROPERTIES SUFFIX ".exe")
  target_include_directories(${name} PRIVATE ${MC_OUT} ${PROJECT_SOURCE_DIR}/res)
  target_link_libraries(${name} PRIVATE pelmora_logic ${WIN_LIBS})
  target_link_options(${name} PRIVATE ${STATIC_RUNTIME} ${REPRODUCIBLE_LINK})
endfunction()

set(PROGRAM_NAME pelmora)
pelmora_program(pelmora ${PROJECT_SOURCE_DIR}/frontend/main.cpp "Pelmora driver package installer")
pelmora_program(pelmora-engine ${PROJECT_SOURCE_DIR}/engine/main.cpp "Pelmora device engine")

include(${PROJECT_SOURCE_DIR}/examples/examples.cmake)
include(${PROJECT_SOURCE_DIR}/tests/e2e/e2e.cmake OPTIONAL)
include(${PROJECT_SOURCE_DIR}/bench/wine/bench.cmake)
