#include "StereoFir.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstddef>
#include <new>

namespace
{
constexpr std::size_t bufferAlignment = 64;

StereoFir::AlignedBuffer allocateAligned (std::size_t count)
{
    const std::size_t bytes = (count * sizeof (double) + bufferAlignment - 1) / bufferAlignment * bufferAlignment;
    auto* p = static_cast<double*> (std::aligned_alloc (bufferAlignment, bytes));

    if (p == nullptr)
        throw std::bad_alloc();

    return StereoFir::AlignedBuffer (p);
}

bool mirroredAboutCentre (int taps, const double* coefs) noexcept
{
    if (coefs[0] != 0.0)
        return false;

    for (int k = 1; k < taps; ++k)
        if (coefs[k] != coefs[taps - k])
            return false;

    return true;
}

/** Both lanes of sum c[first + i * step] * x[first + i * step] for i < count, with
    four independent partial sums (taps i mod 4) combined as (s0 + s1) + (s2 + s3).
    coefs and frames point at tap 0; every frame is 16-byte aligned. */
template <int step>
inline __m128d laneDot (const double* coefs, const double* frames, int first, int count) noexcept
{
    constexpr int stride = 2 * step;
    const double* c = coefs + 2 * first;
    const double* x = frames + 2 * first;

    __m128d s0 = _mm_setzero_pd();
    __m128d s1 = _mm_setzero_pd();
    __m128d s2 = _mm_setzero_pd();
    __m128d s3 = _mm_setzero_pd();
    int i = 0;

    for (; i + 4 <= count; i += 4)
    {
        s0 = _mm_add_pd (s0, _mm_mul_pd (_mm_load_pd (c), _mm_load_pd (x)));
        s1 = _mm_add_pd (s1, _mm_mul_pd (_mm_load_pd (c + stride), _mm_load_pd (x + stride)));
        s2 = _mm_add_pd (s2, _mm_mul_pd (_mm_load_pd (c + 2 * stride), _mm_load_pd (x + 2 * stride)));
        s3 = _mm_add_pd (s3, _mm_mul_pd (_mm_load_pd (c + 3 * stride), _mm_load_pd (x + 3 * stride)));
        c += 4 * stride;
        x += 4 * stride;
    }

    for (; i < count; ++i)
    {
        s0 = _mm_add_pd (s0, _mm_mul_pd (_mm_load_pd (c), _mm_load_pd (x)));
        c += stride;
        x += stride;
    }

    return _mm_add_pd (_mm_add_pd (s0, s1), _mm_add_pd (s2, s3));
}

/** Both lanes of sum c[k] * (x[k] + x[N - k]) over k = first + i * step, i < count:
    forward points at frame first, backward at frame N - first, coefs at c[first] (once
    per lane, consecutive taps). Four partial sums as in laneDot. */
template <int step>
inline __m128d foldedDot (const double* coefs, const double* forward, const double* backward, int count) noexcept
{
    constexpr int stride = 2 * step;
    const double* c = coefs;
    const double* f = forward;
    const double* b = backward;

    __m128d s0 = _mm_setzero_pd();
    __m128d s1 = _mm_setzero_pd();
    __m128d s2 = _mm_setzero_pd();
    __m128d s3 = _mm_setzero_pd();
    int i = 0;

    for (; i + 4 <= count; i += 4)
    {
        s0 = _mm_add_pd (s0, _mm_mul_pd (_mm_load_pd (c), _mm_add_pd (_mm_load_pd (f), _mm_load_pd (b))));
        s1 = _mm_add_pd (s1, _mm_mul_pd (_mm_load_pd (c + stride), _mm_add_pd (_mm_load_pd (f + stride), _mm_load_pd (b - stride))));
        s2 = _mm_add_pd (s2, _mm_mul_pd (_mm_load_pd (c + 2 * stride), _mm_add_pd (_mm_load_pd (f + 2 * stride), _mm_load_pd (b - 2 * stride))));
        s3 = _mm_add_pd (s3, _mm_mul_pd (_mm_load_pd (c + 3 * stride), _mm_add_pd (_mm_load_pd (f + 3 * stride), _mm_load_pd (b - 3 * stride))));
        c += 4 * stride;
        f += 4 * stride;
        b -= 4 * stride;
    }

    for (; i < count; ++i)
    {
        s0 = _mm_add_pd (s0, _mm_mul_pd (_mm_load_pd (c), _mm_add_pd (_mm_load_pd (f), _mm_load_pd (b))));
        c += stride;
        f += stride;
        b -= stride;
    }

    return _mm_add_pd (_mm_add_pd (s0, s1), _mm_add_pd (s2, s3));
}

inline void writeLanes (__m128d sum, double& a, double& b) noexcept
{
    _mm_storel_pd (&a, sum);
    _mm_storeh_pd (&b, sum);
}

/** The factor phase sums of a zero-stuffed interpolator at once: phase p is
    sum c[p + factor j] x[factor j] over the real frames, x pointing at the newest real
    frame. Both lanes of phase p go to sums[p]. Two partial sums per phase (j even, odd). */
template <int factor>
inline void phaseDots (const double* coefs, const double* x, int realFrames, __m128d (&sums)[factor]) noexcept
{
    __m128d even[factor];
    __m128d odd[factor];

    for (int p = 0; p < factor; ++p)
    {
        even[p] = _mm_setzero_pd();
        odd[p] = _mm_setzero_pd();
    }

    int j = 0;

    for (; j + 2 <= realFrames; j += 2)
    {
        const __m128d x0 = _mm_load_pd (x + 2 * factor * j);
        const __m128d x1 = _mm_load_pd (x + 2 * factor * (j + 1));

        for (int p = 0; p < factor; ++p)
        {
            even[p] = _mm_add_pd (even[p], _mm_mul_pd (_mm_load_pd (coefs + 2 * (factor * j + p)), x0));
            odd[p] = _mm_add_pd (odd[p], _mm_mul_pd (_mm_load_pd (coefs + 2 * (factor * (j + 1) + p)), x1));
        }
    }

    for (; j < realFrames; ++j)
        for (int p = 0; p < factor; ++p)
            even[p] = _mm_add_pd (even[p], _mm_mul_pd (_mm_load_pd (coefs + 2 * (factor * j + p)), _mm_load_pd (x + 2 * factor * j)));

    for (int p = 0; p < factor; ++p)
        sums[p] = _mm_add_pd (even[p], odd[p]);
}

/** Lane a of sum c[k] x[k] over every tap, four taps per group: each group's lane a
    values are gathered by unpacking frames (k, k + 2) and (k + 1, k + 3), with the
    coefficients stored in that order. */
inline double monoDot (const double* coefs, const double* frames, int groups) noexcept
{
    __m128d s0 = _mm_setzero_pd();
    __m128d s1 = _mm_setzero_pd();

    for (int g = 0; g < groups; ++g)
    {
        const double* x = frames + 8 * g;
        const __m128d even = _mm_unpacklo_pd (_mm_load_pd (x), _mm_load_pd (x + 4));
        const __m128d odd = _mm_unpacklo_pd (_mm_load_pd (x + 2), _mm_load_pd (x + 6));
        s0 = _mm_add_pd (s0, _mm_mul_pd (_mm_load_pd (coefs + 4 * g), even));
        s1 = _mm_add_pd (s1, _mm_mul_pd (_mm_load_pd (coefs + 4 * g + 2), odd));
    }

    const __m128d s = _mm_add_pd (s0, s1);
    return _mm_cvtsd_f64 (_mm_add_sd (s, _mm_unpackhi_pd (s, s)));
}

} // namespace

