#include "EditorTestSupport.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <map>

using namespace editortest;

namespace
{
const char* const valueControlNames[12] { "threshold", "peakCrest", "softKnee", "ratio", "attack",
                                          "releasePeak", "releaseRMS", "makeupSlider", "dryMix",
                                          "keyHPFrequency", "outGain", "keyStereoDiff" };

struct EditorTest : testing::Test
{
    EditorTest()
    {
        processor.addListener (&log);
    }

    ~EditorTest() override
    {
        processor.removeListener (&log);
    }

    juce::Slider& slider (int index) { return *child<juce::Slider> (editor, valueControlNames[index]); }
    juce::Button& button (const char* name) { return *child<juce::Button> (editor, name); }
    juce::ComboBox& selector() { return *child<juce::ComboBox> (editor, "keyHPSlope"); }
    juce::Component& component (const char* name) { return *child (editor, name); }

    /** Poses the reduction as the audio thread would publish it. */
    void setGain (double gain)
    {
        processor.publishReadings ({ gain, processor.getPeakGainDb(), processor.getRmsGainDb() });
    }

    /** Puts the editor in a window so the mouse can reach it. */
    Mouse openWindow()
    {
        editor.addToDesktop (0);
        editor.setVisible (true);
        return Mouse (editor);
    }

    void tick (int times = 1)
    {
        for (int i = 0; i < times; ++i)
            editor.timerCallback();
    }

    void expectNotifications (std::initializer_list<NotificationLog::Notification> expected)
    {
        ASSERT_EQ (log.notifications.size(), expected.size());
        auto it = expected.begin();
        for (const auto& n : log.notifications)
        {
            EXPECT_EQ (n.index, it->index);
            EXPECT_EQ (n.value, it->value) << "index " << n.index;
            ++it;
        }
        log.notifications.clear();
    }

    void expectControlsShowTheProcessor()
    {
        for (int i = 0; i < 12; ++i)
            EXPECT_NEAR (slider (i).getValue(), juce::jlimit (0.0f, 1.0f, processor.getParameter (i)), 0.0005)
                << valueControlNames[i];

        EXPECT_EQ (button ("deltaButton").getToggleState(), processor.getParameter (deltaIndex) > 0.5f);
        EXPECT_EQ (button ("bypassButton").getToggleState(), processor.getParameter (bypassIndex) > 0.5f);
        EXPECT_EQ (button ("peakRatioButton").getToggleState(), processor.getParameter (peakRatioIndex) > 0.5f);
        EXPECT_EQ (button ("qualityButton").getToggleState(), processor.getParameter (qualityIndex) > 0.5f);
    }

    juce::ScopedJuceInitialiser_GUI gui;
    CorvaneAudioProcessor processor;
    NotificationLog log;
    CorvaneAudioProcessorEditor editor { processor };
};

/** A control shows its picture unscaled: a knob its film-strip frame across the area above
    its text box, any other control its picture over its whole area. */
void expectAtItsArtworksSize (juce::Component& c)
{
    auto* slider = dynamic_cast<juce::Slider*> (&c);

    if (auto* button = dynamic_cast<juce::ImageButton*> (&c))
    {
        EXPECT_EQ (c.getLocalBounds(), button->getNormalImage().getBounds());
        EXPECT_EQ (c.getLocalBounds(), button->getDownImage().getBounds());
    }
    else if (slider != nullptr && slider->getTextBoxPosition() != juce::Slider::NoTextBox)
    {
        const auto width = c.getWidth();
        EXPECT_TRUE (width == Artwork::largeKnobStrip().getWidth() || width == Artwork::smallKnobStrip().getWidth());
        EXPECT_GE (c.getHeight() - slider->getTextBoxHeight(), width);
    }
    else if (slider != nullptr || dynamic_cast<juce::ComboBox*> (&c) != nullptr)
    {
        EXPECT_EQ (c.getLocalBounds(), Artwork::box55().getBounds());
    }
}
} // namespace

