#pragma once

#include "GainDetector.h"
#include "SoftplusTable.h"

#include <cstdint>
#include <cstring>

/** The block engine's gain computer: the one part of the detector that waits on its own
    previous result. Everything it reads was prepared across the block beforehand (the
    sensed key's log, the frame's noise offset), and it writes only the gain in dB, which
    the exp and the gain decimator take up across the block afterwards.

    It carries the gain in dB rather than linear: the sensing log (|m| (1 + g) / 2) is
    log |m / 2| + ln (1 + e^u) with u the gain in nepers, and the second term comes from
    SoftplusTable, so an evaluation holds no exp and no full log. The steps after the
    sensing are GainDetector's. */
class FeedbackLoop
{
public:
    FeedbackLoop() noexcept { reset(); }

    /** The state of a reset detector: unity gain fed back, envelopes at 0 dB. */
    void reset() noexcept
    {
        gainDb = 0.0;
        averageLevel2Db = -60.0;
        peakEnvDb = 0.0;
        rmsEnvDb1 = 0.0;
        rmsEnvDb2 = 0.0;
        peakGainDb = -60.0;
    }

    /** F evaluations for each of n frames, in order: sensedLog[p][t] and noise[t] in,
        the gain in dB out to gainsDb[p][t]. */
    template <typename Isa, int F>
    void run (const GainDetector::Curve& curve, const double* const (&sensedLog)[F], const double* noise, int n,
              double* const (&gainsDb)[F]) noexcept
    {
        constexpr double dbPerNeper = GainDetector::dbPerNeper;
        constexpr double stepsPerDb = SoftplusTable::segmentsPerNeper * GainDetector::nepersPerDb;
        // Segment index plus the shift that rounds it into the low mantissa bits.
        constexpr double indexShift = -SoftplusTable::segmentsPerNeper * SoftplusTable::lowestNeper + 0x1.8p52;
        const double floorNepers = std::log (GainDetector::sensingFloor);

        double x = gainDb;
        double average = averageLevel2Db;
        double peak = peakEnvDb;
        double rms1 = rmsEnvDb1;
        double rms2 = rmsEnvDb2;
        double rmsGain = rmsGainDb;

        for (int t = 0; t < n; ++t)
        {
            const double c = noise[t];

            for (int p = 0; p < F; ++p)
            {
                const double shifted = Isa::fma (x, stepsPerDb, indexShift);
                std::uint64_t bits;
                std::memcpy (&bits, &shifted, sizeof bits);
                // Below the table the index wraps to a huge value and lands on the zero segment.
                auto index = static_cast<std::uint32_t> (bits);
                index = index < SoftplusTable::zeroSegment ? index : SoftplusTable::zeroSegment;
                const double* k = softplus.segment (index).c;
                const double r = Isa::fma (x, stepsPerDb, indexShift - shifted);
                const double r2 = r * r;
                const double high = Isa::fma (Isa::fma (k[5], r, k[4]), r2, Isa::fma (k[3], r, k[2]));
                const double low = Isa::fma (k[1], r, k[0] + sensedLog[p][t]);
                double nepers = Isa::fma (high, r2, low);
                nepers = nepers > floorNepers ? nepers : floorNepers;

                const double rmsBase = average * curve.levelCoef * 0.5 + curve.rmsOffsetDb;
                const double twiceLevelDb = nepers * (2.0 * dbPerNeper);
                average = (average - twiceLevelDb) * curve.levelCoef + twiceLevelDb;

                const double peakTarget = GainDetector::pathTarget (nepers, curve.peakOffsetDb, dbPerNeper,
                                                                    curve.peakSlopeMinusOne, c, curve);
                peak = GainDetector::follow (peak, peakTarget, peakTarget > peak ? curve.peakReleaseCoef : curve.peakAttackCoef);

                const double rmsTarget = GainDetector::pathTarget (nepers, rmsBase, curve.levelPerNeper,
                                                                   curve.rmsSlopeMinusOne, c, curve);
                const bool rmsReleasing = rmsTarget > rms1;
                rms1 = GainDetector::follow (rms1, rmsTarget, rmsReleasing ? curve.rmsReleaseCoef1 : curve.rmsAttackCoef1);
                rms2 = GainDetector::follow (rms2, rmsTarget, rmsReleasing ? curve.rmsReleaseCoef2 : curve.rmsAttackCoef2);

                rmsGain = rms1 < rms2 ? rms1 : rms2;
                x = peak < rmsGain ? peak : rmsGain;
                gainsDb[p][t] = x;
            }
        }

        gainDb = x;
        averageLevel2Db = average;
        peakEnvDb = peak;
        rmsEnvDb1 = rms1;
        rmsEnvDb2 = rms2;
        peakGainDb = peak;
        rmsGainDb = rmsGain;
    }

    double gainDb;           // the gain fed back: the deeper of the two paths' at the last evaluation
    double averageLevel2Db;  // twice the averaged level in dB
    double peakEnvDb;
    double rmsEnvDb1;
    double rmsEnvDb2;
    double peakGainDb;
    double rmsGainDb = 0.0;  // written by the first evaluation

private:
    SoftplusTable softplus;
};
