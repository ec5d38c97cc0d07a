#include "CorvaneAudioProcessorEditor.h"

#include "Conversions.h"
#include "CorvaneAudioProcessor.h"

#include <cstring>

namespace
{
constexpr int textBoxWidth = 50;
constexpr int textBoxHeight = 16;
constexpr float dimmedAlpha = 0.3f;
constexpr float maximumScale = 4.0f;

/** Writes one input of a display; true when it changed. Compared bit for bit, so that
    an input that is not a number does not count as new on every tick. */
bool update (float& input, float value) noexcept
{
    if (std::memcmp (&input, &value, sizeof (float)) == 0)
        return false;

    input = value;
    return true;
}

/** The selector writes the host's words compactly, in the panel's style: no spaces, and
    capitals at the start and after a slash ("3 dB/oct" shows as "3dB/Oct"). */
juce::String itemText (const char* hostText)
{
    juce::String text;
    auto capital = true;

    for (auto* c = hostText; *c != 0; ++c)
    {
        if (*c == ' ')
            continue;

        text += capital ? juce::CharacterFunctions::toUpperCase ((juce::juce_wchar) *c) : (juce::juce_wchar) *c;
        capital = *c == '/';
    }

    return text;
}

/** Halves a fading LED level each tick until it is dark. */
float fade (float level)
{
    return level > 0.01f ? level * 0.5f : 0.0f;
}

/** One tick of a falling meter value: up at once, down by at most maxFallDb once the
    counter has passed holdMs. */
float fall (float value, float target, int& fallMs, int holdMs, float maxFallDb)
{
    if (target >= value)
        return target;

    if (value > 0.0f)
    {
        // Saturates instead of counting on for ever: only "past the hold" matters.
        fallMs = juce::jmin (fallMs, holdMs) + CorvaneAudioProcessorEditor::refreshMs;

        if (fallMs > holdMs)
            value -= juce::jmin (value - target, maxFallDb);
    }

    return value;
}
} // namespace

CorvaneAudioProcessorEditor::CorvaneAudioProcessorEditor (CorvaneAudioProcessor& ownerProcessor)
    : juce::AudioProcessorEditor (&ownerProcessor),
      owner (ownerProcessor)
{
    setSize (EditorLayout::width, EditorLayout::height);
    juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeelCustom);

    // The default is shared by every open editor and lapses when its owner closes; the
    // editor's own look keeps its children drawn right when another instance closes.
    setLookAndFeel (&lookAndFeelCustom);

    for (const auto& binding : bindings)
        bind (binding);

    setUpButton (infoButton, Artwork::infoOff(), Artwork::infoOn());
    infoButton.addListener (this);
    infoButton.setBounds (EditorLayout::info);
    setUpDisplays();

    startTimer (refreshMs);
}

CorvaneAudioProcessorEditor::~CorvaneAudioProcessorEditor()
{
    setLookAndFeel (nullptr);
}

void CorvaneAudioProcessorEditor::bind (const Binding& binding)
{
    std::visit (
        [this, &binding] (auto* control)
        {
            setUp (*control, binding);
            control->setBounds (binding.bounds);
            attachments.push_back (std::make_unique<ControlAttachment> (*owner.parameter (binding.index), *control));
        },
        binding.control);
}

void CorvaneAudioProcessorEditor::setUp (BetterSlider& slider, const Binding& binding)
{
    const auto index = binding.index;
    const auto isValueBox = index == outGainIndex || index == keyStereoDiffIndex;
    const auto& info = parameterTable[index];

    addAndMakeVisible (slider);

    if (isValueBox)
        slider.setLookAndFeel (&lookAndFeelCustom2);

    slider.setSliderStyle (juce::Slider::RotaryVerticalDrag);
    slider.setTextBoxStyle (isValueBox ? juce::Slider::NoTextBox : juce::Slider::TextBoxBelow, true,
                            textBoxWidth, textBoxHeight);

    if (index == keyStereoDiffIndex)
        slider.setSliderSnapsToMousePosition (false);

    slider.setVelocityBasedMode (true);
    slider.setVelocityModeParameters (1.0, 1, 0.02, false);

    slider.valueToTextFunction = info.toText;
    // The knee knob moves in steps of 0.001.
    slider.setRange (0.0, 1.0, index == softKneeIndex ? 0.001 : 0.0);
    slider.setDoubleClickReturnValue (true, info.doubleClickValue);
}

