# JUCE's LV2 client layer, copied with two changes:
# - parameter IRIs get a letter in front of the index: a Turtle name may not start with
#   a digit, and the original turns "0".."20" into colliding names ("_" ten times);
# - the bounded-block-length feature is optional, as the maximum block length the
#   client really needs comes from the host's options, which are still required; hosts
#   such as lv2file give that option without naming the feature.
include(${CMAKE_CURRENT_LIST_DIR}/PatchFile.cmake)

get_target_property(velmora_lv2_sources juce_audio_plugin_client_LV2 INTERFACE_SOURCES)
set(velmora_lv2_original "${JUCE_MODULES_DIR}/juce_audio_plugin_client/juce_audio_plugin_client_LV2.cpp")
if(NOT velmora_lv2_original IN_LIST velmora_lv2_sources)
    message(FATAL_ERROR "JUCE's LV2 client layer is not where it was expected")
endif()

set(velmora_lv2_copy "${CMAKE_BINARY_DIR}/juce-lv2-client/juce_LV2_Client.cpp")
velmora_patch_file("${JUCE_MODULES_DIR}/juce_audio_plugin_client/LV2/juce_LV2_Client.cpp" "${velmora_lv2_copy}"
    [=[URL::addEscapeChars (LegacyAudioParameter::getParamID (&param, false), true);]=]
    [=[URL::addEscapeChars ("parameter" + LegacyAudioParameter::getParamID (&param, false), true);]=]
    [=["\t\topts:options ,\n"]=]
    [=["\t\topts:options ;\n" "\tlv2:optionalFeature\n"]=]
    [=[const auto boundedBlockLength = hasFeature (features, LV2_BUF_SIZE__boundedBlockLength);]=]
    [=[const auto boundedBlockLength = hasFeature (features, LV2_BUF_SIZE__boundedBlockLength) || hasFeature (features, LV2_OPTIONS__options);]=])

list(TRANSFORM velmora_lv2_sources REPLACE "^${velmora_lv2_original}$" "${velmora_lv2_copy}")
set_property(TARGET juce_audio_plugin_client_LV2 PROPERTY INTERFACE_SOURCES "${velmora_lv2_sources}")
