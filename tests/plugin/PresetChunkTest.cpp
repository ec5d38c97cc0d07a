#include "FactoryPresets.h"
#include "PresetChunk.h"

#include <gtest/gtest.h>

#include <random>

namespace
{
    // The factory bank as the product defines it: slot names and the 18 values.
    struct FactoryRow
    {
        const char* name;
        float values[numNamedParameters];
    };

    const FactoryRow factoryRows[] = {
        { "Full Reset", { 0.0f, 0.5f, 0.16f, 0.5f, 0.275f, 0.4174f, 0.497f, 0.5f, 0.0f, 0.425f, 0.5f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f } },
        { "Mastering - Glue", { 0.367f, 0.667f, 0.16f, 0.5f, 0.241f, 0.408f, 0.529f, 0.584f, 0.0f, 0.425f, 0.5f, 1.0f, 0.333f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f } },
        { "Mastering - Tight", { 0.367f, 0.504f, 0.0f, 0.5f, 0.22f, 0.302f, 0.497f, 0.584f, 0.0f, 0.5f, 0.5f, 1.0f, 0.333f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f } },
        { "Mastering: Smooth", { 0.502f, 1.0f, 0.16f, 0.4f, 0.369f, 0.363f, 0.583f, 0.584f, 0.0f, 0.425f, 0.5f, 0.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f } },
        { "Mastering: Loud", { 0.377f, 0.5f, 0.16f, 0.5f, 0.200f, 0.216f, 0.461f, 0.610f, 0.0f, 0.425f, 0.5f, 0.397f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f } },
        { "Mastering: Butter", { 0.325f, 0.5f, 1.0f, 0.5f, 0.272f, 0.335f, 0.628f, 0.610f, 0.0f, 0.819f, 0.5f, 0.0f, 0.333f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f } },
        { "Mastering: Parallel", { 0.840f, 0.671f, 0.16f, 0.548f, 0.170f, 0.483f, 0.4965f, 0.408f, 1.0f, 0.425f, 0.5f, 0.5f, 0.667f, 0.0f, 0.0f, 1.0f, 0.0f, 0.5f } },
        { "Drum Bus: Crispy", { 0.438f, 0.252f, 0.0f, 0.702f, 0.182f, 0.231f, 0.444f, 0.612f, 0.0f, 0.425f, 0.5f, 0.503f, 0.333f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f } },
        { "Drum Bus: Snappy", { 0.433f, 0.5f, 0.035f, 0.703f, 0.200f, 0.418f, 0.497f, 0.610f, 0.0f, 0.425f, 0.5f, 0.497f, 0.333f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f } },
        { "Drum Bus: Squashed", { 0.417f, 0.0f, 0.0f, 1.0f, 0.0f, 0.231f, 0.0f, 0.722f, 0.0f, 0.667f, 0.5f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f } },
        { "Drum Bus: Controlled", { 0.497f, 0.5f, 0.16f, 0.6f, 0.073f, 0.363f, 0.529f, 0.667f, 0.0f, 0.425f, 0.5f, 1.0f, 0.333f, 0.0f, 0.0f, 0.0f, 0.0f, 0.25f } },
        { "Drum Bus: Pumping", { 0.560f, 0.5f, 0.16f, 0.903f, 0.057f, 0.335f, 0.000f, 0.833f, 0.0f, 0.425f, 0.5f, 0.803f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.5f } },
        { "Drum Bus: Parallel", { 0.505f, 0.000f, 0.0f, 0.505f, 0.0f, 0.283f, 0.459f, 0.388f, 1.0f, 0.267f, 0.5f, 0.803f, 0.333f, 0.0f, 0.0f, 1.0f, 0.0f, 0.5f } },
        { "Vocal Bus: Fast", { 0.493f, 0.5f, 0.09f, 0.5f, 0.0127f, 0.231f, 0.497f, 0.668f, 0.0f, 0.425f, 0.5f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.25f } },
        { "Vocal Bus: Slow", { 0.497f, 0.5f, 0.51f, 0.492f, 0.240f, 0.327f, 0.640f, 0.582f, 0.0f, 0.425f, 0.5f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f } },
    };

