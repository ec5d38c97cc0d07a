#include "CorvaneAudioProcessor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace
{
    /** Every value change the processor reports, as the format wrappers hear them, by
        parameter index: the framework numbers them in the order of their groups. */
    struct ChangeLog : juce::AudioProcessorListener
    {
        std::vector<std::pair<int, float>> changes;

        void audioProcessorParameterChanged (juce::AudioProcessor* processor, int position, float value) override
        {
            changes.emplace_back (static_cast<ProcessorParameter*> (processor->getParameters()[position])->index, value);
        }

        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
    };

    std::unique_ptr<CorvaneAudioProcessor> processorFor (juce::AudioProcessor::WrapperType type)
    {
        juce::AudioProcessor::setTypeOfNextNewPlugin (type);
        auto processor = std::make_unique<CorvaneAudioProcessor>();
        juce::AudioProcessor::setTypeOfNextNewPlugin (juce::AudioProcessor::wrapperType_Undefined);
        return processor;
    }

    struct HostStyles : testing::Test
    {
        juce::ScopedJuceInitialiser_GUI gui;
        ChangeLog log;
    };
}

TEST_F (HostStyles, Vst2KeepsRawValuesTwentyOneSlotsAndSilentProgramChanges)
{
    auto processor = processorFor (juce::AudioProcessor::wrapperType_VST);
    ASSERT_EQ (processor->getParameters().size(), 21);
    EXPECT_EQ (processor->getBypassParameter(), nullptr);

    auto* slope = processor->parameter (keyHpSlopeIndex);
    slope->setValue (0.333f);
    EXPECT_EQ (slope->getValue(), 0.333f);
    EXPECT_EQ (slope->getCurrentValueAsText(), "0.33");
    EXPECT_EQ (slope->getLabel(), "");

    auto* threshold = processor->parameter (thresholdIndex);
    threshold->setValue (1.5f);
    EXPECT_EQ (threshold->getValue(), 1.5f);
    EXPECT_FLOAT_EQ (threshold->getValueForText ("-30 dB"), 0.5f);

    processor->addListener (&log);
    processor->setCurrentProgram (7);
    juce::MemoryBlock state;
    processor->getStateInformation (state);
    processor->setStateInformation (state.getData(), static_cast<int> (state.getSize()));
    processor->setParameter (bypassIndex, 1.0f);
    processor->setParameter (deltaIndex, 1.0f);
    EXPECT_TRUE (log.changes.empty());
    processor->removeListener (&log);
}

TEST_F (HostStyles, Vst3SeesListsAndLearnsProgramChanges)
{
    auto processor = processorFor (juce::AudioProcessor::wrapperType_VST3);
    ASSERT_EQ (processor->getParameters().size(), numNamedParameters);
    EXPECT_EQ (processor->getBypassParameter(), processor->parameter (bypassIndex));

    // A stored 0.333 runs the steepest slope; the list shows that entry.
    auto* slope = processor->parameter (keyHpSlopeIndex);
    processor->setParameter (keyHpSlopeIndex, 0.333f);
    EXPECT_EQ (slope->getValue(), 1.0f);
    EXPECT_EQ (slope->getCurrentValueAsText(), "12 dB/oct");
    slope->setValue (1.0f / 3.0f);
    EXPECT_EQ (processor->getParameter (keyHpSlopeIndex), 0.1f) << "the value the editor writes for 3 dB/oct";
    EXPECT_EQ (slope->getAllValueStrings(), juce::StringArray ({ "off", "3 dB/oct", "6 dB/oct", "12 dB/oct" }));

    auto* meter = processor->parameter (meterScaleIndex);
    meter->setValue (2.0f / 3.0f);
    EXPECT_EQ (processor->getParameter (meterScaleIndex), 0.5f);
    EXPECT_EQ (meter->getCurrentValueAsText(), "24 dB");

    // Values the index interface may carry reach a VST3 host inside 0..1.
    processor->setParameter (thresholdIndex, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ (processor->parameter (thresholdIndex)->getValue(), 0.0f);
    processor->setParameter (thresholdIndex, 1.5f);
    EXPECT_EQ (processor->parameter (thresholdIndex)->getValue(), 1.0f);

    processor->addListener (&log);
    processor->setCurrentProgram (6);
    ASSERT_EQ (log.changes.size(), static_cast<size_t> (numNamedParameters));
    for (const auto& [index, value] : log.changes)
        EXPECT_EQ (value, processor->parameter (index)->getValue()) << index;

    processor->setParameter (bypassIndex, 1.0f);
    log.changes.clear();
    processor->parameter (deltaIndex)->setValueNotifyingHost (1.0f);
    const auto bypassOff = std::make_pair (static_cast<int> (bypassIndex), 0.0f);
    EXPECT_NE (std::find (log.changes.begin(), log.changes.end(), bypassOff), log.changes.end()) << "Bypass went off by itself";
    EXPECT_EQ (log.changes.back(), std::make_pair (static_cast<int> (deltaIndex), 1.0f));
    processor->removeListener (&log);
}

TEST_F (HostStyles, Lv2ShowsUnitsAndHearsEveryValueWhenProcessingStarts)
{
    auto processor = processorFor (juce::AudioProcessor::wrapperType_LV2);
    EXPECT_EQ (processor->getBypassParameter(), nullptr) << "LV2's enabled port would overrule the editor";

    auto* threshold = processor->parameter (thresholdIndex);
    EXPECT_EQ (threshold->getLabel(), "dB");
    EXPECT_FLOAT_EQ (threshold->convertFrom0to1 (0.4f), -24.0f);
    EXPECT_FLOAT_EQ (threshold->convertTo0to1 (-24.0f), 0.4f);
    EXPECT_EQ (threshold->getNormalisableRange().start, -60.0f);
    EXPECT_FLOAT_EQ (processor->parameter (attackIndex)->convertFrom0to1 (1.0f), 500.0f);
    EXPECT_NEAR (processor->parameter (keyHpFrequencyIndex)->convertTo0to1 (30.0f), 0.0f, 1e-6f);

    processor->addListener (&log);
    processor->prepareToPlay (48000.0, 256);
    EXPECT_EQ (log.changes.size(), static_cast<size_t> (numNamedParameters));
    processor->removeListener (&log);
}

TEST_F (HostStyles, HostBypassGivesTheInputBackDelayedByTheLatency)
{
    CorvaneAudioProcessor processor;
    processor.setCurrentProgram (9);
    processor.setRateAndBufferSizeDetails (44100.0, 1024);
    processor.prepareToPlay (44100.0, 1024);
    const int latency = processor.getLatencySamples();

    juce::AudioBuffer<float> buffer (2, 1024);
    for (int i = 0; i < buffer.getNumSamples(); ++i)
        for (int channel = 0; channel < 2; ++channel)
            buffer.setSample (channel, i, 0.8f * std::sin (0.05f * static_cast<float> (i + 7 * channel)));
    const juce::AudioBuffer<float> input (buffer);

    juce::MidiBuffer midi;
    processor.processBlockBypassed (buffer, midi);

    for (int channel = 0; channel < 2; ++channel)
        for (int i = latency; i < buffer.getNumSamples(); ++i)
            ASSERT_EQ (buffer.getSample (channel, i), input.getSample (channel, i - latency)) << i;
    EXPECT_EQ (processor.getParameter (bypassIndex), 0.0f) << "the plug-in's own switch stays as it was";
}
