#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include "HostStyle.h"
#include "ParameterTable.h"

#include <atomic>

/** One slot of the parameter table as the framework's parameter object.

    The stored value is the one programs and saved states hold and the index-based
    interface reads back unchanged, out-of-range and non-finite values included. With
    a host style that lists settings, the host sees list positions 0, 1/(n-1) .. 1
    instead, mapped onto the settings the editor writes. Writes go through the
    processor, which keeps the current program slot and Delta / Bypass in step. */
class ProcessorParameter : public juce::RangedAudioParameter
{
public:
    /** Hears of every value a parameter takes, on the thread that set it: the host's
        audio thread for automation. */
    struct Listener
    {
        virtual ~Listener() = default;
        virtual void valueStored (int index, float value) = 0;
    };

    ProcessorParameter (int index, HostStyle style, Listener& listener);

    float getValue() const override;
    void setValue (float newValue) override;
    float getDefaultValue() const override;
    juce::String getName (int maximumStringLength) const override;
    juce::String getLabel() const override;
    juce::String getText (float value, int maximumStringLength) const override;
    float getValueForText (const juce::String& text) const override;
    int getNumSteps() const override;
    bool isDiscrete() const override;
    bool isBoolean() const override;
    juce::StringArray getAllValueStrings() const override;
    const juce::NormalisableRange<float>& getNormalisableRange() const override;

    /** The value as programs, saved states and the index interface hold it. A
        placeholder holds none and reads 0. */
    float storedValue() const noexcept { return stored.load (std::memory_order_relaxed); }

    /** Takes a value in stored terms without telling the host. */
    void setStoredValue (float value);

    /** The host's view of a stored value. */
    float hostValueFor (float storedValue) const noexcept;

    /** An edit in stored terms, reported to the host as one of its own values. */
    void setStoredValueNotifyingHost (float value);

    const int index;

private:
    float storedValueFor (float hostValue) const noexcept;
    bool isListed() const noexcept;

    Listener& listener;
    const ParameterInfo& info;
    const HostStyle style;
    const juce::NormalisableRange<float> range;
    std::atomic<float> stored { 0.0f };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ProcessorParameter)
};
