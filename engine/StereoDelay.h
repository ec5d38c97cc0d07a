#pragma once

#include <cstddef>
#include <vector>

/** A fixed ring of stereo frames: each process() call returns the frame stored
    `length` calls earlier. */
class StereoDelay
{
public:
    explicit StereoDelay (int lengthInFrames);

    /** Swaps the frame in (a, b) with the oldest stored one. */
    void process (double& a, double& b) noexcept
    {
        const double oldA = left[static_cast<std::size_t> (index)];
        const double oldB = right[static_cast<std::size_t> (index)];
        left[static_cast<std::size_t> (index)] = a;
        right[static_cast<std::size_t> (index)] = b;
        a = oldA;
        b = oldB;

        if (++index == length)
            index = 0;
    }

    /** Empties the line to silence. */
    void reset() noexcept;

    int length;
    std::vector<double> left;   // length + 1 slots, length used
    std::vector<double> right;
    int index;
};
