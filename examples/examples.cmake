# The example installers, in build/windows/examples/: the MSI's custom action
# DLL, and, where Debian's makensis and wixl are installed, the NSIS installer
# and the MSI, with pelmora.exe, the sample packages of examples/ and the
# helper program record_args.exe.
add_library(pelmora_msi_action SHARED ${CMAKE_CURRENT_LIST_DIR}/wix/custom_action.cpp)
set_target_properties(pelmora_msi_action PROPERTIES PREFIX "")
target_compile_definitions(pelmora_msi_action PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN)
target_link_libraries(pelmora_msi_action PRIVATE msi)
target_link_options(pelmora_msi_action PRIVATE -static -static-libgcc -static-libstdc++ $<$<CONFIG:MinSizeRel>:-s>)

find_program(MAKENSIS makensis)
find_program(WIXL wixl)
set(EXAMPLES ${CMAKE_CURRENT_LIST_DIR})
set(EXAMPLES_OUT ${CMAKE_BINARY_DIR}/examples)
file(GLOB SAMPLE_PACKAGES ${EXAMPLES}/*.inf)
set(EXAMPLE_INPUTS pelmora record_args ${SAMPLE_PACKAGES})
set(EXAMPLE_INSTALLERS)
if(MAKENSIS)
  add_custom_command(OUTPUT ${EXAMPLES_OUT}/pelmora-example-setup.exe
    COMMAND ${CMAKE_COMMAND} -E make_directory ${EXAMPLES_OUT}
    COMMAND ${MAKENSIS} -V2 -DBIN=${CMAKE_BINARY_DIR} -DSAMPLES=${EXAMPLES}
            -DOUTFILE=${EXAMPLES_OUT}/pelmora-example-setup.exe ${EXAMPLES}/nsis/pelmora.nsi
    DEPENDS ${EXAMPLES}/nsis/pelmora.nsi ${EXAMPLE_INPUTS})
  list(APPEND EXAMPLE_INSTALLERS ${EXAMPLES_OUT}/pelmora-example-setup.exe)
endif()
if(WIXL)
  # wixl reads the files' sources relative to the .wxs file.
  file(RELATIVE_PATH bin_from_wxs ${EXAMPLES}/wix ${CMAKE_BINARY_DIR})
  add_custom_command(OUTPUT ${EXAMPLES_OUT}/pelmora-example.msi
    COMMAND ${CMAKE_COMMAND} -E make_directory ${EXAMPLES_OUT}
    COMMAND ${WIXL} -a x64 -D BinDir=${bin_from_wxs} -D Samples=.. -o ${EXAMPLES_OUT}/pelmora-example.msi
            ${EXAMPLES}/wix/pelmora.wxs
    DEPENDS ${EXAMPLES}/wix/pelmora.wxs pelmora_msi_action ${EXAMPLE_INPUTS})
  list(APPEND EXAMPLE_INSTALLERS ${EXAMPLES_OUT}/pelmora-example.msi)
endif()
add_custom_target(example_installers ALL DEPENDS ${EXAMPLE_INSTALLERS})
