#pragma once

#include "CompressorEngine.h"

/** The block path of CompressorEngine for one instruction set (Isa, a Simd<W>), one
    chunk of host frames at a time. Included only by the files that build it for their
    target, each with its own width.

    The stages, in order: the input (cleaned) and its noise offsets; the 2x upsampling
    (below 88200 Hz); the key filter, serial but independent of the gain; the key
    interpolation and the log of the sensed key, vectorised; the feedback loop, the only
    part that waits on the previous gain; the gains back to linear and their decimation;
    the key delay, the delta, the downsampling and the mix, vectorised. */
template <typename Isa>
struct EngineKernels
{
    using Buffers = CompressorEngine::Buffers;

    static void processChunk (CompressorEngine& e, double* left, double* right, int n) noexcept
    {
        Buffers& b = e.buffers;
        readInput (e, left, right, n);

        int frames = n;

        if (e.oversampling)
        {
            e.blockUpsampler.template process<Isa> (b.inL, b.inR, n, b.up0L, b.up0R, b.up1L, b.up1R);
            frames = 2 * n;
        }

        formKey (e, n);

        if (e.precise == 1)
            detect (e, e.keyUpByFour, e.gainDownByFour, frames);
        else
            detect (e, e.keyUpByTwo, e.gainDownByTwo, frames);

        if (e.oversampling)
            deltaOversampled (e, n);
        else
            deltaPlain (e, n);

        mix (e, left, right, n);
        e.blockGain = b.gain[frames - 1];
    }

    static void readInput (CompressorEngine& e, const double* left, const double* right, int n) noexcept
    {
        Buffers& b = e.buffers;

        // Non-finite samples are read as silence (x - x is not 0 for them).
        for (int i = 0; i < n; ++i)
        {
            b.inL[i] = left[i] - left[i] == 0.0 ? left[i] : 0.0;
            b.inR[i] = right[i] - right[i] == 0.0 ? right[i] : 0.0;
        }

        int index = e.blockNoiseIndex;

        for (int i = 0; i < n; ++i)
        {
            index = (index + 1) & 255;
            b.noise[i] = e.noiseTable[static_cast<std::size_t> (index)];
        }

        e.blockNoiseIndex = index;
    }

    /** The key of every frame at the processing rate: mid and side with the frame's
        noise offset, the key filter, the stereo matrix. Serial through the filter's
        state, which stays in registers for the chunk. */
    static void formKey (CompressorEngine& e, int n) noexcept
    {
        switch (e.keySlope)
        {
            case 1: formKeyWith<1> (e, n); break;
            case 3: formKeyWith<3> (e, n); break;
            default: formKeyWith<0> (e, n); break;
        }
    }

    /** The stages one slope runs, as locals: 1 runs four side by side, 3 two in series,
        the others one. */
    template <int slope>
    static void formKeyWith (CompressorEngine& e, int n) noexcept
    {
        constexpr int used = slope == 1 ? 4 : (slope == 3 ? 2 : 1);
        Buffers& b = e.buffers;
        const double diff = e.stereoDiff;
        double midX[used], midY[used], sideX[used], sideY[used];
        double midB0[used], midB1[used], midA1[used], sideB0[used], sideB1[used], sideA1[used];

        for (int s = 0; s < used; ++s)
        {
            const auto& stage = e.keyStages[static_cast<std::size_t> (s)];
            midX[s] = stage.midX1;
            midY[s] = stage.midY1;
            sideX[s] = stage.sideX1;
            sideY[s] = stage.sideY1;
            midB0[s] = stage.midB0;
            midB1[s] = stage.midB1;
            midA1[s] = stage.midA1;
            sideB0[s] = stage.sideB0;
            sideB1[s] = stage.sideB1;
            sideA1[s] = stage.sideA1;
        }

        // KeyFilterStage::process with the feedback term fused: the recursion through
        // the previous output then waits one multiply-add per frame instead of two steps.
        const auto stageStep = [&] (int s, double& mid, double& side)
        {
            const double ym = Isa::fma (midA1[s], midY[s], midB0[s] * mid + midB1[s] * midX[s]);
            midX[s] = mid;
            midY[s] = ym;
            mid = ym;
            const double ys = Isa::fma (sideA1[s], sideY[s], sideB0[s] * side + sideB1[s] * sideX[s]);
            sideX[s] = side;
            sideY[s] = ys;
            side = ys;
        };

        const auto key = [&] (double x, double y, double noise, int t)
        {
            double mid = (x + y) * 0.5 + noise;
            double side = (y - x) * 0.5 + noise;

            if constexpr (slope == 1)
            {
                double m[4], si[4];

                for (int s = 0; s < 4; ++s)
                {
                    m[s] = mid;
                    si[s] = side;
                    stageStep (s, m[s], si[s]);
                }

                mid = 0.25 * (((m[0] + m[1]) + m[2]) + m[3]);
                side = 0.25 * (((si[0] + si[1]) + si[2]) + si[3]);
            }
            else
            {
                for (int s = 0; s < used; ++s)
                    stageStep (s, mid, side);
            }

            b.key1[t] = mid - diff * side;
            b.key2[t] = mid + diff * side;
            b.subNoise[t] = noise;
        };

        // x carries the right channel and y the left, as in the per-frame stage.
        if (e.oversampling)
        {
            for (int i = 0; i < n; ++i)
            {
                key (b.up0R[i], b.up0L[i], b.noise[i], 2 * i);
                key (b.up1R[i], b.up1L[i], b.noise[i], 2 * i + 1);
            }
        }
        else
        {
            for (int i = 0; i < n; ++i)
                key (b.inR[i], b.inL[i], b.noise[i], i);
        }

        for (int s = 0; s < used; ++s)
        {
            auto& stage = e.keyStages[static_cast<std::size_t> (s)];
            stage.midX1 = midX[s];
            stage.midY1 = midY[s];
            stage.sideX1 = sideX[s];
            stage.sideY1 = sideY[s];
        }
    }

