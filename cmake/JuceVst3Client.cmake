# JUCE's VST3 client layer, copied with three changes: it includes its utility headers
# through the module path (the copy lives in the build folder); a discrete parameter
# that names its values and is no switch is flagged as a list, so that hosts offer its
# entries in a drop-down rather than as a stepped slider; and the host's audio call
# marks its thread, so that a value the plug-in changes there (automation switching
# Delta on turns Bypass off) is never reported to the host from the audio thread.
include(${CMAKE_CURRENT_LIST_DIR}/PatchFile.cmake)

get_target_property(velmora_vst3_sources juce_audio_plugin_client_VST3 INTERFACE_SOURCES)
set(velmora_vst3_original "${JUCE_MODULES_DIR}/juce_audio_plugin_client/juce_audio_plugin_client_VST3.cpp")
if(NOT velmora_vst3_original IN_LIST velmora_vst3_sources)
    message(FATAL_ERROR "JUCE's VST3 client layer is not where it was expected")
endif()

set(velmora_vst3_copy "${CMAKE_BINARY_DIR}/juce-vst3-client/juce_VST3_Wrapper.cpp")
velmora_patch_file("${JUCE_MODULES_DIR}/juce_audio_plugin_client/VST3/juce_VST3_Wrapper.cpp" "${velmora_vst3_copy}"
    REBASE_INCLUDES "../utility/" "juce_audio_plugin_client/utility/"
    "#include <juce_audio_processors/utilities/juce_FlagCache.h>"
    "#include <juce_audio_processors/utilities/juce_FlagCache.h>\n#include \"Vst3EditReporter.h\""
    [=[    tresult PLUGIN_API process (Vst::ProcessData& data) override
    {]=]
    [=[    tresult PLUGIN_API process (Vst::ProcessData& data) override
    {
        const Vst3EditReporter::ScopedAudioCall audioCall;]=]
    [=[            if (isBypassParameter)
                info.flags |= Vst::ParameterInfo::kIsBypass;]=]
    [=[            if (isBypassParameter)
                info.flags |= Vst::ParameterInfo::kIsBypass;

            if (param.isDiscrete() && ! param.isBoolean() && ! param.getAllValueStrings().isEmpty())
                info.flags |= Vst::ParameterInfo::kIsList;]=])

list(TRANSFORM velmora_vst3_sources REPLACE "^${velmora_vst3_original}$" "${velmora_vst3_copy}")
set_property(TARGET juce_audio_plugin_client_VST3 PROPERTY INTERFACE_SOURCES "${velmora_vst3_sources}")
