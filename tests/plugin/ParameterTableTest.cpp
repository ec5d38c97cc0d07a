#include "CompressorEngine.h"
#include "ParameterTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
    struct TextCase
    {
        int index;
        float value;
        const char* expected;
    };

    // Display texts as the host shows them; each line names a rounding or range rule.
    const TextCase textCases[] = {
        { thresholdIndex, 0.0f, "0.0 dB" },
        { thresholdIndex, 1.0f, "-60.0 dB" },
        { thresholdIndex, 0.0005f, "-0.0 dB" },
        { thresholdIndex, 1.5f, "-90.0 dB" },
        { peakCrestIndex, 0.5f, "6.0 dB" },
        { softKneeIndex, 0.16f, "3.2 dB" },
        { ratioIndex, 0.125f, "1.3:1" },
        { ratioIndex, 0.5f, "2.0:1" },
        { ratioIndex, 1.0f, "7.0:1" },
        { attackIndex, 0.0f, "0.01 ms" },
        { attackIndex, 0.125f, "0.99 ms" },
        { attackIndex, 0.271f, "10.0 ms" },
        { attackIndex, 0.275f, "10 ms" },
        { attackIndex, 1.0f, "500 ms" },
        { releasePeakIndex, 0.0f, "5.0 ms" },
        { releasePeakIndex, 0.4174f, "150 ms" },
        { releasePeakIndex, 0.7942f, "1004 ms" },
        { releasePeakIndex, 0.7943f, "1.0 s" },
        { releasePeakIndex, 1.0f, "2.0 s" },
        { releaseRmsIndex, 0.497f, "250 ms" },
        { makeupIndex, 0.0f, "-60.00 dB" },
        { makeupIndex, 0.25f, "-15.00 dB" },
        { makeupIndex, 0.5f, "0.0 dB" },
        { makeupIndex, 1.0f, "18.0 dB" },
        { dryMixIndex, 0.0f, "Off" },
        { dryMixIndex, -0.5f, "Off" },
        { dryMixIndex, 0.001f, "-59.9 dB" },
        { dryMixIndex, 1.0f, "0.0 dB" },
        { keyHpFrequencyIndex, 0.0f, "30 Hz" },
        { keyHpFrequencyIndex, 0.425f, "90 Hz" },
        { keyHpFrequencyIndex, 0.5f, "110 Hz" },
        { keyHpFrequencyIndex, 1.0f, "400 Hz" },
        { keyHpFrequencyIndex, 2.0f, "400 Hz" },
        { outGainIndex, 0.5f, "0.0 dB" },
        { outGainIndex, 0.0f, "-12.0 dB" },
        { keyStereoDiffIndex, 1.0f, "100.0 %" },
        { keyHpSlopeIndex, 0.0f, "off" },
        { keyHpSlopeIndex, 0.1f, "3 dB/oct" },
        { keyHpSlopeIndex, 0.2f, "6 dB/oct" },
        { keyHpSlopeIndex, 0.3f, "12 dB/oct" },
        { keyHpSlopeIndex, 0.333f, "0.33" },
        { keyHpSlopeIndex, 0.15f, "0.15" },
        { deltaIndex, 0.5f, "off" },
        { deltaIndex, 0.5001f, "on" },
        { bypassIndex, 1.0f, "on" },
        { peakRatioIndex, 0.5f, "Limiter" },
        { peakRatioIndex, 0.0f, "Compressor" },
        { qualityIndex, 0.5f, "Eco" },
        { qualityIndex, 0.0f, "Precise" },
        { meterScaleIndex, 0.0f, "6 dB" },
        { meterScaleIndex, 0.25f, "12 dB" },
        { meterScaleIndex, 0.5f, "24 dB" },
        { meterScaleIndex, 0.75f, "48 dB" },
        { 18, 0.7f, "0.70" },
        { 20, 0.0f, "0.00" },
        { -1, 0.5f, "0.50" },
        { 21, 0.125f, "0.13" },
    };
}

