#include "Artwork.h"

#include <benchmark/benchmark.h>

namespace
{
    /** Decodes every embedded picture at both densities, as an editor moved between a
        plain and a scaled screen ends up doing, and reports the decoded size: the image
        cache keeps them, so decoded_MB is what the pictures can hold in memory at most. */
    void decodeEveryPictureAtBothDensities (benchmark::State& state)
    {
        juce::ScopedJuceInitialiser_GUI gui;
        double bytes = 0.0;

        for (auto _ : state)
        {
            juce::ImageCache::releaseUnusedImages();
            bytes = 0.0;

            for (const auto picture : Artwork::everyPicture)
            {
                for (const int density : { 1, 2 })
                {
                    const auto image = picture (density);
                    const juce::Image::BitmapData pixels (image, juce::Image::BitmapData::readOnly);
                    bytes += (double) pixels.lineStride * pixels.height;
                }
            }
        }

        state.counters["decoded_MB"] = bytes / (1024.0 * 1024.0);
    }
}

BENCHMARK (decodeEveryPictureAtBothDensities)->Unit (benchmark::kMillisecond);
