#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

/** A render reduced to a fixed number of columns over time, enough to draw it: the
    input's and output's extremes and the deepest gain in each column. */
class RenderTrace
{
public:
    struct Column
    {
        float inputMin = 0.0f, inputMax = 0.0f;
        float outputMin = 0.0f, outputMax = 0.0f;
        double gain = 1.0;
    };

    RenderTrace (juce::int64 lengthInSamples, int numColumns);

    void addInput (const juce::AudioBuffer<float>& buffer, int numChannels, int startSample, int numSamples, juce::int64 position);
    void addOutput (const juce::AudioBuffer<float>& buffer, int numChannels, int startSample, int numSamples, juce::int64 position);
    void addGain (juce::int64 position, double gain);

    const std::vector<Column>& getColumns() const noexcept { return columns; }

    /** The largest absolute sample value of input and output. */
    float largestMagnitude() const;

private:
    using Extremes = std::pair<float Column::*, float Column::*>;

    void add (Extremes extremes, const juce::AudioBuffer<float>& buffer, int numChannels, int startSample, int numSamples, juce::int64 position);
    Column& columnAt (juce::int64 position);

    juce::int64 length;
    std::vector<Column> columns;
};
