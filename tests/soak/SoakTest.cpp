#include "CorvaneAudioProcessor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <vector>

// Long-run stress of the whole processor: programme-like material under random
// automation, block sizes, rate changes, program changes and state restores. The length
// of material defaults to an hour; VELMORA_SOAK_SECONDS sets another.

namespace
{
    constexpr double twoPi = 6.283185307179586;
    const double soakRates[] = { 8000.0, 22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0, 384000.0 };

    double materialSeconds()
    {
        if (const char* text = std::getenv ("VELMORA_SOAK_SECONDS"))
            return std::atof (text);
        return 3600.0;
    }

    /** Stereo programme material: a sweeping tone with decaying hits, noise bursts,
        level rides from -60 to +6 dBFS and silences, each section a few seconds long. */
    class ProgrammeMaterial
    {
    public:
        explicit ProgrammeMaterial (int seed) : random (seed) { startSection (44100.0); }

        void fill (juce::AudioBuffer<float>& block, double rate)
        {
            for (int i = 0; i < block.getNumSamples(); ++i)
            {
                if (--sectionFrames <= 0)
                    startSection (rate);

                phase += twoPi * frequency / rate;
                if (phase > twoPi)
                    phase -= twoPi;
                hit *= hitDecay;
                if (random.nextInt (static_cast<int> (rate / hitsPerSecond) + 1) == 0)
                    hit = 1.0;

                const double noise = random.nextDouble() * 2.0 - 1.0;
                const double tone = std::sin (phase);
                const double mono = level * (toneMix * tone + (1.0 - toneMix) * noise * (0.2 + hit));
                block.setSample (0, i, static_cast<float> (mono * (1.0 + width)));
                block.setSample (1, i, static_cast<float> (mono * (1.0 - width) + level * width * noise));
            }
        }

    private:
        void startSection (double rate)
        {
            sectionFrames = static_cast<int> (rate * (0.5 + 4.0 * random.nextDouble()));
            const bool silent = random.nextInt (8) == 0;
            level = silent ? 0.0 : std::pow (10.0, (random.nextDouble() * 66.0 - 60.0) / 20.0);
            frequency = 20.0 * std::pow (1000.0, random.nextDouble());
            toneMix = random.nextDouble();
            width = random.nextDouble() * 0.5;
            hitsPerSecond = 0.5 + 8.0 * random.nextDouble();
            hitDecay = std::exp (-1.0 / (rate * (0.005 + 0.2 * random.nextDouble())));
        }

        juce::Random random;
        int sectionFrames = 0;
        double level = 0.0, frequency = 440.0, toneMix = 0.5, width = 0.0;
        double hitsPerSecond = 2.0, hitDecay = 0.99, hit = 0.0, phase = 0.0;
    };

    int randomBlockSize (juce::Random& random)
    {
        switch (random.nextInt (10))
        {
            case 0: return 1;
            case 1: return 2 + random.nextInt (15);
            case 2: return 8192;
            default: return 1 + 2 * random.nextInt (2048);   // odd sizes up to 4095
        }
    }

    struct Figures
    {
        double seconds = 0.0;
        long blocks = 0;
        long parameterChanges = 0;
        int programChanges = 0;
        int stateRestores = 0;
        int rateChanges = 0;
        float maxOutput = 0.0f;
        bool allFinite = true;
    };
}

