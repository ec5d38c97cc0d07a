#include "RenderTrace.h"

RenderTrace::RenderTrace (juce::int64 lengthInSamples, int numColumns)
    : length (std::max<juce::int64> (1, lengthInSamples)),
      columns (static_cast<size_t> (numColumns))
{
}

void RenderTrace::addInput (const juce::AudioBuffer<float>& buffer, int numChannels, int startSample, int numSamples, juce::int64 position)
{
    add ({ &Column::inputMin, &Column::inputMax }, buffer, numChannels, startSample, numSamples, position);
}

void RenderTrace::addOutput (const juce::AudioBuffer<float>& buffer, int numChannels, int startSample, int numSamples, juce::int64 position)
{
    add ({ &Column::outputMin, &Column::outputMax }, buffer, numChannels, startSample, numSamples, position);
}

void RenderTrace::addGain (juce::int64 position, double gain)
{
    if (position >= 0 && position < length)
    {
        auto& column = columnAt (position);
        column.gain = std::min (column.gain, gain);
    }
}

void RenderTrace::add (Extremes extremes, const juce::AudioBuffer<float>& buffer, int numChannels, int startSample, int numSamples, juce::int64 position)
{
    for (int i = 0; i < numSamples; ++i)
    {
        auto& column = columnAt (position + i);
        for (int channel = 0; channel < numChannels; ++channel)
        {
            const float x = buffer.getSample (channel, startSample + i);
            column.*extremes.first = std::min (column.*extremes.first, x);
            column.*extremes.second = std::max (column.*extremes.second, x);
        }
    }
}

RenderTrace::Column& RenderTrace::columnAt (juce::int64 position)
{
    const auto index = position * static_cast<juce::int64> (columns.size()) / length;
    return columns[static_cast<size_t> (juce::jlimit<juce::int64> (0, static_cast<juce::int64> (columns.size()) - 1, index))];
}

float RenderTrace::largestMagnitude() const
{
    float largest = 0.0f;
    for (const auto& column : columns)
        largest = std::max ({ largest, -column.inputMin, column.inputMax, -column.outputMin, column.outputMax });
    return largest;
}
