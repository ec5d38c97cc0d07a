#include "RenderPicture.h"

#include "LevelStats.h"

#include <cmath>

namespace
{
    const juce::Colour background { 0xff15181c };
    const juce::Colour panel { 0xff20242a };
    const juce::Colour grid { 0xff363c45 };
    const juce::Colour labels { 0xffb8c0cc };
    const juce::Colour inputColour { 0xff7f8c9c };
    const juce::Colour outputColour { 0xff4fb3e8 };
    const juce::Colour reductionColour { 0xffe8864f };

    double reductionDb (double gain)
    {
        return std::max (0.0, -LevelStats::decibels (gain, -60.0));
    }

    void drawPanelTitle (juce::Graphics& g, juce::Rectangle<int> area, const juce::String& text)
    {
        g.setColour (labels);
        g.setFont (13.0f);
        g.drawText (text, area.withHeight (18).translated (6, 2), juce::Justification::centredLeft);
    }
}

juce::Image RenderPicture::draw (const RenderTrace& trace, const juce::String& title, double seconds)
{
    juce::Image image (juce::Image::RGB, width, height, true, juce::SoftwareImageType());
    juce::Graphics g (image);
    g.fillAll (background);

    g.setColour (labels);
    g.setFont (18.0f);
    g.drawText (title, juce::Rectangle<int> (margin, 8, width - 2 * margin, 26), juce::Justification::centredLeft);

    auto area = juce::Rectangle<int> (margin, 40, width - 2 * margin, height - 40 - 30);
    const int waveHeight = area.getHeight() * 3 / 8;
    const auto inputArea = area.removeFromTop (waveHeight).reduced (0, 4);
    const auto outputArea = area.removeFromTop (waveHeight).reduced (0, 4);
    const auto reductionArea = area.reduced (0, 4);

    // Both waveforms on one scale, wide enough for output above full scale.
    const float fullScale = std::max (1.0f, trace.largestMagnitude());
    drawWaveform (g, inputArea, trace, false, fullScale);
    drawWaveform (g, outputArea, trace, true, fullScale);
    drawReduction (g, reductionArea, trace);
    drawTimeAxis (g, juce::Rectangle<int> (margin, height - 28, width - 2 * margin, 20), seconds);
    return image;
}

bool RenderPicture::writePng (const juce::Image& image, const juce::File& file)
{
    juce::TemporaryFile temporary (file, juce::TemporaryFile::useHiddenFile);
    {
        juce::FileOutputStream out (temporary.getFile());
        if (! out.openedOk() || ! juce::PNGImageFormat().writeImageToStream (image, out))
            return false;
        out.flush();
        if (out.getStatus().failed())
            return false;
    }
    return temporary.overwriteTargetFileWithTemporary();
}

void RenderPicture::drawWaveform (juce::Graphics& g, juce::Rectangle<int> area, const RenderTrace& trace, bool output, float fullScale)
{
    g.setColour (panel);
    g.fillRect (area);
    g.setColour (grid);
    g.drawHorizontalLine (area.getCentreY(), static_cast<float> (area.getX()), static_cast<float> (area.getRight()));

    const auto& columns = trace.getColumns();
    const float xScale = static_cast<float> (area.getWidth()) / static_cast<float> (columns.size());
    const float centre = static_cast<float> (area.getCentreY());
    const float halfHeight = static_cast<float> (area.getHeight()) * 0.5f / fullScale;

    g.setColour (output ? outputColour : inputColour);
    for (size_t i = 0; i < columns.size(); ++i)
    {
        const auto& column = columns[i];
        const float low = output ? column.outputMin : column.inputMin;
        const float high = output ? column.outputMax : column.inputMax;
        const float x = static_cast<float> (area.getX()) + static_cast<float> (i) * xScale;
        const float top = centre - high * halfHeight;
        const float bottom = centre - low * halfHeight;
        g.fillRect (x, top, std::max (1.0f, xScale), std::max (1.0f, bottom - top));
    }

    if (fullScale > 1.0f)
    {
        g.setColour (grid);
        g.drawHorizontalLine (static_cast<int> (centre - halfHeight), static_cast<float> (area.getX()), static_cast<float> (area.getRight()));
        g.drawHorizontalLine (static_cast<int> (centre + halfHeight), static_cast<float> (area.getX()), static_cast<float> (area.getRight()));
    }

    drawPanelTitle (g, area, output ? "Output" : "Input");
}