    juce::MemoryBlock chunkOf (const juce::String& text)
    {
        juce::MemoryBlock chunk;
        PresetChunk::wrap (text, chunk);
        return chunk;
    }

    juce::MemoryBlock rawChunk (juce::uint32 magic, juce::int32 length, const std::string& text)
    {
        juce::MemoryBlock chunk;
        juce::MemoryOutputStream out (chunk, false);
        out.writeInt (static_cast<int> (magic));
        out.writeInt (length);
        out.write (text.data(), text.size());
        return chunk;
    }

    /** A bank that differs from anything a test document holds, placeholders included. */
    ProgramRecords markedBank()
    {
        ProgramRecords bank;
        for (size_t k = 0; k < bank.size(); ++k)
        {
            bank[k].name = "mark " + juce::String (static_cast<int> (k));
            for (int i = 0; i < numParameters; ++i)
                bank[k].values[i] = 0.001f * static_cast<float> (i + 1) + static_cast<float> (k);
        }
        return bank;
    }

    bool sameBank (const ProgramRecords& a, const ProgramRecords& b)
    {
        for (size_t k = 0; k < a.size(); ++k)
        {
            if (a[k].name != b[k].name)
                return false;
            for (int i = 0; i < numParameters; ++i)
                if (std::memcmp (&a[k].values[i], &b[k].values[i], sizeof (float)) != 0)
                    return false;
        }
        return true;
    }

    struct ReadResult
    {
        ProgramRecords bank = markedBank();
        int current = 3;
    };

    ReadResult readInto (const juce::MemoryBlock& chunk)
    {
        ReadResult result;
        PresetChunk::read (chunk.getData(), static_cast<int> (chunk.getSize()), result.bank, result.current);
        return result;
    }

    ReadResult readDocument (const juce::String& text)
    {
        return readInto (chunkOf (text));
    }

    const juce::String programsOpen = "<VelmoraPreset currentprogram=\"2\" version=\"1\"><programs>";
    const juce::String programsClose = "</programs></VelmoraPreset>";
}

//==============================================================================
TEST (PresetChunkFactory, EmbeddedTextHoldsTheFactoryBank)
{
    const auto result = readDocument (factoryPresetText);

    EXPECT_EQ (result.current, 0);
    for (size_t k = 0; k < result.bank.size(); ++k)
    {
        SCOPED_TRACE (k);
        EXPECT_EQ (result.bank[k].name, factoryRows[k].name);
        for (int i = 0; i < numNamedParameters; ++i)
            EXPECT_EQ (result.bank[k].values[i], factoryRows[k].values[i]) << "index " << i;

        // Placeholder values are not part of any document.
        EXPECT_EQ (result.bank[k].values[19], markedBank()[k].values[19]);
    }
}

