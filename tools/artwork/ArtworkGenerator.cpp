// Draws every picture of the editor with the framework's graphics classes and writes
// them as PNG files into the folder named on the command line, each at 1x and at 2x
// (name_2x.png: twice the pixels both ways, the same drawing in the same logical
// units). Captions and the display area are placed around the editor's own layout.
// The standalone application's icon comes out at the sizes icon themes keep
// (velmora_48.png, velmora_128.png, velmora_256.png).

#include <juce_graphics/juce_graphics.h>

#include "EditorLayout.h"

namespace
{
using juce::Colour;
using juce::Graphics;
using juce::Image;
using juce::Rectangle;

const Colour panelTop { 0xff2b2e33 };
const Colour panelBottom { 0xff1c1e22 };
const Colour captionColour { 0xffc6ccd4 };
const Colour dimCaption { 0xff6c727c };
const Colour litCaption { 0xffffcf70 };
const Colour litBlue { 0xff4fb0ff };
const Colour displayBlack { 0xff000000 };
const Colour gridColour { 0xff10161c };

constexpr float knobArc = juce::MathConstants<float>::pi * 0.75f;   // 135 degrees each side
constexpr int knobFrames = 100;

juce::Font uiFont (float height, bool bold = true)
{
    return juce::Font ("Liberation Sans", height, bold ? juce::Font::bold : juce::Font::plain);
}

/** A cleared picture of a logical size at `scale` pixels per unit, with a context that
    draws in logical units. At scale 1 the context is left untransformed, so the 1x
    pictures come out exactly as they always have. */
struct Canvas
{
    Canvas (int width, int height, int scale, Image::PixelFormat format = Image::ARGB)
        : image (format, width * scale, height * scale, true),
          g (image),
          bounds (width, height)
    {
        if (scale != 1)
            g.addTransform (juce::AffineTransform::scale ((float) scale));
    }

