#pragma once

#include <cstdint>

/** ln (1 + e^u) for a gain in dB, u = dB x ln 10 / 20, by a table of quintics: the
    feedback loop's sensing, log (|m| (1 + g) / 2), is log |m / 2| (found across the
    block, before the loop) plus this term, so the loop carries one table lookup and a
    short polynomial instead of an exp and a log.

    Segments are 1/16 neper wide and cover u from -40 to 1: below that the term is
    under 4.3e-18 and reads as 0 (the table's last entry). Each quintic is the Taylor
    polynomial at its segment's centre; within a whole segment width of the centre
    (twice the nearest centre's reach) it is exact to 2.1e-11, so the loop may keep
    using the segment of the previous evaluation while the gain moves slowly. */
class SoftplusTable
{
public:
    static constexpr int segmentsPerNeper = 16;
    static constexpr int lowestNeper = -40;
    static constexpr int segments = 657;              // u up to 1, past any gain the curve gives
    static constexpr std::uint32_t zeroSegment = segments;

    struct alignas (64) Segment
    {
        double c[6];  // powers 0..5 of the offset from the centre, in segment widths
    };

    SoftplusTable() noexcept;

    [[gnu::always_inline]] const Segment& segment (std::uint32_t index) const noexcept { return table[index]; }

private:
    Segment table[segments + 1] {};
};