//==============================================================================
TEST (PresetChunkWriting, LayoutIsMagicLengthSingleLineTextAndTwoTrailingBytes)
{
    ProgramRecords bank;
    for (size_t k = 0; k < bank.size(); ++k)
    {
        bank[k].name = factoryRows[k].name;
        std::copy (std::begin (factoryRows[k].values), std::end (factoryRows[k].values), bank[k].values);
    }

    juce::MemoryBlock chunk;
    PresetChunk::write (0, bank, chunk);

    const auto* bytes = static_cast<const unsigned char*> (chunk.getData());
    ASSERT_GT (chunk.getSize(), 10u);
    EXPECT_EQ (bytes[0], 0x56);
    EXPECT_EQ (bytes[1], 0x43);
    EXPECT_EQ (bytes[2], 0x32);
    EXPECT_EQ (bytes[3], 0x21);

    const auto n = static_cast<size_t> (juce::ByteOrder::littleEndianInt (bytes + 4));
    EXPECT_EQ (chunk.getSize(), n + 10);
    EXPECT_EQ (bytes[8 + n], 0);

    const std::string text (reinterpret_cast<const char*> (bytes + 8), n);
    EXPECT_EQ (text.find ('\n'), std::string::npos);
    EXPECT_EQ (text.rfind ("<VelmoraPreset currentprogram=\"0\" version=\"1\"><programs><program programname=\"Full Reset\" "
                           "threshold=\"0\" peakcrest=\"0.5\" softknee=\"0.159999996\" ratio=\"0.5\" attack=\"0.275000006\" "
                           "releasepeak=\"0.417400002\" releaserms=\"0.497000009\" makeup=\"0.5\" drymix=\"0\" "
                           "keyhpfrequency=\"0.425000012\" outgain=\"0.5\" keystereodiff=\"1\" keyhpslope=\"0\" delta=\"0\" "
                           "bypass=\"0\" peakratio=\"1\" quality=\"0\" meterscale=\"0\"/><program programname=\"Mastering - Glue\" ", 0), 0u);
    EXPECT_EQ (text.substr (text.size() - 27), "</programs></VelmoraPreset>");

    int programCount = 0;
    for (size_t at = text.find ("<program "); at != std::string::npos; at = text.find ("<program ", at + 1))
        ++programCount;
    EXPECT_EQ (programCount, 15);
}

TEST (PresetChunkWriting, ValuesUseNineSignificantDigits)
{
    struct Case { float value; const char* expected; };
    const Case cases[] = {
        { 0.5f, "0.5" }, { 1.0f, "1" }, { 0.16f, "0.159999996" }, { 0.4174f, "0.417400002" },
        { 0.0f, "0" }, { -0.25f, "-0.25" }, { 1.0e-10f, "1.00000001e-10" }, { 3.0e30f, "2.99999989e+30" },
        { 123456789.0f, "123456792" },
    };

    for (const auto& c : cases)
        EXPECT_EQ (PresetChunk::writeValue (c.value), c.expected) << c.value;
}

TEST (PresetChunkWriting, WriteThenReadGivesBackTheSameBankFloatForFloat)
{
    std::mt19937 random (7);
    std::uniform_real_distribution<float> anyValue (-2.0f, 3.0f);

    ProgramRecords bank;
    for (size_t k = 0; k < bank.size(); ++k)
    {
        bank[k].name = juce::String::fromUTF8 (u8"n\u00e4me <&\"'> ") + juce::String (static_cast<int> (k));
        for (int i = 0; i < numNamedParameters; ++i)
            bank[k].values[i] = anyValue (random);
    }
    bank[4].values[2] = 1.0e-38f;
    bank[5].values[7] = 123456.789f;

    juce::MemoryBlock chunk;
    PresetChunk::write (11, bank, chunk);
    const auto result = readInto (chunk);

    EXPECT_EQ (result.current, 11);
    for (size_t k = 0; k < bank.size(); ++k)
    {
        EXPECT_EQ (result.bank[k].name, bank[k].name);
        for (int i = 0; i < numNamedParameters; ++i)
            EXPECT_EQ (result.bank[k].values[i], bank[k].values[i]) << k << " " << i;
    }
}

//==============================================================================
TEST (PresetChunkReading, NamesAreMatchedIgnoringCaseAndNumbersReadTheirLeadingDigits)
{
    const auto result = readDocument ("<velmorapreset CurrentProgram=\"7th\"><PROGRAMS>"
                                      "<Program PROGRAMNAME=\"Loud\" Threshold=\"0.25f\" RATIO=\" 0.75xyz\" attack=\"abc\"/>"
                                      "</PROGRAMS></velmorapreset>");

    EXPECT_EQ (result.current, 7);
    EXPECT_EQ (result.bank[0].name, "Loud");
    EXPECT_EQ (result.bank[0].values[thresholdIndex], 0.25f);
    EXPECT_EQ (result.bank[0].values[ratioIndex], 0.75f);
    EXPECT_EQ (result.bank[0].values[attackIndex], 0.0f);
}

