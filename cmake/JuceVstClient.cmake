# JUCE's VST 2 client layer, copied with two changes: it includes its utility headers
# through the module path (the copy lives in the build folder), and its Linux entry
# points become one internal function, so that the plug-in's own entry points can
# wrap the effect record and answer the host exactly as the plug-in intends.
include(${CMAKE_CURRENT_LIST_DIR}/PatchFile.cmake)

get_target_property(velmora_client_sources juce_audio_plugin_client_VST INTERFACE_SOURCES)
set(velmora_client_original "${JUCE_MODULES_DIR}/juce_audio_plugin_client/juce_audio_plugin_client_VST2.cpp")
if(NOT velmora_client_original IN_LIST velmora_client_sources)
    message(FATAL_ERROR "JUCE's VST 2 client layer is not where it was expected")
endif()
set(velmora_client_dir "${JUCE_MODULES_DIR}/juce_audio_plugin_client")

set(velmora_client_copy "${CMAKE_BINARY_DIR}/juce-vst2-client/juce_VST_Wrapper.cpp")
velmora_patch_file("${velmora_client_dir}/VST/juce_VST_Wrapper.cpp" "${velmora_client_copy}"
    REBASE_INCLUDES "../utility/" "juce_audio_plugin_client/utility/"
"    JUCE_EXPORTED_FUNCTION Vst2::AEffect* VSTPluginMain (Vst2::audioMasterCallback audioMaster);
    JUCE_EXPORTED_FUNCTION Vst2::AEffect* VSTPluginMain (Vst2::audioMasterCallback audioMaster)
    {
        return pluginEntryPoint (audioMaster);
    }

    JUCE_EXPORTED_FUNCTION Vst2::AEffect* main_plugin (Vst2::audioMasterCallback audioMaster) asm (\"main\");
    JUCE_EXPORTED_FUNCTION Vst2::AEffect* main_plugin (Vst2::audioMasterCallback audioMaster)
    {
        return VSTPluginMain (audioMaster);
    }"
"    extern \"C\" Vst2::AEffect* juceVstPluginMain (Vst2::audioMasterCallback audioMaster);
    extern \"C\" Vst2::AEffect* juceVstPluginMain (Vst2::audioMasterCallback audioMaster)
    {
        return pluginEntryPoint (audioMaster);
    }")

list(TRANSFORM velmora_client_sources REPLACE "^${velmora_client_original}$" "${velmora_client_copy}")
set_property(TARGET juce_audio_plugin_client_VST PROPERTY INTERFACE_SOURCES "${velmora_client_sources}")