    template <int F>
    static void detect (CompressorEngine& e, KeyInterpolator<F>& keyUp, GainDecimator<F>& gainDown, int frames) noexcept
    {
        using V = typename Isa::Vec;
        constexpr int w = Isa::width;
        Buffers& b = e.buffers;

        double* sensedLog[F];
        double* gainDb[F];

        for (int p = 0; p < F; ++p)
        {
            sensedLog[p] = b.sensedLog[p];
            gainDb[p] = b.gainDb[p];
        }

        keyUp.template process<Isa> (b.key1, b.key2, frames, sensedLog);
        e.feedbackLoop.template run<Isa, F> (e.detector.loadCurve(), sensedLog, b.subNoise, frames, gainDb);

        for (int p = 0; p < F; ++p)
        {
            double* linear = gainDown.phase (p);

            for (int t = 0; t < frames; t += w)
            {
                const V db = Isa::load (gainDb[p] + t);
                Isa::store (linear + t, Isa::exp (db * Isa::broadcast (GainDetector::nepersPerDb)));
            }
        }

        gainDown.template process<Isa> (frames, b.gain);
    }

    static void deltaOversampled (CompressorEngine& e, int n) noexcept
    {
        Buffers& b = e.buffers;
        const double* const sub[4] = { b.up0L, b.up0R, b.up1L, b.up1R };
        double* const delta[4] = { e.blockDownsampler.phase0 (0), e.blockDownsampler.phase0 (1),
                                   e.blockDownsampler.phase1 (0), e.blockDownsampler.phase1 (1) };

        // The key delay of 8 frames of each phase: each gain meets the audio it came from.
        for (int s = 0; s < 4; ++s)
        {
            double* audio = e.keyHistory[s].chunk();
            const int phase = s / 2;

            for (int i = 0; i < n; ++i)
                audio[i] = sub[s][i];

            for (int i = 0; i < n; ++i)
            {
                const double g = b.gain[2 * i + phase];
                const double a = audio[i - 8];
                delta[s][i] = g * a - a;
            }

            e.keyHistory[s].retire (n);
        }

        e.blockDownsampler.template process<Isa> (n, b.deltaL, b.deltaR);
        delay (e.dryHistory[0], b.inL, b.dryL, n);
        delay (e.dryHistory[1], b.inR, b.dryR, n);
    }

    static void deltaPlain (CompressorEngine& e, int n) noexcept
    {
        Buffers& b = e.buffers;

        // Dry and delta are both 8 frames late; so each gain meets audio 8 frames older.
        delay (e.keyHistory[0], b.inL, b.dryL, n);
        delay (e.keyHistory[1], b.inR, b.dryR, n);

        for (int i = 0; i < n; ++i)
        {
            b.deltaL[i] = b.gain[i] * b.dryL[i] - b.dryL[i];
            b.deltaR[i] = b.gain[i] * b.dryR[i] - b.dryR[i];
        }
    }

    template <int H>
    static void delay (BlockHistory<H, EngineChunk::hostFrames>& history, const double* in, double* out, int n) noexcept
    {
        double* x = history.chunk();

        for (int i = 0; i < n; ++i)
            x[i] = in[i];

        for (int i = 0; i < n; ++i)
            out[i] = x[i - H];

        history.retire (n);
    }

    static void mix (const CompressorEngine& e, double* left, double* right, int n) noexcept
    {
        const Buffers& b = e.buffers;

        if (e.bypassOn)
        {
            copy (b.dryL, left, n);
            copy (b.dryR, right, n);
            return;
        }

        if (e.deltaOn)
        {
            copy (b.deltaL, left, n);
            copy (b.deltaR, right, n);
            return;
        }

        const double makeup = e.makeupGain;
        const double dry = e.dryGain;
        const double out = e.outputGain;

        // dry + delta is the compressed signal.
        for (int i = 0; i < n; ++i)
        {
            left[i] = ((b.dryL[i] + b.deltaL[i]) * makeup + dry * b.dryL[i]) * out;
            right[i] = ((b.dryR[i] + b.deltaR[i]) * makeup + dry * b.dryR[i]) * out;
        }
    }

    static void copy (const double* from, double* to, int n) noexcept
    {
        for (int i = 0; i < n; ++i)
            to[i] = from[i];
    }
};
