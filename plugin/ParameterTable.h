#pragma once

#include <juce_core/juce_core.h>

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

/** Fills a text with the display text of one parameter for a normalized value. The
    processor and the editor's value boxes share these, so both always show the same. */
using ValueToTextFunction = void (*) (double value, juce::String& text);

struct ParameterInfo
{
    const char* name;       // shown by the host
    const char* stateKey;   // attribute name in saved states and presets
    ValueToTextFunction toText;
};

/** The named parameters, in index order. */
extern const ParameterInfo parameterTable[numNamedParameters];

bool isNamedParameter (int index) noexcept;

/** The host's display text of any index: placeholders and unknown indices show the
    value with two decimals. */
juce::String parameterText (int index, float value);

void thresholdText (double value, juce::String& text);
void peakCrestText (double value, juce::String& text);
void softKneeText (double value, juce::String& text);
void ratioText (double value, juce::String& text);
void attackText (double value, juce::String& text);
void releaseText (double value, juce::String& text);
void makeupText (double value, juce::String& text);
void dryMixText (double value, juce::String& text);
void keyHpFrequencyText (double value, juce::String& text);
void outGainText (double value, juce::String& text);
void keyStereoDiffText (double value, juce::String& text);
void keyHpSlopeText (double value, juce::String& text);
void switchText (double value, juce::String& text);
void peakRatioText (double value, juce::String& text);
void qualityText (double value, juce::String& text);
void meterScaleText (double value, juce::String& text);
