#pragma once

#include "EngineParams.h"
#include "EngineState.h"
#include "Logarithms.h"
#include "Simd.h"

/** The block path for one instruction set (Isa, a Simd<W>), one chunk of host frames
    at a time: it reads the parameters and carries the state it is given.

    The stages, in order: the input (cleaned) and its noise offsets; the 2x upsampling
    (below 88200 Hz); the key's mid and side, the key filter (serial but independent of
    the gain) and the stereo matrix; the key interpolation and the log of the sensed key,
    vectorised; the feedback loop, the only part that waits on the previous gain; the
    gains back to linear and their decimation; the key delay, the delta, the downsampling
    and the mix, vectorised.

    Each instruction set's file instantiates its own width, built for its target. Every
    function the path calls is a template on Isa or an accessor that is always inlined:
    an out-of-line copy of anything else, built for a wider target, could be the one the
    linker keeps for every path. */
template <typename Isa>
class EngineKernels
{
public:
    static void processChunk (const EngineParams& p, EngineState& s, double* left, double* right, int n) noexcept;

private:
    using Buffers = EngineState::Buffers;

    static void readInput (EngineState& s, const double* left, const double* right, int n) noexcept;
    static void formKey (const EngineParams& p, EngineState& s, int n) noexcept;

    template <int F>
    static void detect (const EngineParams& p, EngineState& s, KeyInterpolator<F>& keyUp, GainDecimator<F>& gainDown,
                        int frames) noexcept;

    static void deltaOversampled (EngineState& s, int n) noexcept;
    static void deltaPlain (EngineState& s, int n) noexcept;

    template <int H>
    static void delay (BlockHistory<H, EngineChunk::hostFrames>& history, const double* in, double* out, int n) noexcept;

    static void mix (const EngineSettings& settings, const Buffers& b, double* left, double* right, int n) noexcept;
    static void copy (const double* from, double* to, int n) noexcept;
};

extern template class EngineKernels<Simd<2>>;
extern template class EngineKernels<Simd<4>>;
extern template class EngineKernels<Simd<8>>;

template <typename Isa>
void EngineKernels<Isa>::processChunk (const EngineParams& p, EngineState& s, double* left, double* right, int n) noexcept
{
    Buffers& b = s.buffers;
    readInput (s, left, right, n);

    int frames = n;

    if (p.oversampling)
    {
        s.upsampler.template process<Isa> (b.inL, b.inR, n, b.up0L, b.up0R, b.up1L, b.up1R);
        frames = 2 * n;
    }

    formKey (p, s, n);

    if (p.settings.precise)
        detect (p, s, s.keyUpByFour, s.gainDownByFour, frames);
    else
        detect (p, s, s.keyUpByTwo, s.gainDownByTwo, frames);

    if (p.oversampling)
        deltaOversampled (s, n);
    else
        deltaPlain (s, n);

    mix (p.settings, b, left, right, n);
    s.lastGain = b.gain[frames - 1];
}

template <typename Isa>
void EngineKernels<Isa>::readInput (EngineState& s, const double* left, const double* right, int n) noexcept
{
    Buffers& b = s.buffers;

    // Non-finite samples are read as silence, so that one bad value cannot poison the
    // filters and envelopes for good (x - x is not 0 for them).
    for (int i = 0; i < n; ++i)
    {
        b.inL[i] = left[i] - left[i] == 0.0 ? left[i] : 0.0;
        b.inR[i] = right[i] - right[i] == 0.0 ? right[i] : 0.0;
    }

    int index = s.noiseIndex;
    for (int i = 0; i < n; ++i)
    {
        index = (index + 1) & 255;
        b.noise[i] = s.noiseTable[index];
    }

    s.noiseIndex = index;
}

/** The key of every frame at the processing rate: mid and side with the frame's noise
    offset, the key filter, the stereo matrix. x carries the right channel and y the left. */
template <typename Isa>
void EngineKernels<Isa>::formKey (const EngineParams& p, EngineState& s, int n) noexcept
{
    Buffers& b = s.buffers;
    int frames = n;

    if (p.oversampling)
    {
        frames = 2 * n;

        for (int i = 0; i < n; ++i)
        {
            b.subNoise[2 * i] = b.noise[i];
            b.subNoise[2 * i + 1] = b.noise[i];
            b.mid[2 * i] = (b.up0R[i] + b.up0L[i]) * 0.5 + b.noise[i];
            b.side[2 * i] = (b.up0L[i] - b.up0R[i]) * 0.5 + b.noise[i];
            b.mid[2 * i + 1] = (b.up1R[i] + b.up1L[i]) * 0.5 + b.noise[i];
            b.side[2 * i + 1] = (b.up1L[i] - b.up1R[i]) * 0.5 + b.noise[i];
        }
    }
    else
    {
        for (int i = 0; i < n; ++i)
        {
            b.mid[i] = (b.inR[i] + b.inL[i]) * 0.5 + b.noise[i];
            b.side[i] = (b.inL[i] - b.inR[i]) * 0.5 + b.noise[i];
        }

        copy (b.noise, b.subNoise, n);
    }

    s.keyFilter.template process<Isa> (b.mid, b.side, frames);

    // The stereo matrix, in place: mid becomes the first key signal, side the second.
    const double diff = p.settings.stereoDiff;

    for (int t = 0; t < frames; ++t)
    {
        const double m = b.mid[t];
        const double d = b.side[t];
        b.mid[t] = m - diff * d;
        b.side[t] = m + diff * d;
    }
}

