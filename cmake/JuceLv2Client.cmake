# JUCE's LV2 client layer, copied with these changes:
# - a parameter whose label names a unit gets that unit in the plug-in's description,
#   so hosts show "-24 dB" rather than a bare number;
# - a switch is declared and sent as an atom:Bool, a parameter of a few steps as an
#   atom:Int over its plain values with a labelled scale point per step: hosts pick
#   check boxes and lists by the type alone, and lv2:portProperty belongs to ports;
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
    [=[            os << "\trdfs:range atom:" << getLv2TypeName (param) << " ;\n";

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
    [=[class ParameterStorage : private AudioProcessorListener
{]=]
    [=[enum class Lv2Type { boolean, integer, decimal };

// A switch is an atom:Bool, a parameter of a few steps an atom:Int over its plain
// values: hosts choose check boxes, lists and sliders by the type alone.
static Lv2Type getLv2Type (const AudioProcessorParameter& param)
{
    constexpr auto stepLimit = 1000;
    const auto numSteps = param.getNumSteps();

    if (param.isBoolean())
        return Lv2Type::boolean;

    return param.isDiscrete() && 2 <= numSteps && numSteps < stepLimit ? Lv2Type::integer : Lv2Type::decimal;
}

static const char* getLv2TypeName (const AudioProcessorParameter& param)
{
    const auto type = getLv2Type (param);
    return type == Lv2Type::boolean ? "Bool" : type == Lv2Type::integer ? "Int" : "Float";
}

static String getLv2Number (const AudioProcessorParameter& param, double plain)
{
    return getLv2Type (param) == Lv2Type::decimal ? String (plain) : String (roundToInt (plain));
}

static float getPlainValue (const AudioProcessorParameter& param, float normalised)
{
    if (auto* rangedParam = dynamic_cast<const RangedAudioParameter*> (&param))
        return rangedParam->convertFrom0to1 (normalised);

    return normalised;
}

static void writeLv2Value (LV2_Atom_Forge* forge, const AudioProcessorParameter& param, float plain)
{
    switch (getLv2Type (param))
    {
        case Lv2Type::boolean: lv2_atom_forge_bool (forge, plain >= 0.5f); break;
        case Lv2Type::integer: lv2_atom_forge_int (forge, roundToInt (plain)); break;
        case Lv2Type::decimal: lv2_atom_forge_float (forge, plain); break;
    }
}

class ParameterStorage : private AudioProcessorListener
{]=]
    [=[                lv2_atom_forge_float (forge, [&]]=]
    [=[                writeLv2Value (forge, param, [&]]=]
    [=[                os << "\tlv2:default " << rangedParam->convertFrom0to1 (rangedParam->getDefaultValue()) << " ;\n"
                      "\tlv2:minimum " << rangedParam->getNormalisableRange().start << " ;\n"
                      "\tlv2:maximum " << rangedParam->getNormalisableRange().end;]=]
    [=[                os << "\tlv2:default " << getLv2Number (param, rangedParam->convertFrom0to1 (rangedParam->getDefaultValue())) << " ;\n"
                      "\tlv2:minimum " << getLv2Number (param, rangedParam->getNormalisableRange().start) << " ;\n"
                      "\tlv2:maximum " << getLv2Number (param, rangedParam->getNormalisableRange().end);]=]
    [=[            // Avoid writing out loads of scale points for parameters with lots of steps
            constexpr auto stepLimit = 1000;
            const auto numSteps = param.getNumSteps();

            if (param.isDiscrete() && 2 <= numSteps && numSteps < stepLimit)
            {
                os << "\t ;\n"
                      "\tlv2:portProperty lv2:enumeration " << (param.isBoolean() ? ", lv2:toggled " : "") << ";\n"
                      "\tlv2:scalePoint ";]=]
    [=[            const auto numSteps = param.getNumSteps();

            if (getLv2Type (param) == Lv2Type::integer)
            {
                os << "\t ;\n"
                      "\tlv2:scalePoint ";]=]
    [=["\t\trdf:value " << value << " ;\n"]=]
    [=["\t\trdf:value " << getLv2Number (param, getPlainValue (param, value)) << " ;\n"]=]
    [=["\t\tfoaf:mbox <" JucePlugin_ManufacturerEmail "> ;\n"]=]
    [=["\t\tfoaf:mbox <mailto:" JucePlugin_ManufacturerEmail "> ;\n"]=]
    [=[        const auto minorVersion = getVersionOrZero (2);
        const auto microVersion = getVersionOrZero (1);]=]
    [=[        const auto minorVersion = getVersionOrZero (3) * 65536 + getVersionOrZero (2) * 256 + getVersionOrZero (1) * 2;
        const auto microVersion = 0;]=])

list(TRANSFORM velmora_lv2_sources REPLACE "^${velmora_lv2_original}$" "${velmora_lv2_copy}")
set_property(TARGET juce_audio_plugin_client_LV2 PROPERTY INTERFACE_SOURCES "${velmora_lv2_sources}")
