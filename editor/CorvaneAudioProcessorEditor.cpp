#include "CorvaneAudioProcessorEditor.h"

#include "Artwork.h"
#include "EditorLayout.h"
#include "CorvaneAudioProcessor.h"

namespace
{
// In parameter order; a double-click returns a knob to the table's value.
const juce::Rectangle<int> valueControlBounds[12] {
    EditorLayout::threshold, EditorLayout::peakCrest, EditorLayout::softKnee, EditorLayout::ratio,
    EditorLayout::attack, EditorLayout::releasePeak, EditorLayout::releaseRms, EditorLayout::makeup,
    EditorLayout::dryMix, EditorLayout::keyHpFrequency, EditorLayout::outGain, EditorLayout::keyStereoDiff,
};

// Adding order, which is also the stacking order.
constexpr int valueControlOrder[12] { thresholdIndex, peakCrestIndex, ratioIndex, softKneeIndex, makeupIndex,
                                      attackIndex, releasePeakIndex, releaseRmsIndex, dryMixIndex,
                                      keyHpFrequencyIndex, outGainIndex, keyStereoDiffIndex };

constexpr int textBoxWidth = 50;
constexpr int textBoxHeight = 16;
constexpr float dimmedAlpha = 0.3f;
constexpr float maximumScale = 4.0f;

const auto& slopeChoices = parameterTable[keyHpSlopeIndex];

float onOff (bool on)
{
    return on ? 1.0f : 0.0f;
}

/** The display's curve only has finite rows for values in 0..1 (a ratio value near
    -0.52 would divide by zero), so it takes what a knob shows: the value clamped. */
float unitValue (float value)
{
    return std::isfinite (value) ? juce::jlimit (0.0f, 1.0f, value) : 0.0f;
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
      owner (&ownerProcessor)
{
    setSize (EditorLayout::width, EditorLayout::height);
    juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeelCustom);

    // The default is shared by every open editor and lapses when its owner closes; the
    // editor's own look keeps its children drawn right when another instance closes.
    setLookAndFeel (&lookAndFeelCustom);

    for (const auto index : valueControlOrder)
        setUpValueControl (index);

    setUpSelector();
    setUpButton (deltaButton, Artwork::deltaOff(), Artwork::deltaOn(), EditorLayout::delta);
    setUpButton (bypassButton, Artwork::bypassOff(), Artwork::bypassOn(), EditorLayout::bypass);
    setUpButton (qualityButton, Artwork::qualityOff(), Artwork::qualityOn(), EditorLayout::quality);
    setUpButton (peakRatioButton, Artwork::peakRatioOff(), Artwork::peakRatioOn(), EditorLayout::peakRatio);
    setUpButton (infoButton, Artwork::infoOff(), Artwork::infoOn(), EditorLayout::info);
    setUpDisplays();

    startTimer (refreshMs);
}

CorvaneAudioProcessorEditor::~CorvaneAudioProcessorEditor()
{
    setLookAndFeel (nullptr);
}

void CorvaneAudioProcessorEditor::setUpValueControl (int index)
{
    auto& slider = *valueControls[index];
    const auto isValueBox = index == outGainIndex || index == keyStereoDiffIndex;

    addAndMakeVisible (slider);

    if (isValueBox)
        slider.setLookAndFeel (&lookAndFeelCustom2);

    slider.setSliderStyle (juce::Slider::RotaryVerticalDrag);
    slider.setTextBoxStyle (isValueBox ? juce::Slider::NoTextBox : juce::Slider::TextBoxBelow, true,
                            textBoxWidth, textBoxHeight);
    slider.addListener (this);

    if (index == keyStereoDiffIndex)
        slider.setSliderSnapsToMousePosition (false);

    slider.setColour (juce::Slider::textBoxTextColourId, juce::Colour (0xffffffff));
    slider.setColour (juce::Slider::textBoxBackgroundColourId, juce::Colour (0xff000000));

    if (index == keyStereoDiffIndex)
    {
        slider.setColour (juce::Slider::backgroundColourId, juce::Colour (0xff000000));
        slider.setColour (juce::Slider::thumbColourId, juce::Colour (0xff555555));
    }

    slider.setColour (juce::Slider::textBoxHighlightColourId, juce::Colour (0xffffffff));
    slider.setColour (juce::Slider::textBoxOutlineColourId, juce::Colour (0xb2000000));

    slider.setVelocityBasedMode (true);
    slider.setVelocityModeParameters (1.0, 1, 0.02, false);

    slider.valueToTextFunction = parameterTable[index].toText;
    // The knee knob moves in steps of 0.001.
    slider.setRange (0.0, 1.0, index == softKneeIndex ? 0.001 : 0.0);
    slider.setBounds (valueControlBounds[index]);
    slider.setDoubleClickReturnValue (true, parameterTable[index].doubleClickValue);
}

void CorvaneAudioProcessorEditor::setUpSelector()
{
    addAndMakeVisible (keyHPSlope);
    keyHPSlope.setJustificationType (juce::Justification::centred);
    keyHPSlope.setColour (juce::ComboBox::backgroundColourId, juce::Colour (0x00ff0000));
    keyHPSlope.setColour (juce::ComboBox::outlineColourId, juce::Colour (0xb2000000));
    keyHPSlope.setColour (juce::ComboBox::textColourId, juce::Colour (0xffffffff));
    keyHPSlope.addItem ("Off", 1);
    keyHPSlope.addItem ("3dB/Oct", 2);
    keyHPSlope.addItem ("6dB/Oct", 3);
    keyHPSlope.addItem ("12dB/Oct", 4);
    keyHPSlope.setSelectedId (1, juce::dontSendNotification);
    keyHPSlope.addListener (this);
    keyHPSlope.setBounds (EditorLayout::keyHpSlope);
}

void CorvaneAudioProcessorEditor::setUpButton (juce::ImageButton& button, const juce::Image& off,
                                               const juce::Image& on, juce::Rectangle<int> bounds)
{
    const auto clear = juce::Colours::transparentBlack;

    addAndMakeVisible (button);
    button.setImages (true, false, false, off, 1.0f, clear, off, 1.0f, clear, on, 1.0f, clear, 0.5f);
    button.setToggleState (false, juce::dontSendNotification);
    button.setClickingTogglesState (true);
    button.addListener (this);
    button.setBounds (bounds);
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
void CorvaneAudioProcessorEditor::notifyHost (int index, float value)
{
    owner->parameter (index)->setStoredValueNotifyingHost (value);
}

void CorvaneAudioProcessorEditor::notifyHostOfClick (int index, float value)
{
    auto* p = owner->parameter (index);
    p->beginChangeGesture();
    p->setStoredValueNotifyingHost (value);
    p->endChangeGesture();
}

int CorvaneAudioProcessorEditor::indexOf (const juce::Slider* slider) const
{
    const auto found = std::find (std::begin (valueControls), std::end (valueControls), slider);
    return found != std::end (valueControls) ? (int) (found - std::begin (valueControls)) : -1;
}

// The slider reports a drag, a double-click or a wheel turn as start, values, end: the
// host hears each as one gesture, which touch and latch automation need.
void CorvaneAudioProcessorEditor::sliderDragStarted (juce::Slider* slider)
{
    if (const auto i = indexOf (slider); i >= 0)
        owner->parameter (i)->beginChangeGesture();
}

void CorvaneAudioProcessorEditor::sliderDragEnded (juce::Slider* slider)
{
    if (const auto i = indexOf (slider); i >= 0)
        owner->parameter (i)->endChangeGesture();
}

void CorvaneAudioProcessorEditor::sliderValueChanged (juce::Slider* slider)
{
    if (const auto i = indexOf (slider); i >= 0)
        notifyHost (i, (float) slider->getValue());
}

void CorvaneAudioProcessorEditor::comboBoxChanged (juce::ComboBox* box)
{
    if (box != &keyHPSlope)
        return;

    const auto item = keyHPSlope.getSelectedItemIndex();
    notifyHostOfClick (keyHpSlopeIndex, juce::isPositiveAndBelow (item, slopeChoices.numChoices) ? slopeChoices.choices[item].value : 0.0f);
}

void CorvaneAudioProcessorEditor::buttonClicked (juce::Button* button)
{
    if (button == &deltaButton)
        notifyHostOfClick (deltaIndex, onOff (button->getToggleState()));
    else if (button == &bypassButton)
        notifyHostOfClick (bypassIndex, onOff (button->getToggleState()));
    else if (button == &qualityButton)
        notifyHostOfClick (qualityIndex, onOff (button->getToggleState()));
    else if (button == &peakRatioButton)
        notifyHostOfClick (peakRatioIndex, onOff (button->getToggleState()));
    else if (button == &reductionMeterScale || button == &reductionMeter)
    {
        reductionMeterScale.cycleScale();
        notifyHostOfClick (meterScaleIndex, reductionMeterScale.meterScale);
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
    refreshControls();
    refreshTransferFunction();
    refreshMeter();
    refreshLeds();
    updateDimming();
}

void CorvaneAudioProcessorEditor::refreshControls()
{
    const auto p = [this] (int index) { return owner->getParameter (index); };

    for (int i = 0; i < (int) std::size (valueControls); ++i)
        valueControls[i]->setValue ((double) p (i), juce::dontSendNotification);

    deltaButton.setToggleState (p (deltaIndex) > 0.5f, juce::dontSendNotification);
    bypassButton.setToggleState (p (bypassIndex) > 0.5f, juce::dontSendNotification);
    qualityButton.setToggleState (p (qualityIndex) > 0.5f, juce::dontSendNotification);
    peakRatioButton.setToggleState (p (peakRatioIndex) > 0.5f, juce::dontSendNotification);

    // Only the exact values the selector writes get an item; anything else shows "Off".
    const float slope = p (keyHpSlopeIndex);
    int item = 0;

    for (int i = 1; i < slopeChoices.numChoices; ++i)
        if (slope == slopeChoices.choices[i].value)
            item = i;

    keyHPSlope.setSelectedItemIndex (item, juce::dontSendNotification);
}

void CorvaneAudioProcessorEditor::refreshTransferFunction()
{
    const auto shown = [this] (int index) { return parameterTable[index].toDisplay (unitValue (owner->getParameter (index))); };

    transferFunction.thresholdDb = shown (thresholdIndex);
    transferFunction.crestDb = shown (peakCrestIndex);
    transferFunction.kneeDb = shown (softKneeIndex);
    transferFunction.ratioFactor = shown (ratioIndex);
    transferFunction.fixedPeakRatioFactor = 0.125f;
    transferFunction.makeupDb = shown (makeupIndex);
    transferFunction.dryAttenuationDb = shown (dryMixIndex);
    transferFunction.outGainDb = shown (outGainIndex);

    // The switch goes in as stored, unclamped: the display compares it itself.
    transferFunction.peakRatioSwitch = parameterTable[peakRatioIndex].toDisplay (owner->getParameter (peakRatioIndex));
    transferFunction.repaint();
}

void CorvaneAudioProcessorEditor::refreshMeter()
{
    // The floor limits the reading to 100 dB of reduction; a non-finite gain reads as the floor too.
    const auto published = (float) owner->currentGain;
    const auto gain = published > 0.00001f ? published : 0.00001f;
    const auto reductionDb = std::log (gain) * -8.68588924407959f;

    if (owner->isSuspended())
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

    const auto scale = owner->getParameter (meterScaleIndex);

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
    if (owner->rmsGainDb > owner->peakGainDb)
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
