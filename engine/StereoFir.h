#pragma once

#include <emmintrin.h>

#include <cstdlib>
#include <memory>

/** A linear-phase FIR over stereo frames: two lanes, one set of coefficients.

    The history holds every frame twice in a row, so the last N frames are always one
    contiguous run starting at writeIndex: the dot products never test for a wrap.
    The evaluation operations push a frame and return, in place, the sum over only those
    taps that can meet non-zero input in a 2x or 4x interpolator or decimator.
    Buffers are allocated once, at construction; nothing here allocates afterwards. */
class StereoFir
{
public:
    struct AlignedFree
    {
        void operator() (double* p) const noexcept { std::free (p); }
    };

    using AlignedBuffer = std::unique_ptr<double[], AlignedFree>;

    /** Builds an N-tap filter over coefs (N values, copied) and fills the history
        with fillValue. */
    StereoFir (int tapCount, const double* coefs, double fillValue);

    StereoFir (const StereoFir&) = delete;
    StereoFir& operator= (const StereoFir&) = delete;

    /** Stores the frame (a, b) as the newest one. */
    void push (double a, double b) noexcept;

    /** Push, then every tap. */
    void processFull (double& a, double& b) noexcept;

    /** Push, then taps 0, 2, ..., N-2. */
    void processEven (double& a, double& b) noexcept;

    /** Push, then taps 1, 3, ..., N-1. */
    void processOdd (double& a, double& b) noexcept;

    /** Push, then every tap k with k mod 4 == phase (phase 0..3). */
    void processPhase (int phase, double& a, double& b) noexcept;

    /** Push, then the centre tap N/2 alone (phase 0 of a half-band interpolator). */
    void processCentre (double& a, double& b) noexcept;

    /** Push, then the centre tap and the odd taps: a half-band filter's only
        non-zero coefficients. N is a multiple of 4, so the centre tap is even. */
    void processHalfBand (double& a, double& b) noexcept;

    /** Empties the history to fillValue; coefficients are kept. */
    void reset() noexcept;

    /** Whether the sums use the AVX kernels: true when the processor has AVX. Tests
        clear it to check the SSE2 kernels; nothing else writes it. */
    static bool avxKernels;

    int tapCount;
    int centreIndex;
    double centreCoef[2];
    double fillValue;
    AlignedBuffer laneCoefs;  // c[0], c[0], c[1], c[1], ...: 2N doubles, 64-byte aligned
    AlignedBuffer history;    // 2N frames: two copies of the last N, 64-byte aligned
    int writeIndex;

private:
    // The even and then the odd coefficients, each once per lane: the stride-2 sums read
    // two taps per 32-byte load on processors with AVX.
    AlignedBuffer strideTwoCoefs;

    __m128d evenSum() const noexcept;
    __m128d oddSum() const noexcept;
    void store (double a, double b) noexcept;
    void advance() noexcept;
};