void CorvaneAudioProcessorEditor::setUp (juce::ComboBox& selector, const Binding& binding)
{
    const auto& info = parameterTable[binding.index];

    addAndMakeVisible (selector);
    selector.setJustificationType (juce::Justification::centred);

    for (int i = 0; i < info.numChoices; ++i)
        selector.addItem (itemText (info.choices[i].text), i + 1);

    selector.setSelectedId (1, juce::dontSendNotification);
}

void CorvaneAudioProcessorEditor::setUp (juce::ImageButton& button, const Binding& binding)
{
    setUpButton (button, binding.off (1), binding.on (1));
}

void CorvaneAudioProcessorEditor::setUpButton (juce::ImageButton& button, const juce::Image& off,
                                               const juce::Image& on)
{
    const auto clear = juce::Colours::transparentBlack;

    addAndMakeVisible (button);
    button.setImages (true, false, false, off, 1.0f, clear, off, 1.0f, clear, on, 1.0f, clear, 0.5f);
    button.setToggleState (false, juce::dontSendNotification);
    button.setClickingTogglesState (true);
}

void CorvaneAudioProcessorEditor::setUpDisplays()
{
    addAndMakeVisible (transferFunction);
    transferFunction.setBounds (EditorLayout::transferFunction);

    addAndMakeVisible (reductionMeterScale);
    reductionMeterScale.addListener (this);
    reductionMeterScale.setBounds (EditorLayout::meterScale);

    addAndMakeVisible (reductionMeter);
    reductionMeter.addListener (this);
    reductionMeter.setBounds (EditorLayout::meter);

    addAndMakeVisible (peakled);
    peakled.setBounds (EditorLayout::peakLed);

    addAndMakeVisible (rmsled);
    rmsled.setBounds (EditorLayout::rmsLed);
    rmsled.colourIndex = 1;
    rmsled.repaint();

    addAndMakeVisible (infoScreen);
    infoScreen.setBounds (EditorLayout::infoScreen);
    infoScreen.setVisible (false);
}

void CorvaneAudioProcessorEditor::paint (juce::Graphics& g)
{
    const auto density = Artwork::densityFor (g);
    const juce::Rectangle<int> panel { EditorLayout::width, EditorLayout::height };
    Artwork::drawPart (g, Artwork::panelBackground (density), density, panel, panel);
}

void CorvaneAudioProcessorEditor::setScaleFactor (float newScale)
{
    // The comparisons are false for NaN as well.
    const auto usable = newScale > 0.0f && newScale <= maximumScale;
    juce::AudioProcessorEditor::setScaleFactor (usable ? newScale : 1.0f);
}

//==============================================================================
float CorvaneAudioProcessorEditor::valueOf (int index) const noexcept
{
    return owner.parameter (index)->storedValue();
}

void CorvaneAudioProcessorEditor::buttonClicked (juce::Button* button)
{
    if (button == &reductionMeterScale || button == &reductionMeter)
    {
        reductionMeterScale.cycleScale();

        auto& meterScale = *owner.parameter (meterScaleIndex);
        meterScale.beginChangeGesture();
        meterScale.setStoredValueNotifyingHost (reductionMeterScale.meterScale);
        meterScale.endChangeGesture();
    }
    else if (button == &infoButton)
    {
        const auto showInfo = infoButton.getToggleState();
        infoScreen.setVisible (showInfo);
        transferFunction.setVisible (! showInfo);
        reductionMeter.setVisible (! showInfo);
        reductionMeterScale.setVisible (! showInfo);
    }
}

//==============================================================================
void CorvaneAudioProcessorEditor::timerCallback()
{
    for (auto& attachment : attachments)
        attachment->refresh();

    refreshTransferFunction();
    refreshMeter();
    refreshLeds();
    updateDimming();
}

