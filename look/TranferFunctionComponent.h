#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The static input/output curve of the current settings at 2 px per dB: the main
    (RMS) and the peak path with knee, ratio and makeup, mixed with the dry path and
    followed by the output gain; a unity diagonal, the threshold line with the lower
    half of the knee, and the dry/wet shares. The editor assigns the inputs each
    tick and repaints only when one of them changed. */
class TranferFunctionComponent : public juce::Component
{
public:
    explicit TranferFunctionComponent (const juce::String& name);
    ~TranferFunctionComponent() override;

    void paint (juce::Graphics& g) override;

    /** The row (-2 × output dB) of the curve of one path for an input level in dB. */
    float rowFor (double inputDb, double pathThresholdDb, double pathRatioFactor) const;

    /** Rows of the peak and the main path at a column of the square. */
    float peakRow (int column) const;
    float mainRow (int column) const;

    float thresholdDb = -20.0f;
    float ratioFactor = 0.5f;
    float fixedPeakRatioFactor = 0.125f;
    float kneeDb = 0.0f;
    float crestDb = 0.0f;
    float peakRatioSwitch = 0.0f;
    float makeupDb = 0.0f;
    float dryAttenuationDb = -60.0f;
    float outGainDb = 0.0f;

    static constexpr int size = 130;

    /** The display's colours, set by the look-and-feel. */
    enum ColourIds
    {
        diagonalColourId = 0x7e00100,    /**< the unity line */
        peakCurveColourId = 0x7e00101,   /**< the segments towards the peak path */
        curveColourId = 0x7e00102,       /**< the combined curve and the dry/wet readout */
        thresholdColourId = 0x7e00103,   /**< the threshold line */
        kneeColourId = 0x7e00104,        /**< the band of the knee's lower half */
    };

private:
    void paintCurves (juce::Graphics& g) const;
    void paintThreshold (juce::Graphics& g) const;
    void paintReadout (juce::Graphics& g) const;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TranferFunctionComponent)
};
