#include "AllocationCounter.h"
#include "EditorTestSupport.h"
#include "VelmoraPlugin.h"

#include <atomic>
#include <thread>

namespace
{
    struct AudioThreadWithEditorOpen : testing::TestWithParam<double>
    {
        juce::ScopedJuceInitialiser_GUI gui;
        VelmoraPlugin processor;
    };
}

// The audio thread runs every block size while the editor is on screen: it ticks and
// paints itself whole, and knob edits arrive through the host-notifying setter. Only the
// audio thread's own allocations count.
TEST_P (AudioThreadWithEditorOpen, ProcessBlockAllocatesNothing)
{
    const double rate = GetParam();
    processor.setRateAndBufferSizeDetails (rate, 8192);
    processor.prepareToPlay (rate, 8192);

    std::unique_ptr<juce::AudioProcessorEditor> window (processor.createEditorIfNeeded());
    auto& editor = dynamic_cast<CorvaneAudioProcessorEditor&> (*window);
    editor.addToDesktop (0);
    editor.setVisible (true);

    std::atomic<bool> done { false };
    int allocations = 0;
    int blocks = 0;

    std::thread audio ([&]
    {
        juce::AudioBuffer<float> buffer (2, 8192);
        juce::MidiBuffer midi;
        juce::Random random (5);
        for (int channel = 0; channel < 2; ++channel)
            for (int i = 0; i < buffer.getNumSamples(); ++i)
                buffer.setSample (channel, i, random.nextFloat() - 0.5f);

        CountAllocations scope;
        for (int round = 0; round < 4; ++round)
        {
            for (int size : { 0, 1, 2, 13, 64, 511, 512, 4096, 8192 })
            {
                juce::AudioBuffer<float> block (buffer.getArrayOfWritePointers(), 2, size);
                processor.processBlock (block, midi);
                ++blocks;
            }
        }
        allocations = scope.count();
        done = true;
    });

    juce::Random random (6);
    int ticks = 0;
    while (! done)
    {
        processor.parameter (random.nextInt (12))->setValueNotifyingHost (random.nextFloat());
        processor.parameter (qualityIndex)->setValueNotifyingHost (ticks % 2 == 0 ? 1.0f : 0.0f);
        editor.timerCallback();
        editor.createComponentSnapshot (editor.getLocalBounds());
        ++ticks;
    }

    audio.join();
    processor.editorBeingDeleted (window.get());
    window.reset();

    EXPECT_EQ (blocks, 36);
    EXPECT_GT (ticks, 0);
    EXPECT_EQ (allocations, 0);
}

INSTANTIATE_TEST_SUITE_P (Rates, AudioThreadWithEditorOpen, testing::Values (44100.0, 96000.0),
                          [] (const testing::TestParamInfo<double>& rate) { return "At" + std::to_string (static_cast<int> (rate.param)) + "Hz"; });
