#pragma once

#include <juce_core/juce_core.h>

#include <optional>

/** Where the sample data of a RIFF WAV file starts, read from its chunk headers. The
    framework's reader gives the length the header declares and reads silence beyond
    the file's end; with the start, the samples actually there can be counted. */
class WavHeader
{
public:
    /** Nothing when the file is no RIFF WAV file or has no data chunk. */
    static std::optional<juce::int64> dataStart (const juce::File& file);
};