TEST (ParameterTable, DisplayTextsFollowEachParametersScaleAndRounding)
{
    for (const auto& c : textCases)
    {
        SCOPED_TRACE (testing::Message() << "index " << c.index << " value " << c.value);
        EXPECT_EQ (parameterText (c.index, c.value), c.expected);
    }
}

TEST (ParameterTable, NamesAndStateKeysAreTheHostsVocabulary)
{
    const char* names[] = { "Threshold", "Peak Crest", "Soft Knee", "Ratio", "Attack", "Release Peak",
                            "Release RMS", "Makeup", "Dry Mix", "Key HP Frequency", "Out Gain",
                            "Key Stereo Diff", "Key HP Slope", "Delta", "Bypass", "Peak Ratio",
                            "Quality", "Meter Scale" };

    for (int i = 0; i < numNamedParameters; ++i)
    {
        SCOPED_TRACE (i);
        EXPECT_STREQ (parameterTable[i].name, names[i]);
        // Keys are the names in lower case without spaces.
        EXPECT_EQ (juce::String (parameterTable[i].stateKey),
                   juce::String (names[i]).toLowerCase().removeCharacters (" "));
    }
}

TEST (ParameterTable, TextFunctionsAgreeWithTheHostTextForTheSameValue)
{
    // The editor calls the functions directly with the slider's double value.
    for (int i = 0; i < numNamedParameters; ++i)
    {
        juce::String text;
        parameterTable[i].toText (static_cast<double> (0.3f), text);
        EXPECT_EQ (text, parameterText (i, 0.3f)) << "index " << i;
    }
}

//==============================================================================
TEST (ParameterTable, EachParameterMovesTheEngineOnItsOwnScale)
{
    CompressorEngine e;
    const auto apply = [&e] (int index, float value) { parameterTable[index].toEngine (e, value); };

    apply (thresholdIndex, 0.5f);
    apply (softKneeIndex, 0.25f);
    EXPECT_DOUBLE_EQ (e.getSettings().thresholdDb, -30.0);
    EXPECT_DOUBLE_EQ (e.getSettings().kneeDb, 5.0);
    EXPECT_DOUBLE_EQ (e.getParams().curve.rmsOffsetDb, 30.0);

    apply (peakCrestIndex, 0.25f);
    EXPECT_DOUBLE_EQ (e.getSettings().crestDb, 3.0);

    apply (ratioIndex, 0.75f);
    EXPECT_DOUBLE_EQ (e.getSettings().ratioSlope, 0.25);
    EXPECT_DOUBLE_EQ (e.getParams().curve.rmsSlopeMinusOne, -0.75);

    apply (attackIndex, 0.5f);
    EXPECT_DOUBLE_EQ (e.getSettings().attackMs, 62.50875);
    apply (releasePeakIndex, 0.5f);
    EXPECT_DOUBLE_EQ (e.getSettings().releasePeakMs, 254.375);
    apply (releaseRmsIndex, 1.0f);
    EXPECT_DOUBLE_EQ (e.getSettings().releaseRmsMs, 2000.0);

    apply (makeupIndex, 0.5f);
    EXPECT_EQ (e.getSettings().makeupGain, 1.0);
    apply (makeupIndex, 0.0f);
    EXPECT_NEAR (20.0 * std::log10 (e.getSettings().makeupGain), -60.0, 1e-9);
    apply (makeupIndex, 1.0f);
    EXPECT_NEAR (20.0 * std::log10 (e.getSettings().makeupGain), 18.0, 1e-9);

    apply (dryMixIndex, 0.0f);
    EXPECT_EQ (e.getSettings().dryGain, 0.0);
    apply (dryMixIndex, 0.5f);
    EXPECT_NEAR (20.0 * std::log10 (e.getSettings().dryGain), -30.0, 1e-5);
    apply (dryMixIndex, 1.0f);
    EXPECT_EQ (e.getSettings().dryGain, 1.0);

    apply (keyHpFrequencyIndex, 1.0f);
    EXPECT_EQ (e.getSettings().keyHpHz, 400.0);
    apply (keyHpFrequencyIndex, 0.0f);
    EXPECT_NEAR (e.getSettings().keyHpHz, 30.00008, 1e-4);

    apply (outGainIndex, 1.0f);
    EXPECT_NEAR (20.0 * std::log10 (e.getSettings().outputGain), 12.0, 1e-9);

    apply (keyStereoDiffIndex, 0.25f);
    EXPECT_EQ (e.getSettings().stereoDiff, 0.25);

    apply (keyHpSlopeIndex, 0.2f);
    EXPECT_EQ (e.getSettings().keySlope, 2);

    apply (peakRatioIndex, 0.5f);
    EXPECT_TRUE (e.getSettings().peakFollowsRatio);
    apply (peakRatioIndex, 0.49f);
    EXPECT_FALSE (e.getSettings().peakFollowsRatio);
    EXPECT_EQ (e.getParams().curve.peakSlopeMinusOne, -1.0);

    apply (qualityIndex, 0.5f);
    EXPECT_TRUE (e.getSettings().precise);
    apply (qualityIndex, 0.51f);
    EXPECT_FALSE (e.getSettings().precise);

    apply (deltaIndex, 0.5f);
    EXPECT_FALSE (e.getSettings().delta);
    apply (bypassIndex, 0.51f);
    EXPECT_TRUE (e.getSettings().bypass);

    EXPECT_EQ (parameterTable[meterScaleIndex].toEngine, nullptr);
}

