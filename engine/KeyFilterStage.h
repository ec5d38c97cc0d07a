#pragma once

#include <array>
#include <cstddef>

/** One first-order high-pass for the mid and one for the side signal of the key.
    Four of these make up the key filter; the slope setting decides how they combine. */
class KeyFilterStage
{
public:
    static constexpr int stageCount = 4;
    using Bank = std::array<KeyFilterStage, stageCount>;

    /** Filters (mid, side) in place. */
    [[gnu::always_inline]] void process (double& mid, double& side) noexcept
    {
        const double ym = midB0 * mid + midB1 * midX1 + midA1 * midY1;
        midX1 = mid;
        midY1 = ym;
        mid = ym;

        const double ys = sideB0 * side + sideB1 * sideX1 + sideA1 * sideY1;
        sideX1 = side;
        sideY1 = ys;
        side = ys;
    }

    /** Sets the coefficients of both high-passes from their angular cut-offs (rad/s)
        at the given processing rate; bilinear transform without pre-warping. The state
        is kept. */
    void setCutoffs (double midOmega, double sideOmega, double rate) noexcept;

    /** Clears the state; the coefficients are kept. */
    void reset() noexcept;

    /** The slope setting (0 off, 1 3 dB/oct, 2 6 dB/oct, 3 12 dB/oct) of a normalized
        slope value; the thresholds are the float values 0.1, 0.2 and 0.3. */
    static int slopeFromNormalized (float value) noexcept;

    /** Sets the coefficients of all four stages for a slope setting, a cut-off in Hz and
        a processing rate in Hz; the stages' state is kept. */
    static void applyLayout (Bank& stages, int slope, double hz, double rate) noexcept;

    /** One key filter step on (mid, side) through the stages the slope uses. */
    [[gnu::always_inline]] static void filter (Bank& stages, int slope, double& mid, double& side) noexcept
    {
        if (slope == 1)
        {
            double m[stageCount];
            double s[stageCount];

            for (int i = 0; i < stageCount; ++i)
            {
                m[i] = mid;
                s[i] = side;
                stages[static_cast<std::size_t> (i)].process (m[i], s[i]);
            }

            mid = 0.25 * (((m[0] + m[1]) + m[2]) + m[3]);
            side = 0.25 * (((s[0] + s[1]) + s[2]) + s[3]);
            return;
        }

        stages[0].process (mid, side);

        if (slope == 3)
            stages[1].process (mid, side);
    }

    double midX1 = 0.0;
    double midY1 = 0.0;
    double sideX1 = 0.0;
    double sideY1 = 0.0;
    double midB0 = 0.0;
    double midB1 = 0.0;
    double midA1 = 0.0;
    double sideB0 = 0.0;
    double sideB1 = 0.0;
    double sideA1 = 0.0;
};
