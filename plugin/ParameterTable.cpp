#include "ParameterTable.h"

#include "CompressorEngine.h"
#include "Conversions.h"
#include "KeyFilter.h"
#include "NumberText.h"

#include <algorithm>
#include <cmath>

namespace
{
// The level controls act up to twice their knob's range; further out a stray host value
// would only overflow the output.
constexpr double levelValueLimit = 2.0;

double cube (double x) noexcept
{
    return x * x * x;
}

//==============================================================================
// Engine mappings: what a finite value does to the audio.

void thresholdToEngine (CompressorEngine& e, float v)
{
    e.setThresholdDb (v * -60.0);
}

void peakCrestToEngine (CompressorEngine& e, float v)
{
    e.setCrestDb (v * 12.0);
}

void softKneeToEngine (CompressorEngine& e, float v)
{
    e.setKneeDb (v * 20.0);
}

void ratioToEngine (CompressorEngine& e, float v)
{
    // Below 0 the feedback detector would turn into an expander that feeds its own rise.
    e.setRatioSlope (1.0 - std::max (static_cast<double> (v), 0.0));
}

void attackToEngine (CompressorEngine& e, float v)
{
    e.setAttackMs (cube (v) * 499.99 + 0.01);
}

void releasePeakToEngine (CompressorEngine& e, float v)
{
    e.setReleasePeakMs (cube (v) * 1995.0 + 5.0);
}

void releaseRmsToEngine (CompressorEngine& e, float v)
{
    e.setReleaseRmsMs (cube (v) * 1995.0 + 5.0);
}

void makeupToEngine (CompressorEngine& e, float v)
{
    const double d = std::min (static_cast<double> (v), levelValueLimit);

    if (d < 0.5)
    {
        // The cut side squares in single precision.
        const auto t = static_cast<float> (1.0 - 2.0 * d);
        const float square = t * t;
        e.setMakeupGain (dbToGain (square * -60.0));
    }
    else
    {
        e.setMakeupGain (dbToGain (d * 36.0 - 18.0));
    }
}

void dryMixToEngine (CompressorEngine& e, float v)
{
    const double d = std::min (static_cast<double> (v), levelValueLimit);
    e.setDryGain (d > 0.0 ? dbToGainFloat (static_cast<float> (d * 60.0 - 60.0)) : 0.0);
}

void keyHpFrequencyToEngine (CompressorEngine& e, float v)
{
    e.setKeyHpHz (keyHpFromNormalized (v, 30.0f, 400.0f));
}

void outGainToEngine (CompressorEngine& e, float v)
{
    const double d = std::min (static_cast<double> (v), levelValueLimit);
    e.setOutputGain (dbToGain (d * 24.0 - 12.0));
}

void keyStereoDiffToEngine (CompressorEngine& e, float v)
{
    e.setStereoDiff (v);
}

void keyHpSlopeToEngine (CompressorEngine& e, float v)
{
    e.setKeySlope (KeyFilter::slopeFromNormalized (v));
}

void deltaToEngine (CompressorEngine& e, float v)
{
    e.setDelta (v > 0.5f);
}

void bypassToEngine (CompressorEngine& e, float v)
{
    e.setBypass (v > 0.5f);
}

void peakRatioToEngine (CompressorEngine& e, float v)
{
    e.setPeakFollowsRatio (v >= 0.5f);
}

void qualityToEngine (CompressorEngine& e, float v)
{
    // Exactly 0.5 runs Precise although the text already says "Eco".
    e.setPrecise (! (v > 0.5f));
}

//==============================================================================
// The transfer display's scales. Makeup above 0.5 and the ratio curve differ from
// the engine's: the display draws them as its own reading.

float thresholdToDisplay (float p) { return p * -60.0f; }
float peakCrestToDisplay (float p) { return p * 12.0f; }
float softKneeToDisplay (float p) { return p * 20.0f; }
float ratioToDisplay (float p) { return 1.0f / (7.0f * std::pow (p, 3.0f) + 1.0f); }
float makeupToDisplay (float p) { return p < 0.5f ? -60.0f * (1.0f - 2.0f * p) * (1.0f - 2.0f * p) : 24.0f * p - 12.0f; }
float dryMixToDisplay (float p) { return p == 0.0f ? 180.0f : 60.0f - 60.0f * p; }   // attenuation
float outGainToDisplay (float p) { return 24.0f * p - 12.0f; }
float peakRatioToDisplay (float p) { return p; }   // the display splits it at 0.5 itself

//==============================================================================
// Natural scales: the number a text shows, and back.

double thresholdNatural (double x) { return x * -60.0; }
double thresholdNormalized (double db) { return db / -60.0; }
double peakCrestNatural (double x) { return x * 12.0; }
double peakCrestNormalized (double db) { return db / 12.0; }
double softKneeNatural (double x) { return x * 20.0; }
double softKneeNormalized (double db) { return db / 20.0; }
double ratioNatural (double x) { return x < 0.5 ? 1.0 + 2.0 * x : 2.0 + 10.0 * (x - 0.5); }
double ratioNormalized (double r) { return r < 2.0 ? (r - 1.0) / 2.0 : 0.5 + (r - 2.0) / 10.0; }
double attackNatural (double x) { return cube (x) * 499.99 + 0.01; }
double attackNormalized (double ms) { return std::cbrt ((ms - 0.01) / 499.99); }
double releaseNatural (double x) { return cube (x) * 1995.0 + 5.0; }
double releaseNormalized (double ms) { return std::cbrt ((ms - 5.0) / 1995.0); }
double makeupNatural (double x) { return x < 0.5 ? -60.0 * (1.0 - 2.0 * x) * (1.0 - 2.0 * x) : 36.0 * x - 18.0; }
double makeupNormalized (double db) { return db < 0.0 ? (1.0 - std::sqrt (db / -60.0)) / 2.0 : (db + 18.0) / 36.0; }
double dryMixNatural (double x) { return 60.0 * x - 60.0; }
double dryMixNormalized (double db) { return (db + 60.0) / 60.0; }
double keyHpNatural (double x) { return keyHpFromNormalized (static_cast<float> (x), 30.0f, 400.0f); }
double keyHpNormalized (double hz)
{
    // The forward map lifts 0 just above 30 Hz, so 30 Hz itself reads as 0.
    const double x = std::log (hz / 30.0) / std::log (400.0 / 30.0) - 1e-6;
    return hz >= 30.0 ? std::max (x, 0.0) : x;
}
double outGainNatural (double x) { return 24.0 * x - 12.0; }
double outGainNormalized (double db) { return (db + 12.0) / 24.0; }
double percentNatural (double x) { return 100.0 * x; }
double percentNormalized (double percent) { return percent / 100.0; }

constexpr NaturalScale noScale { nullptr, nullptr, "", nullptr };

//==============================================================================
const ParameterChoice onOffChoices[] { { "off", 0.0f }, { "on", 1.0f } };
const ParameterChoice peakRatioChoices[] { { "Compressor", 0.0f }, { "Limiter", 1.0f } };
const ParameterChoice qualityChoices[] { { "Precise", 0.0f }, { "Eco", 1.0f } };
const ParameterChoice meterScaleChoices[] { { "6 dB", 0.0f }, { "12 dB", 0.25f }, { "24 dB", 0.5f }, { "48 dB", 0.75f } };
const ParameterChoice slopeChoices[] { { "off", 0.0f }, { "3 dB/oct", 0.1f }, { "6 dB/oct", 0.2f }, { "12 dB/oct", 0.3f } };
} // namespace