TEST (ParameterTable, TypedTextsGiveTheValueTheyName)
{
    const struct
    {
        int index;
        const char* text;
        double expected;
    } cases[] = {
        { thresholdIndex, "-24 dB", 0.4 },
        { thresholdIndex, "-24dB", 0.4 },
        { thresholdIndex, "  -24 ", 0.4 },
        { thresholdIndex, "-90 dB", 1.5 },
        { ratioIndex, "4.0:1", 0.7 },
        { ratioIndex, "4:1", 0.7 },
        { ratioIndex, "1.5", 0.25 },
        { makeupIndex, "-15 dB", 0.25 },
        { makeupIndex, "+9 dB", 0.75 },
        { dryMixIndex, "Off", 0.0 },
        { dryMixIndex, "-30 dB", 0.5 },
        { releasePeakIndex, "2.0 s", 1.0 },
        { releasePeakIndex, "5 ms", 0.0 },
        { keyHpFrequencyIndex, "30 Hz", 0.0 },
        { keyHpFrequencyIndex, "0.4 kHz", 1.0 - 1e-6 },
        { keyStereoDiffIndex, "50 %", 0.5 },
        { keyHpSlopeIndex, "6 dB/oct", static_cast<double> (0.2f) },
        { keyHpSlopeIndex, "12dB/Oct", static_cast<double> (0.3f) },
        { deltaIndex, "ON", 1.0 },
        { qualityIndex, "Eco", 1.0 },
        { peakRatioIndex, "compressor", 0.0 },
        { meterScaleIndex, "24 dB", 0.5 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << parameterTable[c.index].name << " '" << c.text << "'");
        const auto value = valueForText (c.index, c.text);
        ASSERT_TRUE (value.has_value());
        EXPECT_NEAR (*value, c.expected, 1e-9);
    }
}

TEST (ParameterTable, TextsThatNameNoValueAreRefused)
{
    const struct
    {
        int index;
        const char* text;
    } cases[] = {
        { thresholdIndex, "" }, { thresholdIndex, "dB" }, { thresholdIndex, "-24 ms" }, { thresholdIndex, "loud" },
        { ratioIndex, "4:2" }, { attackIndex, "10 parsecs" }, { qualityIndex, "Fast" }, { deltaIndex, "maybe" },
        { keyHpSlopeIndex, "24 dB/oct" }, { meterScaleIndex, "96 dB" }, { 18, "0.5" }, { -1, "1" },
    };

    for (const auto& c : cases)
        EXPECT_FALSE (valueForText (c.index, c.text).has_value()) << c.index << " '" << c.text << "'";
}

