#include "EngineState.h"

#include "Logarithms.h"

#include <cmath>
#include <cstdint>

namespace
{
/** A fixed 15-bit linear congruential generator: the same table on every platform and
    independent of anyone else's use of rand(). */
void fillNoiseOffsets (double (&table)[256]) noexcept
{
    const double lo = std::exp (-190.0 * Logarithms::nepersPerDb);
    const double hi = std::exp (-170.0 * Logarithms::nepersPerDb);
    std::uint32_t state = 1234;

    for (auto& entry : table)
    {
        state = state * 214013u + 2531011u;
        const auto value = static_cast<double> ((state >> 16) & 0x7FFFu);
        entry = value / 32767.0 * (hi - lo) + lo;
    }
}

const std::array<double, FilterTables::halfBandLength>& halfBandTaps() noexcept
{
    static const auto taps = FilterTables::designHalfBand();
    return taps;
}
} // namespace

EngineState::EngineState() noexcept
    : upsampler (halfBandTaps()),
      downsampler (halfBandTaps()),
      keyUpByTwo (FilterTables::lowpass32),
      keyUpByFour (FilterTables::lowpass64),
      gainDownByTwo (FilterTables::lowpass32),
      gainDownByFour (FilterTables::lowpass64)
{
    fillNoiseOffsets (noiseTable);
    reset();
}

void EngineState::reset() noexcept
{
    noiseIndex = 0;
    lastGain = 1.0;
    upsampler.reset();
    downsampler.reset();
    keyFilter.reset();
    keyUpByTwo.reset();
    keyUpByFour.reset();
    gainDownByTwo.reset();
    gainDownByFour.reset();
    feedbackLoop.reset();

    for (auto& history : keyHistory)
        history.reset (0.0);

    for (auto& history : dryHistory)
        history.reset (0.0);
}