using K = ParameterKind;

const ParameterInfo parameterTable[numParameters] = {
    { "Threshold", "threshold", K::continuous, 0.0f, 0.0f, thresholdText,
      { thresholdNatural, thresholdNormalized, "dB", nullptr }, nullptr, 0, thresholdToEngine, thresholdToDisplay },
    { "Peak Crest", "peakcrest", K::continuous, 0.5f, 0.5f, peakCrestText,
      { peakCrestNatural, peakCrestNormalized, "dB", nullptr }, nullptr, 0, peakCrestToEngine, peakCrestToDisplay },
    // The knob returns to 0.155 on a double-click, a hair below the factory 0.16.
    { "Soft Knee", "softknee", K::continuous, 0.16f, 0.155f, softKneeText,
      { softKneeNatural, softKneeNormalized, "dB", nullptr }, nullptr, 0, softKneeToEngine, softKneeToDisplay },
    { "Ratio", "ratio", K::continuous, 0.5f, 0.5f, ratioText,
      { ratioNatural, ratioNormalized, ":1", nullptr }, nullptr, 0, ratioToEngine, ratioToDisplay },
    { "Attack", "attack", K::continuous, 0.275f, 0.275f, attackText,
      { attackNatural, attackNormalized, "ms", nullptr }, nullptr, 0, attackToEngine, nullptr },
    { "Release Peak", "releasepeak", K::continuous, 0.4174f, 0.4174f, releaseText,
      { releaseNatural, releaseNormalized, "ms", nullptr }, nullptr, 0, releasePeakToEngine, nullptr },
    { "Release RMS", "releaserms", K::continuous, 0.497f, 0.497f, releaseText,
      { releaseNatural, releaseNormalized, "ms", nullptr }, nullptr, 0, releaseRmsToEngine, nullptr },
    { "Makeup", "makeup", K::continuous, 0.5f, 0.5f, makeupText,
      { makeupNatural, makeupNormalized, "dB", nullptr }, nullptr, 0, makeupToEngine, makeupToDisplay },
    { "Dry Mix", "drymix", K::continuous, 0.0f, 0.0f, dryMixText,
      { dryMixNatural, dryMixNormalized, "dB", "Off" }, nullptr, 0, dryMixToEngine, dryMixToDisplay },
    { "Key HP Frequency", "keyhpfrequency", K::continuous, 0.425f, 0.425f, keyHpFrequencyText,
      { keyHpNatural, keyHpNormalized, "Hz", nullptr }, nullptr, 0, keyHpFrequencyToEngine, nullptr },
    { "Out Gain", "outgain", K::continuous, 0.5f, 0.5f, outGainText,
      { outGainNatural, outGainNormalized, "dB", nullptr }, nullptr, 0, outGainToEngine, outGainToDisplay },
    // The knob returns to 0.425 like the frequency knob beside it, not to the factory 1.0.
    { "Key Stereo Diff", "keystereodiff", K::continuous, 1.0f, 0.425f, keyStereoDiffText,
      { percentNatural, percentNormalized, "%", nullptr }, nullptr, 0, keyStereoDiffToEngine, nullptr },
    { "Key HP Slope", "keyhpslope", K::slopeSelector, 0.0f, 0.0f, keyHpSlopeText,
      noScale, slopeChoices, 4, keyHpSlopeToEngine, nullptr },
    { "Delta", "delta", K::onOff, 0.0f, 0.0f, switchText,
      noScale, onOffChoices, 2, deltaToEngine, nullptr },
    { "Bypass", "bypass", K::onOff, 0.0f, 0.0f, switchText,
      noScale, onOffChoices, 2, bypassToEngine, nullptr },
    { "Peak Ratio", "peakratio", K::twoWay, 1.0f, 1.0f, peakRatioText,
      noScale, peakRatioChoices, 2, peakRatioToEngine, peakRatioToDisplay },
    { "Quality", "quality", K::twoWay, 0.0f, 0.0f, qualityText,
      noScale, qualityChoices, 2, qualityToEngine, nullptr },
    // The editor's meter reads it; the audio does not.
    { "Meter Scale", "meterscale", K::fourWay, 0.0f, 0.0f, meterScaleText,
      noScale, meterScaleChoices, 4, nullptr, nullptr },
    { "", "", K::placeholder, 0.0f, 0.0f, nullptr, noScale, nullptr, 0, nullptr, nullptr },
    { "", "", K::placeholder, 0.0f, 0.0f, nullptr, noScale, nullptr, 0, nullptr, nullptr },
    { "", "", K::placeholder, 0.0f, 0.0f, nullptr, noScale, nullptr, 0, nullptr, nullptr },
};

