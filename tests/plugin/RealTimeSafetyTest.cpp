#include "CorvaneAudioProcessor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>

// Every heap allocation in this test program passes through these hooks; while a
// thread has counting switched on, each one is counted.
extern "C" void* __libc_malloc (size_t);
extern "C" void* __libc_calloc (size_t, size_t);
extern "C" void* __libc_realloc (void*, size_t);
extern "C" void* __libc_memalign (size_t, size_t);

namespace
{
    thread_local bool counting = false;
    std::atomic<int> allocations { 0 };

    void noteAllocation()
    {
        if (counting)
            allocations.fetch_add (1, std::memory_order_relaxed);
    }

    struct CountAllocations
    {
        CountAllocations() { allocations = 0; counting = true; }
        ~CountAllocations() { counting = false; }
    };
}

extern "C" void* malloc (size_t size)
{
    noteAllocation();
    return __libc_malloc (size);
}

extern "C" void* calloc (size_t count, size_t size)
{
    noteAllocation();
    return __libc_calloc (count, size);
}

extern "C" void* realloc (void* block, size_t size)
{
    noteAllocation();
    return __libc_realloc (block, size);
}

extern "C" int posix_memalign (void** result, size_t alignment, size_t size)
{
    noteAllocation();
    *result = __libc_memalign (alignment, size);
    return *result != nullptr ? 0 : ENOMEM;
}

extern "C" void* aligned_alloc (size_t alignment, size_t size)
{
    noteAllocation();
    return __libc_memalign (alignment, size);
}

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
    EXPECT_GE (allocations.load(), 2);
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
        EXPECT_EQ (allocations.load(), 0) << "block of " << size;
    }
}

INSTANTIATE_TEST_SUITE_P (Rates, RealTimeSafety, testing::Values (44100.0, 96000.0),
                          [] (const testing::TestParamInfo<double>& rate) { return "At" + std::to_string (static_cast<int> (rate.param)) + "Hz"; });
