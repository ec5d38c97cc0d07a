#pragma once

#include "WavHeader.h"

#include <juce_audio_formats/juce_audio_formats.h>

/** 64-bit float WAV (RIFF or RF64), which the framework's WAV reader refuses. Samples are
    handed on as 32-bit float, the precision the processor works at. */
class Float64WavReader : public juce::AudioFormatReader
{
public:
    /** Takes the stream; the header must describe 64-bit float data in it. */
    Float64WavReader (juce::InputStream* stream, const WavHeader& header);

    static bool takes (const WavHeader& header);

    bool readSamples (int* const* destChannels, int numDestChannels, int startOffsetInDestBuffer,
                      juce::int64 startSampleInFile, int numSamples) override;

private:
    juce::int64 dataStart;
    juce::HeapBlock<char> frames;
    int framesAllocated = 0;
};
