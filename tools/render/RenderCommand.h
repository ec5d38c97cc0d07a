#pragma once

#include "AudioInput.h"
#include "OutputTarget.h"
#include "RenderFailure.h"
#include "RenderOptions.h"

#include "CorvaneAudioProcessor.h"
#include "OfflineRenderer.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <cstdio>

/** One run of velmora-render: every failure ends in one error line on stderr and a
    non-zero exit, and output files only appear, by renaming a finished temporary file,
    once they are complete. */
class RenderCommand
{
public:
    static constexpr int cannotReadOrWrite = RenderFailure::cannotReadOrWrite;
    static constexpr int usageError = RenderFailure::usageError;
    using Failure = RenderFailure;

    explicit RenderCommand (const RenderOptions& options);

    /** Returns the process exit code. */
    int run();

private:
    void render();
    void listPrograms();
    void writeDemoMaterial();

    void selectProgram();
    void checkOutputs() const;
    static void trimToData (AudioInput& input);
    void stopIfInterrupted (const juce::String& unwritten) const;
    void applySettings();
    void printParameters();
    void printKeys();
    void printSummary (AudioInput& input, const OfflineRenderer& renderer, const OfflineRenderer::Result& result);
    void writePicture (AudioInput& input, const RenderTrace& trace);
    std::unique_ptr<juce::AudioFormatWriter> createWriter (const juce::File& temporary, int& firstError, double sampleRate,
                                                           unsigned int numChannels) const;
    std::unique_ptr<juce::TemporaryFile> temporaryFile() const;
    void finish (const juce::TemporaryFile& temporary, int writeError, juce::int64 expectedLength);
    juce::String outputName() const;
    void print (const juce::String& line) const;

    const RenderOptions& options;
    OutputTarget output;
    // The report goes to standard error when the audio takes standard output.
    std::FILE* report;
    juce::AudioFormatManager formats;
    CorvaneAudioProcessor processor;
};