void CorvaneAudioProcessorEditor::refreshTransferFunction()
{
    auto& display = transferFunction;
    const auto shown = [this] (int index)
    {
        // The curve only has finite rows for values in 0..1 (a ratio value near -0.52
        // would divide by zero), so it takes what a knob shows.
        const auto& info = parameterTable[index];
        const auto value = unitValue (valueOf (index));
        return info.toDisplay != nullptr ? info.toDisplay (value) : static_cast<float> (info.natural.fromNormalized (value));
    };

    // The switch goes in as stored, unclamped: the display compares it itself.
    const std::pair<float*, float> inputs[] {
        { &display.thresholdDb, shown (thresholdIndex) },
        { &display.crestDb, shown (peakCrestIndex) },
        { &display.kneeDb, shown (softKneeIndex) },
        { &display.ratioFactor, shown (ratioIndex) },
        { &display.fixedPeakRatioFactor, 0.125f },
        { &display.peakRatioSwitch, valueOf (peakRatioIndex) },
        { &display.makeupDb, shown (makeupIndex) },
        { &display.dryAttenuationDb, shown (dryMixIndex) },
        { &display.outGainDb, shown (outGainIndex) },
    };

    // The curve is drawn again only when one of its inputs changed.
    auto changed = false;

    for (const auto& [input, value] : inputs)
        changed = update (*input, value) || changed;

    if (changed)
        display.repaint();
}

void CorvaneAudioProcessorEditor::refreshMeter()
{
    // The floor limits the reading to 100 dB of reduction; a non-finite gain reads as the floor too.
    const auto published = (float) owner.getCurrentGain();
    const auto gain = published > 0.00001f ? published : 0.00001f;
    const auto reductionDb = -static_cast<float> (gainToDb (gain));

    if (owner.isSuspended())
    {
        meterCurrentDb = 0.0f;
        meterHeldDb = 0.0f;
    }
    else
    {
        // The held value rests 3 s only in the first fall: its counter never restarts.
        meterCurrentDb = fall (meterCurrentDb, reductionDb, currentFallMs, 40, 0.55f);
        meterHeldDb = fall (meterHeldDb, reductionDb, heldFallMs, 3000, 0.05f);
    }

    const auto scale = valueOf (meterScaleIndex);

    if (reductionMeter.currentReductionDb != meterCurrentDb || reductionMeter.heldReductionDb != meterHeldDb
        || reductionMeter.meterScale != scale)
    {
        reductionMeter.currentReductionDb = meterCurrentDb;
        reductionMeter.heldReductionDb = meterHeldDb;
        reductionMeter.meterScale = scale;
        reductionMeter.repaint();
    }

    if (reductionMeterScale.meterScale != scale)
    {
        reductionMeterScale.meterScale = scale;
        reductionMeterScale.repaint();
    }
}

void CorvaneAudioProcessorEditor::refreshLeds()
{
    // The LED of the path that holds the gain lower is lit; the other one fades.
    if (owner.getRmsGainDb() > owner.getPeakGainDb())
    {
        peakLedLevel = 1.0f;
        rmsLedLevel = fade (rmsLedLevel);
    }
    else
    {
        rmsLedLevel = 1.0f;
        peakLedLevel = fade (peakLedLevel);
    }

    for (auto [led, level] : { std::pair (&peakled, peakLedLevel), std::pair (&rmsled, rmsLedLevel) })
    {
        if (led->brightness != level)
        {
            led->brightness = level;
            led->repaint();
        }
    }
}

void CorvaneAudioProcessorEditor::updateDimming()
{
    // Dimming is only drawn; the controls stay operable. setAlpha repaints only on a change.
    const auto bypassed = bypassButton.getToggleState();
    const auto wetAlpha = bypassed || deltaButton.getToggleState() ? dimmedAlpha : 1.0f;
    const auto alpha = bypassed ? dimmedAlpha : 1.0f;

    for (auto* c : std::initializer_list<juce::Component*> { &threshold, &ratio, &softKnee, &attack,
                                                             &releasePeak, &releaseRMS, &keyStereoDiff,
                                                             &peakCrest, &peakRatioButton, &keyHPSlope })
        c->setAlpha (alpha);

    makeupSlider.setAlpha (wetAlpha);
    dryMix.setAlpha (wetAlpha);
    outGain.setAlpha (wetAlpha);
    keyHPFrequency.setAlpha (bypassed || keyHPSlope.getSelectedItemIndex() < 1 ? dimmedAlpha : 1.0f);
}