//==============================================================================
TEST_F (EditorTest, EveryControlLiesInsideTheFixedWindowAtItsArtworksSizeWithoutOverlapping)
{
    EXPECT_EQ (editor.getLocalBounds(), juce::Rectangle<int> (717, 257));
    EXPECT_FALSE (editor.isResizable());

    // The controls are the 17 parameters', the info button, the meter and its scale.
    juce::RectangleList<int> taken;
    int controls = 0;
    for (auto* c : editor.getChildren())
    {
        SCOPED_TRACE (c->getName());
        EXPECT_TRUE (editor.getLocalBounds().contains (c->getBounds())) << c->getBounds().toString();
        expectAtItsArtworksSize (*c);

        if (dynamic_cast<juce::Button*> (c) || dynamic_cast<juce::Slider*> (c) || dynamic_cast<juce::ComboBox*> (c))
        {
            EXPECT_FALSE (taken.intersectsRectangle (c->getBounds())) << "overlaps another control";
            taken.add (c->getBounds());
            ++controls;
        }
    }
    EXPECT_EQ (controls, 20);

    // The red LED overlaps the blue one and lies over it.
    EXPECT_GT (editor.getIndexOfChildComponent (&component ("rmsled")),
               editor.getIndexOfChildComponent (&component ("peakled")));
    EXPECT_FALSE (component ("infoScreen").isVisible());
    EXPECT_TRUE (component ("transferFunction").isVisible());
    EXPECT_EQ (selector().getText(), "Off");
    EXPECT_TRUE (log.notifications.empty());
}

TEST_F (EditorTest, TextBoxesAreReadOnlyAndShowTheHostTexts)
{
    tick();

    for (int i = 0; i < 12; ++i)
    {
        SCOPED_TRACE (valueControlNames[i]);
        EXPECT_TRUE (slider (i).isTextBoxEditable() == false);
        EXPECT_EQ (slider (i).getTextFromValue (slider (i).getValue()), processor.parameter (i)->getCurrentValueAsText());
    }

    EXPECT_EQ (slider (softKneeIndex).getInterval(), 0.001);
    EXPECT_EQ (slider (thresholdIndex).getTextFromValue (0.3), "-18.0 dB");
    EXPECT_EQ (slider (releasePeakIndex).getTextFromValue (0.4174), "150 ms");
    EXPECT_EQ (slider (releaseRmsIndex).getTextFromValue (0.4174), "150 ms");
}

TEST_F (EditorTest, TicksShowHostChangesProgramsAndRestoredStatesWithoutNotifyingBack)
{
    const float hostValues[numNamedParameters] { 0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f,
                                                 0.15f, 0.25f, 0.35f, 0.2f, 1.0f, 0.0f, 0.0f, 1.0f, 0.6f };
    for (int i = 0; i < numNamedParameters; ++i)
        processor.setParameter (i, hostValues[i]);

    tick();
    expectControlsShowTheProcessor();
    EXPECT_EQ (selector().getSelectedItemIndex(), 2);
    EXPECT_EQ (child<ReductionMeterComponent> (editor, "reductionMeter")->meterScale, 0.6f);
    EXPECT_EQ (child<ReductionMeterScaleComponent> (editor, "reductionMeterScale")->meterScale, 0.6f);

    juce::MemoryBlock state;
    processor.getStateInformation (state);

    for (int program = 1; program < processor.getNumPrograms(); ++program)
    {
        SCOPED_TRACE (program);
        processor.setCurrentProgram (program);
        tick();
        expectControlsShowTheProcessor();
    }

    processor.setStateInformation (state.getData(), (int) state.getSize());
    tick();
    expectControlsShowTheProcessor();
    EXPECT_EQ (slider (makeupIndex).getValue(), (double) 0.8f);

    EXPECT_TRUE (log.notifications.empty());
}

TEST_F (EditorTest, SelectorSendsOnlyItsFourExactValuesAndShowsOffForOthers)
{
    for (int item : { 1, 2, 3, 0 })
        selector().setSelectedItemIndex (item, juce::sendNotificationSync);

    expectNotifications ({ { 12, 0.1f }, { 12, 0.2f }, { 12, 0.3f }, { 12, 0.0f } });

    processor.setParameter (keyHpSlopeIndex, 0.333f);
    tick();
    EXPECT_EQ (selector().getText(), "Off");
    EXPECT_NEAR (slider (keyHpFrequencyIndex).getAlpha(), 0.3f, 0.01f);

    processor.setParameter (keyHpSlopeIndex, 0.3f);
    tick();
    EXPECT_EQ (selector().getText(), "12dB/Oct");
    EXPECT_EQ (slider (keyHpFrequencyIndex).getAlpha(), 1.0f);
    EXPECT_TRUE (log.notifications.empty());
}

