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
    void push (double a, double b) noexcept
    {
        store (a, b);
        advance();
    }

    /** Push, then every tap. */
    void processFull (double& a, double& b) noexcept;

    /** Push (x, x), then every tap on lane a alone: for filters whose two lanes carry
        the same signal, such as the gain decimators. Returns what processFull would
        leave in a, whatever lane b holds. */
    double processFullMono (double x) noexcept;

    /** Push, then taps 0, 2, ..., N-2. */
    void processEven (double& a, double& b) noexcept;

    /** Push, then taps 1, 3, ..., N-1. */
    void processOdd (double& a, double& b) noexcept;

    /** Push, then every tap k with k mod 4 == phase (phase 0..3). */
    void processPhase (int phase, double& a, double& b) noexcept;

    /** A whole 2x interpolation step: the same as processEven on (a, b) followed by
        processOdd on a stuffed (0, 0), which leave phase 0 in (a, b) and phase 1 in
        (a1, b1). Both phases read only the real input frames, so one pass over them
        serves both (for even N). */
    void interpolateByTwo (double& a, double& b, double& a1, double& b1) noexcept;

    /** A whole 4x interpolation step: (a[0], b[0]) is pushed, then three stuffed zero
        frames; a[p], b[p] receive what processPhase (p) would give after each push.
        One pass for N a multiple of 4, phase by phase otherwise. */
    void interpolateByFour (double (&a)[4], double (&b)[4]) noexcept;

    /** Push, then the centre tap N/2 alone (phase 0 of a half-band interpolator). */
    void processCentre (double& a, double& b) noexcept
    {
        store (a, b);
        const double* centre = history.get() + 2 * (writeIndex + centreIndex);
        a = centreCoef[0] * centre[0];
        b = centreCoef[1] * centre[1];
        advance();
    }

    /** Push, then the centre tap and the odd taps: a half-band filter's only
        non-zero coefficients. N is a multiple of 4, so the centre tap is even. */
    void processHalfBand (double& a, double& b) noexcept;

    /** Empties the history to fillValue; coefficients are kept. */
    void reset() noexcept;

    int tapCount;
    int centreIndex;
    double centreCoef[2];
    double fillValue;
    AlignedBuffer laneCoefs;  // c[0], c[0], c[1], c[1], ...: 2N doubles, 64-byte aligned
    AlignedBuffer history;    // 2N frames: two copies of the last N, 64-byte aligned
    int writeIndex;

private:
    // Every coefficient once, in groups of four taps ordered k, k + 2, k + 1, k + 3: the
    // order in which one unpack of two frame pairs gathers lane a (N a multiple of 4).
    AlignedBuffer monoCoefs;

    // Taps mirrored about N/2 (c[k] == c[N - k]) with tap 0 at zero, as in every
    // linear-phase table here: each sum then adds the two mirrored frames first and
    // multiplies once, half the multiplies.
    bool symmetric;

    template <int step>
    __m128d tapSum (int residue) const noexcept;

    template <int factor>
    void interpolate (double* a, double* b) noexcept;

    void store (double a, double b) noexcept
    {
        // One 16-byte store per copy: the sums read the frame back with 16-byte loads at
        // once, and those only forward from a store of the same width.
        const __m128d frame = _mm_set_pd (b, a);
        double* h = history.get();
        _mm_store_pd (h + 2 * writeIndex, frame);
        _mm_store_pd (h + 2 * (writeIndex + tapCount), frame);
    }

    void advance() noexcept
    {
        writeIndex = (writeIndex == 0 ? tapCount : writeIndex) - 1;
    }
};
