#include "WavHeader.h"

std::optional<juce::int64> WavHeader::dataStart (const juce::File& file)
{
    juce::FileInputStream in (file);
    if (! in.openedOk())
        return std::nullopt;

    char riff[4], wave[4];
    in.read (riff, 4);
    in.readInt();
    in.read (wave, 4);
    if (std::memcmp (riff, "RIFF", 4) != 0 || std::memcmp (wave, "WAVE", 4) != 0)
        return std::nullopt;

    // Chunks are padded to an even length.
    while (! in.isExhausted())
    {
        char id[4];
        if (in.read (id, 4) != 4)
            break;
        const auto length = static_cast<juce::int64> (static_cast<juce::uint32> (in.readInt()));
        if (std::memcmp (id, "data", 4) == 0)
            return in.getPosition();
        in.setPosition (in.getPosition() + length + (length & 1));
    }

    return std::nullopt;
}
