#include "CorvaneAudioProcessor.h"
#include "CorvaneAudioProcessorEditor.h"
#include "RepaintRecorder.h"

#include <benchmark/benchmark.h>

/*  The open editor's message-thread cost per 50 ms tick: the tick itself and the
    painting it asks for. The time per iteration over 50 ms is the share of a core.
    Run under a virtual X server: xvfb-run -a build/bench/velmora_editor_bench */

namespace
{
    constexpr int blockSize = 2205;   // 50 ms at 44.1 kHz

    /** A processor prepared for the first compressing factory program, and its editor
        shown, as a host window shows it. */
    struct OpenEditor
    {
        OpenEditor()
        {
            processor.setCurrentProgram (11);
            processor.setRateAndBufferSizeDetails (44100.0, blockSize);
            processor.prepareToPlay (44100.0, blockSize);
            editor.setVisible (true);
        }

        /** Two beats of eight blocks, loud then quiet, so the meter rises and falls. */
        void processBeatBlock()
        {
            const float level = (blocks++ % 8) < 2 ? 0.9f : 0.1f;

            for (int i = 0; i < blockSize; ++i)
            {
                block.setSample (0, i, level * std::sin (0.05f * static_cast<float> (i)));
                block.setSample (1, i, level * std::sin (0.07f * static_cast<float> (i)));
            }

            processor.processBlock (block, midi);
        }

        /** What the window would draw after the tick: only the areas that asked. */
        void paintRequestedAreas()
        {
            juce::Graphics g (canvas);
            g.reduceClipRegion (repaints.areas);

            if (! g.isClipEmpty())
                editor.paintEntireComponent (g, false);

            repaints.areas.clear();
        }

        juce::ScopedJuceInitialiser_GUI gui;
        CorvaneAudioProcessor processor;
        CorvaneAudioProcessorEditor editor { processor };
        RepaintRecorder& repaints = RepaintRecorder::installOn (editor);
        juce::Image canvas { juce::Image::ARGB, editor.getWidth(), editor.getHeight(), true };
        juce::AudioBuffer<float> block { 2, blockSize };
        juce::MidiBuffer midi;
        int blocks = 0;
    };

    /** The standalone with no audio device: nothing changes between ticks. */
    void editorTickIdle (benchmark::State& state)
    {
        OpenEditor open;
        open.editor.timerCallback();
        open.paintRequestedAreas();

        for (auto _ : state)
        {
            open.editor.timerCallback();
            open.paintRequestedAreas();
        }
    }

    /** Ticks while a compressed signal runs; `between` is what else happens off the
        clock before each tick, and a full repaint stands for a tick that does not know
        what changed. */
    template <typename Between>
    void tickWithSignal (benchmark::State& state, Between between, bool repaintAll)
    {
        OpenEditor open;

        for (auto _ : state)
        {
            state.PauseTiming();
            open.processBeatBlock();
            between (open.processor);
            state.ResumeTiming();

            open.editor.timerCallback();
            if (repaintAll)
                open.editor.repaint();
            open.paintRequestedAreas();
        }
    }

    /** The meter and the LEDs move. */
    void editorTickWithMovingMeter (benchmark::State& state)
    {
        tickWithSignal (state, [] (CorvaneAudioProcessor&) {}, false);
    }

    /** The host automates the threshold as well: a knob and the curve change every tick. */
    void editorTickFollowingAutomation (benchmark::State& state)
    {
        int tick = 0;
        tickWithSignal (state, [&tick] (CorvaneAudioProcessor& p)
                        { p.setParameter (thresholdIndex, static_cast<float> (tick++ % 100) / 100.0f); },
                        false);
    }

    /** The plain version: every tick repaints the whole window. */
    void editorTickWithFullRepaint (benchmark::State& state)
    {
        tickWithSignal (state, [] (CorvaneAudioProcessor&) {}, true);
    }
}

BENCHMARK (editorTickIdle)->Unit (benchmark::kMicrosecond);
BENCHMARK (editorTickWithMovingMeter)->Unit (benchmark::kMicrosecond);
BENCHMARK (editorTickFollowingAutomation)->Unit (benchmark::kMicrosecond);
BENCHMARK (editorTickWithFullRepaint)->Unit (benchmark::kMicrosecond);

BENCHMARK_MAIN();
