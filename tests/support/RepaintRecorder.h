#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Every area of a component and its children that asked to be repainted, in the
    component's coordinates. It sits in the component as its cached image, which the
    framework tells of each repaint request before passing it on; the component owns it.
    Painting is left to the component itself. */
class RepaintRecorder : public juce::CachedComponentImage
{
public:
    static RepaintRecorder& installOn (juce::Component& component)
    {
        auto* recorder = new RepaintRecorder (component);
        component.setCachedComponentImage (recorder);
        return *recorder;
    }

    juce::RectangleList<int> areas;

    void paint (juce::Graphics& g) override { owner.paintEntireComponent (g, false); }
    bool invalidateAll() override { return invalidate (owner.getLocalBounds()); }
    bool invalidate (const juce::Rectangle<int>& area) override
    {
        areas.add (area);
        return true;
    }
    void releaseResources() override {}

private:
    explicit RepaintRecorder (juce::Component& component) : owner (component) {}

    juce::Component& owner;
};
