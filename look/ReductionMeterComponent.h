#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The gain-reduction bar, growing down from its top edge: the fast current value
    opaque over the slowly falling held value. A click steps the meter range (the
    editor listens). The editor writes the fields and repaints only on a change. */
class ReductionMeterComponent : public juce::Button
{
public:
    explicit ReductionMeterComponent (const juce::String& name);
    ~ReductionMeterComponent() override;

    /** Pixels per dB / 10 for a Meter Scale value: 2, 1, 0.5 or 0.25 (6, 12, 24, 48 dB). */
    static float rangeFactor (float meterScale) noexcept;

    float meterScale = 0.0f;
    float currentReductionDb = 0.0f;
    float heldReductionDb = 0.0f;

    static constexpr int width = 30;
    static constexpr int height = 130;

    /** The meter's colours, set by the look-and-feel. */
    enum ColourIds
    {
        heldBarColourId = 0x7e00200,      /**< the slowly falling held value */
        currentBarColourId = 0x7e00201,   /**< the current value, drawn over the held one */
        overRangeColourId = 0x7e00202,    /**< the mark of a held value beyond the range */
    };

private:
    void paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown) override;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ReductionMeterComponent)
};
