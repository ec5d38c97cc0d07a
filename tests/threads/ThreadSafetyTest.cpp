#include "VelmoraPlugin.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

// Run under ThreadSanitizer: any unsynchronised access between the threads below is
// reported and fails the run, whatever the assertions say.

namespace
{
    /** The host's audio thread: blocks of noise at varying sizes, back to back. */
    void playAudio (CorvaneAudioProcessor& processor, const std::atomic<bool>& running, std::atomic<int>& blocks)
    {
        juce::AudioBuffer<float> buffer (2, 1024);
        juce::MidiBuffer midi;
        juce::Random random (1);

        while (running)
        {
            const int size = 1 + random.nextInt (1024);
            juce::AudioBuffer<float> block (buffer.getArrayOfWritePointers(), 2, size);
            for (int channel = 0; channel < 2; ++channel)
                for (int i = 0; i < size; ++i)
                    block.setSample (channel, i, random.nextFloat() - 0.5f);

            processor.processBlock (block, midi);
            blocks.fetch_add (1, std::memory_order_relaxed);
        }
    }

    /** A host thread automating every parameter, switching programs and restoring states. */
    void automate (CorvaneAudioProcessor& processor, const juce::MemoryBlock& state, const std::atomic<bool>& running,
                   std::atomic<int>& changes)
    {
        juce::Random random (2);

        for (int round = 0; running; ++round)
        {
            for (int index = 0; index < numParameters; ++index)
                processor.setParameter (index, random.nextFloat());

            processor.setCurrentProgram (random.nextInt (CorvaneAudioProcessor::numPrograms));

            if (round % 8 == 0)
                processor.setStateInformation (state.getData(), static_cast<int> (state.getSize()));

            changes.fetch_add (1, std::memory_order_relaxed);
        }
    }

    /** What the editor's timer reads, read directly as well as through a real editor. */
    double readLikeTheEditor (CorvaneAudioProcessor& processor)
    {
        double sum = processor.getCurrentGain() + processor.getPeakGainDb() + processor.getRmsGainDb();
        for (int index = 0; index < numNamedParameters; ++index)
            sum += processor.getParameter (index);
        return sum;
    }
}

TEST (ThreadSafety, AudioAutomationAndEditorRunTogetherWithoutRaces)
{
    juce::ScopedJuceInitialiser_GUI gui;
    auto* messageManager = juce::MessageManager::getInstance();
    VelmoraPlugin processor;
    processor.setRateAndBufferSizeDetails (44100.0, 1024);
    processor.prepareToPlay (44100.0, 1024);

    juce::MemoryBlock state;
    processor.setCurrentProgram (4);
    processor.getStateInformation (state);

    std::atomic<bool> running { true };
    std::atomic<int> blocks { 0 };
    std::atomic<int> changes { 0 };
    std::thread audio (playAudio, std::ref (processor), std::cref (running), std::ref (blocks));
    std::thread host (automate, std::ref (processor), std::cref (state), std::cref (running), std::ref (changes));

    // This thread is the message thread: it opens and closes the editor, lets its timer
    // tick, and polls the published values every few milliseconds.
    bool allReadsFinite = true;

    for (int opening = 0; opening < 3; ++opening)
    {
        std::unique_ptr<juce::AudioProcessorEditor> editor (processor.createEditorIfNeeded());
        editor->addToDesktop (0);
        editor->setVisible (true);

        for (int tick = 0; tick < 30; ++tick)
        {
            messageManager->runDispatchLoopUntil (5);
            allReadsFinite = allReadsFinite && std::isfinite (readLikeTheEditor (processor));
        }

        processor.editorBeingDeleted (editor.get());
        editor.reset();
    }

    running = false;
    audio.join();
    host.join();

    EXPECT_GT (blocks.load(), 0);
    EXPECT_GT (changes.load(), 0);
    EXPECT_TRUE (allReadsFinite);
}

TEST (ThreadSafety, HostSavesTheStateWhileAutomationRuns)
{
    juce::ScopedJuceInitialiser_GUI gui;
    CorvaneAudioProcessor processor;
    std::atomic<bool> running { true };

    // Automation as a host sends it on its audio thread, Delta and Bypass included.
    std::thread automation ([&processor, &running]
    {
        juce::Random random (3);

        while (running)
            for (int index = 0; index < numNamedParameters; ++index)
                processor.parameter (index)->setValue (random.nextFloat());
    });

    for (int save = 0; save < 200; ++save)
    {
        juce::MemoryBlock state;
        processor.getStateInformation (state);
        ASSERT_GT (state.getSize(), 0u);
    }

    running = false;
    automation.join();
}
