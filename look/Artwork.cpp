#include "Artwork.h"

#include "VelmoraArtwork.h"

namespace
{
juce::Image decode (const char* data, int size)
{
    return juce::ImageCache::getFromMemory (data, size);
}
} // namespace

#define VELMORA_ARTWORK(function, resource) \
    juce::Image Artwork::function (int density) \
    { \
        using namespace VelmoraArtwork; \
        return density > 1 ? decode (resource##_2x_png, resource##_2x_pngSize) \
                           : decode (resource##_png, resource##_pngSize); \
    }

VELMORA_ARTWORK (panelBackground, panel_background)
VELMORA_ARTWORK (largeKnobStrip, knob_large)
VELMORA_ARTWORK (smallKnobStrip, knob_small)
VELMORA_ARTWORK (box55, box_55)
VELMORA_ARTWORK (box50, box_50)
VELMORA_ARTWORK (deltaOff, delta_off)
VELMORA_ARTWORK (deltaOn, delta_on)
VELMORA_ARTWORK (bypassOff, bypass_off)
VELMORA_ARTWORK (bypassOn, bypass_on)
VELMORA_ARTWORK (qualityOff, quality_off)
VELMORA_ARTWORK (qualityOn, quality_on)
VELMORA_ARTWORK (peakRatioOff, peak_ratio_off)
VELMORA_ARTWORK (peakRatioOn, peak_ratio_on)
VELMORA_ARTWORK (infoOff, info_off)
VELMORA_ARTWORK (infoOn, info_on)
VELMORA_ARTWORK (ledBlue, led_blue)
VELMORA_ARTWORK (ledRed, led_red)

#undef VELMORA_ARTWORK

const std::array<Artwork::Picture, 17> Artwork::everyPicture {
    &Artwork::panelBackground, &Artwork::largeKnobStrip, &Artwork::smallKnobStrip, &Artwork::box55,
    &Artwork::box50,           &Artwork::deltaOff,       &Artwork::deltaOn,        &Artwork::bypassOff,
    &Artwork::bypassOn,        &Artwork::qualityOff,     &Artwork::qualityOn,      &Artwork::peakRatioOff,
    &Artwork::peakRatioOn,     &Artwork::infoOff,        &Artwork::infoOn,         &Artwork::ledBlue,
    &Artwork::ledRed,
};

int Artwork::densityFor (float scale)
{
    return scale > 1.0f ? 2 : 1;
}

int Artwork::densityFor (juce::Graphics& g)
{
    return densityFor (g.getInternalContext().getPhysicalPixelScaleFactor());
}

juce::Image Artwork::atDensity (const juce::Image& picture, int density)
{
    if (density > 1)
        for (const auto role : everyPicture)
            if (role (1) == picture)
                return role (density);

    return picture;
}

void Artwork::drawPart (juce::Graphics& g, const juce::Image& picture, int density,
                        juce::Rectangle<int> destination, juce::Rectangle<int> source)
{
    const auto s = source * density;
    g.drawImage (picture, destination.getX(), destination.getY(), destination.getWidth(), destination.getHeight(),
                 s.getX(), s.getY(), s.getWidth(), s.getHeight());
}

void Artwork::drawAt (juce::Graphics& g, const juce::Image& picture, int density, int x, int y)
{
    if (density == 1)
    {
        g.drawImageAt (picture, x, y);
        return;
    }

    drawPart (g, picture, density, { x, y, picture.getWidth() / density, picture.getHeight() / density },
              { picture.getWidth() / density, picture.getHeight() / density });
}