TEST_F (EditorTest, ClickingSwitchesSendsOneNotificationPerClick)
{
    auto mouse = openWindow();
    tick();

    mouse.click ({ 536, 225 });   // delta
    mouse.click ({ 425, 222 });   // quality
    mouse.click ({ 296, 62 });    // peak ratio, on from the factory program
    mouse.click ({ 536, 225 });
    expectNotifications ({ { 13, 1.0f }, { 16, 1.0f }, { 15, 0.0f }, { 13, 0.0f } });

    // A transparent corner of the key is not part of the button.
    mouse.click ({ 508, 198 });
    EXPECT_TRUE (log.notifications.empty());
    EXPECT_FALSE (button ("deltaButton").getToggleState());
}

TEST_F (EditorTest, DeltaSwitchesBypassOffWithoutReportingIt)
{
    auto mouse = openWindow();
    tick();

    mouse.click ({ 594, 225 });   // bypass on
    mouse.click ({ 536, 225 });   // delta on
    expectNotifications ({ { 14, 1.0f }, { 13, 1.0f } });

    tick();
    EXPECT_FALSE (button ("bypassButton").getToggleState());
    EXPECT_TRUE (button ("deltaButton").getToggleState());
    EXPECT_TRUE (log.notifications.empty());
}

TEST_F (EditorTest, DoubleClickResetsAControlAndReportsIt)
{
    auto mouse = openWindow();
    processor.setParameter (softKneeIndex, 0.9f);
    processor.setParameter (keyStereoDiffIndex, 0.9f);
    tick();

    mouse.doubleClick ({ 255, 65 });   // softKnee's knob
    mouse.doubleClick ({ 43, 233 });   // keyStereoDiff's box
    expectNotifications ({ { 2, 0.155f }, { 11, 0.425f } });
    EXPECT_EQ (processor.getParameter (softKneeIndex), 0.155f);
}

TEST_F (EditorTest, DraggingAKnobReportsEveryValueItTakes)
{
    auto mouse = openWindow();
    tick();

    mouse.drag ({ 129, 60 }, { 129, 20 }, 8);   // threshold, upwards

    ASSERT_FALSE (log.notifications.empty());
    for (const auto& n : log.notifications)
        EXPECT_EQ (n.index, thresholdIndex);

    EXPECT_GT (slider (thresholdIndex).getValue(), 0.0);
    EXPECT_EQ (log.notifications.back().value, (float) slider (thresholdIndex).getValue());
    EXPECT_EQ (processor.getParameter (thresholdIndex), (float) slider (thresholdIndex).getValue());

    log.notifications.clear();
    tick();
    EXPECT_TRUE (log.notifications.empty());
}

namespace
{
    /** Each "set" lies inside a begin .. end of its own index, and every gesture ends. */
    void expectEveryChangeInsideAGesture (const std::vector<juce::String>& sequence)
    {
        std::map<juce::String, int> open;
        for (const auto& event : sequence)
        {
            const auto index = event.fromFirstOccurrenceOf (" ", false, false);
            if (event.startsWith ("begin"))
                ++open[index];
            else if (event.startsWith ("end"))
                EXPECT_GE (--open[index], 0) << "an end without a begin for " << index;
            else
                EXPECT_GT (open[index], 0) << "a change outside a gesture for " << index;
        }

        for (const auto& [index, count] : open)
            EXPECT_EQ (count, 0) << "a gesture left open for " << index;
    }
}

TEST_F (EditorTest, EveryEditReachesTheHostAsOneGesture)
{
    auto mouse = openWindow();
    tick();

    mouse.drag ({ 129, 60 }, { 129, 20 }, 8);   // threshold
    ASSERT_GE (log.sequence.size(), 3u);
    EXPECT_EQ (log.sequence.front(), "begin 0");
    EXPECT_EQ (log.sequence.back(), "end 0");
    expectEveryChangeInsideAGesture (log.sequence);
    log.sequence.clear();

    processor.setParameter (softKneeIndex, 0.9f);
    tick();
    mouse.doubleClick ({ 255, 65 });            // softKnee's knob
    mouse.click ({ 536, 225 });                 // delta
    mouse.click ({ 590, 100 });                 // meter
    selector().setSelectedItemIndex (2, juce::sendNotificationSync);

    for (const auto* expected : { "set 2", "set 13", "set 17", "set 12" })
        EXPECT_NE (std::find (log.sequence.begin(), log.sequence.end(), expected), log.sequence.end()) << expected;
    expectEveryChangeInsideAGesture (log.sequence);

    // The refresh writes the controls without telling anyone.
    log.sequence.clear();
    processor.setParameter (thresholdIndex, 0.7f);
    tick (3);
    EXPECT_TRUE (log.sequence.empty());
}

