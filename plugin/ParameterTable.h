#pragma once

#include <juce_core/juce_core.h>

#include <optional>

class CompressorEngine;

/** Indices of the host-visible parameters. 18..20 are nameless placeholders that only
    occupy a slot in the program records. */
enum ParameterIndex : int
{
    thresholdIndex = 0,
    peakCrestIndex,
    softKneeIndex,
    ratioIndex,
    attackIndex,
    releasePeakIndex,
    releaseRmsIndex,
    makeupIndex,
    dryMixIndex,
    keyHpFrequencyIndex,
    outGainIndex,
    keyStereoDiffIndex,
    keyHpSlopeIndex,
    deltaIndex,
    bypassIndex,
    peakRatioIndex,
    qualityIndex,
    meterScaleIndex
};

constexpr int numNamedParameters = 18;
constexpr int numParameters = 21;

/** How a value is read: a continuous scale, or a few named settings with split points. */
enum class ParameterKind
{
    continuous,
    onOff,          // isSwitchedOn
    twoWay,         // isSecondSetting
    fourWay,        // split at 0.25, 0.5 and 0.75
    slopeSelector,  // split at its settings' values
    placeholder
};

/** The switches' rule: on above 0.5, so 0.5 itself is off. Whatever reads a value as a
    switch asks this: texts, the engine, the editor's buttons and the transfer display. */
template <typename Value>
constexpr bool isSwitchedOn (Value value) noexcept
{
    return value > Value (0.5);
}

/** The two-way settings' split: the second from 0.5 on. */
template <typename Value>
constexpr bool isSecondSetting (Value value) noexcept
{
    return ! (value < Value (0.5));
}

/** Fills a text with the display text of one parameter for a normalized value. The
    processor and the editor's value boxes share these, so both always show the same. */
using ValueToTextFunction = void (*) (double value, juce::String& text);

/** Moves the engine for a finite normalized value. */
using EngineMapping = void (*) (CompressorEngine& engine, float value);

/** The transfer display's own reading of a value clamped to 0..1. */
using DisplayMapping = float (*) (float value);

/** Writes a natural value with its unit: "-18.0 dB", "150 ms", "4.0:1". */
using NaturalWriting = juce::String (*) (double natural, const char* unit);

/** A continuous parameter in the unit its text shows ("dB", "ms", "Hz", "%", ":1"):
    both directions of its scale and how its number is written. */
struct NaturalScale
{
    double (*fromNormalized) (double value);
    double (*toNormalized) (double natural);
    const char* unit;
    const char* zeroText;   // a word shown instead of the number at 0 and below, if any
    NaturalWriting write;
};

/** One named setting of a parameter that hosts may show as a list. The value is the
    one the editor writes for it. */
struct ParameterChoice
{
    const char* text;
    float value;
};

struct ParameterInfo
{
    const char* name;       // shown by the host
    const char* stateKey;   // attribute name in saved states and presets; the parameter's ID
    ParameterKind kind;
    float fullResetValue;   // the value of the first factory program
    float doubleClickValue; // where a double-click returns a knob
    ValueToTextFunction toText;   // the display text, none for the placeholders
    NaturalScale natural;   // continuous parameters only
    const ParameterChoice* choices; // the other kinds, except placeholders
    int numChoices;
    EngineMapping toEngine; // none for the meter scale and the placeholders
    DisplayMapping toDisplay; // where the transfer display reads a value its own way
};

/** Every slot, in index order. */
extern const ParameterInfo parameterTable[numParameters];

bool isNamedParameter (int index) noexcept;

/** The host's display text of any index: placeholders and unknown indices show the
    value with two decimals. */
juce::String parameterText (int index, float value);

/** The display text of a row for a value, in double precision as a slider holds it. */
juce::String displayText (const ParameterInfo& info, double value);

/** Which of a listed parameter's settings a value selects, by the kind's split rule. */
int choiceIndex (int index, float value) noexcept;

/** The setting whose value is exactly this one, if any: what the editor wrote. */
std::optional<int> exactChoice (const ParameterInfo& info, double value) noexcept;

/** A value as a knob or a host list can show it: within 0..1, and 0 when it is not a
    number. */
float unitValue (float value) noexcept;

/** True for a unit written onto its number without a space (the ratio's ":1"). */
bool unitJoinsNumber (const char* unit) noexcept;

/** The normalized value of a text as the parameter shows it or as a user types it:
    "-24 dB", "-24", "4:1", "10 ms", "1.2 s", "Eco", "on". Letter case and spaces do not
    matter. Not clamped: a level beyond the knob's range reads beyond 0..1. Nothing
    when the text does not name a value of this parameter. */
std::optional<double> valueForText (int index, const juce::String& text);

/** A section of the editor's panel, for hosts that show parameters in groups: its
    members in the order a reader meets them. */
struct ParameterGroup
{
    const char* id;
    const char* name;
    const ParameterIndex* members;
    int numMembers;
};

constexpr int numParameterGroups = 4;

/** Every named parameter in exactly one group, the groups from left to right. */
extern const ParameterGroup parameterGroups[numParameterGroups];
