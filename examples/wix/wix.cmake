# The MSI example's custom action DLL (examples/wix/pelmora.wxs embeds it).
add_library(pelmora_msi_action SHARED ${CMAKE_CURRENT_LIST_DIR}/custom_action.cpp)
set_target_properties(pelmora_msi_action PROPERTIES PREFIX "")
target_compile_definitions(pelmora_msi_action PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN)
target_link_libraries(pelmora_msi_action PRIVATE msi)
target_link_options(pelmora_msi_action PRIVATE -static -static-libgcc -static-libstdc++ $<$<CONFIG:MinSizeRel>:-s>)
