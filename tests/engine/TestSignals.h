#pragma once

#include <cmath>
#include <random>
#include <vector>

// The engine tests' signals, shared by every suite that drives a whole engine.
namespace TestSignals
{
struct Signal
{
    std::vector<double> left;
    std::vector<double> right;
};

/** Noise and tones whose level jumps by 30 dB every 2000 frames: the detector attacks,
    releases and crosses the knee over and over. */
inline Signal levelJumps (int frames, double rate, unsigned seed)
{
    std::mt19937 rng (seed);
    std::normal_distribution<double> noise (0.0, 1.0);
    Signal s { std::vector<double> (static_cast<size_t> (frames)), std::vector<double> (static_cast<size_t> (frames)) };

    for (size_t i = 0; i < s.left.size(); ++i)
    {
        const double level = (i / 2000) % 2 == 0 ? 0.6 : 0.02;
        const double t = static_cast<double> (i) / rate;
        s.left[i] = level * (0.6 * std::sin (2.0 * M_PI * 220.0 * t) + 0.3 * noise (rng));
        s.right[i] = level * (0.5 * std::sin (2.0 * M_PI * 3100.0 * t) + 0.4 * noise (rng));
    }

    return s;
}

/** Independent uniform noise on both channels. */
inline Signal noise (int frames, unsigned seed, double amplitude = 0.8)
{
    std::mt19937 rng (seed);
    std::uniform_real_distribution<double> dist (-amplitude, amplitude);
    Signal s { std::vector<double> (static_cast<size_t> (frames)), std::vector<double> (static_cast<size_t> (frames)) };

    for (size_t i = 0; i < s.left.size(); ++i)
    {
        s.left[i] = dist (rng);
        s.right[i] = dist (rng);
    }

    return s;
}

/** The same sine on both channels. */
inline Signal sine (int frames, double rate, double hz, double amplitude)
{
    Signal s { std::vector<double> (static_cast<size_t> (frames)), std::vector<double> (static_cast<size_t> (frames)) };

    for (size_t i = 0; i < s.left.size(); ++i)
        s.left[i] = s.right[i] = amplitude * std::sin (2.0 * M_PI * hz * static_cast<double> (i) / rate);

    return s;
}
} // namespace TestSignals