TEST_F (EditorTest, MeterClicksStepTheRangeAndReportIt)
{
    auto mouse = openWindow();
    tick();

    mouse.click ({ 590, 100 });   // meter
    mouse.click ({ 560, 100 });   // scale
    mouse.click ({ 590, 100 });
    mouse.click ({ 560, 100 });
    expectNotifications ({ { 17, 0.25f }, { 17, 0.5f }, { 17, 0.75f }, { 17, 0.0f } });
}

TEST_F (EditorTest, InfoButtonSwapsTheDisplaysForThePanel)
{
    auto mouse = openWindow();
    tick();

    mouse.click ({ 476, 222 });
    EXPECT_TRUE (component ("infoScreen").isVisible());
    for (auto* name : { "transferFunction", "reductionMeter", "reductionMeterScale" })
        EXPECT_FALSE (component (name).isVisible()) << name;
    EXPECT_TRUE (component ("peakled").isVisible());

    tick();
    EXPECT_TRUE (component ("infoScreen").isVisible());

    mouse.click ({ 476, 222 });
    EXPECT_FALSE (component ("infoScreen").isVisible());
    for (auto* name : { "transferFunction", "reductionMeter", "reductionMeterScale" })
        EXPECT_TRUE (component (name).isVisible()) << name;

    EXPECT_TRUE (log.notifications.empty());
}

TEST_F (EditorTest, BypassDimsEveryParameterControlAndDeltaTheOutputStage)
{
    const char* const dimmedByBypass[] { "threshold", "ratio", "makeupSlider", "dryMix", "softKnee", "attack",
                                         "releasePeak", "keyHPFrequency", "releaseRMS", "keyStereoDiff",
                                         "peakCrest", "peakRatioButton", "keyHPSlope", "outGain" };
    const char* const neverDimmed[] { "deltaButton", "bypassButton", "qualityButton", "infoButton",
                                      "transferFunction", "reductionMeter", "peakled", "rmsled" };

    processor.setParameter (keyHpSlopeIndex, 0.1f);
    processor.setParameter (bypassIndex, 1.0f);
    tick();
    for (auto* name : dimmedByBypass)
        EXPECT_NEAR (component (name).getAlpha(), 0.3f, 0.01f) << name;
    for (auto* name : neverDimmed)
        EXPECT_EQ (component (name).getAlpha(), 1.0f) << name;

    processor.setParameter (deltaIndex, 1.0f);
    tick();
    for (auto* name : dimmedByBypass)
    {
        const auto outputStage = juce::String (name) == "makeupSlider" || juce::String (name) == "dryMix"
                                 || juce::String (name) == "outGain";
        EXPECT_NEAR (component (name).getAlpha(), outputStage ? 0.3f : 1.0f, 0.01f) << name;
    }
}

TEST_F (EditorTest, TheLedOfThePathThatHoldsTheGainLowerLightsAndTheOtherFades)
{
    auto& peak = *child<LEDComponent> (editor, "peakled");
    auto& rms = *child<LEDComponent> (editor, "rmsled");
    EXPECT_EQ (rms.colourIndex, 1);
    EXPECT_EQ (peak.colourIndex, 0);

    tick();   // nothing processed: both paths at -100 dB
    EXPECT_EQ (rms.brightness, 1.0f);
    EXPECT_EQ (peak.brightness, 0.0f);

    processor.publishReadings ({ processor.getCurrentGain(), -6.0, -3.0 });
    const float fading[] { 0.5f, 0.25f, 0.125f, 0.0625f, 0.03125f, 0.015625f, 0.0078125f, 0.0f };
    for (auto expected : fading)
    {
        tick();
        EXPECT_EQ (peak.brightness, 1.0f);
        EXPECT_EQ (rms.brightness, expected);
    }
}

