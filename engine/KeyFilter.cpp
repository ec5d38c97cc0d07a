#include "KeyFilter.h"

namespace
{
constexpr double twoPi = 6.283185307179586;

// Side stages sit this much higher than the mid stages, so the difference signal
// is trimmed of more low end than the sum.
constexpr double sideFactor = 1.3;

// "Off" is a fixed 20 Hz high-pass (26 Hz for the side).
constexpr double offHz = 20.0;

void firstOrderHighPass (double omega, double rate, double& b0, double& b1, double& a1) noexcept
{
    const double k = 2.0 * rate;
    const double norm = 1.0 / (k + omega);
    const double gain = k * norm;
    b0 = gain;
    b1 = -gain;
    a1 = (k - omega) * norm;
}

/** A stage's high-passes from their angular cut-offs (rad/s) at the processing rate. */
KeyFilter::Stage stageFor (double midOmega, double sideOmega, double rate) noexcept
{
    KeyFilter::Stage s;
    firstOrderHighPass (midOmega, rate, s.midB0, s.midB1, s.midA1);
    firstOrderHighPass (sideOmega, rate, s.sideB0, s.sideB1, s.sideA1);
    return s;
}
} // namespace

void KeyFilter::setLayout (int newSlope, double hz, double rate) noexcept
{
    slope = newSlope;

    switch (newSlope)
    {
        case off:
            for (auto& stage : stages)
                stage = stageFor (twoPi * offHz, twoPi * offHz * sideFactor, rate);
            break;

        case slope3Db:
        {
            // Four stages an octave apart, averaged: about 3 dB per octave below b.
            const double midB = 1.02 * hz;
            const double sideB = sideFactor * 1.02 * hz;
            const double factors[stageCount] = { 0.25, 0.5, 1.0, 2.0 };

            for (int i = 0; i < stageCount; ++i)
                stages[i] = stageFor (twoPi * (factors[i] * midB), twoPi * (factors[i] * sideB), rate);
            break;
        }

        case slope6Db:
            for (auto& stage : stages)
                stage = stageFor (twoPi * hz, twoPi * (sideFactor * hz), rate);
            break;

        default:
            // Two stages in series at 0.65 f land near -3 dB at f.
            for (auto& stage : stages)
                stage = stageFor (twoPi * (0.65 * hz), twoPi * (0.65 * sideFactor * hz), rate);
            break;
    }
}

void KeyFilter::reset() noexcept
{
    for (auto& h : histories)
        h = {};
}
