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
    /** Exit statuses besides 0; an interruption by signal s exits with 128 + s. */
    static constexpr int cannotReadOrWrite = 1;
    static constexpr int usageError = 2;

    /** A failure with the line that explains it to the user. */
    struct Failure : std::runtime_error
    {
        explicit Failure (const juce::String& line, int exitStatus = cannotReadOrWrite)
            : std::runtime_error (line.toStdString()), status (exitStatus)
        {
        }

        int status;
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
    void checkOutputs() const;
    void trimToData (juce::AudioFormatReader& reader) const;
    static void stopIfInterrupted (const juce::File& unwritten);
    void applySettings();
    void printParameters();
    void printKeys();
    std::unique_ptr<juce::AudioFormatWriter> createWriter (const juce::File& file, const juce::AudioFormatReader& input);
    void checkComplete (const juce::File& file, juce::int64 expectedLength);

    const RenderOptions& options;
    juce::AudioFormatManager formats;
    CorvaneAudioProcessor processor;
};
