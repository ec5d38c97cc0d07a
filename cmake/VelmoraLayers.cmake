# The plug-in's layers above the engine, defined once for the main build and for the
# thread-sanitizer and fuzz builds:
#   framework  the JUCE modules, compiled once per build; everything below links it
#   processor  plugin/: parameters, programs, state and the audio callbacks, on the
#              engine and juce_audio_processors; no editor code
#   editor     editor/ and look/ with the artwork, on the processor; VelmoraPlugin is
#              the processor with its editor, the one the plug-in formats create
# A layer library carries its framework in the property VELMORA_FRAMEWORK and links
# it privately: the framework's definitions reach only the layer's own files and the
# executables built with velmora_link_layer, never the formats' client layers, which
# bring conflicting ones of their own.

# velmora_processor_sources(<out_var> [CORE])
# The processor's sources; CORE: only its pure logic (texts, the state document), which
# needs juce_core alone.
function(velmora_processor_sources out_var)
    get_filename_component(root "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/.." ABSOLUTE)
    cmake_parse_arguments(PARSE_ARGV 1 arg "CORE" "" "")
    set(dir "${root}/plugin")
    set(core
        ${dir}/NumberText.cpp
        ${dir}/ParameterTable.cpp
        ${dir}/PresetChunk.cpp
        ${CMAKE_BINARY_DIR}/velmora-processor/FactoryPresets.cpp)
    set(rest
        ${dir}/CorvaneAudioProcessor.cpp
        ${dir}/HostNotifier.cpp
        ${dir}/HostStyle.cpp
        ${dir}/ProcessorParameter.cpp
        ${dir}/ProgramBank.cpp
        ${dir}/Vst3EditReporter.cpp)

    # The factory bank is compiled in from its XML.
    set(factory_xml "${root}/resources/FactoryPresets.xml")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${factory_xml}")
    file(READ "${factory_xml}" VELMORA_FACTORY_TEXT)
    configure_file("${dir}/FactoryPresets.cpp.in" "${CMAKE_BINARY_DIR}/velmora-processor/FactoryPresets.cpp" @ONLY)

    if(arg_CORE)
        set(${out_var} ${core} PARENT_SCOPE)
    else()
        set(${out_var} ${core} ${rest} PARENT_SCOPE)
    endif()
endfunction()

# velmora_add_framework(<name> MODULES <module>... [DEFINITIONS <definition>...]
#                       [OPTIONS <compile option>...])
# A static library of JUCE modules for a build without the plug-in formats. Users see
# the modules' headers and settings without compiling their sources again; OPTIONS
# reach every user too.
function(velmora_add_framework name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "MODULES;DEFINITIONS;OPTIONS")
    add_library(${name} STATIC)
    # JUCE links the system's image libraries only into targets of its own making.
    target_link_libraries(${name} PRIVATE ${arg_MODULES} juce::pkgconfig_JUCE_IMG_LINUX_DEPS)
    target_compile_definitions(${name} PRIVATE JUCE_WEB_BROWSER=0 JUCE_USE_CURL=0 JUCE_DISPLAY_SPLASH_SCREEN=0
                                               ${arg_DEFINITIONS})
    target_compile_options(${name} PUBLIC ${arg_OPTIONS})
    target_include_directories(${name} INTERFACE $<TARGET_PROPERTY:${name},INCLUDE_DIRECTORIES>)
    target_compile_definitions(${name} INTERFACE $<TARGET_PROPERTY:${name},COMPILE_DEFINITIONS>)
endfunction()

# velmora_framework_of_plugin(<name> <shared code target>)
# The framework of the plug-in formats: juce_add_plugin's shared code target, which
# compiles the modules with the plug-in's settings, as a target whose users see its
# headers and settings.
function(velmora_framework_of_plugin name shared_code)
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${shared_code})
    target_include_directories(${name} INTERFACE $<TARGET_PROPERTY:${shared_code},INCLUDE_DIRECTORIES>)
    target_compile_definitions(${name} INTERFACE $<TARGET_PROPERTY:${shared_code},COMPILE_DEFINITIONS>)
