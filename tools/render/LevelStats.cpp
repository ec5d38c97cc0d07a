#include "LevelStats.h"

#include <cmath>

double LevelStats::decibels (double level, double silenceDb)
{
    return level > 0.0 ? 20.0 * std::log10 (level) : silenceDb;
}

void LevelStats::add (const juce::AudioBuffer<float>& buffer, int numChannels, int startSample, int numSamples)
{
    for (int channel = 0; channel < numChannels; ++channel)
    {
        const auto* samples = buffer.getReadPointer (channel, startSample);
        for (int i = 0; i < numSamples; ++i)
        {
            const double x = samples[i];
            peak = std::max (peak, std::abs (x));
            sumOfSquares += x * x;
        }
    }

    count += static_cast<juce::int64> (numChannels) * numSamples;
}

double LevelStats::peakDb() const
{
    return decibels (peak);
}

double LevelStats::rmsDb() const
{
    return count > 0 ? decibels (std::sqrt (sumOfSquares / static_cast<double> (count))) : decibels (0.0);
}
