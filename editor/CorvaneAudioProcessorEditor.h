#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include "BetterSlider.h"
#include "InfoScreenComponent.h"
#include "LEDComponent.h"
#include "LookAndFeelCustom.h"
#include "LookAndFeelCustom2.h"
#include "ReductionMeterComponent.h"
#include "ReductionMeterScaleComponent.h"
#include "TranferFunctionComponent.h"

class CorvaneAudioProcessor;

/** The plug-in's fixed 717 × 257 window. User edits go straight to the host as
    automation, each drag or click wrapped in a change gesture; a 50 ms timer polls the
    processor and rewrites every control without notifying anyone, so the controls
    never keep values of their own. */
class CorvaneAudioProcessorEditor : public juce::AudioProcessorEditor,
                                    public juce::Slider::Listener,
                                    public juce::Button::Listener,
                                    public juce::ComboBox::Listener,
                                    public juce::Timer
{
public:
    explicit CorvaneAudioProcessorEditor (CorvaneAudioProcessor& ownerProcessor);
    ~CorvaneAudioProcessorEditor() override;

    void paint (juce::Graphics& g) override;

    /** A host's content scale. One of 0 or below, above 4 or not a number counts as 1. */
    void setScaleFactor (float newScale) override;

    void sliderValueChanged (juce::Slider* slider) override;
    void sliderDragStarted (juce::Slider* slider) override;
    void sliderDragEnded (juce::Slider* slider) override;
    void buttonClicked (juce::Button* button) override;
    void comboBoxChanged (juce::ComboBox* box) override;
    void timerCallback() override;

    static constexpr int refreshMs = 50;

private:
    void setUpValueControl (int index);
    void setUpSelector();
    void setUpButton (juce::ImageButton& button, const juce::Image& off, const juce::Image& on,
                      juce::Rectangle<int> bounds);
    void setUpDisplays();

    void notifyHost (int index, float value);
    void notifyHostOfClick (int index, float value);
    int indexOf (const juce::Slider* slider) const;

    void refreshControls();
    void refreshTransferFunction();
    void refreshMeter();
    void refreshLeds();
    void updateDimming();

    // The processor outlives its editor.
    CorvaneAudioProcessor* const owner;

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

    /** The value controls in parameter order 0..11. */
    BetterSlider* const valueControls[12] { &threshold, &peakCrest, &softKnee, &ratio, &attack, &releasePeak,
                                            &releaseRMS, &makeupSlider, &dryMix, &keyHPFrequency, &outGain,
                                            &keyStereoDiff };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CorvaneAudioProcessorEditor)
};
