#include "ParameterTable.h"

#include <gtest/gtest.h>

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
