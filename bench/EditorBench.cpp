#include "CorvaneAudioProcessor.h"
#include "CorvaneAudioProcessorEditor.h"

#include <benchmark/benchmark.h>

namespace
{
    /** One 50 ms editor tick with a compressed signal running, and a full repaint of
        the window: an upper bound for the open editor's message-thread cost (the real
        tick repaints only the display area, the meter and the LEDs); the time per
        iteration over 50 ms is the share of a core. Run under a virtual X server:
        xvfb-run -a build/bench/velmora_editor_bench */
    void editorTickWithFullRepaint (benchmark::State& state)
    {
        juce::ScopedJuceInitialiser_GUI gui;
        CorvaneAudioProcessor processor;
        processor.setCurrentProgram (11);
        processor.setRateAndBufferSizeDetails (44100.0, 2205);
        processor.prepareToPlay (44100.0, 2205);

        CorvaneAudioProcessorEditor editor (processor);
        juce::Image canvas (juce::Image::ARGB, editor.getWidth(), editor.getHeight(), true);
        juce::AudioBuffer<float> block (2, 2205);
        juce::MidiBuffer midi;
        int tick = 0;

        for (auto _ : state)
        {
            state.PauseTiming();
            for (int i = 0; i < block.getNumSamples(); ++i)
            {
                const float beat = (tick % 8) < 2 ? 0.9f : 0.1f;
                block.setSample (0, i, beat * std::sin (0.05f * static_cast<float> (i)));
                block.setSample (1, i, beat * std::sin (0.07f * static_cast<float> (i)));
            }
            processor.processBlock (block, midi);
            ++tick;
            state.ResumeTiming();

            editor.timerCallback();
            juce::Graphics g (canvas);
            editor.paintEntireComponent (g, false);
        }
    }
}

BENCHMARK (editorTickWithFullRepaint)->Unit (benchmark::kMicrosecond);

BENCHMARK_MAIN();