TEST (Soak, AnHourOfAutomatedMaterialStaysFiniteAndBounded)
{
    const auto wallStart = std::chrono::steady_clock::now();
    juce::ScopedJuceInitialiser_GUI gui;
    CorvaneAudioProcessor processor;
    juce::MidiBuffer midi;
    juce::Random random (2024);
    ProgrammeMaterial material (7);
    juce::AudioBuffer<float> buffer (2, 8192);
    Figures figures;

    juce::MemoryBlock savedState;
    processor.getStateInformation (savedState);

    double rate = 44100.0;
    double nextRateChange = 0.0;
    const double target = materialSeconds();

    while (figures.seconds < target)
    {
        if (figures.seconds >= nextRateChange)
        {
            rate = soakRates[random.nextInt (static_cast<int> (std::size (soakRates)))];
            processor.setRateAndBufferSizeDetails (rate, 8192);
            processor.prepareToPlay (rate, 8192);
            nextRateChange = figures.seconds + 30.0 + 120.0 * random.nextDouble();
            ++figures.rateChanges;
        }

        // Every parameter moves often; Bypass and Delta rarely and mostly off, so most of
        // the material goes through the compressor.
        for (int index = 0; index < numParameters; ++index)
        {
            const bool modeSwitch = index == bypassIndex || index == deltaIndex;
            if (random.nextInt (modeSwitch ? 400 : 8) == 0)
            {
                processor.setParameter (index, modeSwitch ? (random.nextInt (5) == 0 ? 1.0f : 0.0f) : random.nextFloat());
                ++figures.parameterChanges;
            }
        }

        if (random.nextInt (500) == 0)
        {
            processor.setCurrentProgram (random.nextInt (CorvaneAudioProcessor::numPrograms));
            ++figures.programChanges;
        }

        if (random.nextInt (1000) == 0)
        {
            if (random.nextBool())
                processor.getStateInformation (savedState);
            else
                processor.setStateInformation (savedState.getData(), static_cast<int> (savedState.getSize()));
            ++figures.stateRestores;
        }

        juce::AudioBuffer<float> block (buffer.getArrayOfWritePointers(), 2, randomBlockSize (random));
        material.fill (block, rate);
        processor.processBlock (block, midi);

        for (int channel = 0; channel < 2; ++channel)
        {
            const auto* samples = block.getReadPointer (channel);
            for (int i = 0; i < block.getNumSamples(); ++i)
            {
                figures.allFinite = figures.allFinite && std::isfinite (samples[i]);
                figures.maxOutput = std::max (figures.maxOutput, std::abs (samples[i]));
            }
        }

        figures.seconds += block.getNumSamples() / rate;
        ++figures.blocks;
    }

    // With every control inside its range the loudest possible output is the +6 dBFS
    // input with +18 dB makeup, unity dry and +12 dB out gain: about +45 dBFS.
    EXPECT_TRUE (figures.allFinite);
    EXPECT_LT (figures.maxOutput, 200.0f);

    // Bypass at the end: the input comes back delayed by exactly the latency.
    processor.setParameter (bypassIndex, 1.0f);
    const int latency = processor.getLatencySamples();
    EXPECT_EQ (latency, CompressorEngine::latencyForRate (rate));

    std::vector<float> input, output;
    while (input.size() < 20000)
    {
        juce::AudioBuffer<float> block (buffer.getArrayOfWritePointers(), 2, randomBlockSize (random));
        material.fill (block, rate);
        for (int i = 0; i < block.getNumSamples(); ++i)
            input.push_back (block.getSample (0, i));
        processor.processBlock (block, midi);
        for (int i = 0; i < block.getNumSamples(); ++i)
            output.push_back (block.getSample (0, i));
    }

    int mismatches = 0;
    for (size_t i = static_cast<size_t> (latency); i < input.size(); ++i)
        mismatches += output[i] != input[i - static_cast<size_t> (latency)] ? 1 : 0;
    EXPECT_EQ (mismatches, 0);

    const auto wall = std::chrono::duration<double> (std::chrono::steady_clock::now() - wallStart).count();
    std::printf ("soak: %.0f s of material at %d rates, %ld blocks, %ld parameter changes, %d program changes, "
                 "%d state saves or restores, max output %.1f dBFS, %.1f s wall\n",
                 figures.seconds, figures.rateChanges, figures.blocks, figures.parameterChanges, figures.programChanges,
                 figures.stateRestores, 20.0 * std::log10 (figures.maxOutput), wall);
}
