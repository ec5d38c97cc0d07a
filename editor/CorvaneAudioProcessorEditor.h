#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include "Artwork.h"
#include "BetterSlider.h"
#include "ControlAttachment.h"
#include "EditorLayout.h"
#include "InfoScreenComponent.h"
#include "LEDComponent.h"
#include "LookAndFeelCustom.h"
#include "LookAndFeelCustom2.h"
#include "ReductionMeterComponent.h"
#include "ReductionMeterScaleComponent.h"
#include "TranferFunctionComponent.h"

#include <memory>
#include <variant>
#include <vector>

class CorvaneAudioProcessor;

/** The plug-in's fixed 717 × 257 window. Every parameter control is bound through one
    ControlAttachment: user edits go straight to the host as automation, and a 50 ms
    timer polls the parameters and rewrites every control without notifying anyone, so
    the controls never keep values of their own. */
class CorvaneAudioProcessorEditor : public juce::AudioProcessorEditor,
                                    public juce::Button::Listener,
                                    public juce::Timer
{
public:
    explicit CorvaneAudioProcessorEditor (CorvaneAudioProcessor& ownerProcessor);
    ~CorvaneAudioProcessorEditor() override;

    void paint (juce::Graphics& g) override;

    /** A host's content scale. One of 0 or below, above 4 or not a number counts as 1. */
    void setScaleFactor (float newScale) override;

    /** The info button and clicks on the meter; the parameter controls report through
        their attachments. */
    void buttonClicked (juce::Button* button) override;
    void timerCallback() override;

    static constexpr int refreshMs = 50;

private:
    using BoundControl = std::variant<BetterSlider*, juce::ComboBox*, juce::ImageButton*>;

    /** One parameter control: the parameter, the control and where it sits. A switch
        also names its two pictures. */
    struct Binding
    {
        int index;
        BoundControl control;
        juce::Rectangle<int> bounds;
        Artwork::Picture off = nullptr;
        Artwork::Picture on = nullptr;
    };

    void bind (const Binding& binding);
    void setUp (BetterSlider& slider, const Binding& binding);
    void setUp (juce::ComboBox& selector, const Binding& binding);
    void setUp (juce::ImageButton& button, const Binding& binding);
    void setUpButton (juce::ImageButton& button, const juce::Image& off, const juce::Image& on);
    void setUpDisplays();

    float valueOf (int index) const noexcept;
    void refreshTransferFunction();
    void refreshMeter();
    void refreshLeds();
    void updateDimming();

    // The processor outlives its editor.
    CorvaneAudioProcessor& owner;

    LookAndFeelCustom lookAndFeelCustom;
    LookAndFeelCustom2 lookAndFeelCustom2;

    BetterSlider threshold { "threshold" };
    BetterSlider peakCrest { "peakCrest" };
    BetterSlider softKnee { "softKnee" };
    BetterSlider ratio { "ratio" };
    BetterSlider attack { "attack" };
    BetterSlider releasePeak { "releasePeak" };
    BetterSlider releaseRMS { "releaseRMS" };
    BetterSlider makeupSlider { "makeupSlider" };
    BetterSlider dryMix { "dryMix" };
    BetterSlider keyHPFrequency { "keyHPFrequency" };
    BetterSlider outGain { "outGain" };
    BetterSlider keyStereoDiff { "keyStereoDiff" };

    juce::ComboBox keyHPSlope { "keyHPSlope" };

    juce::ImageButton deltaButton { "deltaButton" };
    juce::ImageButton bypassButton { "bypassButton" };
    juce::ImageButton peakRatioButton { "peakRatioButton" };
    juce::ImageButton qualityButton { "qualityButton" };
    juce::ImageButton infoButton { "infoButton" };

    TranferFunctionComponent transferFunction { "transferFunction" };
    ReductionMeterScaleComponent reductionMeterScale { "reductionMeterScale" };
    ReductionMeterComponent reductionMeter { "reductionMeter" };
    LEDComponent peakled { "peakled" };
    LEDComponent rmsled { "rmsled" };
    InfoScreenComponent infoScreen { "infoScreen" };

    float meterCurrentDb = 0.0f;
    float meterHeldDb = 0.0f;
    int currentFallMs = 0;
    int heldFallMs = 0;
    float peakLedLevel = 0.0f;
    float rmsLedLevel = 1.0f;

    /** Every parameter control, in stacking order. */
    const Binding bindings[17] {
        { thresholdIndex, &threshold, EditorLayout::threshold },
        { peakCrestIndex, &peakCrest, EditorLayout::peakCrest },
        { ratioIndex, &ratio, EditorLayout::ratio },
        { softKneeIndex, &softKnee, EditorLayout::softKnee },
        { makeupIndex, &makeupSlider, EditorLayout::makeup },
        { attackIndex, &attack, EditorLayout::attack },
        { releasePeakIndex, &releasePeak, EditorLayout::releasePeak },
        { releaseRmsIndex, &releaseRMS, EditorLayout::releaseRms },
        { dryMixIndex, &dryMix, EditorLayout::dryMix },
        { keyHpFrequencyIndex, &keyHPFrequency, EditorLayout::keyHpFrequency },
        { outGainIndex, &outGain, EditorLayout::outGain },
        { keyStereoDiffIndex, &keyStereoDiff, EditorLayout::keyStereoDiff },
        { keyHpSlopeIndex, &keyHPSlope, EditorLayout::keyHpSlope },
        { deltaIndex, &deltaButton, EditorLayout::delta, Artwork::deltaOff, Artwork::deltaOn },
        { bypassIndex, &bypassButton, EditorLayout::bypass, Artwork::bypassOff, Artwork::bypassOn },
        { qualityIndex, &qualityButton, EditorLayout::quality, Artwork::qualityOff, Artwork::qualityOn },
        { peakRatioIndex, &peakRatioButton, EditorLayout::peakRatio, Artwork::peakRatioOff, Artwork::peakRatioOn },
    };

    std::vector<std::unique_ptr<ControlAttachment>> attachments;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CorvaneAudioProcessorEditor)
};
