#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

/** Peak and RMS level of everything added, over all channels. */
class LevelStats
{
public:
    void add (const juce::AudioBuffer<float>& buffer, int numChannels, int startSample, int numSamples);

    /** The level of an amplitude or a gain in dB; silence, 0, is given as silenceDb. */
    static double decibels (double level, double silenceDb = -200.0);

    double peakDb() const;
    double rmsDb() const;

private:
    double peak = 0.0;
    double sumOfSquares = 0.0;
    juce::int64 count = 0;
};