bool isNamedParameter (int index) noexcept
{
    return index >= 0 && index < numNamedParameters;
}

juce::String parameterText (int index, float value)
{
    const double x = value;
    auto text = writeWithDecimals (x, 2);

    if (isNamedParameter (index))
        parameterTable[index].toText (x, text);

    return text;
}

int choiceIndex (int index, float value) noexcept
{
    switch (parameterTable[index].kind)
    {
        case K::onOff:
            return value > 0.5f ? 1 : 0;
        case K::twoWay:
            return value >= 0.5f ? 1 : 0;
        case K::fourWay:
            return value < 0.25f ? 0 : value < 0.5f ? 1 : value < 0.75f ? 2 : 3;
        case K::slopeSelector:
            return KeyFilter::slopeFromNormalized (value);
        case K::continuous:
        case K::placeholder:
            break;
    }

    return 0;
}

namespace
{
juce::String squeezed (const juce::String& text)
{
    return text.toLowerCase().removeCharacters (" \t");
}

/** Splits "-24.5 dB" into -24.5 and "db"; nothing when the text starts with no number. */
std::optional<std::pair<double, juce::String>> numberAndRest (const juce::String& text)
{
    const auto s = squeezed (text);
    int end = (s.startsWithChar ('-') || s.startsWithChar ('+')) ? 1 : 0;
    int digits = 0;

    for (bool point = false; end < s.length(); ++end)
    {
        const auto c = s[end];

        if (c == '.' && ! point)
            point = true;
        else if (juce::CharacterFunctions::isDigit (c))
            ++digits;
        else
            break;
    }

    if (digits == 0)
        return std::nullopt;

    // The framework's reading ignores the process locale's decimal separator.
    return std::pair (s.substring (0, end).getDoubleValue(), s.substring (end));
}

std::optional<double> naturalValueForText (const ParameterInfo& info, const juce::String& text)
{
    if (info.natural.zeroText != nullptr && squeezed (text) == squeezed (info.natural.zeroText))
        return 0.0;

    const auto parsed = numberAndRest (text);

    if (! parsed)
        return std::nullopt;

    auto [number, rest] = *parsed;
    const auto unit = squeezed (info.natural.unit);

    if (rest == "s" && unit == "ms")
        number *= 1000.0;
    else if (rest == "khz" && unit == "hz")
        number *= 1000.0;
    else if (rest.isNotEmpty() && rest != unit)
        return std::nullopt;

    const auto value = info.natural.toNormalized (number);
    return std::isfinite (value) ? std::optional (value) : std::nullopt;
}
} // namespace

