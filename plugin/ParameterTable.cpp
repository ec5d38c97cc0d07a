#include "ParameterTable.h"

#include "CompressorEngine.h"
#include "Conversions.h"
#include "NumberText.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace
{
// How far past their knob's range the level controls act: up to twice it.
constexpr double levelValueLimit = 2.0;

double cube (double x) noexcept
{
    return x * x * x;
}

//==============================================================================
// Natural scales: the number a text shows, described once per parameter; the texts,
// the typed-text parser and the hosts' unit ranges all read them.

/** natural = atZero + span · x, on x itself or on its cube. */
struct Span
{
    double atZero;
    double span;
};

constexpr Span thresholdDb { 0.0, -60.0 };
constexpr Span peakCrestDb { 0.0, 12.0 };
constexpr Span softKneeDb { 0.0, 20.0 };
constexpr Span dryMixDb { -60.0, 60.0 };
constexpr Span outGainDb { -12.0, 24.0 };
constexpr Span stereoDiffPercent { 0.0, 100.0 };
constexpr Span attackMs { 0.01, 499.99 };     // on the cube
constexpr Span releaseMs { 5.0, 1995.0 };     // on the cube

template <const Span& s>
double linearNatural (double x)
{
    return s.atZero + s.span * x;
}

template <const Span& s>
double linearNormalized (double natural)
{
    return (natural - s.atZero) / s.span;
}

template <const Span& s>
double cubicNatural (double x)
{
    return cube (x) * s.span + s.atZero;
}

template <const Span& s>
double cubicNormalized (double natural)
{
    return std::cbrt ((natural - s.atZero) / s.span);
}

/** The key filter's frequency on a logarithmic scale, in single precision as the
    engine has always been given it. */
struct LogRange
{
    float low;
    float high;
};

constexpr LogRange keyHpHz { 30.0f, 400.0f };

// Lifts 0 just above the low end, so that the low end itself reads back as 0.
constexpr double logOffset = 1e-6;

template <const LogRange& r>
double logNatural (double x)
{
    const float logLow = std::log (r.low);
    const float logHigh = std::log (r.high);
    const float t = static_cast<float> (x) + static_cast<float> (logOffset);
    return juce::jlimit (r.low, r.high, std::exp (logLow + (logHigh - logLow) * t));
}

template <const LogRange& r>
double logNormalized (double hz)
{
    const double low = r.low;
    const double x = std::log (hz / low) / std::log (r.high / low) - logOffset;
    return hz >= low ? std::max (x, 0.0) : x;
}

// Two scales of their own: the ratio runs 1:1 to 2:1 over the lower half of the knob and
// on to 7:1 over the upper; makeup cuts on a square down to -60 dB and boosts linearly up
// to +18 dB.
constexpr double makeupFloorDb = -60.0;

double ratioNatural (double x) { return x < 0.5 ? 1.0 + 2.0 * x : 2.0 + 10.0 * (x - 0.5); }
double ratioNormalized (double r) { return r < 2.0 ? (r - 1.0) / 2.0 : 0.5 + (r - 2.0) / 10.0; }
double makeupNatural (double x) { return x < 0.5 ? makeupFloorDb * (1.0 - 2.0 * x) * (1.0 - 2.0 * x) : 36.0 * x - 18.0; }
double makeupNormalized (double db) { return db < 0.0 ? (1.0 - std::sqrt (db / makeupFloorDb)) / 2.0 : (db + 18.0) / 36.0; }

//==============================================================================
// Engine mappings: what a finite value does to the audio. Most rows hand the engine
// their own natural value; the others say beside them why they differ.

using EngineSetter = void (CompressorEngine::*) (double) noexcept;

double naturalOf (int index, double value)
{
    return parameterTable[index].natural.fromNormalized (value);
}

template <int index, EngineSetter set>
void naturalToEngine (CompressorEngine& e, float v)
{
    (e.*set) (naturalOf (index, v));
}

/** A level in dB as a gain. The level controls act up to twice their knob's range;
    further out a stray host value would only overflow the output. */
template <int index, EngineSetter set>
void levelToEngine (CompressorEngine& e, float v)
{
    (e.*set) (dbToGain (naturalOf (index, std::min (static_cast<double> (v), levelValueLimit))));
}

void ratioToEngine (CompressorEngine& e, float v)
{
    // The detector takes a slope, not the ratio. Below 0 it would turn into an expander
    // that feeds its own rise.
    e.setRatioSlope (1.0 - std::max (static_cast<double> (v), 0.0));
}

void makeupToEngine (CompressorEngine& e, float v)
{
    if (! (v < 0.5f))
        return levelToEngine<makeupIndex, &CompressorEngine::setMakeupGain> (e, v);

    // The cut squares in single precision, a hair off the text's curve.
    const auto t = static_cast<float> (1.0 - 2.0 * static_cast<double> (v));
    const float square = t * t;
    e.setMakeupGain (dbToGain (square * makeupFloorDb));
}

void dryMixToEngine (CompressorEngine& e, float v)
{
    // The dry gain is computed in single precision; 0 and below is no dry path at all.
    const double d = std::min (static_cast<double> (v), levelValueLimit);
    e.setDryGain (d > 0.0 ? dbToGainFloat (static_cast<float> (naturalOf (dryMixIndex, d))) : 0.0);
}

void keyStereoDiffToEngine (CompressorEngine& e, float v)
{
    // The key matrix weighs the side by the value itself, not by its percentage.
    e.setStereoDiff (v);
}

void keyHpSlopeToEngine (CompressorEngine& e, float v)
{
    e.setKeySlope (choiceIndex (keyHpSlopeIndex, v));
}

void deltaToEngine (CompressorEngine& e, float v)
{
    e.setDelta (isSwitchedOn (v));
}

void bypassToEngine (CompressorEngine& e, float v)
{
    e.setBypass (isSwitchedOn (v));
}

void peakRatioToEngine (CompressorEngine& e, float v)
{
    e.setPeakFollowsRatio (isSecondSetting (v));
}

void qualityToEngine (CompressorEngine& e, float v)
{
    // Eco runs only above 0.5, as a switch: exactly 0.5 runs Precise although the text,
    // split as a two-way setting, already says "Eco".
    e.setPrecise (! isSwitchedOn (v));
}

//==============================================================================
// How the numbers are written.

juce::String withUnit (const juce::String& number, const char* unit)
{
    return number + (unitJoinsNumber (unit) ? "" : " ") + unit;
}

juce::String oneDecimal (double natural, const char* unit)
{
    return withUnit (writeWithDecimals (natural, 1), unit);
}

juce::String wholeNumber (double natural, const char* unit)
{
    return withUnit (writeAsInteger (natural), unit);
}

/** Two decimals below 1, one below 10, whole numbers from there. */
juce::String fewerDecimalsAsItGrows (double natural, const char* unit)
{
    if (natural < 1.0)
        return withUnit (writeWithDecimals (natural, 2), unit);

    return natural < 10.0 ? oneDecimal (natural, unit) : wholeNumber (natural, unit);
}

/** A cut with two decimals, a boost with one. */
juce::String cutWithTwoDecimals (double natural, const char* unit)
{
    return natural < 0.0 ? withUnit (writeWithDecimals (natural, 2), unit) : oneDecimal (natural, unit);
}

juce::String millisecondsOrSeconds (double ms, const char*)
{
    // Whole milliseconds until 1004.5 ms, where they would round past 1004; seconds from
    // there, so "1000 ms" to "1004 ms" still show before "1.0 s".
    if (ms < 10.0)
        return oneDecimal (ms, "ms");

    return ms < 1004.5 ? wholeNumber (ms, "ms") : oneDecimal (ms / 1000.0, "s");
}

template <const Span& s>
constexpr NaturalScale linear (const char* unit, NaturalWriting write, const char* zeroText = nullptr)
{
    return { linearNatural<s>, linearNormalized<s>, unit, zeroText, write };
}

template <const Span& s>
constexpr NaturalScale cubic (const char* unit, NaturalWriting write)
{
    return { cubicNatural<s>, cubicNormalized<s>, unit, nullptr, write };
}

template <const LogRange& r>
constexpr NaturalScale logarithmic (const char* unit, NaturalWriting write)
{
    return { logNatural<r>, logNormalized<r>, unit, nullptr, write };
}

constexpr NaturalScale noScale { nullptr, nullptr, "", nullptr, nullptr };

//==============================================================================
// Where the transfer display reads a value its own way; it reads every other curve
// input as the natural value.

/** The curve draws ratios of 1:1 to 8:1 on the cube of the value, steeper at the top
    than the text's 7:1. */
float ratioToDisplay (float p) { return 1.0f / (7.0f * std::pow (p, 3.0f) + 1.0f); }

/** The curve draws a boost at the out gain's scale, up to +12 dB, where the audio gets
    up to +18 dB. */
float makeupToDisplay (float p) { return static_cast<float> (naturalOf (p < 0.5f ? makeupIndex : outGainIndex, p)); }

/** How far the dry path lies below the input; "Off" lies far below anything drawn. */
float dryMixToDisplay (float p) { return p == 0.0f ? 180.0f : static_cast<float> (-naturalOf (dryMixIndex, p)); }

//==============================================================================
const ParameterChoice onOffChoices[] { { "off", 0.0f }, { "on", 1.0f } };
const ParameterChoice peakRatioChoices[] { { "Compressor", 0.0f }, { "Limiter", 1.0f } };
const ParameterChoice qualityChoices[] { { "Precise", 0.0f }, { "Eco", 1.0f } };
const ParameterChoice meterScaleChoices[] { { "6 dB", 0.0f }, { "12 dB", 0.25f }, { "24 dB", 0.5f }, { "48 dB", 0.75f } };
const ParameterChoice slopeChoices[] { { "off", 0.0f }, { "3 dB/oct", 0.1f }, { "6 dB/oct", 0.2f }, { "12 dB/oct", 0.3f } };

/** A row's display text as a plain function, which the editor's sliders hold. */
template <int index>
void textOf (double value, juce::String& text)
{
    text = displayText (parameterTable[index], value);
}
} // namespace