TEST (PresetChunkReading, MissingAttributesGiveNotSavedAndZeros)
{
    const auto result = readDocument (programsOpen + "<program/><program programname=\"Only\"/>" + programsClose);

    EXPECT_EQ (result.bank[0].name, "Not Saved");
    EXPECT_EQ (result.bank[1].name, "Only");
    for (int i = 0; i < numNamedParameters; ++i)
    {
        EXPECT_EQ (result.bank[0].values[i], 0.0f);
        EXPECT_EQ (result.bank[1].values[i], 0.0f);
    }
    EXPECT_EQ (result.bank[1].values[numNamedParameters], markedBank()[1].values[numNamedParameters]);
}

TEST (PresetChunkReading, ProgramsFillSlotsInOrderSkippingOtherElementsAndStoppingAtFifteen)
{
    juce::String body;
    body << "<note programname=\"not a program\"/>";
    for (int k = 0; k < 17; ++k)
        body << "<program programname=\"p" << k << "\" threshold=\"0." << k << "\"/>" << (k == 3 ? "<other/>" : "");

    const auto result = readDocument (programsOpen + body + programsClose);

    for (int k = 0; k < 15; ++k)
        EXPECT_EQ (result.bank[static_cast<size_t> (k)].name, "p" + juce::String (k));
    EXPECT_EQ (result.current, 2);
}

TEST (PresetChunkReading, FewerProgramsLeaveTheRemainingSlotsAsTheyWere)
{
    const auto result = readDocument (programsOpen + "<program programname=\"a\"/><program programname=\"b\"/>" + programsClose);
    const auto before = markedBank();

    EXPECT_EQ (result.bank[1].name, "b");
    for (size_t k = 2; k < before.size(); ++k)
    {
        EXPECT_EQ (result.bank[k].name, before[k].name);
        EXPECT_EQ (std::memcmp (result.bank[k].values, before[k].values, sizeof (before[k].values)), 0);
    }
}

TEST (PresetChunkReading, ProgramIndexIsTakenEvenWithoutPrograms)
{
    EXPECT_EQ (readDocument ("<VelmoraPreset currentprogram=\"9\"/>").current, 9);
    EXPECT_TRUE (sameBank (readDocument ("<VelmoraPreset currentprogram=\"9\"/>").bank, markedBank()));

    const auto notFirst = readDocument ("<VelmoraPreset currentprogram=\"5\"><x/><programs><program programname=\"z\"/></programs></VelmoraPreset>");
    EXPECT_EQ (notFirst.current, 5);
    EXPECT_TRUE (sameBank (notFirst.bank, markedBank()));

    EXPECT_EQ (readDocument ("<VelmoraPreset version=\"1\"/>").current, 0);
}

TEST (PresetChunkReading, ProgramIndexOutsideTheBankKeepsThePreviousOne)
{
    for (const char* index : { "15", "-1", "99999999999999999999", "-2147483648", "2147483648" })
    {
        const auto result = readDocument (juce::String ("<VelmoraPreset currentprogram=\"") + index + "\">"
                                          "<programs><program programname=\"kept\"/></programs></VelmoraPreset>");
        EXPECT_EQ (result.current, 3) << index;
        EXPECT_EQ (result.bank[0].name, "kept");
    }
}

TEST (PresetChunkReading, AnotherRootLoadsNothing)
{
    const auto result = readDocument ("<OtherPreset currentprogram=\"1\"><programs><program programname=\"x\"/></programs></OtherPreset>");

    EXPECT_EQ (result.current, 3);
    EXPECT_TRUE (sameBank (result.bank, markedBank()));
}

