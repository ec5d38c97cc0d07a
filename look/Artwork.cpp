#include "Artwork.h"

#include "VelmoraArtwork.h"

#define VELMORA_ARTWORK(function, resource) \
    juce::Image Artwork::function() \
    { \
        return juce::ImageCache::getFromMemory (VelmoraArtwork::resource, VelmoraArtwork::resource##Size); \
    }

VELMORA_ARTWORK (panelBackground, panel_background_png)
VELMORA_ARTWORK (largeKnobStrip, knob_large_png)
VELMORA_ARTWORK (smallKnobStrip, knob_small_png)
VELMORA_ARTWORK (box55, box_55_png)
VELMORA_ARTWORK (box50, box_50_png)
VELMORA_ARTWORK (deltaOff, delta_off_png)
VELMORA_ARTWORK (deltaOn, delta_on_png)
VELMORA_ARTWORK (bypassOff, bypass_off_png)
VELMORA_ARTWORK (bypassOn, bypass_on_png)
VELMORA_ARTWORK (qualityOff, quality_off_png)
VELMORA_ARTWORK (qualityOn, quality_on_png)
VELMORA_ARTWORK (peakRatioOff, peak_ratio_off_png)
VELMORA_ARTWORK (peakRatioOn, peak_ratio_on_png)
VELMORA_ARTWORK (infoOff, info_off_png)
VELMORA_ARTWORK (infoOn, info_on_png)
VELMORA_ARTWORK (ledBlue, led_blue_png)
VELMORA_ARTWORK (ledRed, led_red_png)

#undef VELMORA_ARTWORK
