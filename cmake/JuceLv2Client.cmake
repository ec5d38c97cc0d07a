# JUCE's LV2 client layer, copied with these changes:
# - a parameter whose label names a unit gets that unit in the plug-in's description,
#   so hosts show "-24 dB" rather than a bare number;
# - the bounded-block-length feature is optional, as the maximum block length the
#   client really needs comes from the host's options, which are still required; hosts
#   such as lv2file give that option without naming the feature;
# - the description passes the LV2 schemas (lv2_validate): the plug-in is also a
#   doap:Project (and a compressor), the presets' program property is declared, and
#   the UI lists features and interfaces each where they belong;
# - the maintainer's address is a mailto: IRI (a bare address would name a file in the
#   bundle), and the minor version is even and non-zero, as LV2 asks of a release:
#   major * 65536 + minor * 256 + micro * 2, with micro version 0.
include(${CMAKE_CURRENT_LIST_DIR}/PatchFile.cmake)

get_target_property(velmora_lv2_sources juce_audio_plugin_client_LV2 INTERFACE_SOURCES)
set(velmora_lv2_original "${JUCE_MODULES_DIR}/juce_audio_plugin_client/juce_audio_plugin_client_LV2.cpp")
if(NOT velmora_lv2_original IN_LIST velmora_lv2_sources)
    message(FATAL_ERROR "JUCE's LV2 client layer is not where it was expected")
endif()

set(velmora_lv2_copy "${CMAKE_BINARY_DIR}/juce-lv2-client/juce_LV2_Client.cpp")
# A replacement that spans lines, as a quoted argument.
set(velmora_ui_features_from "\"\\t\\t\" << resizeFeatureString << \" ,\\n\"\n              \"\\t\\topts:interface ,\\n\"")
set(velmora_ui_features_to "\"\\t\\t\" << resizeFeatureString << \" ,\\n\"")

velmora_patch_file("${JUCE_MODULES_DIR}/juce_audio_plugin_client/LV2/juce_LV2_Client.cpp" "${velmora_lv2_copy}"
    [=[            os << "\trdfs:range atom:Float ;\n";]=]
    [=[            os << "\trdfs:range atom:Float ;\n";

            for (const auto& [label, unit] : { std::pair { "dB", "db" }, std::pair { "ms", "ms" }, std::pair { "Hz", "hz" }, std::pair { "%", "pc" } })
                if (param.getLabel() == label)
                    os << "\tunits:unit units:" << unit << " ;\n";]=]
    [=["\t\topts:options ,\n"]=]
    [=["\t\topts:options ;\n" "\tlv2:optionalFeature\n"]=]
    [=[const auto boundedBlockLength = hasFeature (features, LV2_BUF_SIZE__boundedBlockLength);]=]
    [=[const auto boundedBlockLength = hasFeature (features, LV2_BUF_SIZE__boundedBlockLength) || hasFeature (features, LV2_OPTIONS__options);]=]
    [=["\tdoap:name \"" JucePlugin_Name "\" ;\n"]=]
    [=["\ta doap:Project, lv2:CompressorPlugin ;\n" "\tdoap:name \"" JucePlugin_Name "\" ;\n"]=]
    [=[        for (auto i = 0, end = proc.getNumPrograms(); i < end; ++i)]=]
    [=[        if (proc.getNumPrograms() > 0)
            os << "<" << JucePluginLV2UriProgram << ">\n"
                  "\ta <http://www.w3.org/1999/02/22-rdf-syntax-ns#Property> ;\n"
                  "\trdfs:label \"program\" ;\n"
                  "\trdfs:comment \"The index of the factory program that a preset selects.\" ;\n"
                  "\trdfs:range xsd:int .\n"
                  "\n";

        for (auto i = 0, end = proc.getNumPrograms(); i < end; ++i)]=]
    [=["\t\tui:noUserResize ,\n" // resize and noUserResize are always present in the extension data array]=]
    ""
    "${velmora_ui_features_from}"
    "${velmora_ui_features_to}"
    [=["\t\tfoaf:mbox <" JucePlugin_ManufacturerEmail "> ;\n"]=]
    [=["\t\tfoaf:mbox <mailto:" JucePlugin_ManufacturerEmail "> ;\n"]=]
    [=[        const auto minorVersion = getVersionOrZero (2);
        const auto microVersion = getVersionOrZero (1);]=]
    [=[        const auto minorVersion = getVersionOrZero (3) * 65536 + getVersionOrZero (2) * 256 + getVersionOrZero (1) * 2;
        const auto microVersion = 0;]=])

list(TRANSFORM velmora_lv2_sources REPLACE "^${velmora_lv2_original}$" "${velmora_lv2_copy}")
set_property(TARGET juce_audio_plugin_client_LV2 PROPERTY INTERFACE_SOURCES "${velmora_lv2_sources}")