StereoFir::StereoFir (int taps, const double* coefs, double fill)
    : tapCount (taps),
      centreIndex (taps / 2),
      centreCoef { coefs[taps / 2], coefs[taps / 2] },
      fillValue (fill),
      laneCoefs (allocateAligned (2 * static_cast<std::size_t> (taps))),
      history (allocateAligned (4 * static_cast<std::size_t> (taps))),
      writeIndex (0),
      monoCoefs (allocateAligned (static_cast<std::size_t> (taps))),
      symmetric (mirroredAboutCentre (taps, coefs))
{
    constexpr int groupOrder[4] = { 0, 2, 1, 3 };

    for (int k = 0; k + 4 <= tapCount; k += 4)
        for (int i = 0; i < 4; ++i)
            monoCoefs[static_cast<std::size_t> (k + i)] = coefs[k + groupOrder[i]];

    for (int k = 0; k < tapCount; ++k)
    {
        laneCoefs[static_cast<std::size_t> (2 * k)] = coefs[k];
        laneCoefs[static_cast<std::size_t> (2 * k + 1)] = coefs[k];
    }

    reset();
}

/** Both lanes of the sum over the taps k = residue (mod step) of the newest frames. */
template <int step>
__m128d StereoFir::tapSum (int residue) const noexcept
{
    const double* frames = history.get() + 2 * writeIndex;
    const int n = tapCount;

    // Taps k and N - k fall in the same residue class only when N - 2 residue is a
    // multiple of step; otherwise (phases 1 and 3 of a 4x interpolator) sum plainly.
    if (! symmetric || (n - 2 * residue) % step != 0)
    {
        const int count = (n - residue + step - 1) / step;
        return laneDot<step> (laneCoefs.get(), frames, residue, count);
    }

    // Tap 0 is zero; k runs from the first tap above 0 up to the last one below N / 2.
    const int first = residue == 0 ? step : residue;
    const int count = first <= (n - 1) / 2 ? ((n - 1) / 2 - first) / step + 1 : 0;
    const double* forward = frames + 2 * first;
    const double* backward = frames + 2 * (n - first);
    __m128d sum = foldedDot<step> (laneCoefs.get() + 2 * first, forward, backward, count);

    if (n % 2 == 0 && centreIndex % step == residue)
        sum = _mm_add_pd (sum, _mm_mul_pd (_mm_loadu_pd (centreCoef), _mm_load_pd (frames + 2 * centreIndex)));

    return sum;
}