using K = ParameterKind;

const ParameterInfo parameterTable[numParameters] = {
    { "Threshold", "threshold", K::continuous, 0.0f, 0.0f, textOf<thresholdIndex>,
      linear<thresholdDb> ("dB", oneDecimal), nullptr, 0,
      naturalToEngine<thresholdIndex, &CompressorEngine::setThresholdDb>, nullptr },
    { "Peak Crest", "peakcrest", K::continuous, 0.5f, 0.5f, textOf<peakCrestIndex>,
      linear<peakCrestDb> ("dB", oneDecimal), nullptr, 0,
      naturalToEngine<peakCrestIndex, &CompressorEngine::setCrestDb>, nullptr },
    // The knob returns to 0.155 on a double-click, a hair below the factory 0.16.
    { "Soft Knee", "softknee", K::continuous, 0.16f, 0.155f, textOf<softKneeIndex>,
      linear<softKneeDb> ("dB", oneDecimal), nullptr, 0,
      naturalToEngine<softKneeIndex, &CompressorEngine::setKneeDb>, nullptr },
    { "Ratio", "ratio", K::continuous, 0.5f, 0.5f, textOf<ratioIndex>,
      { ratioNatural, ratioNormalized, ":1", nullptr, oneDecimal }, nullptr, 0, ratioToEngine, ratioToDisplay },
    { "Attack", "attack", K::continuous, 0.275f, 0.275f, textOf<attackIndex>,
      cubic<attackMs> ("ms", fewerDecimalsAsItGrows), nullptr, 0,
      naturalToEngine<attackIndex, &CompressorEngine::setAttackMs>, nullptr },
    { "Release Peak", "releasepeak", K::continuous, 0.4174f, 0.4174f, textOf<releasePeakIndex>,
      cubic<releaseMs> ("ms", millisecondsOrSeconds), nullptr, 0,
      naturalToEngine<releasePeakIndex, &CompressorEngine::setReleasePeakMs>, nullptr },
    { "Release RMS", "releaserms", K::continuous, 0.497f, 0.497f, textOf<releaseRmsIndex>,
      cubic<releaseMs> ("ms", millisecondsOrSeconds), nullptr, 0,
      naturalToEngine<releaseRmsIndex, &CompressorEngine::setReleaseRmsMs>, nullptr },
    { "Makeup", "makeup", K::continuous, 0.5f, 0.5f, textOf<makeupIndex>,
      { makeupNatural, makeupNormalized, "dB", nullptr, cutWithTwoDecimals }, nullptr, 0, makeupToEngine, makeupToDisplay },
    { "Dry Mix", "drymix", K::continuous, 0.0f, 0.0f, textOf<dryMixIndex>,
      linear<dryMixDb> ("dB", oneDecimal, "Off"), nullptr, 0, dryMixToEngine, dryMixToDisplay },
    { "Key HP Frequency", "keyhpfrequency", K::continuous, 0.425f, 0.425f, textOf<keyHpFrequencyIndex>,
      logarithmic<keyHpHz> ("Hz", wholeNumber), nullptr, 0,
      naturalToEngine<keyHpFrequencyIndex, &CompressorEngine::setKeyHpHz>, nullptr },
    { "Out Gain", "outgain", K::continuous, 0.5f, 0.5f, textOf<outGainIndex>,
      linear<outGainDb> ("dB", oneDecimal), nullptr, 0,
      levelToEngine<outGainIndex, &CompressorEngine::setOutputGain>, nullptr },
    // The knob returns to 0.425 like the frequency knob beside it, not to the factory 1.0.
    { "Key Stereo Diff", "keystereodiff", K::continuous, 1.0f, 0.425f, textOf<keyStereoDiffIndex>,
      linear<stereoDiffPercent> ("%", oneDecimal), nullptr, 0, keyStereoDiffToEngine, nullptr },
    { "Key HP Slope", "keyhpslope", K::slopeSelector, 0.0f, 0.0f, textOf<keyHpSlopeIndex>,
      noScale, slopeChoices, 4, keyHpSlopeToEngine, nullptr },
    { "Delta", "delta", K::onOff, 0.0f, 0.0f, textOf<deltaIndex>,
      noScale, onOffChoices, 2, deltaToEngine, nullptr },
    { "Bypass", "bypass", K::onOff, 0.0f, 0.0f, textOf<bypassIndex>,
      noScale, onOffChoices, 2, bypassToEngine, nullptr },
    { "Peak Ratio", "peakratio", K::twoWay, 1.0f, 1.0f, textOf<peakRatioIndex>,
      noScale, peakRatioChoices, 2, peakRatioToEngine, nullptr },
    { "Quality", "quality", K::twoWay, 0.0f, 0.0f, textOf<qualityIndex>,
      noScale, qualityChoices, 2, qualityToEngine, nullptr },
    // The editor's meter reads it; the audio does not.
    { "Meter Scale", "meterscale", K::fourWay, 0.0f, 0.0f, textOf<meterScaleIndex>,
      noScale, meterScaleChoices, 4, nullptr, nullptr },
    { "", "", K::placeholder, 0.0f, 0.0f, nullptr, noScale, nullptr, 0, nullptr, nullptr },
    { "", "", K::placeholder, 0.0f, 0.0f, nullptr, noScale, nullptr, 0, nullptr, nullptr },
    { "", "", K::placeholder, 0.0f, 0.0f, nullptr, noScale, nullptr, 0, nullptr, nullptr },
};

