#pragma once

#include "CorvaneAudioProcessor.h"
#include "LevelStats.h"
#include "RenderTrace.h"

#include <juce_audio_formats/juce_audio_formats.h>

/** Streams a file through the processor as a host would play it, with the reported
    latency taken out: the input is followed by that many samples of silence and the
    first that many output samples are dropped, so output sample n lines up with input
    sample n and the output has the input's length. */
class OfflineRenderer
{
public:
    // Small blocks so that the gain, published once per block, is sampled finely.
    static constexpr int blockSize = 64;

    struct Result
    {
        LevelStats input;
        LevelStats output;
        double smallestGain = 1.0;
        // NaN and infinity in the input, rendered as 0 and left out of its levels.
        juce::int64 nonFiniteSamples = 0;
        bool written = false;
    };

    /** Prepares the processor for the reader's rate; call before rendering. */
    OfflineRenderer (CorvaneAudioProcessor& processor, double sampleRate);

    int getLatency() const noexcept { return latency; }

    Result render (juce::AudioFormatReader& reader, juce::AudioFormatWriter& writer, RenderTrace* trace);

private:
    double publishedGain() const;
    static juce::int64 zeroNonFinite (juce::AudioBuffer<float>& buffer, int numChannels, int numSamples);

    CorvaneAudioProcessor& processor;
    int latency = 0;
};