std::optional<double> valueForText (int index, const juce::String& text)
{
    if (! isNamedParameter (index))
        return std::nullopt;

    const auto& info = parameterTable[index];

    if (info.kind == K::continuous)
        return naturalValueForText (info, text);

    const auto wanted = squeezed (text);

    for (int i = 0; i < info.numChoices; ++i)
        if (wanted == squeezed (info.choices[i].text))
            return info.choices[i].value;

    return std::nullopt;
}

void thresholdText (double value, juce::String& text)
{
    text = writeWithDecimals (value * -60.0, 1) + " dB";
}

void peakCrestText (double value, juce::String& text)
{
    text = writeWithDecimals (value * 12.0, 1) + " dB";
}

void softKneeText (double value, juce::String& text)
{
    text = writeWithDecimals (value * 20.0, 1) + " dB";
}

void ratioText (double value, juce::String& text)
{
    const double ratio = value < 0.5 ? 1.0 + 2.0 * value : 2.0 + 10.0 * (value - 0.5);
    text = writeWithDecimals (ratio, 1) + ":1";
}

void attackText (double value, juce::String& text)
{
    const double ms = value * value * value * 499.99 + 0.01;

    if (ms < 1.0)
        text = writeWithDecimals (ms, 2);
    else if (ms < 10.0)
        text = writeWithDecimals (ms, 1);
    else
        text = writeAsInteger (ms);

    text += " ms";
}

void releaseText (double value, juce::String& text)
{
    const double cubed = value * value * value * 1995.0;
    const double ms = cubed + 5.0;

    // Whole milliseconds as long as they round below 1000; seconds from 1004.5 ms on.
    if (ms < 10.0)
        text = writeWithDecimals (ms, 1) + " ms";
    else if (cubed + 0.5 < 1000.0)
        text = writeAsInteger (ms) + " ms";
    else
        text = writeWithDecimals (ms / 1000.0, 1) + " s";
}

void makeupText (double value, juce::String& text)
{
    if (value < 0.5)
    {
        const double t = 1.0 - 2.0 * value;
        text = writeWithDecimals (-60.0 * t * t, 2) + " dB";
    }
    else
    {
        text = writeWithDecimals (36.0 * value - 18.0, 1) + " dB";
    }
}

void dryMixText (double value, juce::String& text)
{
    text = value > 0.0 ? writeWithDecimals (60.0 * value - 60.0, 1) + " dB" : juce::String ("Off");
}

void keyHpFrequencyText (double value, juce::String& text)
{
    const float hz = keyHpFromNormalized (static_cast<float> (value), 30.0f, 400.0f);
    text = writeAsInteger (hz) + " Hz";
}

void outGainText (double value, juce::String& text)
{
    text = writeWithDecimals (24.0 * value - 12.0, 1) + " dB";
}

void keyStereoDiffText (double value, juce::String& text)
{
    text = writeWithDecimals (100.0 * value, 1) + " %";
}

void keyHpSlopeText (double value, juce::String& text)
{
    // Only the four values the editor writes get a word; anything else keeps its number.
    if (value == static_cast<double> (0.1f))
        text = "3 dB/oct";
    else if (value == static_cast<double> (0.2f))
        text = "6 dB/oct";
    else if (value == static_cast<double> (0.3f))
        text = "12 dB/oct";
    else if (value == 0.0)
        text = "off";
    else
        text = writeWithDecimals (value, 2);
}

void switchText (double value, juce::String& text)
{
    text = value > 0.5 ? "on" : "off";
}

void peakRatioText (double value, juce::String& text)
{
    text = value < 0.5 ? "Compressor" : "Limiter";
}

void qualityText (double value, juce::String& text)
{
    text = value < 0.5 ? "Precise" : "Eco";
}

void meterScaleText (double value, juce::String& text)
{
    if (value < 0.25)
        text = "6 dB";
    else if (value < 0.5)
        text = "12 dB";
    else if (value < 0.75)
        text = "24 dB";
    else
        text = "48 dB";
}
