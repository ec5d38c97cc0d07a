#include "OfflineRenderer.h"

#include "Interruption.h"
#include "ProgressBar.h"

#include <cmath>

OfflineRenderer::OfflineRenderer (CorvaneAudioProcessor& processorToUse, double sampleRate)
    : processor (processorToUse)
{
    processor.setNonRealtime (true);
    processor.setRateAndBufferSizeDetails (sampleRate, blockSize);
    processor.prepareToPlay (sampleRate, blockSize);
    latency = processor.getLatencySamples();
}

double OfflineRenderer::publishedGain() const
{
    return static_cast<double> (processor.getCurrentGain());
}

juce::int64 OfflineRenderer::zeroNonFinite (juce::AudioBuffer<float>& buffer, int numChannels, int numSamples)
{
    juce::int64 count = 0;
    for (int channel = 0; channel < numChannels; ++channel)
    {
        auto* samples = buffer.getWritePointer (channel);
        for (int i = 0; i < numSamples; ++i)
        {
            if (! std::isfinite (samples[i]))
            {
                samples[i] = 0.0f;
                ++count;
            }
        }
    }
    return count;
}

OfflineRenderer::Result OfflineRenderer::render (juce::AudioFormatReader& reader, juce::AudioFormatWriter& writer, RenderTrace* trace)
{
    const auto length = reader.lengthInSamples;
    const auto total = length + latency;
    const int fileChannels = static_cast<int> (reader.numChannels);

    juce::AudioBuffer<float> buffer (2, blockSize);
    juce::MidiBuffer midi;
    ProgressBar progress (total);
    Result result;
    result.written = true;

    // An interruption stops between blocks; the caller discards the unfinished output.
    for (juce::int64 position = 0; position < total && result.written && Interruption::caught() == 0; position += blockSize)
    {
        const int numSamples = static_cast<int> (std::min<juce::int64> (blockSize, total - position));
        const int numRead = static_cast<int> (juce::jlimit<juce::int64> (0, numSamples, length - position));

        buffer.clear();
        if (numRead > 0)
            reader.read (&buffer, 0, numRead, position, true, true);
        result.nonFiniteSamples += zeroNonFinite (buffer, fileChannels, numRead);
        if (fileChannels == 1)
            buffer.copyFrom (1, 0, buffer, 0, 0, numRead);

        result.input.add (buffer, fileChannels, 0, numRead);
        if (trace != nullptr)
            trace->addInput (buffer, fileChannels, 0, numRead, position);

        juce::AudioBuffer<float> block (buffer.getArrayOfWritePointers(), 2, numSamples);
        processor.processBlock (block, midi);

        // The gain published after a block belongs to the block's last output sample.
        const double gain = publishedGain();
        result.smallestGain = std::min (result.smallestGain, gain);
        if (trace != nullptr)
            trace->addGain (position + numSamples - 1 - latency, gain);

        const int skip = static_cast<int> (juce::jlimit<juce::int64> (0, numSamples, latency - position));
        const auto outputPosition = position + skip - latency;
        result.output.add (buffer, fileChannels, skip, numSamples - skip);
        if (trace != nullptr)
            trace->addOutput (buffer, fileChannels, skip, numSamples - skip, outputPosition);

        if (numSamples > skip)
            result.written = writer.writeFromAudioSampleBuffer (buffer, skip, numSamples - skip);

        progress.update (position + numSamples);
    }

    return result;
}
