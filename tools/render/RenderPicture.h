#pragma once

#include "RenderTrace.h"

#include <juce_graphics/juce_graphics.h>

/** Draws a render as one picture: the input and the output waveform over time, and
    the gain reduction beneath them on a dB scale. */
class RenderPicture
{
public:
    static constexpr int width = 1200;
    static constexpr int height = 640;
    static constexpr int margin = 48;

    /** One trace column per pixel of the plotted width. */
    static constexpr int plotWidth = width - 2 * margin;

    static juce::Image draw (const RenderTrace& trace, const juce::String& title, double seconds);
    static bool writePng (const juce::Image& image, const juce::File& file);

private:
    static void drawWaveform (juce::Graphics& g, juce::Rectangle<int> area, const RenderTrace& trace, bool output, float fullScale);
    static void drawReduction (juce::Graphics& g, juce::Rectangle<int> area, const RenderTrace& trace);
    static void drawTimeAxis (juce::Graphics& g, juce::Rectangle<int> area, double seconds);
    static juce::String timeLabel (double t, double step, double seconds);
};
