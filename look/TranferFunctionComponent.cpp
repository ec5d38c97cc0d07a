#include "TranferFunctionComponent.h"

#include "Conversions.h"
#include "ParameterTable.h"

namespace
{
double inputLevelDb (int column)
{
    return -(TranferFunctionComponent::size - column) / 2.0;
}
}

TranferFunctionComponent::TranferFunctionComponent (const juce::String& name)
    : juce::Component (name)
{
    setSize (size, size);
}

TranferFunctionComponent::~TranferFunctionComponent() = default;

float TranferFunctionComponent::rowFor (double inputDb, double pathThresholdDb, double pathRatioFactor) const
{
    const auto knee = (double) kneeDb;
    const auto over = inputDb - pathThresholdDb;
    auto gainInput = over;

    // Strict tests in this order: a zero knee is hard and never divides by zero.
    if (over < -knee)
        gainInput = 0.0;
    else if (over < knee)
        gainInput = over * over / (4.0 * knee) + over / 2.0 + knee / 4.0;

    const auto wetDb = inputDb + (pathRatioFactor - 1.0) * gainInput + makeupDb;
    const auto dryDb = inputDb - dryAttenuationDb;
    const auto outputDb = gainToDb (dbToGain (wetDb) + dbToGain (dryDb)) + outGainDb;
    return (float) (-2.0 * outputDb);
}

float TranferFunctionComponent::peakRow (int column) const
{
    // 0.5 itself reads "Limiter" in the host, but only values above it use the main ratio.
    const auto ratio = isSwitchedOn (peakRatioSwitch) ? ratioFactor : fixedPeakRatioFactor;
    return rowFor (inputLevelDb (column), (double) thresholdDb + crestDb, ratio);
}

float TranferFunctionComponent::mainRow (int column) const
{
    return rowFor (inputLevelDb (column), thresholdDb, ratioFactor);
}

void TranferFunctionComponent::paint (juce::Graphics& g)
{
    if (! isVisible())
        return;

    g.setColour (findColour (diagonalColourId));
    g.drawLine (0.0f, (float) size, (float) size, 0.0f, 1.0f);

    paintCurves (g);
    paintThreshold (g);
    paintReadout (g);
}

void TranferFunctionComponent::paintCurves (juce::Graphics& g) const
{
    // The translucent segments run from each combined point to the next peak point,
    // shading the band where the main path reduces more than the peak path.
    juce::Point<float> previous;
    const auto peakColour = findColour (peakCurveColourId);
    const auto curveColour = findColour (curveColourId);

    for (int x = 0; x < size; ++x)
    {
        const auto yp = peakRow (x);

        if (x == 0)
            previous = { 0.0f, yp };

        g.setColour (peakColour);
        g.drawLine ({ previous, { (float) x, yp } }, 2.0f);

        const juce::Point<float> point ((float) x, juce::jmax (yp, mainRow (x)));
        g.setColour (curveColour);
        g.drawLine ({ previous, point }, 2.0f);
        previous = point;
    }
}

void TranferFunctionComponent::paintThreshold (juce::Graphics& g) const
{
    const auto yT = -juce::roundToInt (2.0f * thresholdDb + 2.0f * makeupDb);
    const auto yK = -juce::roundToInt (2.0f * (thresholdDb - kneeDb) + 2.0f * makeupDb);

    g.setColour (findColour (thresholdColourId));
    g.drawRect (0, yT, size, 1, 1);
    g.setColour (findColour (kneeColourId));
    g.fillRect (0, yT, size, yK - yT);
}

void TranferFunctionComponent::paintReadout (juce::Graphics& g) const
{
    if (-dryAttenuationDb <= -60.0f)
        return;

    // Single precision throughout, as the shares are only shown rounded.
    const auto dryGain = dbToGainFloat (-dryAttenuationDb);
    const auto wetGain = dbToGainFloat (makeupDb);
    const auto scale = 100.0f / (wetGain + dryGain);
    const auto dryShare = scale * dryGain;
    const auto wetShare = scale * wetGain;

    auto colour = findColour (curveColourId);
    if (dryShare < 0.5f)
        colour = colour.withMultipliedAlpha (2.0f * dryShare);

    g.setColour (colour);
    g.setFont (juce::Font ("Arial", 11.5f, juce::Font::plain));
    g.drawSingleLineText ("Dry: " + juce::String (juce::roundToInt (dryShare)) + "% Wet: "
                              + juce::String (juce::roundToInt (wetShare)) + "%",
                          size - 1, size - 2, juce::Justification::right);
}