TEST (PresetChunkReading, ChunksWithAnXmlDeclarationAreRead)
{
    // The framework's own writer puts a declaration and blank lines before the root.
    const std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n\n"
                             "<VelmoraPreset currentprogram=\"4\" version=\"1\"><programs><program programname=\"decl\"/></programs></VelmoraPreset>";
    auto chunk = rawChunk (0x21324356, static_cast<juce::int32> (text.size() + 1), text);
    chunk.append ("", 1);

    const auto result = readInto (chunk);
    EXPECT_EQ (result.current, 4);
    EXPECT_EQ (result.bank[0].name, "decl");
}

TEST (PresetChunkReading, LengthBeyondTheChunkReadsToItsEnd)
{
    const std::string text = "<VelmoraPreset currentprogram=\"6\"/>";
    const auto result = readInto (rawChunk (0x21324356, 1 << 30, text));
    EXPECT_EQ (result.current, 6);
}

//==============================================================================
TEST (PresetChunkBadInput, UnusableChunksChangeNothing)
{
    const std::string valid = "<VelmoraPreset currentprogram=\"1\"><programs><program programname=\"x\"/></programs></VelmoraPreset>";
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";

    const std::vector<juce::MemoryBlock> chunks = {
        juce::MemoryBlock(),
        juce::MemoryBlock ("\x56\x43\x32\x21", 4),
        rawChunk (0x21324356, 0, ""),
        rawChunk (0x21324357, static_cast<juce::int32> (valid.size()), valid),
        rawChunk (0x21324356, 0, valid),
        rawChunk (0x21324356, -5, valid),
        rawChunk (0x21324356, std::numeric_limits<juce::int32>::min(), valid),
        rawChunk (0x21324356, 20, valid),                                   // cut inside the root tag
        rawChunk (0x21324356, 40, "<VelmoraPreset currentprogram=\"1\">\xff\xfe</VelmoraPreset>"),
        rawChunk (0x21324356, 40, "<VelmoraPreset programname=\"\xc3\""),   // ends inside a character
        rawChunk (0x21324356, 40, "<VelmoraPreset currentprogram=\"1\"><programs>"),
        rawChunk (0x21324356, 1 << 30, "<VelmoraPreset currentprogram=\"1\">" + deep),
        rawChunk (0x21324356, 1 << 30, "<!DOCTYPE VelmoraPreset [<!ENTITY x \"&x;\">]><VelmoraPreset currentprogram=\"1\"><programs><program programname=\"&x;\"/></programs></VelmoraPreset>"),
        rawChunk (0x21324356, 1 << 30, "just text"),
    };

    for (size_t i = 0; i < chunks.size(); ++i)
    {
        SCOPED_TRACE (i);
        const auto result = readInto (chunks[i]);
        EXPECT_EQ (result.current, 3);
        EXPECT_TRUE (sameBank (result.bank, markedBank()));
    }

    ProgramRecords bank = markedBank();
    int current = 3;
    PresetChunk::read (nullptr, 100, bank, current);
    EXPECT_EQ (current, 3);
}

TEST (PresetChunkBadInput, MutatedChunksNeverLeaveTheBankOrIndexInvalid)
{
    juce::MemoryBlock valid;
    PresetChunk::write (5, markedBank(), valid);

    std::mt19937 random (1234);
    for (int round = 0; round < 3000; ++round)
    {
        juce::MemoryBlock chunk (valid);
        auto* bytes = static_cast<unsigned char*> (chunk.getData());
        const int edits = 1 + static_cast<int> (random() % 8);
        for (int e = 0; e < edits; ++e)
            bytes[random() % chunk.getSize()] = static_cast<unsigned char> (random());

        const auto size = static_cast<int> (random() % (chunk.getSize() + 1));
        ProgramRecords bank = markedBank();
        int current = 3;
        PresetChunk::read (chunk.getData(), size, bank, current);

        ASSERT_GE (current, 0);
        ASSERT_LT (current, PresetChunk::numPrograms);
    }
}
