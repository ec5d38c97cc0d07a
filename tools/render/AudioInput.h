#pragma once

#include "RenderOptions.h"

#include <juce_audio_formats/juce_audio_formats.h>

/** The file to render, opened for reading: a file, or standard input or a pipe read
    whole into memory. Every refusal is a RenderFailure that names the cause: the
    system's, the format found when it is not one that can be read, or the limit. */
class AudioInput
{
public:
    static constexpr double lowestRate = 8000.0;
    static constexpr double highestRate = 768000.0;

    AudioInput (const RenderOptions& options, juce::AudioFormatManager& formats);

    juce::AudioFormatReader& reader() noexcept { return *audio; }

    /** The path, or "standard input". */
    const juce::String& name() const noexcept { return shownName; }

    /** A short name for a title: the file's name, or "standard input". */
    juce::String shortName() const;

    /** The number of samples beyond the data a WAV file holds, which its header declares
        all the same; 0 for other files. */
    juce::int64 missingSamples() const noexcept { return missing; }

private:
    std::unique_ptr<juce::InputStream> openStream() const;
    void readWhole (int fd);
    void openAudio (juce::AudioFormatManager& formats);
    juce::String unreadableFormat() const;

    juce::File file;
    juce::String shownName;
    juce::MemoryBlock bytes;
    bool inMemory = false;
    std::unique_ptr<juce::AudioFormatReader> audio;
    juce::int64 missing = 0;
};