bool unitJoinsNumber (const char* unit) noexcept
{
    return unit[0] == ':';
}

bool isNamedParameter (int index) noexcept
{
    return index >= 0 && index < numNamedParameters;
}

namespace
{
/** The first setting above the value's, counted from the second: 0.1 and up is the
    second slope, 0.3 and up the fourth. A value that is not a number passes every test
    and reads as the last. */
int slopeSetting (const ParameterInfo& info, double value) noexcept
{
    int setting = 0;

    while (setting + 1 < info.numChoices && ! (value < static_cast<double> (info.choices[setting + 1].value)))
        ++setting;

    return setting;
}

/** A setting by the kind's split rule, in double precision as the texts read it. */
int settingFor (const ParameterInfo& info, double value) noexcept
{
    switch (info.kind)
    {
        case K::onOff:
            return isSwitchedOn (value) ? 1 : 0;
        case K::twoWay:
            return isSecondSetting (value) ? 1 : 0;
        case K::fourWay:
            return value < 0.25 ? 0 : value < 0.5 ? 1 : value < 0.75 ? 2 : 3;
        case K::slopeSelector:
            return slopeSetting (info, value);
        case K::continuous:
        case K::placeholder:
            break;
    }

    return 0;
}

juce::String naturalText (const NaturalScale& scale, double value)
{
    if (scale.zeroText != nullptr && ! (value > 0.0))
        return scale.zeroText;

    return scale.write (scale.fromNormalized (value), scale.unit);
}

/** Only the exact values the editor writes get a word; anything else keeps its number. */
juce::String slopeText (const ParameterInfo& info, double value)
{
    if (const auto choice = exactChoice (info, value))
        return info.choices[*choice].text;

    return writeWithDecimals (value, 2);
}
} // namespace