endfunction()

# The settings every layer library shares.
function(_velmora_layer_library name framework options)
    target_link_libraries(${name} PRIVATE ${framework})
    target_compile_options(${name} PRIVATE ${options})
    # As the shared code: a plug-in library exports its entry points and nothing else.
    set_target_properties(${name} PROPERTIES
        VELMORA_FRAMEWORK ${framework}
        POSITION_INDEPENDENT_CODE ON
        C_VISIBILITY_PRESET hidden
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON)
endfunction()

# velmora_add_processor(<name> FRAMEWORK <target> ENGINE <target> [OPTIONS <compile option>...])
# The processor library; OPTIONS go to every one of its files.
function(velmora_add_processor name)
    get_filename_component(root "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/.." ABSOLUTE)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "FRAMEWORK;ENGINE" "OPTIONS")
    velmora_processor_sources(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC "${root}/plugin")
    target_link_libraries(${name} PUBLIC ${arg_ENGINE})
    _velmora_layer_library(${name} ${arg_FRAMEWORK} "${arg_OPTIONS}")
endfunction()

# velmora_add_editor(<name> PROCESSOR <target> [OPTIONS <compile option>...])
# The editor library on a processor library, with its framework; OPTIONS go to every one
# of its files. The artwork is drawn by tools/artwork and committed as PNG, every
# picture at 1x and at 2x (name_2x.png); it is data only, one library per project.
function(velmora_add_editor name)
    get_filename_component(root "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/.." ABSOLUTE)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "PROCESSOR" "OPTIONS")
    if(NOT TARGET velmora_artwork)
        set(artwork_files)
        foreach(picture panel_background knob_large knob_small box_55 box_50 delta_off delta_on bypass_off bypass_on
                        quality_off quality_on peak_ratio_off peak_ratio_on info_off info_on led_blue led_red)
            list(APPEND artwork_files "${root}/resources/${picture}.png"
                                      "${root}/resources/${picture}_2x.png")
        endforeach()
        juce_add_binary_data(velmora_artwork
            NAMESPACE VelmoraArtwork
            HEADER_NAME VelmoraArtwork.h
            SOURCES ${artwork_files})
    endif()

    add_library(${name} STATIC
        ${root}/editor/BetterSlider.cpp
        ${root}/editor/ControlAttachment.cpp
        ${root}/editor/CorvaneAudioProcessorEditor.cpp
        ${root}/editor/InfoScreenComponent.cpp
        ${root}/editor/LEDComponent.cpp
        ${root}/editor/VelmoraPlugin.cpp
        ${root}/look/Artwork.cpp
        ${root}/look/ClassicColours.cpp
        ${root}/look/LookAndFeelCustom.cpp
        ${root}/look/LookAndFeelCustom2.cpp
        ${root}/look/ReductionMeterComponent.cpp
        ${root}/look/ReductionMeterScaleComponent.cpp
        ${root}/look/TranferFunctionComponent.cpp)
    target_include_directories(${name} PUBLIC "${root}/editor" "${root}/look")
    target_link_libraries(${name} PUBLIC ${arg_PROCESSOR} velmora_artwork)
    get_target_property(framework ${arg_PROCESSOR} VELMORA_FRAMEWORK)
    _velmora_layer_library(${name} ${framework} "${arg_OPTIONS}")
endfunction()

# velmora_link_layer(<target> <processor or editor library>)
# An executable on a layer: it links the layer (an editor library brings its processor)
# and sees the framework's headers and settings, whose modules it does not compile again.
function(velmora_link_layer target layer)
    get_target_property(framework ${layer} VELMORA_FRAMEWORK)
    target_link_libraries(${target} PRIVATE ${layer} ${framework})
endfunction()