template <typename Isa>
template <int F>
void EngineKernels<Isa>::detect (const EngineParams& p, EngineState& s, KeyInterpolator<F>& keyUp,
                                 GainDecimator<F>& gainDown, int frames) noexcept
{
    using V = typename Isa::Vec;
    constexpr int w = Isa::width;
    Buffers& b = s.buffers;

    double* sensedLog[static_cast<size_t> (F)];
    double* gainDb[static_cast<size_t> (F)];

    for (int q = 0; q < F; ++q)
    {
        sensedLog[q] = b.sensedLog[q];
        gainDb[q] = b.gainDb[q];
    }

    keyUp.template process<Isa> (b.mid, b.side, frames, sensedLog);
    s.feedbackLoop.template run<Isa, F> (p.curve, sensedLog, b.subNoise, frames, gainDb);

    for (int q = 0; q < F; ++q)
    {
        double* linear = gainDown.phase (q);

        for (int t = 0; t < frames; t += w)
        {
            const V db = Isa::load (gainDb[q] + t);
            Isa::store (linear + t, Isa::exp (db * Isa::broadcast (Logarithms::nepersPerDb)));
        }
    }

    gainDown.template process<Isa> (frames, b.gain);
}

template <typename Isa>
void EngineKernels<Isa>::deltaOversampled (EngineState& s, int n) noexcept
{
    Buffers& b = s.buffers;
    const double* const sub[4] = { b.up0L, b.up0R, b.up1L, b.up1R };
    double* const delta[4] = { s.downsampler.phase0 (0), s.downsampler.phase0 (1), s.downsampler.phase1 (0),
                               s.downsampler.phase1 (1) };

    // The key delay of 8 frames of each phase: each gain meets the audio it came from.
    for (int k = 0; k < 4; ++k)
    {
        double* audio = s.keyHistory[k].chunk();
        const int phase = k / 2;

        for (int i = 0; i < n; ++i)
            audio[i] = sub[k][i];

        for (int i = 0; i < n; ++i)
        {
            const double g = b.gain[2 * i + phase];
            const double a = audio[i - 8];
            delta[k][i] = g * a - a;
        }

        s.keyHistory[k].retire (n);
    }

    s.downsampler.template process<Isa> (n, b.deltaL, b.deltaR);
    delay (s.dryHistory[0], b.inL, b.dryL, n);
    delay (s.dryHistory[1], b.inR, b.dryR, n);
}

template <typename Isa>
void EngineKernels<Isa>::deltaPlain (EngineState& s, int n) noexcept
{
    Buffers& b = s.buffers;

    // Dry and delta are both 8 frames late; so each gain meets audio 8 frames older.
    delay (s.keyHistory[0], b.inL, b.dryL, n);
    delay (s.keyHistory[1], b.inR, b.dryR, n);

    for (int i = 0; i < n; ++i)
    {
        b.deltaL[i] = b.gain[i] * b.dryL[i] - b.dryL[i];
        b.deltaR[i] = b.gain[i] * b.dryR[i] - b.dryR[i];
    }
}

template <typename Isa>
template <int H>
void EngineKernels<Isa>::delay (BlockHistory<H, EngineChunk::hostFrames>& history, const double* in, double* out,
                                int n) noexcept
{
    double* x = history.chunk();

    for (int i = 0; i < n; ++i)
        x[i] = in[i];

    for (int i = 0; i < n; ++i)
        out[i] = x[i - H];

    history.retire (n);
}

template <typename Isa>
void EngineKernels<Isa>::mix (const EngineSettings& settings, const Buffers& b, double* left, double* right, int n) noexcept
{
    if (settings.bypass)
    {
        copy (b.dryL, left, n);
        copy (b.dryR, right, n);
        return;
    }

    if (settings.delta)
    {
        copy (b.deltaL, left, n);
        copy (b.deltaR, right, n);
        return;
    }

    const double makeup = settings.makeupGain;
    const double dry = settings.dryGain;
    const double out = settings.outputGain;

    // dry + delta is the compressed signal.
    for (int i = 0; i < n; ++i)
    {
        left[i] = ((b.dryL[i] + b.deltaL[i]) * makeup + dry * b.dryL[i]) * out;
        right[i] = ((b.dryR[i] + b.deltaR[i]) * makeup + dry * b.dryR[i]) * out;
    }
}

template <typename Isa>
void EngineKernels<Isa>::copy (const double* from, double* to, int n) noexcept
{
    for (int i = 0; i < n; ++i)
        to[i] = from[i];
}
