#pragma once

#include <juce_graphics/juce_graphics.h>

#include <algorithm>
#include <vector>

namespace edges
{
inline double luma (juce::Colour c)
{
    return 0.299 * c.getRed() + 0.587 * c.getGreen() + 0.114 * c.getBlue();
}

/** How sharp the edges in an area are: the mean of the steepest 2 % of the luma steps
    between horizontal and vertical neighbours, in 0..255 per device pixel. A picture
    stretched from fewer pixels spreads every edge over more of them. */
inline double steepness (const juce::Image& image, juce::Rectangle<int> area)
{
    std::vector<double> steps;
    for (int y = area.getY(); y < area.getBottom() - 1; ++y)
    {
        for (int x = area.getX(); x < area.getRight() - 1; ++x)
        {
            const auto here = luma (image.getPixelAt (x, y));
            steps.push_back (std::abs (luma (image.getPixelAt (x + 1, y)) - here));
            steps.push_back (std::abs (luma (image.getPixelAt (x, y + 1)) - here));
        }
    }

    const auto steepest = std::max<size_t> (1, steps.size() / 50);
    std::partial_sort (steps.begin(), steps.begin() + (long) steepest, steps.end(), std::greater<>());
    double sum = 0.0;
    for (size_t i = 0; i < steepest; ++i)
        sum += steps[i];
    return sum / (double) steepest;
}
} // namespace edges