void StereoFir::processFull (double& a, double& b) noexcept
{
    store (a, b);
    writeLanes (tapSum<1> (0), a, b);
    advance();
}

double StereoFir::processFullMono (double x) noexcept
{
    if (tapCount % 4 != 0)
    {
        double b = x;
        processFull (x, b);
        return x;
    }

    store (x, x);
    const double* frames = history.get() + 2 * writeIndex;
    const double sum = monoDot (monoCoefs.get(), frames, tapCount / 4);
    advance();
    return sum;
}

void StereoFir::processEven (double& a, double& b) noexcept
{
    store (a, b);
    writeLanes (tapSum<2> (0), a, b);
    advance();
}

void StereoFir::processOdd (double& a, double& b) noexcept
{
    store (a, b);
    writeLanes (tapSum<2> (1), a, b);
    advance();
}

void StereoFir::processPhase (int phase, double& a, double& b) noexcept
{
    store (a, b);
    writeLanes (tapSum<4> (phase), a, b);
    advance();
}

template <int factor>
[[gnu::always_inline]] inline void StereoFir::interpolate (double* a, double* b) noexcept
{
    if (tapCount % factor != 0)
    {
        // The real frames do not fill the taps evenly: phase by phase.
        for (int p = 0; p < factor; ++p)
        {
            if (p > 0)
                a[p] = b[p] = 0.0;

            if (factor == 4)
                processPhase (p, a[p], b[p]);
            else if (p == 0)
                processEven (a[0], b[0]);
            else
                processOdd (a[1], b[1]);
        }

        return;
    }

    store (a[0], b[0]);
    advance();

    for (int p = 1; p < factor; ++p)
    {
        store (0.0, 0.0);
        advance();
    }

    // The newest frame sits at writeIndex + 1, so the real one pushed factor - 1 frames
    // before it at writeIndex + factor; the earlier real frames follow every factor slots.
    const double* x = history.get() + 2 * (writeIndex + factor);
    __m128d sums[factor];

    phaseDots<factor> (laneCoefs.get(), x, tapCount / factor, sums);

    for (int p = 0; p < factor; ++p)
        writeLanes (sums[p], a[p], b[p]);
}

void StereoFir::interpolateByTwo (double& a, double& b, double& a1, double& b1) noexcept
{
    double phaseA[2] = { a, 0.0 };
    double phaseB[2] = { b, 0.0 };
    interpolate<2> (phaseA, phaseB);
    a = phaseA[0];
    b = phaseB[0];
    a1 = phaseA[1];
    b1 = phaseB[1];
}

void StereoFir::interpolateByFour (double (&a)[4], double (&b)[4]) noexcept
{
    interpolate<4> (a, b);
}

void StereoFir::processHalfBand (double& a, double& b) noexcept
{
    store (a, b);
    const double* frames = history.get() + 2 * writeIndex;
    const __m128d centre = _mm_mul_pd (_mm_loadu_pd (centreCoef), _mm_load_pd (frames + 2 * centreIndex));
    __m128d odd;

    if (symmetric)
    {
        // The odd taps pair up as k and N - k for k = 1, 3, ..., N / 2 - 1 (N a multiple of 4).
        odd = foldedDot<2> (laneCoefs.get() + 2, frames + 2, frames + 2 * (tapCount - 1), tapCount / 4);
    }
    else
    {
        odd = tapSum<2> (1);
    }

    writeLanes (_mm_add_pd (centre, odd), a, b);
    advance();
}

void StereoFir::reset() noexcept
{
    writeIndex = 0;
    std::fill (history.get(), history.get() + 4 * tapCount, fillValue);
}
