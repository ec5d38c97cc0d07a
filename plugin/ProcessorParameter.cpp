#include "ProcessorParameter.h"

#include <algorithm>

namespace
{
juce::ParameterID idFor (int index)
{
    const auto& info = parameterTable[index];
    const auto id = info.kind == ParameterKind::placeholder ? "placeholder" + juce::String (index)
                                                            : juce::String (info.stateKey);
    return { id, 1 };
}

/** A continuous parameter's knob range in its own unit and a list's entry numbers, for
    hosts that show values that way; 0..1 otherwise. */
juce::NormalisableRange<float> rangeFor (const ParameterInfo& info, HostStyle style)
{
    if (! style.units || info.kind == ParameterKind::onOff)
        return {};

    if (info.numChoices > 0)
        return { 0.0f, static_cast<float> (info.numChoices - 1), 1.0f };

    if (info.kind != ParameterKind::continuous)
        return {};

    const auto scale = info.natural;
    const auto natural = [scale] (float x) { return static_cast<float> (scale.fromNormalized (x)); };
    const auto atZero = natural (0.0f);
    const auto atOne = natural (1.0f);

    return { std::min (atZero, atOne), std::max (atZero, atOne),
             [natural] (float, float, float x) { return natural (x); },
             [scale] (float, float, float value) { return static_cast<float> (scale.toNormalized (value)); } };
}
} // namespace

ProcessorParameter::ProcessorParameter (int slot, HostStyle hostStyle, Listener& valueListener)
    : juce::RangedAudioParameter (idFor (slot), parameterTable[slot].name),
      index (slot),
      listener (valueListener),
      info (parameterTable[slot]),
      style (hostStyle),
      range (rangeFor (info, style))
{
}

bool ProcessorParameter::isListed() const noexcept
{
    return style.lists && info.numChoices > 0;
}

float ProcessorParameter::hostValueFor (float value) const noexcept
{
    if (info.kind == ParameterKind::placeholder)
        return 0.0f;

    if (isListed())
        return static_cast<float> (choiceIndex (index, value)) / static_cast<float> (info.numChoices - 1);

    // The index interface carries every value as sent; other hosts only know 0..1.
    if (! style.lists)
        return value;

    return unitValue (value);
}

float ProcessorParameter::storedValueFor (float hostValue) const noexcept
{
    if (! isListed())
        return hostValue;

    const auto last = info.numChoices - 1;
    const auto position = juce::roundToInt (unitValue (hostValue) * (float) last);
    return info.choices[position].value;
}

float ProcessorParameter::getValue() const
{
    return hostValueFor (storedValue());
}

void ProcessorParameter::setValue (float newValue)
{
    setStoredValue (storedValueFor (newValue));
}

void ProcessorParameter::setStoredValue (float value)
{
    if (info.kind != ParameterKind::placeholder)
        stored.store (value, std::memory_order_relaxed);

    listener.valueStored (index, value);
}

void ProcessorParameter::setStoredValueNotifyingHost (float value)
{
    setValueNotifyingHost (hostValueFor (value));
}

float ProcessorParameter::getDefaultValue() const
{
    return hostValueFor (info.fullResetValue);
}

juce::String ProcessorParameter::getName (int maximumStringLength) const
{
    return juce::String (info.name).substring (0, maximumStringLength);
}

juce::String ProcessorParameter::getLabel() const
{
    // The display texts carry their unit; only a host that shows bare numbers needs it.
    return style.units ? juce::String (info.natural.unit) : juce::String();
}

juce::String ProcessorParameter::getText (float value, int maximumStringLength) const
{
    return parameterText (index, storedValueFor (value)).substring (0, maximumStringLength);
}

float ProcessorParameter::getValueForText (const juce::String& text) const
{
    const auto value = valueForText (index, text);

    if (! value)
        return getValue();

    return hostValueFor (static_cast<float> (juce::jlimit (0.0, 1.0, *value)));
}

int ProcessorParameter::getNumSteps() const
{
    return info.numChoices > 0 ? info.numChoices : juce::AudioProcessor::getDefaultNumParameterSteps();
}

bool ProcessorParameter::isDiscrete() const
{
    return info.numChoices > 0;
}

bool ProcessorParameter::isBoolean() const
{
    return info.kind == ParameterKind::onOff;
}

juce::StringArray ProcessorParameter::getAllValueStrings() const
{
    juce::StringArray texts;

    for (int i = 0; i < info.numChoices; ++i)
        texts.add (info.choices[i].text);

    return texts;
}

const juce::NormalisableRange<float>& ProcessorParameter::getNormalisableRange() const
{
    return range;
}
