#pragma once

#include "RenderOptions.h"

#include "CorvaneAudioProcessor.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <stdexcept>

/** One run of velmora-render: every failure ends in one error line on stderr and a
    non-zero exit, and output files only appear, by renaming a finished temporary file,
    once they are complete. */
class RenderCommand
{
public:
    /** A failure with the line that explains it to the user. */
    struct Failure : std::runtime_error
    {
        using std::runtime_error::runtime_error;
    };

    explicit RenderCommand (const RenderOptions& options);

    /** Returns the process exit code. */
    int run();

private:
    void render();
    void listPrograms();
    void writeDemoMaterial();

    std::unique_ptr<juce::AudioFormatReader> openInput();
    void selectProgram();
    void applySettings();
    void printParameters();
    std::unique_ptr<juce::AudioFormatWriter> createWriter (const juce::File& file, const juce::AudioFormatReader& input);
    void checkComplete (const juce::File& file, juce::int64 expectedLength);

    const RenderOptions& options;
    juce::AudioFormatManager formats;
    CorvaneAudioProcessor processor;
};