    Image image;
    Graphics g;
    const Rectangle<int> bounds;
};

void save (const Image& image, const juce::File& folder, const char* name, int scale)
{
    const auto file = folder.getChildFile (juce::String (name) + (scale == 1 ? "" : "_2x") + ".png");
    file.deleteFile();
    juce::FileOutputStream out (file);

    if (! out.openedOk() || ! juce::PNGImageFormat().writeImageToStream (image, out))
    {
        std::fprintf (stderr, "cannot write %s\n", file.getFullPathName().toRawUTF8());
        std::exit (1);
    }
}

juce::Point<float> polar (juce::Point<float> centre, float radius, float angle)
{
    return centre.getPointOnCircumference (radius, angle);
}

//==============================================================================
void drawKnob (Graphics& g, juce::Point<float> centre, float size, float angle)
{
    const auto body = size * 0.345f;

    // Scale ticks stay put in every frame; the cap and its pointer turn.
    g.setColour (Colour (0xff8a9099));
    for (int i = 0; i <= 10; ++i)
    {
        const auto a = -knobArc + 2.0f * knobArc * (float) i / 10.0f;
        const auto inner = polar (centre, body + size * 0.05f, a);
        const auto outer = polar (centre, body + size * (i % 5 == 0 ? 0.13f : 0.10f), a);
        g.drawLine ({ inner, outer }, i % 5 == 0 ? 1.6f : 1.0f);
    }

    const auto disc = [centre] (float r) { return Rectangle<float> (2 * r, 2 * r).withCentre (centre); };

    g.setColour (Colour (0x60000000));
    g.fillEllipse (disc (body + 1.5f).translated (0.0f, 1.0f));

    g.setGradientFill (juce::ColourGradient (Colour (0xff4a4e56), centre.x, centre.y - body,
                                             Colour (0xff15171a), centre.x, centre.y + body, false));
    g.fillEllipse (disc (body));

    const auto cap = body * 0.8f;
    g.setGradientFill (juce::ColourGradient (Colour (0xff5c616a), centre.x - cap, centre.y - cap,
                                             Colour (0xff24272c), centre.x + cap, centre.y + cap, false));
    g.fillEllipse (disc (cap));
    g.setColour (Colour (0x40ffffff));
    g.drawEllipse (disc (cap), 0.8f);

    juce::Path pointer;
    pointer.startNewSubPath (polar (centre, cap * 0.3f, angle));
    pointer.lineTo (polar (centre, body * 0.95f, angle));
    g.setColour (Colour (0xfff4f4f0));
    g.strokePath (pointer, juce::PathStrokeType (size * 0.04f, juce::PathStrokeType::curved,
                                                 juce::PathStrokeType::rounded));
}

Image knobStrip (int size, int scale)
{
    Canvas canvas (size, size * knobFrames, scale);
    auto& g = canvas.g;

    for (int k = 0; k < knobFrames; ++k)
    {
        const auto angle = -knobArc + 2.0f * knobArc * (float) k / (float) (knobFrames - 1);
        const auto centre = juce::Point<float> ((float) size, (float) size * (2 * k + 1)) * 0.5f;
        juce::Graphics::ScopedSaveState state (g);
        g.reduceClipRegion (0, k * size, size, size);
        drawKnob (g, centre, (float) size, angle);
    }

    return canvas.image;
}

//==============================================================================
Image valueBox (int width, int height, int scale)
{
    Canvas canvas (width, height, scale);
    auto& g = canvas.g;
    const auto r = canvas.bounds.toFloat();

    g.setColour (Colour (0xff4a4f57));
    g.fillRoundedRectangle (r, 2.5f);
    g.setColour (Colour (0xff020304));
    g.fillRoundedRectangle (r.withTrimmedBottom (1.0f), 2.5f);
    g.setColour (Colour (0xff0b0d10));
    g.fillRoundedRectangle (r.reduced (1.0f).withTrimmedTop (1.0f).withTrimmedBottom (0.5f), 2.0f);
    return canvas.image;
}

//==============================================================================
void drawKeyBody (Graphics& g, Rectangle<float> r, float corner)
{
    g.setColour (Colour (0xff0c0d0f));
    g.fillRoundedRectangle (r, corner);
    const auto face = r.reduced (1.5f);
    g.setGradientFill (juce::ColourGradient (Colour (0xff43474f), face.getX(), face.getY(),
                                             Colour (0xff25282d), face.getX(), face.getBottom(), false));
    g.fillRoundedRectangle (face, corner - 1.0f);
    g.setColour (Colour (0x30ffffff));
    g.drawHorizontalLine ((int) face.getY() + 1, face.getX() + corner, face.getRight() - corner);
}

void drawLamp (Graphics& g, Rectangle<float> r, Colour colour, bool lit)
{
    if (lit)
    {
        g.setColour (colour.withAlpha (0.35f));
        g.fillRoundedRectangle (r.expanded (1.5f), 2.5f);
    }

    g.setColour (lit ? colour : Colour (0xff1a1c20));
    g.fillRoundedRectangle (r, 1.5f);
}

Image squareKey (const char* caption, bool on, int scale)
{
    Canvas canvas (58, 56, scale);
    auto& g = canvas.g;
    const auto key = Rectangle<float> (3.0f, 3.0f, 52.0f, 50.0f);
    drawKeyBody (g, key, 5.0f);
    drawLamp (g, { 19.0f, 12.0f, 20.0f, 4.0f }, litCaption, on);
    g.setColour (on ? litCaption : dimCaption);
    g.setFont (uiFont (10.5f));
    g.drawText (caption, key.withTrimmedTop (18.0f).withTrimmedBottom (8.0f), juce::Justification::centred);
    return canvas.image;
}

Image qualityKey (bool eco, int scale)
{
    Canvas canvas (50, 50, scale);
    auto& g = canvas.g;
    drawKeyBody (g, { 2.0f, 2.0f, 46.0f, 46.0f }, 4.5f);
    g.setFont (uiFont (9.0f));
    g.setColour (eco ? dimCaption : litCaption);
    g.drawText ("PRECISE", Rectangle<float> (2.0f, 9.0f, 46.0f, 14.0f), juce::Justification::centred);
    g.setColour (eco ? litCaption : dimCaption);
    g.drawText ("ECO", Rectangle<float> (2.0f, 27.0f, 46.0f, 14.0f), juce::Justification::centred);
    g.setColour (Colour (0xff15171a));
    g.drawHorizontalLine (25, 10.0f, 40.0f);
    return canvas.image;
}

Image leverSwitch (bool down, int scale)
{
    Canvas canvas (21, 52, scale);
    auto& g = canvas.g;
    g.setColour (Colour (0xff17191c));
    g.fillRoundedRectangle (0.0f, 0.0f, 21.0f, 52.0f, 3.0f);
    g.setColour (Colour (0xff030304));
    g.fillRoundedRectangle (7.5f, 4.0f, 6.0f, 35.0f, 3.0f);

    const auto lever = Rectangle<float> (3.0f, down ? 26.0f : 4.0f, 15.0f, 13.0f);
    g.setGradientFill (juce::ColourGradient (Colour (0xffb7bcc4), lever.getX(), lever.getY(),
                                             Colour (0xff5d626a), lever.getX(), lever.getBottom(), false));
    g.fillRoundedRectangle (lever, 2.5f);
    g.setColour (Colour (0xff2a2d31));
    for (int i = 0; i < 3; ++i)
        g.drawHorizontalLine ((int) lever.getY() + 4 + 2 * i, lever.getX() + 3.0f, lever.getRight() - 3.0f);

    g.setColour (down ? litCaption : dimCaption);
    g.setFont (uiFont (8.5f));
    g.drawText ("LIM", Rectangle<float> (0.0f, 41.0f, 21.0f, 10.0f), juce::Justification::centred);
    return canvas.image;
}

Image infoKey (bool on, int scale)
{
    Canvas canvas (22, 20, scale);
    auto& g = canvas.g;
    drawKeyBody (g, { 1.0f, 1.0f, 20.0f, 18.0f }, 3.5f);
    g.setColour (on ? litBlue : dimCaption);
    g.setFont (juce::Font ("Liberation Serif", 14.0f, juce::Font::bold | juce::Font::italic));
    g.drawText ("i", Rectangle<float> (1.0f, 1.0f, 20.0f, 18.0f), juce::Justification::centred);
    return canvas.image;
}

//==============================================================================
Image led (Colour lit, Colour unlit, int scale)
{
    Canvas canvas (23, 46, scale);
    auto& g = canvas.g;
    const auto lens = [] (float top) { return Rectangle<float> (11.0f, 11.0f).withCentre ({ 11.5f, top + 11.5f }); };

    auto glow = juce::ColourGradient (lit.withAlpha (0.55f), 11.5f, 11.5f, lit.withAlpha (0.0f), 11.5f, 0.5f, true);
    g.setGradientFill (glow);
    g.fillEllipse (0.5f, 0.5f, 22.0f, 22.0f);
    g.setGradientFill (juce::ColourGradient (lit.brighter (0.9f), 10.0f, 9.5f, lit, 11.5f, 16.5f, true));
    g.fillEllipse (lens (0.0f));

    g.setColour (Colour (0xff050506));
    g.fillEllipse (lens (23.0f).expanded (1.5f));
    g.setGradientFill (juce::ColourGradient (unlit.brighter (0.4f), 10.0f, 32.0f, unlit, 11.5f, 40.0f, true));
    g.fillEllipse (lens (23.0f));
    return canvas.image;
}

//==============================================================================
struct Caption
{
    const char* text;
    Rectangle<int> control;   // the control's bounds in the editor
};

// Knobs, value boxes and the selector, each captioned just above its bounds.
const Caption captions[] {
    { "THRESHOLD", EditorLayout::threshold },  { "CREST", EditorLayout::peakCrest },
    { "KNEE", EditorLayout::softKnee },        { "RATIO", EditorLayout::ratio },
    { "ATTACK", EditorLayout::attack },        { "PEAK", EditorLayout::releasePeak },
    { "RMS", EditorLayout::releaseRms },       { "MAKEUP", EditorLayout::makeup },
    { "DRY MIX", EditorLayout::dryMix },       { "HP FREQ", EditorLayout::keyHpFrequency },
    { "OUTPUT", EditorLayout::outGain },       { "STEREO DIFF", EditorLayout::keyStereoDiff },
    { "HP SLOPE", EditorLayout::keyHpSlope },  { "COMP", EditorLayout::peakRatio },
};

// Black behind everything the information panel can cover.
const auto displayArea = EditorLayout::infoScreen.getUnion (EditorLayout::meterScale)
                             .getUnion (EditorLayout::meter)
                             .getUnion (EditorLayout::transferFunction)
                             .expanded (6, 8);
const auto& transferArea = EditorLayout::transferFunction;
const auto& meterArea = EditorLayout::meter;

void drawCaption (Graphics& g, const Caption& c)
{
    g.setColour (captionColour);
    g.setFont (uiFont (9.5f));
    g.drawText (c.text, Rectangle<int> (c.control.getCentreX() - 40, c.control.getY() - 13, 80, 11),
                juce::Justification::centred);
}

void drawScrew (Graphics& g, juce::Point<float> centre)
{
    const auto r = Rectangle<float> (8.0f, 8.0f).withCentre (centre);
    g.setGradientFill (juce::ColourGradient (Colour (0xff7a7f87), r.getX(), r.getY(),
                                             Colour (0xff2c2f34), r.getRight(), r.getBottom(), false));
    g.fillEllipse (r);
    g.setColour (Colour (0xff16181b));
    g.drawLine (centre.x - 2.8f, centre.y + 1.2f, centre.x + 2.8f, centre.y - 1.2f, 1.2f);
}

void drawGroove (Graphics& g, int x, int top, int bottom)
{
    g.setColour (Colour (0xff131417));
    g.drawVerticalLine (x, (float) top, (float) bottom);
    g.setColour (Colour (0xff3a3d43));
    g.drawVerticalLine (x + 1, (float) top, (float) bottom);
}

void drawDisplay (Graphics& g)
{
    g.setColour (Colour (0xff0d0e10));
    g.fillRoundedRectangle (displayArea.toFloat().expanded (2.0f), 6.0f);
    g.setColour (displayBlack);
    g.fillRoundedRectangle (displayArea.toFloat(), 5.0f);

    // A 10 dB grid behind the transfer curve (2 px per dB).
    g.setColour (gridColour);
    for (int i = 1; i < 7; ++i)
    {
        g.drawVerticalLine (transferArea.getX() + 20 * i - 10, (float) transferArea.getY(), (float) transferArea.getBottom());
        g.drawHorizontalLine (transferArea.getY() + 20 * i - 10, (float) transferArea.getX(), (float) transferArea.getRight());
    }
    g.drawRect (transferArea);

    g.setColour (Colour (0xff07090c));
    g.fillRect (meterArea);
}

Image background (int scale)
{
    Canvas canvas (EditorLayout::width, EditorLayout::height, scale, Image::RGB);
    const auto panel = canvas.bounds.toFloat();
    auto& g = canvas.g;
    g.setGradientFill (juce::ColourGradient (panelTop, 0.0f, 0.0f, panelBottom, 0.0f, panel.getBottom(), false));
    g.fillAll();

    g.setColour (Colour (0xff3d4047));
    g.drawHorizontalLine (0, 0.0f, panel.getRight());
    g.setColour (Colour (0xff0e0f11));
    g.drawRect (canvas.bounds);

    const auto screws = panel.reduced (8.0f);
    for (auto p : { screws.getTopLeft(), screws.getTopRight(), screws.getBottomLeft(), screws.getBottomRight() })
        drawScrew (g, p);

    drawGroove (g, 84, 14, 243);
    drawGroove (g, 391, 14, 243);
    drawGroove (g, 624, 14, 190);

    drawDisplay (g);

    g.setColour (Colour (0xffe8ebef));
    g.setFont (uiFont (17.0f).withExtraKerningFactor (0.25f));
    g.drawText ("VELMORA", Rectangle<int> (displayArea.getX(), 8, displayArea.getWidth(), 20), juce::Justification::centred);
    g.setColour (dimCaption.brighter (0.3f));
    g.setFont (uiFont (7.5f).withExtraKerningFactor (0.15f));
    g.drawText ("FEEDBACK COMPRESSOR", Rectangle<int> (displayArea.getX(), 27, displayArea.getWidth(), 10), juce::Justification::centred);

    g.setColour (captionColour.darker (0.2f));
    g.setFont (uiFont (8.5f).withExtraKerningFactor (0.1f));
    g.drawText ("KEY", Rectangle<int> (6, 20, 74, 11), juce::Justification::centred);
    const auto releases = EditorLayout::releasePeak.getUnion (EditorLayout::releaseRms);
    g.drawText ("RELEASE", releases.withY (releases.getY() - 37).withHeight (11), juce::Justification::centred);

    for (const auto& c : captions)
        drawCaption (g, c);

    // The info key sits low in the panel, so its caption goes below it.
    drawCaption (g, { "INFO", EditorLayout::info.withY (EditorLayout::info.getBottom() + 15) });

    return canvas.image;
}

//==============================================================================
/** The standalone application's icon: the large knob on a square of the panel. */
Image appIcon (int size)
{
    Canvas canvas (size, size, 1);
    auto& g = canvas.g;
    const auto tile = canvas.bounds.toFloat().reduced ((float) size * 0.03f);
    const auto corner = (float) size * 0.16f;

    g.setGradientFill (juce::ColourGradient (panelTop.brighter (0.15f), 0.0f, tile.getY(), panelBottom, 0.0f, tile.getBottom(), false));
    g.fillRoundedRectangle (tile, corner);
    g.setColour (Colour (0xff0e0f11));
    g.drawRoundedRectangle (tile, corner, juce::jmax (1.0f, (float) size / 128.0f));

    drawKnob (g, tile.getCentre(), (float) size * 0.86f, knobArc * 0.4f);
    return canvas.image;
}
} // namespace

