#include "StereoDelay.h"

#include <algorithm>

StereoDelay::StereoDelay (int lengthInFrames)
    : length (lengthInFrames),
      left (static_cast<std::size_t> (lengthInFrames) + 1, 0.0),
      right (static_cast<std::size_t> (lengthInFrames) + 1, 0.0),
      index (0)
{
}

void StereoDelay::reset() noexcept
{
    index = 0;
    std::fill (left.begin(), left.end(), 0.0);
    std::fill (right.begin(), right.end(), 0.0);
}
