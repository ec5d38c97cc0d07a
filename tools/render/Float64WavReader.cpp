#include "Float64WavReader.h"

namespace
{
    double sampleAt (const char* bytes)
    {
        const auto bits = juce::ByteOrder::littleEndianInt64 (bytes);
        double value;
        std::memcpy (&value, &bits, sizeof (value));
        return value;
    }
}

Float64WavReader::Float64WavReader (juce::InputStream* stream, const WavHeader& header)
    : juce::AudioFormatReader (stream, "WAV file"),
      dataStart (header.dataStart)
{
    sampleRate = header.sampleRate;
    numChannels = static_cast<unsigned int> (header.numChannels);
    bitsPerSample = 64;
    usesFloatingPointData = true;
    lengthInSamples = header.numChannels > 0 ? header.dataLength / (8 * header.numChannels) : 0;
}

bool Float64WavReader::takes (const WavHeader& header)
{
    return header.formatTag == WavHeader::ieeeFloat && header.bitsPerSample == 64 && header.numChannels > 0;
}

bool Float64WavReader::readSamples (int* const* destChannels, int numDestChannels, int startOffsetInDestBuffer,
                                    juce::int64 startSampleInFile, int numSamples)
{
    const int channels = static_cast<int> (numChannels);
    clearSamplesBeyondAvailableLength (destChannels, numDestChannels, startOffsetInDestBuffer, startSampleInFile,
                                       numSamples, lengthInSamples);
    if (numSamples <= 0)
        return true;

    if (numSamples > framesAllocated)
    {
        frames.realloc (static_cast<size_t> (numSamples * channels * 8));
        framesAllocated = numSamples;
    }

    const auto bytes = static_cast<size_t> (numSamples * channels * 8);
    input->setPosition (dataStart + startSampleInFile * channels * 8);
    const auto got = static_cast<size_t> (std::max<juce::int64> (0, input->read (frames.get(), bytes)));
    std::memset (frames.get() + got, 0, bytes - got);

    // usesFloatingPointData: the destination holds floats.
    for (int channel = 0; channel < numDestChannels; ++channel)
    {
        if (destChannels[channel] == nullptr)
            continue;
        auto* dest = reinterpret_cast<float*> (destChannels[channel]) + startOffsetInDestBuffer;
        for (int i = 0; i < numSamples; ++i)
            dest[i] = channel < channels ? static_cast<float> (sampleAt (frames.get() + (i * channels + channel) * 8)) : 0.0f;
    }
    return true;
}
