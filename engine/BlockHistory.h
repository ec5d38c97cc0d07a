#pragma once

#include <array>
#include <cstddef>
#include <cstring>

/** One signal's last H samples followed by the current chunk of up to C, in one
    contiguous run: sample i - j of the chunk (j <= H) is at chunk()[i - j], so the
    block filters read their taps without a wrap test. C is a multiple of every vector
    step, so sums may run on to a whole step past the chunk's end; what they read
    there is stale but finite, and those results are never used. */
template <int H, int C>
class BlockHistory
{
public:
    explicit BlockHistory (double fill = 0.0) noexcept { reset (fill); }

    /** Fills the history (and the chunk area) with fill. */
    void reset (double fill) noexcept { data.fill (fill); }

    double* chunk() noexcept { return data.data() + H; }
    const double* chunk() const noexcept { return data.data() + H; }

    /** After a chunk of n samples: its last H samples become the next one's history. */
    void retire (int n) noexcept { std::memmove (data.data(), data.data() + n, H * sizeof (double)); }

private:
    alignas (64) std::array<double, static_cast<std::size_t> (H + C)> data;
};
