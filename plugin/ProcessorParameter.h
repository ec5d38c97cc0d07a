#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include "ParameterTable.h"

#include <atomic>

class CorvaneAudioProcessor;

/** What a plug-in format's hosts expect of the parameters besides values and texts.
    The default is the index interface of VST 2. */
struct HostStyle
{
    /** The three nameless slots that the index interface has always shown. */
    bool placeholders = true;

    /** Switches and selectors as evenly spaced entries of a list instead of the raw
        values the index interface carries. */
    bool lists = false;

    /** Ranges in the parameter's own unit (dB, ms, Hz, %) and the unit as label. */
    bool units = false;

    /** The host keeps its own copy of every value and must hear of the changes the
        plug-in makes itself: program changes, restored states, Delta and Bypass
        switching each other off. */
    bool toldOfChanges = false;

    /** ... and hears them only from the plug-in's message thread or, within its own
        calls, through the component handler it gave the plug-in. */
    bool toldOnMessageThread = false;

    /** ... except a restored state, which the client layer tells it of itself. */
    bool toldOfRestoreByClient = false;

    /** ... and of every value when processing is prepared, having no other way to
        learn them. */
    bool toldAtStart = false;

    /** The host's bypass button is the plug-in's own Bypass. */
    bool bypassIsOwn = false;

    /** The parameters come in the editor's sections, as groups of the host's own. */
    bool sections = false;
};

/** One slot of the parameter table as the framework's parameter object.

    The stored value is the one programs and saved states hold and the index-based
    interface reads back unchanged, out-of-range and non-finite values included. With
    a host style that lists settings, the host sees list positions 0, 1/(n-1) .. 1
    instead, mapped onto the settings the editor writes. Writes go through the
    processor, which keeps the current program slot and Delta / Bypass in step. */
class ProcessorParameter : public juce::RangedAudioParameter
{
public:
    ProcessorParameter (CorvaneAudioProcessor& owner, int index, HostStyle style);

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

    CorvaneAudioProcessor& owner;
    const ParameterInfo& info;
    const HostStyle style;
    const juce::NormalisableRange<float> range;
    std::atomic<float> stored { 0.0f };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ProcessorParameter)
};