void RenderPicture::drawReduction (juce::Graphics& g, juce::Rectangle<int> area, const RenderTrace& trace)
{
    g.setColour (panel);
    g.fillRect (area);

    const auto& columns = trace.getColumns();
    double deepest = 0.0;
    for (const auto& column : columns)
        deepest = std::max (deepest, reductionDb (column.gain));

    // Whole 3 dB steps, at least 6 dB, so small reductions still read clearly.
    const double rangeDb = std::max (6.0, std::ceil (deepest / 3.0) * 3.0);
    const auto yFor = [&] (double db) { return static_cast<float> (area.getY()) + static_cast<float> (db / rangeDb) * static_cast<float> (area.getHeight()); };

    g.setFont (11.0f);
    for (double db = 0.0; db <= rangeDb; db += 3.0)
    {
        const float y = yFor (db);
        g.setColour (grid);
        g.drawHorizontalLine (static_cast<int> (y), static_cast<float> (area.getX()), static_cast<float> (area.getRight()));
        g.setColour (labels);
        g.drawText ((db > 0.0 ? "-" + juce::String (db, 0) : juce::String ("0")) + " dB", juce::Rectangle<float> (static_cast<float> (area.getRight()) + 2.0f, y - 7.0f, 44.0f, 14.0f), juce::Justification::centredLeft);
    }

    juce::Path curve;
    const float xScale = static_cast<float> (area.getWidth()) / static_cast<float> (columns.size());
    for (size_t i = 0; i < columns.size(); ++i)
    {
        const float x = static_cast<float> (area.getX()) + (static_cast<float> (i) + 0.5f) * xScale;
        const float y = yFor (reductionDb (columns[i].gain));
        if (i == 0)
            curve.startNewSubPath (x, y);
        else
            curve.lineTo (x, y);
    }

    g.setColour (reductionColour);
    g.strokePath (curve, juce::PathStrokeType (1.5f));
    drawPanelTitle (g, area, "Gain reduction");
}

void RenderPicture::drawTimeAxis (juce::Graphics& g, juce::Rectangle<int> area, double seconds)
{
    if (seconds <= 0.0)
        return;

    // The finest step that leaves each label room for its widest text.
    constexpr float labelWidth = 60.0f;
    const auto maxLabels = static_cast<double> (area.getWidth()) / (labelWidth * 1.5f);
    double step = 3600.0 * std::ceil (seconds / maxLabels / 3600.0);
    for (const double nice : { 0.1, 0.25, 0.5, 1.0, 2.0, 5.0, 10.0, 15.0, 30.0, 60.0, 120.0, 300.0, 600.0, 900.0, 1800.0 })
    {
        if (seconds / nice <= maxLabels)
        {
            step = nice;
            break;
        }
    }

    g.setColour (labels);
    g.setFont (11.0f);
    for (int k = 0; k * step <= seconds + 1.0e-9; ++k)
    {
        const double t = k * step;
        const float x = static_cast<float> (area.getX()) + static_cast<float> (t / seconds) * static_cast<float> (area.getWidth());
        g.drawText (timeLabel (t, step, seconds), juce::Rectangle<float> (x - labelWidth / 2.0f, static_cast<float> (area.getY()), labelWidth, 16.0f),
                    juce::Justification::centred);
    }
}

juce::String RenderPicture::timeLabel (double t, double step, double seconds)
{
    // Minutes and seconds from a minute on: "12:30" reads better than "750 s".
    if (seconds >= 60.0)
    {
        const auto whole = static_cast<int> (std::lround (t));
        const auto twoDigits = [] (int n) { return juce::String (n).paddedLeft ('0', 2); };
        if (seconds >= 3600.0)
            return juce::String (whole / 3600) + ":" + twoDigits (whole / 60 % 60) + ":" + twoDigits (whole % 60);
        return juce::String (whole / 60) + ":" + twoDigits (whole % 60);
    }

    const int decimals = step < 1.0 ? (step == 0.25 ? 2 : 1) : 0;
    return juce::String (t, decimals) + " s";
}
