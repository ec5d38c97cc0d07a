#pragma once

#include <juce_graphics/juce_graphics.h>

/** Where every child of the editor sits, in editor pixels. The panel artwork is drawn
    around the same bounds (tools/artwork), so captions and the display area follow. */
struct EditorLayout
{
    static constexpr int width = 717;
    static constexpr int height = 257;

    static inline const juce::Rectangle<int> threshold { 94, 28, 70, 86 };
    static inline const juce::Rectangle<int> peakCrest { 170, 39, 50, 68 };
    static inline const juce::Rectangle<int> softKnee { 230, 39, 50, 68 };
    static inline const juce::Rectangle<int> ratio { 311, 28, 70, 86 };
    static inline const juce::Rectangle<int> attack { 121, 155, 70, 86 };
    static inline const juce::Rectangle<int> releasePeak { 208, 155, 70, 86 };
    static inline const juce::Rectangle<int> releaseRms { 286, 155, 70, 86 };
    static inline const juce::Rectangle<int> makeup { 635, 27, 70, 86 };
    static inline const juce::Rectangle<int> dryMix { 644, 132, 50, 68 };
    static inline const juce::Rectangle<int> keyHpFrequency { 18, 103, 50, 68 };
    static inline const juce::Rectangle<int> outGain { 642, 223, 55, 21 };
    static inline const juce::Rectangle<int> keyStereoDiff { 16, 223, 55, 21 };
    static inline const juce::Rectangle<int> keyHpSlope { 16, 59, 55, 21 };

    static inline const juce::Rectangle<int> delta { 507, 197, 58, 56 };
    static inline const juce::Rectangle<int> bypass { 565, 197, 58, 56 };
    static inline const juce::Rectangle<int> quality { 400, 197, 50, 50 };
    static inline const juce::Rectangle<int> peakRatio { 286, 36, 21, 52 };
    static inline const juce::Rectangle<int> info { 465, 212, 22, 20 };

    static inline const juce::Rectangle<int> transferFunction { 413, 50, 130, 130 };
    static inline const juce::Rectangle<int> meterScale { 549, 47, 25, 133 };
    static inline const juce::Rectangle<int> meter { 576, 52, 30, 130 };
    static inline const juce::Rectangle<int> peakLed { 265, 133, 23, 23 };
    static inline const juce::Rectangle<int> rmsLed { 275, 133, 23, 23 };
    static inline const juce::Rectangle<int> infoScreen { 410, 48, 200, 132 };
};
