#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

/** Six seconds of stereo test music made from scratch, so the demo needs no downloads:
    two seconds of drums, two of drums with a bass line, two of a loud sustained chord.
    The same every time (fixed noise seed). */
class DemoMaterial
{
public:
    static constexpr double sampleRate = 44100.0;
    static constexpr double seconds = 6.0;

    static juce::AudioBuffer<float> generate();

private:
    static void addKick (juce::AudioBuffer<float>& out, int start, float level);
    static void addSnare (juce::AudioBuffer<float>& out, int start, float level, juce::Random& noise);
    static void addHat (juce::AudioBuffer<float>& out, int start, float level, juce::Random& noise);
    static void addBassNote (juce::AudioBuffer<float>& out, int start, int length, double hz, float level);
    static void addChord (juce::AudioBuffer<float>& out, int start, int length, float level);
};