std::optional<int> exactChoice (const ParameterInfo& info, double value) noexcept
{
    for (int i = 0; i < info.numChoices; ++i)
        if (value == static_cast<double> (info.choices[i].value))
            return i;

    return std::nullopt;
}

float unitValue (float value) noexcept
{
    return std::isfinite (value) ? juce::jlimit (0.0f, 1.0f, value) : 0.0f;
}

juce::String displayText (const ParameterInfo& info, double value)
{
    switch (info.kind)
    {
        case K::continuous:
            return naturalText (info.natural, value);
        case K::slopeSelector:
            return slopeText (info, value);
        case K::placeholder:
            return writeWithDecimals (value, 2);
        case K::onOff:
        case K::twoWay:
        case K::fourWay:
            break;
    }

    return info.choices[settingFor (info, value)].text;
}

juce::String parameterText (int index, float value)
{
    return isNamedParameter (index) ? displayText (parameterTable[index], value) : writeWithDecimals (value, 2);
}

int choiceIndex (int index, float value) noexcept
{
    return settingFor (parameterTable[index], value);
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

namespace
{
const ParameterIndex keyMembers[] { keyHpSlopeIndex, keyHpFrequencyIndex, keyStereoDiffIndex };
const ParameterIndex compressorMembers[] { thresholdIndex, peakCrestIndex, softKneeIndex, peakRatioIndex,
                                           ratioIndex, attackIndex, qualityIndex };
const ParameterIndex releaseMembers[] { releasePeakIndex, releaseRmsIndex };
const ParameterIndex outputMembers[] { makeupIndex, dryMixIndex, outGainIndex, deltaIndex, bypassIndex, meterScaleIndex };
} // namespace

const ParameterGroup parameterGroups[numParameterGroups] = {
    { "key", "Key", keyMembers, static_cast<int> (std::size (keyMembers)) },
    { "compressor", "Compressor", compressorMembers, static_cast<int> (std::size (compressorMembers)) },
    { "release", "Release", releaseMembers, static_cast<int> (std::size (releaseMembers)) },
    { "output", "Output", outputMembers, static_cast<int> (std::size (outputMembers)) },
};