namespace
{
    /** Half a unit of the last digit a text shows, in the parameter's own unit. */
    double halfLastDigit (const juce::String& shown)
    {
        const auto number = shown.upToFirstOccurrenceOf (" ", false, false).upToFirstOccurrenceOf (":", false, false);
        const int decimals = number.containsChar ('.') ? number.fromFirstOccurrenceOf (".", false, false).length() : 0;
        return 0.5 * std::pow (10.0, -decimals) * (shown.endsWith (" s") ? 1000.0 : 1.0);
    }
}

TEST (ParameterTable, EveryShownTextReadsBackAsTheValueItShows)
{
    // Typing what a host shows must land where it was, to the digits shown.
    for (int index = 0; index < numNamedParameters; ++index)
    {
        const auto& info = parameterTable[index];

        for (int step = 0; step <= 40; ++step)
        {
            const auto value = static_cast<float> (step) / 40.0f;
            const auto shown = parameterText (index, value);
            SCOPED_TRACE (testing::Message() << info.name << " " << value << " '" << shown << "'");
            const auto read = valueForText (index, shown);

            if (info.kind == ParameterKind::continuous)
            {
                ASSERT_TRUE (read.has_value());
                const auto natural = info.natural.fromNormalized;
                EXPECT_NEAR (natural (*read), natural (value), halfLastDigit (shown) + 1e-9);
            }
            else if (info.kind == ParameterKind::slopeSelector && ! shown.containsChar ('/') && shown != "off")
            {
                EXPECT_FALSE (read.has_value()) << "a bare number is not one of the slopes";
            }
            else
            {
                ASSERT_TRUE (read.has_value());
                EXPECT_EQ (parameterText (index, static_cast<float> (*read)), shown);
            }
        }
    }
}

TEST (ParameterTable, SlopeSplitsAtTheFloatTenths)
{
    const struct { float value; int slope; } cases[] = {
        { 0.0f, 0 }, { 0.05f, 0 }, { 0.099999994f, 0 }, { 0.1f, 1 }, { 0.15f, 1 },
        { 0.19999999f, 1 }, { 0.2f, 2 }, { 0.25f, 2 }, { 0.29999998f, 2 }, { 0.3f, 3 }, { 1.0f, 3 },
        { std::numeric_limits<float>::quiet_NaN(), 3 },
    };

    for (const auto& c : cases)
        EXPECT_EQ (choiceIndex (keyHpSlopeIndex, c.value), c.slope) << "value " << c.value;
}

TEST (ParameterTable, ListedSettingsAreTheirDisplayTexts)
{
    for (int index = 0; index < numNamedParameters; ++index)
    {
        const auto& info = parameterTable[index];
        SCOPED_TRACE (info.name);
        EXPECT_EQ (info.numChoices > 0, info.kind != ParameterKind::continuous);

        for (int i = 0; i < info.numChoices; ++i)
        {
            EXPECT_EQ (parameterText (index, info.choices[i].value), info.choices[i].text);
            EXPECT_EQ (choiceIndex (index, info.choices[i].value), i);
        }

        // A list host shows the setting the text names, at the split points and for
        // values no host should send. The slope's list follows the engine instead.
        if (info.kind == ParameterKind::slopeSelector)
            continue;

        for (auto value : { 0.25f, 0.5f, 0.75f, -1.0f, 2.0f, std::numeric_limits<float>::quiet_NaN() })
            if (info.numChoices > 0)
                EXPECT_EQ (parameterText (index, value), info.choices[choiceIndex (index, value)].text) << value;
    }
}
