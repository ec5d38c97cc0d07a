#include "StereoFir.h"

#include <emmintrin.h>
#include <immintrin.h>

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

/** Both lanes of sum c[k] * x[k], k < count, two frames per 256-bit step; eight
    partial sums (k mod 8) combined pairwise. */
__attribute__ ((target ("avx"))) __m128d laneDotAvx (const double* coefs, const double* frames, int count) noexcept
{
    __m256d s0 = _mm256_setzero_pd();
    __m256d s1 = _mm256_setzero_pd();
    __m256d s2 = _mm256_setzero_pd();
    __m256d s3 = _mm256_setzero_pd();
    int k = 0;

    for (; k + 8 <= count; k += 8)
    {
        s0 = _mm256_add_pd (s0, _mm256_mul_pd (_mm256_load_pd (coefs + 2 * k), _mm256_loadu_pd (frames + 2 * k)));
        s1 = _mm256_add_pd (s1, _mm256_mul_pd (_mm256_load_pd (coefs + 2 * k + 4), _mm256_loadu_pd (frames + 2 * k + 4)));
        s2 = _mm256_add_pd (s2, _mm256_mul_pd (_mm256_load_pd (coefs + 2 * k + 8), _mm256_loadu_pd (frames + 2 * k + 8)));
        s3 = _mm256_add_pd (s3, _mm256_mul_pd (_mm256_load_pd (coefs + 2 * k + 12), _mm256_loadu_pd (frames + 2 * k + 12)));
    }

    const __m256d s = _mm256_add_pd (_mm256_add_pd (s0, s1), _mm256_add_pd (s2, s3));
    __m128d sum = _mm_add_pd (_mm256_castpd256_pd128 (s), _mm256_extractf128_pd (s, 1));

    for (; k < count; ++k)
        sum = _mm_add_pd (sum, _mm_mul_pd (_mm_load_pd (coefs + 2 * k), _mm_load_pd (frames + 2 * k)));

    return sum;
}

/** Frames p[0] and p[2] in one register. */
__attribute__ ((target ("avx"))) inline __m256d framePair (const double* p) noexcept
{
    return _mm256_insertf128_pd (_mm256_castpd128_pd256 (_mm_load_pd (p)), _mm_load_pd (p + 4), 1);
}

/** Both lanes of sum packed[i] * x[first + 2 i], i < count: every other frame, with the
    coefficients packed contiguously. Two taps per 256-bit step; the odd block of the
    packed taps need not be 32-byte aligned. */
__attribute__ ((target ("avx"))) __m128d laneDotStrideTwoAvx (const double* packed, const double* frames, int first, int count) noexcept
{
    const double* x = frames + 2 * first;
    __m256d s0 = _mm256_setzero_pd();
    __m256d s1 = _mm256_setzero_pd();
    __m256d s2 = _mm256_setzero_pd();
    __m256d s3 = _mm256_setzero_pd();
    int i = 0;

    for (; i + 8 <= count; i += 8)
    {
        s0 = _mm256_add_pd (s0, _mm256_mul_pd (_mm256_loadu_pd (packed + 2 * i), framePair (x + 4 * i)));
        s1 = _mm256_add_pd (s1, _mm256_mul_pd (_mm256_loadu_pd (packed + 2 * i + 4), framePair (x + 4 * i + 8)));
        s2 = _mm256_add_pd (s2, _mm256_mul_pd (_mm256_loadu_pd (packed + 2 * i + 8), framePair (x + 4 * i + 16)));
        s3 = _mm256_add_pd (s3, _mm256_mul_pd (_mm256_loadu_pd (packed + 2 * i + 12), framePair (x + 4 * i + 24)));
    }

    const __m256d s = _mm256_add_pd (_mm256_add_pd (s0, s1), _mm256_add_pd (s2, s3));
    __m128d sum = _mm_add_pd (_mm256_castpd256_pd128 (s), _mm256_extractf128_pd (s, 1));

    for (; i < count; ++i)
        sum = _mm_add_pd (sum, _mm_mul_pd (_mm_load_pd (packed + 2 * i), _mm_load_pd (x + 4 * i)));

    return sum;
}
} // namespace

// Wider instructions only behind a run-time check: the plug-in must run on any x86-64.
bool StereoFir::avxKernels = __builtin_cpu_supports ("avx");

StereoFir::StereoFir (int taps, const double* coefs, double fill)
    : tapCount (taps),
      centreIndex (taps / 2),
      centreCoef { coefs[taps / 2], coefs[taps / 2] },
      fillValue (fill),
      laneCoefs (allocateAligned (2 * static_cast<std::size_t> (taps))),
      history (allocateAligned (4 * static_cast<std::size_t> (taps))),
      writeIndex (0),
      strideTwoCoefs (allocateAligned (2 * static_cast<std::size_t> (taps)))
{
    for (int k = 0; k < tapCount; ++k)
    {
        laneCoefs[static_cast<std::size_t> (2 * k)] = coefs[k];
        laneCoefs[static_cast<std::size_t> (2 * k + 1)] = coefs[k];

        // Even taps first, then odd ones.
        const int slot = k % 2 == 0 ? k / 2 : (tapCount + 1) / 2 + k / 2;
        strideTwoCoefs[static_cast<std::size_t> (2 * slot)] = coefs[k];
        strideTwoCoefs[static_cast<std::size_t> (2 * slot + 1)] = coefs[k];
    }

    reset();
}

void StereoFir::store (double a, double b) noexcept
{
    // One 16-byte store per copy: the sums read the frame back with 16-byte loads at
    // once, and those only forward from a store of the same width.
    const __m128d frame = _mm_set_pd (b, a);
    double* h = history.get();
    _mm_store_pd (h + 2 * writeIndex, frame);
    _mm_store_pd (h + 2 * (writeIndex + tapCount), frame);
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

__m128d StereoFir::evenSum() const noexcept
{
    const double* frames = history.get() + 2 * writeIndex;
    const int count = (tapCount + 1) / 2;
    return avxKernels ? laneDotStrideTwoAvx (strideTwoCoefs.get(), frames, 0, count)
                      : laneDot<2> (laneCoefs.get(), frames, 0, count);
}

__m128d StereoFir::oddSum() const noexcept
{
    const double* frames = history.get() + 2 * writeIndex;
    const int count = tapCount / 2;
    return avxKernels ? laneDotStrideTwoAvx (strideTwoCoefs.get() + 2 * ((tapCount + 1) / 2), frames, 1, count)
                      : laneDot<2> (laneCoefs.get(), frames, 1, count);
}

void StereoFir::processFull (double& a, double& b) noexcept
{
    store (a, b);
    const double* frames = history.get() + 2 * writeIndex;
    writeLanes (avxKernels ? laneDotAvx (laneCoefs.get(), frames, tapCount)
                           : laneDot<1> (laneCoefs.get(), frames, 0, tapCount),
                a, b);
    advance();
}

void StereoFir::processEven (double& a, double& b) noexcept
{
    store (a, b);
    writeLanes (evenSum(), a, b);
    advance();
}

void StereoFir::processOdd (double& a, double& b) noexcept
{
    store (a, b);
    writeLanes (oddSum(), a, b);
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
    writeLanes (_mm_add_pd (centre, oddSum()), a, b);
    advance();
}

void StereoFir::reset() noexcept
{
    writeIndex = 0;
    std::fill (history.get(), history.get() + 4 * tapCount, fillValue);
}
