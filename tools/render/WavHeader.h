#pragma once

#include <juce_core/juce_core.h>

#include <optional>

/** The format and the place of the sample data of a RIFF or RF64 WAV file, read from its
    chunk headers. The framework's reader gives the length the header declares and reads
    silence beyond the file's end; with the start, the samples actually there can be
    counted. It also names the encodings the framework's reader does not take. */
struct WavHeader
{
    int formatTag = 0; // of the extensible format's subformat, where it has one
    int numChannels = 0;
    double sampleRate = 0.0;
    int bitsPerSample = 0;
    juce::int64 dataStart = 0;
    juce::int64 dataLength = 0;

    static constexpr int pcm = 1;
    static constexpr int ieeeFloat = 3;

    /** Nothing when the stream holds no RIFF or RF64 WAV file with a format and a data
        chunk. The stream is left at an unspecified place. */
    static std::optional<WavHeader> read (juce::InputStream& in);

    /** Gives a float WAV file written by the framework the 18-byte format chunk and the
        fact chunk that readers expect of it, in the room of the padding chunk the
        framework leaves ahead of the format; false when the file is not laid out so. */
    static bool completeFloatFormat (const juce::File& file, juce::int64 numFrames);

    /** What a format tag the framework does not read is called, or an empty text. */
    static juce::String encodingName (int formatTag);
};
