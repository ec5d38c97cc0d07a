#include "DemoMaterial.h"

#include <cmath>

namespace
{
    constexpr double twoPi = juce::MathConstants<double>::twoPi;
    constexpr double beatSeconds = 0.5;

    int samplesFor (double seconds)
    {
        return static_cast<int> (std::lround (seconds * DemoMaterial::sampleRate));
    }

    void addSample (juce::AudioBuffer<float>& out, int index, float left, float right)
    {
        if (index >= 0 && index < out.getNumSamples())
        {
            out.addSample (0, index, left);
            out.addSample (1, index, right);
        }
    }
}

juce::AudioBuffer<float> DemoMaterial::generate()
{
    juce::AudioBuffer<float> out (2, samplesFor (seconds));
    out.clear();
    juce::Random noise (5829);

    const int beat = samplesFor (beatSeconds);
    const int drumBeats = 8;
    for (int b = 0; b < drumBeats; ++b)
    {
        addKick (out, b * beat, b % 4 == 0 ? 0.9f : 0.75f);
        if (b % 2 == 1)
            addSnare (out, b * beat, 0.55f, noise);
        addHat (out, b * beat + beat / 2, 0.18f, noise);
        addHat (out, b * beat, 0.12f, noise);
    }

    const double bassLine[] = { 55.0, 55.0, 65.41, 49.0 };
    for (int b = 4; b < drumBeats; ++b)
        for (int half = 0; half < 2; ++half)
            addBassNote (out, b * beat + half * beat / 2, beat / 2 - 200, bassLine[b - 4], 0.45f);

    addChord (out, drumBeats * beat, out.getNumSamples() - drumBeats * beat, 0.7f);

    // Peaks at -6 dBFS, a usual level on a mix bus, leaving room for makeup gain.
    out.applyGain (0.5f / out.getMagnitude (0, out.getNumSamples()));
    return out;
}

void DemoMaterial::addKick (juce::AudioBuffer<float>& out, int start, float level)
{
    const int length = samplesFor (0.35);
    double phase = 0.0;
    for (int i = 0; i < length; ++i)
    {
        const double t = i / sampleRate;
        const double hz = 45.0 + 110.0 * std::exp (-t * 30.0);
        phase += twoPi * hz / sampleRate;
        const auto x = static_cast<float> (level * std::sin (phase) * std::exp (-t * 9.0));
        addSample (out, start + i, x, x);
    }
}

void DemoMaterial::addSnare (juce::AudioBuffer<float>& out, int start, float level, juce::Random& noise)
{
    const int length = samplesFor (0.2);
    for (int i = 0; i < length; ++i)
    {
        const double t = i / sampleRate;
        const double body = 0.5 * std::sin (twoPi * 185.0 * t) * std::exp (-t * 30.0);
        const double rattle = (noise.nextDouble() * 2.0 - 1.0) * std::exp (-t * 18.0);
        const auto x = static_cast<float> (level * (body + rattle));
        addSample (out, start + i, x * 0.9f, x);
    }
}

void DemoMaterial::addHat (juce::AudioBuffer<float>& out, int start, float level, juce::Random& noise)
{
    const int length = samplesFor (0.05);
    double previous = 0.0;
    for (int i = 0; i < length; ++i)
    {
        // A first difference of white noise: a crude high-pass, bright like a hi-hat.
        const double white = noise.nextDouble() * 2.0 - 1.0;
        const double bright = white - previous;
        previous = white;
        const auto x = static_cast<float> (level * 0.5 * bright * std::exp (-i / sampleRate * 80.0));
        addSample (out, start + i, x, x * 0.7f);
    }
}

void DemoMaterial::addBassNote (juce::AudioBuffer<float>& out, int start, int length, double hz, float level)
{
    for (int i = 0; i < length; ++i)
    {
        const double t = i / sampleRate;
        double x = 0.0;
        for (int harmonic = 1; harmonic <= 6; ++harmonic)
            x += std::sin (twoPi * hz * harmonic * t) / (harmonic * harmonic);

        const double envelope = std::min (1.0, t * 200.0) * std::exp (-t * 3.0);
        const auto y = static_cast<float> (level * x * envelope);
        addSample (out, start + i, y, y);
    }
}

void DemoMaterial::addChord (juce::AudioBuffer<float>& out, int start, int length, float level)
{
    const double notes[] = { 220.0, 277.18, 329.63 };
    for (int i = 0; i < length; ++i)
    {
        const double t = i / sampleRate;
        const double swell = std::min (1.0, t * 4.0) * std::min (1.0, (length - i) / sampleRate * 10.0);
        double left = 0.0, right = 0.0;
        for (int n = 0; n < 3; ++n)
        {
            left += std::sin (twoPi * notes[n] * t) / 3.0;
            right += std::sin (twoPi * notes[n] * 1.003 * t) / 3.0;
        }
        addSample (out, start + i, static_cast<float> (level * swell * left), static_cast<float> (level * swell * right));
    }
}
