#pragma once

#include <juce_graphics/juce_graphics.h>

/** The editor's embedded pictures, decoded once by the framework's image cache. */
struct Artwork
{
    static juce::Image panelBackground();
    static juce::Image largeKnobStrip();
    static juce::Image smallKnobStrip();
    static juce::Image box55();
    static juce::Image box50();
    static juce::Image deltaOff();
    static juce::Image deltaOn();
    static juce::Image bypassOff();
    static juce::Image bypassOn();
    static juce::Image qualityOff();
    static juce::Image qualityOn();
    static juce::Image peakRatioOff();
    static juce::Image peakRatioOn();
    static juce::Image infoOff();
    static juce::Image infoOn();
    static juce::Image ledBlue();
    static juce::Image ledRed();
};
