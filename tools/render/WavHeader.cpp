#include "WavHeader.h"

namespace
{
    bool is (const char* id, const char* name)
    {
        return std::memcmp (id, name, 4) == 0;
    }

    void readFormat (juce::InputStream& in, juce::int64 length, WavHeader& header)
    {
        header.formatTag = static_cast<juce::uint16> (in.readShort());
        header.numChannels = in.readShort();
        header.sampleRate = static_cast<juce::uint32> (in.readInt());
        in.skipNextBytes (6);
        header.bitsPerSample = in.readShort();

        // WAVE_FORMAT_EXTENSIBLE: the real tag opens the subformat's GUID.
        if (header.formatTag == 0xfffe && length >= 40)
        {
            in.skipNextBytes (8);
            header.formatTag = static_cast<juce::uint16> (in.readShort());
        }
    }
}

std::optional<WavHeader> WavHeader::read (juce::InputStream& in)
{
    char riff[4], wave[4];
    if (in.read (riff, 4) != 4)
        return std::nullopt;
    in.readInt();
    if (in.read (wave, 4) != 4 || ! (is (riff, "RIFF") || is (riff, "RF64")) || ! is (wave, "WAVE"))
        return std::nullopt;

    WavHeader header;
    juce::int64 rf64DataLength = -1;
    bool formatSeen = false;

    // Chunks are padded to an even length.
    while (! in.isExhausted())
    {
        char id[4];
        if (in.read (id, 4) != 4)
            break;
        const auto length = static_cast<juce::int64> (static_cast<juce::uint32> (in.readInt()));
        const auto next = in.getPosition() + length + (length & 1);

        if (is (id, "ds64"))
        {
            in.readInt64();
            rf64DataLength = in.readInt64();
        }
        else if (is (id, "fmt "))
        {
            readFormat (in, length, header);
            formatSeen = true;
        }
        else if (is (id, "data"))
        {
            header.dataStart = in.getPosition();
            header.dataLength = is (riff, "RF64") && rf64DataLength >= 0 ? rf64DataLength : length;
            return formatSeen ? std::optional<WavHeader> (header) : std::nullopt;
        }

        if (! in.setPosition (next))
            break;
    }

    return std::nullopt;
}

juce::String WavHeader::encodingName (int formatTag)
{
    switch (formatTag)
    {
        case 2:      return "Microsoft ADPCM";
        case 6:      return "A-law";
        case 7:      return "mu-law";
        case 0x11:   return "IMA ADPCM";
        case 0x31:   return "GSM 6.10";
        case 0x50:   return "MPEG";
        case 0x55:   return "MPEG layer 3";
        default:     return {};
    }
}

bool WavHeader::completeFloatFormat (const juce::File& file, juce::int64 numFrames)
{
    // RIFF, WAVE, JUNK of 52 bytes, fmt of 16: 84 bytes from offset 12, rewritten as
    // JUNK of 38, fmt of 18 and fact of 4, so nothing after them moves.
    constexpr int start = 12;
    constexpr int length = 84;
    juce::uint8 bytes[start + length];
    {
        juce::FileInputStream in (file);
        if (! in.openedOk() || in.read (bytes, sizeof (bytes)) != static_cast<int> (sizeof (bytes)))
            return false;
    }
    const auto chunk = [&bytes] (int at, const char* id, juce::uint32 size)
    { return std::memcmp (bytes + at, id, 4) == 0 && juce::ByteOrder::littleEndianInt (bytes + at + 4) == size; };
    if (! chunk (start, "JUNK", 52) || ! chunk (start + 60, "fmt ", 16) || juce::ByteOrder::littleEndianShort (bytes + start + 68) != ieeeFloat)
        return false;

    juce::MemoryOutputStream out;
    out.write ("JUNK", 4);
    out.writeInt (38);
    out.writeRepeatedByte (0, 38);
    out.write ("fmt ", 4);
    out.writeInt (18);
    out.write (bytes + start + 68, 16);
    out.writeShort (0);
    out.write ("fact", 4);
    out.writeInt (4);
    out.writeInt (static_cast<int> (numFrames));

    juce::FileOutputStream patch (file);
    return patch.openedOk() && patch.setPosition (start) && patch.write (out.getData(), out.getDataSize()) && (patch.flush(), patch.getStatus().wasOk());
}
