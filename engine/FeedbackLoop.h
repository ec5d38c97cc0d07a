#pragma once

#include "DetectorCurve.h"
#include "Logarithms.h"
#include "SoftplusTable.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

/** The block engine's gain computer: the one part of the detector that waits on its own
    previous result. Everything it reads was prepared across the block beforehand (the
    sensed key's log, the frame's noise offset), and it writes only the gain in dB, which
    the exp and the gain decimator take up across the block afterwards.

    It carries the gain in dB rather than linear: the sensing log (|m| (1 + g) / 2) is
    log |m / 2| + ln (1 + e^u) with u the gain in nepers, and the second term comes from
    SoftplusTable, so an evaluation holds no exp and no full log. The steps after the
    sensing (level averaging, knee, the two paths' envelopes) are the plain gain
    computer's, rearranged into fused multiply-adds. */
class FeedbackLoop
{
public:
    FeedbackLoop() noexcept { reset(); }

    /** The state of a reset detector: unity gain fed back, envelopes at 0 dB. */
    void reset() noexcept
    {
        gainDb = 0.0;
        // A centre far from any gain: the first evaluation takes the nearest segment.
        centreSegment = SoftplusTable::zeroSegment;
        centreSegmentOffset = 1e300;
        averageLevel2Db = -60.0;
        peakEnvDb = 0.0;
        rmsEnvDb1 = 0.0;
        rmsEnvDb2 = 0.0;
        peakGainDb = -60.0;
    }

    /** F evaluations for each of n frames, in order: sensedLog[p][t] and noise[t] in,
        the gain in dB out to gainsDb[p][t]. */
    template <typename Isa, int F>
    void run (const DetectorCurve& curve, const double* const (&sensedLog)[static_cast<std::size_t> (F)],
              const double* noise, int n, double* const (&gainsDb)[static_cast<std::size_t> (F)]) noexcept
    {
        constexpr double dbPerNeper = Logarithms::dbPerNeper;
        constexpr double stepsPerDb = SoftplusTable::segmentsPerNeper * Logarithms::nepersPerDb;
        // Segment index plus the shift that rounds it into the low mantissa bits.
        constexpr double indexShift = -SoftplusTable::segmentsPerNeper * SoftplusTable::lowestNeper + 0x1.8p52;
        const double floorNepers = std::log (DetectorCurve::sensingFloor);
        const bool releaseSlower = curve.peakReleaseCoef >= curve.peakAttackCoef;

        double x = gainDb;
        double average = averageLevel2Db;
        double peak = peakEnvDb;
        double rms1 = rmsEnvDb1;
        double rms2 = rmsEnvDb2;
        double rmsGain = rmsGainDb;
        std::uint32_t centre = centreSegment;
        double centreOffset = centreSegmentOffset;

        for (int t = 0; t < n; ++t)
        {
            const double c = noise[t];

            for (int p = 0; p < F; ++p)
            {
                // The segment of this evaluation's gain, for the next evaluation: found
                // beside the loop rather than on it.
                const double shifted = Isa::fma (x, stepsPerDb, indexShift);
                std::uint64_t bits;
                std::memcpy (&bits, &shifted, sizeof bits);
                // Below the table the index wraps to a huge value and lands on the zero segment.
                auto index = static_cast<std::uint32_t> (bits);
                index = index < SoftplusTable::zeroSegment ? index : SoftplusTable::zeroSegment;
                const double nearestOffset = indexShift - shifted;

                // The previous gain's segment serves while the gain has moved less than
                // a segment width since; a jump waits for the nearest one.
                double r = Isa::fma (x, stepsPerDb, centreOffset);
                const double* k = softplus.segment (centre).c;

                if (__builtin_expect (! (r >= -1.0 && r <= 1.0), 0))
                {
                    r = Isa::fma (x, stepsPerDb, nearestOffset);
                    k = softplus.segment (index).c;
                }

                centre = index;
                centreOffset = nearestOffset;

                const double r2 = r * r;
                const double sensed = sensedLog[p][t];
                const double high = Isa::fma (Isa::fma (k[5], r, k[4]), r2, Isa::fma (k[3], r, k[2]));
                const double low = Isa::fma (k[1], r, k[0] + sensed);
                double nepers = Isa::fma (high, r2, low);

                // ln (1 + g) is at most ln 2: only a key within ln 2 below the floor
                // needs the comparison, which then waits on the loop.
                if (sensed < floorNepers)
                    nepers = sensed + Logarithms::ln2 < floorNepers || nepers < floorNepers ? floorNepers : nepers;

                const double rmsBase = average * curve.levelCoef * 0.5 + curve.rmsOffsetDb;
                const double twiceLevelDb = nepers * (2.0 * dbPerNeper);
                average = (average - twiceLevelDb) * curve.levelCoef + twiceLevelDb;

                const double peakTarget = target<Isa> (nepers, curve.peakOffsetDb, dbPerNeper, curve.peakSlopeMinusOne, c, curve);
                // The peak path turns between attack and release with every wave of the
                // key, too often for a branch to guess. Both steps instead: when release
                // is the slower (the larger coefficient), the chosen one is always the
                // lower of the two, otherwise the higher. Its min waits no longer than the
                // RMS path's.
                const double released = follow<Isa> (peak, peakTarget, curve.peakReleaseCoef);
                const double attacked = follow<Isa> (peak, peakTarget, curve.peakAttackCoef);

                if (releaseSlower)
                    peak = released < attacked ? released : attacked;
                else
                    peak = released > attacked ? released : attacked;

                const double rmsTarget = target<Isa> (nepers, rmsBase, curve.levelPerNeper, curve.rmsSlopeMinusOne, c, curve);
                const bool rmsReleasing = rmsTarget > rms1;
                rms1 = follow<Isa> (rms1, rmsTarget, rmsReleasing ? curve.rmsReleaseCoef1 : curve.rmsAttackCoef1);
                rms2 = follow<Isa> (rms2, rmsTarget, rmsReleasing ? curve.rmsReleaseCoef2 : curve.rmsAttackCoef2);

                rmsGain = rms1 < rms2 ? rms1 : rms2;
                x = peak < rmsGain ? peak : rmsGain;
                gainsDb[p][t] = x;
            }
        }

        gainDb = x;
        centreSegment = centre;
        centreSegmentOffset = centreOffset;
        averageLevel2Db = average;
        peakEnvDb = peak;
        rmsEnvDb1 = rms1;
        rmsEnvDb2 = rms2;
        peakGainDb = peak;
        rmsGainDb = rmsGain;
    }

