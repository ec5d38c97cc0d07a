#pragma once

#include <array>
#include <cstddef>

/** A 16 F-tap table split into its F phases of 16 taps, tap j of phase p being
    c[p + F j]: the only taps one phase of a zero-stuffed interpolator by F, or one
    phase's gains in a decimator by F, ever meet. */
template <int F>
struct PhaseTaps
{
    static constexpr int perPhase = 16;
    static constexpr std::size_t tapCount = 16 * F;

    explicit PhaseTaps (const std::array<double, tapCount>& table) noexcept
    {
        for (int p = 0; p < F; ++p)
            for (int j = 0; j < perPhase; ++j)
                values[p * perPhase + j] = table[static_cast<std::size_t> (p + F * j)];
    }

    [[gnu::always_inline]] double operator() (int p, int j) const noexcept { return values[p * perPhase + j]; }

    alignas (64) double values[tapCount];
};
