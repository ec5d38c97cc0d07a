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

inline void writeLanes (__m128d sum, double& a, double& b) noexcept
{
    alignas (16) double out[2];
    _mm_store_pd (out, sum);
    a = out[0];
    b = out[1];
}
} // namespace

StereoFir::StereoFir (int taps, const double* coefs, double fill)
    : tapCount (taps),
      centreIndex (taps / 2),
      centreCoef { coefs[taps / 2], coefs[taps / 2] },
      fillValue (fill),
      laneCoefs (allocateAligned (2 * static_cast<std::size_t> (taps))),
      history (allocateAligned (4 * static_cast<std::size_t> (taps))),
      writeIndex (0)
{
    for (int k = 0; k < tapCount; ++k)
    {
        laneCoefs[static_cast<std::size_t> (2 * k)] = coefs[k];
        laneCoefs[static_cast<std::size_t> (2 * k + 1)] = coefs[k];
    }

    reset();
}

void StereoFir::store (double a, double b) noexcept
{
    double* h = history.get();
    const int i = 2 * writeIndex;
    const int j = 2 * (writeIndex + tapCount);
    h[i] = a;
    h[i + 1] = b;
    h[j] = a;
    h[j + 1] = b;
}

void StereoFir::advance() noexcept
{
    writeIndex = (writeIndex == 0 ? tapCount : writeIndex) - 1;
}

void StereoFir::push (double a, double b) noexcept
{
    store (a, b);
    advance();
}

void StereoFir::processFull (double& a, double& b) noexcept
{
    store (a, b);
    writeLanes (laneDot<1> (laneCoefs.get(), history.get() + 2 * writeIndex, 0, tapCount), a, b);
    advance();
}

void StereoFir::processEven (double& a, double& b) noexcept
{
    store (a, b);
    writeLanes (laneDot<2> (laneCoefs.get(), history.get() + 2 * writeIndex, 0, (tapCount + 1) / 2), a, b);
    advance();
}

void StereoFir::processOdd (double& a, double& b) noexcept
{
    store (a, b);
    writeLanes (laneDot<2> (laneCoefs.get(), history.get() + 2 * writeIndex, 1, tapCount / 2), a, b);
    advance();
}

void StereoFir::processPhase (int phase, double& a, double& b) noexcept
{
    store (a, b);
    const int count = (tapCount - phase + 3) / 4;
    writeLanes (laneDot<4> (laneCoefs.get(), history.get() + 2 * writeIndex, phase, count), a, b);
    advance();
}

void StereoFir::processCentre (double& a, double& b) noexcept
{
    store (a, b);
    const double* centre = history.get() + 2 * (writeIndex + centreIndex);
    a = centreCoef[0] * centre[0];
    b = centreCoef[1] * centre[1];
    advance();
}

void StereoFir::processHalfBand (double& a, double& b) noexcept
{
    store (a, b);
    const double* frames = history.get() + 2 * writeIndex;
    const __m128d centre = _mm_mul_pd (_mm_loadu_pd (centreCoef), _mm_load_pd (frames + 2 * centreIndex));
    const __m128d odd = laneDot<2> (laneCoefs.get(), frames, 1, tapCount / 2);
    writeLanes (_mm_add_pd (centre, odd), a, b);
    advance();
}

void StereoFir::reset() noexcept
{
    writeIndex = 0;
    std::fill (history.get(), history.get() + 4 * tapCount, fillValue);
}
