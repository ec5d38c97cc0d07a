#pragma once

#include <cstddef>

/** The detector's key high-pass: four first-order stages, each a high-pass for the mid
    and one for the side signal of the key, combined as the slope setting says. Slope 1
    averages four stages an octave apart, 3 runs two in series, the others run one.

    Coefficients apart from state: setLayout never touches the state, reset never the
    coefficients. Until the first setLayout every coefficient is zero and so is the key. */
class KeyFilter
{
public:
    static constexpr int stageCount = 4;

    /** The slope settings. */
    enum Slope
    {
        off = 0,      // a fixed 20 Hz high-pass all the same, to keep DC out of the detector
        slope3Db = 1,
        slope6Db = 2,
        slope12Db = 3
    };

    /** One stage's coefficients: y = b0 x + b1 x[-1] + a1 y[-1], for mid and side. */
    struct Stage
    {
        double midB0, midB1, midA1, sideB0, sideB1, sideA1;
    };

    /** Sets the coefficients of every stage for a slope setting, a cut-off in Hz and a
        processing rate in Hz (bilinear transform without pre-warping). */
    void setLayout (int slope, double hz, double rate) noexcept;

    /** Clears the stages' histories. */
    void reset() noexcept;

    /** Filters n frames of the key's mid and side signals in place, serially: its
        state stays in registers for the whole run. */
    template <typename Isa>
    void process (double* mid, double* side, int n) noexcept;

private:
    struct History
    {
        double midX1, midY1, sideX1, sideY1;
    };

    template <typename Isa, int used, bool averaged>
    void run (double* mid, double* side, int n) noexcept;

    int slope = off;
    Stage stages[stageCount] {};
    History histories[stageCount] {};
};

template <typename Isa>
void KeyFilter::process (double* mid, double* side, int n) noexcept
{
    switch (slope)
    {
        case slope3Db: run<Isa, stageCount, true> (mid, side, n); break;
        case slope12Db: run<Isa, 2, false> (mid, side, n); break;
        default: run<Isa, 1, false> (mid, side, n); break;
    }
}

template <typename Isa, int used, bool averaged>
void KeyFilter::run (double* mid, double* side, int n) noexcept
{
    constexpr auto count = static_cast<std::size_t> (used);
    Stage c[count];
    History h[count];

    for (int s = 0; s < used; ++s)
    {
        c[s] = stages[s];
        h[s] = histories[s];
    }

    // The feedback term fused: the recursion through the previous output then waits
    // one multiply-add per frame instead of two steps.
    const auto step = [&] (int s, double& m, double& d)
    {
        const double ym = Isa::fma (c[s].midA1, h[s].midY1, c[s].midB0 * m + c[s].midB1 * h[s].midX1);
        h[s].midX1 = m;
        h[s].midY1 = ym;
        m = ym;
        const double ys = Isa::fma (c[s].sideA1, h[s].sideY1, c[s].sideB0 * d + c[s].sideB1 * h[s].sideX1);
        h[s].sideX1 = d;
        h[s].sideY1 = ys;
        d = ys;
    };

    for (int t = 0; t < n; ++t)
    {
        if constexpr (averaged)
        {
            double m[count], d[count];

            for (int s = 0; s < used; ++s)
            {
                m[s] = mid[t];
                d[s] = side[t];
                step (s, m[s], d[s]);
            }

            mid[t] = 0.25 * (((m[0] + m[1]) + m[2]) + m[3]);
            side[t] = 0.25 * (((d[0] + d[1]) + d[2]) + d[3]);
        }
        else
        {
            for (int s = 0; s < used; ++s)
                step (s, mid[t], side[t]);
        }
    }

    for (int s = 0; s < used; ++s)
        histories[s] = h[s];
}