TEST_F (EditorTest, MeterRisesAtOnceFallsFastAndHoldsOnlyInTheFirstFall)
{
    auto& meter = *child<ReductionMeterComponent> (editor, "reductionMeter");
    const auto sixDbDown = std::pow (10.0, -6.0 / 20.0);

    setGain (sixDbDown);
    tick();
    EXPECT_NEAR (meter.currentReductionDb, 6.0f, 1.0e-4f);
    EXPECT_NEAR (meter.heldReductionDb, 6.0f, 1.0e-4f);

    setGain (1.0);
    tick();
    EXPECT_NEAR (meter.currentReductionDb, 5.45f, 1.0e-4f);
    tick (9);
    EXPECT_NEAR (meter.currentReductionDb, 0.5f, 1.0e-3f);
    tick();
    EXPECT_EQ (meter.currentReductionDb, 0.0f);

    // 60 falling ticks of hold (3 s), then 0.05 dB per tick.
    tick (49);
    EXPECT_NEAR (meter.heldReductionDb, 6.0f, 1.0e-4f);
    tick();
    EXPECT_NEAR (meter.heldReductionDb, 5.95f, 1.0e-4f);

    setGain (sixDbDown);
    tick();
    setGain (1.0);
    tick();
    EXPECT_NEAR (meter.heldReductionDb, 5.95f, 1.0e-4f);

    setGain (0.0);   // no signal left at all reads as 100 dB
    tick();
    EXPECT_NEAR (meter.currentReductionDb, 100.0f, 1.0e-3f);

    setGain (std::numeric_limits<double>::quiet_NaN());
    tick();
    EXPECT_NEAR (meter.currentReductionDb, 100.0f, 1.0e-3f);

    processor.suspendProcessing (true);
    tick();
    EXPECT_EQ (meter.currentReductionDb, 0.0f);
    EXPECT_EQ (meter.heldReductionDb, 0.0f);
    processor.suspendProcessing (false);
}

TEST_F (EditorTest, TicksRepaintOnlyWhatChanged)
{
    auto& repaints = RepaintRecorder::installOn (editor);
    editor.setVisible (true);
    tick (2);

    struct Change
    {
        const char* name;
        std::function<void()> make;
        std::vector<const char*> repainted;
    };

    // In this order: the LEDs and the meter go on moving for a while after a change.
    const Change changes[] {
        { "nothing", [] {}, {} },
        { "a value on the curve", [this] { processor.setParameter (thresholdIndex, 0.3f); }, { "threshold", "transferFunction" } },
        { "a value off the curve", [this] { processor.setParameter (attackIndex, 0.6f); }, { "attack" } },
        { "the path that sets the gain", [this] { processor.publishReadings ({ processor.getCurrentGain(), -6.0, -3.0 }); }, { "peakled", "rmsled" } },
        { "the reduction", [this] { setGain (0.5); }, { "reductionMeter", "rmsled" } },
    };

    for (const auto& change : changes)
    {
        SCOPED_TRACE (change.name);
        repaints.areas.clear();
        change.make();
        tick();

        juce::RectangleList<int> expected;
        for (const auto* name : change.repainted)
        {
            expected.add (component (name).getBounds());
            EXPECT_TRUE (repaints.areas.intersectsRectangle (component (name).getBounds())) << name;
        }

        for (const auto& area : repaints.areas)
            EXPECT_TRUE (expected.containsRectangle (area)) << area.toString();
    }
}

TEST_F (EditorTest, TransferDisplayStaysFiniteForValuesOutsideTheRange)
{
    auto& display = *child<TranferFunctionComponent> (editor, "transferFunction");
    const float awkward[] { -std::cbrt (1.0f / 7.0f), -1.0f, 2.0f, 1.0e30f, std::numeric_limits<float>::quiet_NaN() };

    for (auto value : awkward)
    {
        SCOPED_TRACE (value);
        for (int i = 0; i < numNamedParameters; ++i)
            processor.setParameter (i, value);

        tick();
        for (int x = 0; x < TranferFunctionComponent::size; ++x)
        {
            ASSERT_TRUE (std::isfinite (display.mainRow (x)));
            ASSERT_TRUE (std::isfinite (display.peakRow (x)));
        }
        render (display);
    }
}

TEST_F (EditorTest, KeepsItsLookWhenAnotherInstanceClosesItsEditor)
{
    {
        CorvaneAudioProcessor otherProcessor;
        CorvaneAudioProcessorEditor otherEditor (otherProcessor);
    }

    for (auto* name : { "threshold", "keyHPSlope", "deltaButton" })
        EXPECT_NE (dynamic_cast<LookAndFeelCustom*> (&component (name).getLookAndFeel()), nullptr) << name;
    EXPECT_NE (dynamic_cast<LookAndFeelCustom2*> (&component ("outGain").getLookAndFeel()), nullptr);
}
