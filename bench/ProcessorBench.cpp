#include "CorvaneAudioProcessor.h"

#include <benchmark/benchmark.h>

namespace
{
    /** The whole audio callback as a host drives it: 512-frame float blocks at 44.1 kHz
        through the factory "Mastering - Glue" program. */
    void processBlock512At44100 (benchmark::State& state)
    {
        juce::ScopedJuceInitialiser_GUI gui;
        CorvaneAudioProcessor processor;
        processor.setCurrentProgram (1);
        processor.setRateAndBufferSizeDetails (44100.0, 512);
        processor.prepareToPlay (44100.0, 512);

        juce::AudioBuffer<float> source (2, 512);
        juce::Random random (5);
        for (int channel = 0; channel < 2; ++channel)
            for (int i = 0; i < source.getNumSamples(); ++i)
                source.setSample (channel, i, 0.5f * std::sin (0.05f * static_cast<float> (i * (channel + 1))) + 0.1f * (random.nextFloat() - 0.5f));

        juce::AudioBuffer<float> block (2, 512);
        juce::MidiBuffer midi;

        for (auto _ : state)
        {
            block.makeCopyOf (source, true);
            processor.processBlock (block, midi);
            benchmark::DoNotOptimize (block.getReadPointer (0));
        }

        state.SetItemsProcessed (state.iterations() * block.getNumSamples());
        state.counters["per_frame"] = benchmark::Counter (static_cast<double> (state.iterations() * block.getNumSamples()),
                                                          benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    }
}

BENCHMARK (processBlock512At44100);

BENCHMARK_MAIN();