    double gainDb;           // the gain fed back: the deeper of the two paths' at the last evaluation
    std::uint32_t centreSegment;  // the softplus segment nearest the gain fed into the last evaluation
    double centreSegmentOffset;   // minus that segment's index, plus the table's bias
    double averageLevel2Db;  // twice the averaged level in dB
    double peakEnvDb;
    double rmsEnvDb1;
    double rmsEnvDb2;
    double peakGainDb;
    double rmsGainDb = 0.0;  // written by the first evaluation

private:
    /** A path's target c + knee (over) x slope, for over = base + nepers x scale, with
        its multiply-adds fused: above the knee it is formed straight from nepers. */
    template <typename Isa>
    [[gnu::always_inline]] static double target (double nepers, double base, double scale, double slope, double c,
                                                 const DetectorCurve& curve) noexcept
    {
        const double over = Isa::fma (nepers, scale, base);

        if (over < -curve.kneeDb)
            return c;
        if (over < curve.kneeDb)
            return Isa::fma (Isa::fma (Isa::fma (over, curve.quarterOverKnee, 0.5), over, 0.25 * curve.kneeDb), slope, c);
        return Isa::fma (nepers, scale * slope, Isa::fma (base, slope, c));
    }

    /** One-pole step towards target, in the form (env - target) coef + target, which
        keeps rounding errors from piling up over long time constants. */
    template <typename Isa>
    [[gnu::always_inline]] static double follow (double env, double target, double coef) noexcept
    {
        return Isa::fma (env - target, coef, target);
    }

    SoftplusTable softplus;
};
