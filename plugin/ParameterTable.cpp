#include "ParameterTable.h"

#include "Conversions.h"
#include "NumberText.h"

const ParameterInfo parameterTable[numNamedParameters] = {
    { "Threshold",        "threshold",      thresholdText },
    { "Peak Crest",       "peakcrest",      peakCrestText },
    { "Soft Knee",        "softknee",       softKneeText },
    { "Ratio",            "ratio",          ratioText },
    { "Attack",           "attack",         attackText },
    { "Release Peak",     "releasepeak",    releaseText },
    { "Release RMS",      "releaserms",     releaseText },
    { "Makeup",           "makeup",         makeupText },
    { "Dry Mix",          "drymix",         dryMixText },
    { "Key HP Frequency", "keyhpfrequency", keyHpFrequencyText },
    { "Out Gain",         "outgain",        outGainText },
    { "Key Stereo Diff",  "keystereodiff",  keyStereoDiffText },
    { "Key HP Slope",     "keyhpslope",     keyHpSlopeText },
    { "Delta",            "delta",          switchText },
    { "Bypass",           "bypass",         switchText },
    { "Peak Ratio",       "peakratio",      peakRatioText },
    { "Quality",          "quality",        qualityText },
    { "Meter Scale",      "meterscale",     meterScaleText },
};

bool isNamedParameter (int index) noexcept
{
    return index >= 0 && index < numNamedParameters;
}

juce::String parameterText (int index, float value)
{
    const double x = value;
    auto text = writeWithDecimals (x, 2);

    if (isNamedParameter (index))
        parameterTable[index].toText (x, text);

    return text;
}

void thresholdText (double value, juce::String& text)
{
    text = writeWithDecimals (value * -60.0, 1) + " dB";
}

void peakCrestText (double value, juce::String& text)
{
    text = writeWithDecimals (value * 12.0, 1) + " dB";
}

void softKneeText (double value, juce::String& text)
{
    text = writeWithDecimals (value * 20.0, 1) + " dB";
}

void ratioText (double value, juce::String& text)
{
    const double ratio = value < 0.5 ? 1.0 + 2.0 * value : 2.0 + 10.0 * (value - 0.5);
    text = writeWithDecimals (ratio, 1) + ":1";
}

void attackText (double value, juce::String& text)
{
    const double ms = value * value * value * 499.99 + 0.01;

    if (ms < 1.0)
        text = writeWithDecimals (ms, 2);
    else if (ms < 10.0)
        text = writeWithDecimals (ms, 1);
    else
        text = writeAsInteger (ms);

    text += " ms";
}

void releaseText (double value, juce::String& text)
{
    const double cubed = value * value * value * 1995.0;
    const double ms = cubed + 5.0;

    // Whole milliseconds as long as they round below 1000; seconds from 1004.5 ms on.
    if (ms < 10.0)
        text = writeWithDecimals (ms, 1) + " ms";
    else if (cubed + 0.5 < 1000.0)
        text = writeAsInteger (ms) + " ms";
    else
        text = writeWithDecimals (ms / 1000.0, 1) + " s";
}

void makeupText (double value, juce::String& text)
{
    if (value < 0.5)
    {
        const double t = 1.0 - 2.0 * value;
        text = writeWithDecimals (-60.0 * t * t, 2) + " dB";
    }
    else
    {
        text = writeWithDecimals (36.0 * value - 18.0, 1) + " dB";
    }
}

void dryMixText (double value, juce::String& text)
{
    text = value > 0.0 ? writeWithDecimals (60.0 * value - 60.0, 1) + " dB" : juce::String ("Off");
}

void keyHpFrequencyText (double value, juce::String& text)
{
    const float hz = keyHpFromNormalized (static_cast<float> (value), 30.0f, 400.0f);
    text = writeAsInteger (hz) + " Hz";
}

void outGainText (double value, juce::String& text)
{
    text = writeWithDecimals (24.0 * value - 12.0, 1) + " dB";
}

void keyStereoDiffText (double value, juce::String& text)
{
    text = writeWithDecimals (100.0 * value, 1) + " %";
}

void keyHpSlopeText (double value, juce::String& text)
{
    // Only the four values the editor writes get a word; anything else keeps its number.
    if (value == static_cast<double> (0.1f))
        text = "3 dB/oct";
    else if (value == static_cast<double> (0.2f))
        text = "6 dB/oct";
    else if (value == static_cast<double> (0.3f))
        text = "12 dB/oct";
    else if (value == 0.0)
        text = "off";
    else
        text = writeWithDecimals (value, 2);
}

void switchText (double value, juce::String& text)
{
    text = value > 0.5 ? "on" : "off";
}

void peakRatioText (double value, juce::String& text)
{
    text = value < 0.5 ? "Compressor" : "Limiter";
}

void qualityText (double value, juce::String& text)
{
    text = value < 0.5 ? "Precise" : "Eco";
}

void meterScaleText (double value, juce::String& text)
{
    if (value < 0.25)
        text = "6 dB";
    else if (value < 0.5)
        text = "12 dB";
    else if (value < 0.75)
        text = "24 dB";
    else
        text = "48 dB";
}
