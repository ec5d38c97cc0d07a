#include "AllocationCounter.h"
#include "CorvaneAudioProcessor.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace
{
    struct RealTimeSafety : testing::TestWithParam<double>
    {
        juce::ScopedJuceInitialiser_GUI gui;
        CorvaneAudioProcessor processor;
    };
}

TEST_P (RealTimeSafety, TheHookSeesAllocations)
{
    CountAllocations scope;
    auto* block = std::malloc (16);
    std::free (block);
    auto text = std::make_unique<std::string> (100, 'x');
    EXPECT_GE (scope.count(), 2);
}

TEST_P (RealTimeSafety, ProcessBlockAllocatesNothingForAnyBlockSize)
{
    const double rate = GetParam();
    processor.setRateAndBufferSizeDetails (rate, 8192);
    processor.prepareToPlay (rate, 8192);

    juce::AudioBuffer<float> buffer (2, 8192);
    juce::MidiBuffer midi;
    juce::Random random (3);
    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            buffer.setSample (channel, i, random.nextFloat() - 0.5f);

    // Also switch every mode while audio runs: parameter changes recompute in place.
    for (int size : { 0, 1, 2, 13, 64, 511, 512, 4096, 8192 })
    {
        juce::AudioBuffer<float> block (buffer.getArrayOfWritePointers(), 2, size);
        CountAllocations scope;
        processor.processBlock (block, midi);
        processor.setParameter (qualityIndex, size % 2 == 0 ? 1.0f : 0.0f);
        processor.setParameter (keyHpSlopeIndex, 0.3f);
        processor.setParameter (keyHpFrequencyIndex, 0.9f);
        processor.setParameter (attackIndex, 0.6f);
        processor.processBlock (block, midi);
        EXPECT_EQ (scope.count(), 0) << "block of " << size;
    }
}

INSTANTIATE_TEST_SUITE_P (Rates, RealTimeSafety, testing::Values (44100.0, 96000.0),
                          [] (const testing::TestParamInfo<double>& rate) { return "At" + std::to_string (static_cast<int> (rate.param)) + "Hz"; });
