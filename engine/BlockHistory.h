#pragma once

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
    void reset (double fill) noexcept
    {
        for (auto& x : data)
            x = fill;
    }

    // Always inlined, like every small member the block path calls: an out-of-line copy
    // built for one instruction set could be linked into another's path.
    [[gnu::always_inline]] double* chunk() noexcept { return data + H; }
    [[gnu::always_inline]] const double* chunk() const noexcept { return data + H; }

    /** After a chunk of n samples: its last H samples become the next one's history. */
    [[gnu::always_inline]] void retire (int n) noexcept { std::memmove (data, data + n, H * sizeof (double)); }

private:
    alignas (64) double data[static_cast<std::size_t> (H + C)];
};
