#pragma once

#include <juce_core/juce_core.h>

#include <vector>

/** What one run of velmora-render was asked to do, read from its command line. */
struct RenderOptions
{
    enum class Mode
    {
        render,
        listPrograms,
        demoMaterial,
        help,
        version
    };

    struct Setting
    {
        int index;
        float value;
    };

    Mode mode = Mode::render;
    // "-" names standard input or output; the files are then left empty.
    bool standardInput = false;
    bool standardOutput = false;
    juce::File input;
    juce::File output;
    juce::File picture;
    juce::String program;
    std::vector<Setting> settings;
    bool floatOutput = false;
    bool flacToStandardOutput = false;
    // Lines for the user that do not stop the run, such as a key given twice.
    juce::StringArray warnings;

    bool writesFlac() const { return standardOutput ? flacToStandardOutput : output.hasFileExtension (".flac"); }

    /** Fills the options from the arguments (without the program name); returns the
        error text, or an empty text when the command line is usable. */
    static juce::String parse (const juce::StringArray& arguments, RenderOptions& options);

    static juce::String usage();
};
