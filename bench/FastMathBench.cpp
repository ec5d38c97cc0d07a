#include "FastMath.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace
{
/** Keys from -100 dB to +20 dB, the span the detector's log sees. */
std::vector<double> makeKeys()
{
    std::mt19937 rng (7);
    std::uniform_real_distribution<double> db (-100.0, 20.0);
    std::vector<double> keys (4096);
    for (auto& k : keys)
        k = std::pow (10.0, db (rng) / 20.0);
    return keys;
}

/** log then exp, each waiting on the previous result as in the detector's loop: the
    time per iteration is the chain's latency. */
template <typename Log, typename Exp>
void logExpChain (benchmark::State& state, Log&& logOf, Exp&& expOf)
{
    const auto keys = makeKeys();
    double gain = 1.0;
    size_t i = 0;

    for (auto _ : state)
    {
        const double e = keys[i] * (0.5 + 0.5 * gain);
        gain = expOf (logOf (e) * -0.2);
        i = (i + 1) & (keys.size() - 1);
    }

    benchmark::DoNotOptimize (gain);
}

void LogExpChainFast (benchmark::State& state)
{
    logExpChain (state, [] (double x) { return FastMath::log (x); }, [] (double x) { return FastMath::exp (x); });
}

void LogExpChainLibrary (benchmark::State& state)
{
    logExpChain (state, [] (double x) { return std::log (x); }, [] (double x) { return std::exp (x); });
}
/** The same chain as the detector now runs it: the log of the key waits on nothing,
    ln (1 + g) = softplus (ln g) carries the loop, and exp forms the gain beside it. */
void SoftplusChain (benchmark::State& state)
{
    const auto keys = makeKeys();
    double gainNepers = 0.0;
    double gain = 1.0;
    size_t i = 0;

    for (auto _ : state)
    {
        const double keyNepers = FastMath::log (keys[i] * 0.5);
        gainNepers = (keyNepers + FastMath::softplus (gainNepers)) * -0.2;
        gain = FastMath::exp (gainNepers);
        benchmark::DoNotOptimize (gain);
        i = (i + 1) & (keys.size() - 1);
    }
}
} // namespace

BENCHMARK (LogExpChainFast);
BENCHMARK (LogExpChainLibrary);
BENCHMARK (SoftplusChain);
