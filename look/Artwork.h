#pragma once

#include <juce_graphics/juce_graphics.h>

#include <array>

/** The editor's embedded pictures, decoded once by the framework's image cache. Every
    picture comes at two densities with the same role: 1 (its logical size in pixels)
    and 2 (twice the pixels both ways). A context that maps a logical pixel onto more
    than one device pixel (a host's content scale, a scaled desktop) gets the density 2
    picture, drawn into the same logical rectangle, so edges and captions stay sharp. */
struct Artwork
{
    /** 2 for a scale above 1, else 1; a scale that is not a number counts as 1. */
    static int densityFor (float scale);

    /** The density for what the context draws: its device pixels per logical pixel. */
    static int densityFor (juce::Graphics& g);

    static juce::Image panelBackground (int density = 1);
    static juce::Image largeKnobStrip (int density = 1);
    static juce::Image smallKnobStrip (int density = 1);
    static juce::Image box55 (int density = 1);
    static juce::Image box50 (int density = 1);
    static juce::Image deltaOff (int density = 1);
    static juce::Image deltaOn (int density = 1);
    static juce::Image bypassOff (int density = 1);
    static juce::Image bypassOn (int density = 1);
    static juce::Image qualityOff (int density = 1);
    static juce::Image qualityOn (int density = 1);
    static juce::Image peakRatioOff (int density = 1);
    static juce::Image peakRatioOn (int density = 1);
    static juce::Image infoOff (int density = 1);
    static juce::Image infoOn (int density = 1);
    static juce::Image ledBlue (int density = 1);
    static juce::Image ledRed (int density = 1);

    using Picture = juce::Image (*) (int density);
    static const std::array<Picture, 17> everyPicture;

    /** The same role's picture at a density, found from its density 1 picture (as an
        image button holds it); any other image is given back as it is. */
    static juce::Image atDensity (const juce::Image& picture, int density);

    /** Draws the part `source` of a picture, in logical pixels, into `destination`:
        at density 2 the source pixels are found at twice the coordinates. At density 1
        this is the plain image draw. */
    static void drawPart (juce::Graphics& g, const juce::Image& picture, int density,
                          juce::Rectangle<int> destination, juce::Rectangle<int> source);

    /** Draws a whole picture at its logical size with its top left corner at (x, y). */
    static void drawAt (juce::Graphics& g, const juce::Image& picture, int density, int x, int y);
};