//==============================================================================
int main (int argc, char* argv[])
{
    if (argc != 2)
    {
        std::fprintf (stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }

    const auto folder = juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]);
    folder.createDirectory();

    for (const int scale : { 1, 2 })
    {
        save (background (scale), folder, "panel_background", scale);
        save (knobStrip (70, scale), folder, "knob_large", scale);
        save (knobStrip (50, scale), folder, "knob_small", scale);
        save (valueBox (55, 21, scale), folder, "box_55", scale);
        save (valueBox (50, 17, scale), folder, "box_50", scale);
        save (squareKey ("DELTA", false, scale), folder, "delta_off", scale);
        save (squareKey ("DELTA", true, scale), folder, "delta_on", scale);
        save (squareKey ("BYPASS", false, scale), folder, "bypass_off", scale);
        save (squareKey ("BYPASS", true, scale), folder, "bypass_on", scale);
        save (qualityKey (false, scale), folder, "quality_off", scale);
        save (qualityKey (true, scale), folder, "quality_on", scale);
        save (leverSwitch (false, scale), folder, "peak_ratio_off", scale);
        save (leverSwitch (true, scale), folder, "peak_ratio_on", scale);
        save (infoKey (false, scale), folder, "info_off", scale);
        save (infoKey (true, scale), folder, "info_on", scale);
        save (led (Colour (0xff3aa0ff), Colour (0xff0b1a28), scale), folder, "led_blue", scale);
        save (led (Colour (0xffff3b2b), Colour (0xff2a0c0a), scale), folder, "led_red", scale);
    }

    // Icon themes keep one picture per pixel size, so these have no 2x versions.
    for (const int size : { 48, 128, 256 })
        save (appIcon (size), folder, ("velmora_" + juce::String (size)).toRawUTF8(), 1);

    return 0;
}
