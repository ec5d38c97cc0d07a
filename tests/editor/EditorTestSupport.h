#pragma once

#include "CorvaneAudioProcessor.h"
#include "CorvaneAudioProcessorEditor.h"
#include "RepaintRecorder.h"

#include <gtest/gtest.h>

#include <vector>

namespace editortest
{
/** Every host notification the processor sends, in order. */
struct NotificationLog : juce::AudioProcessorListener
{
    struct Notification
    {
        int index;
        float value;
    };

    std::vector<Notification> notifications;

    /** Changes and gestures as one sequence: "begin 2", "set 2", "end 2". */
    std::vector<juce::String> sequence;

    void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float value) override
    {
        notifications.push_back ({ index, value });
        sequence.push_back ("set " + juce::String (index));
    }

    void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int index) override
    {
        sequence.push_back ("begin " + juce::String (index));
    }

    void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int index) override
    {
        sequence.push_back ("end " + juce::String (index));
    }

    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
};

template <typename ComponentType = juce::Component>
ComponentType* child (juce::Component& parent, const juce::String& name)
{
    for (auto* c : parent.getChildren())
        if (c->getName() == name)
            return dynamic_cast<ComponentType*> (c);

    return nullptr;
}

/** Mouse input through the window's peer, so hit tests, toggling and double-click
    detection are the framework's own. */
class Mouse
{
public:
    explicit Mouse (juce::Component& window) : peer (*window.getPeer()) {}

    void click (juce::Point<int> position)
    {
        press (position);
        release (position);
        time += 2000;   // the next click is a new click, not a double-click
    }

    void doubleClick (juce::Point<int> position)
    {
        press (position);
        release (position);
        time += 100;
        press (position);
        release (position);
        time += 2000;
    }

    void drag (juce::Point<int> from, juce::Point<int> to, int steps)
    {
        press (from);
        for (int i = 1; i <= steps; ++i)
        {
            time += 20;
            send (from + (to - from) * i / steps, juce::ModifierKeys::leftButtonModifier);
        }
        release (to);
        time += 2000;
    }

private:
    void press (juce::Point<int> position)
    {
        send (position, 0);
        time += 10;
        send (position, juce::ModifierKeys::leftButtonModifier);
    }

    void release (juce::Point<int> position)
    {
        time += 10;
        send (position, 0);
    }

    void send (juce::Point<int> position, int buttons)
    {
        peer.handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, position.toFloat(),
                               juce::ModifierKeys (buttons), juce::MouseInputSource::defaultPressure,
                               juce::MouseInputSource::defaultOrientation, time);
    }

    juce::ComponentPeer& peer;
    juce::int64 time = juce::Time::currentTimeMillis();
};

/** A component drawn on its own into a transparent image of its size. */
inline juce::Image render (juce::Component& component)
{
    juce::Image image (juce::Image::ARGB, component.getWidth(), component.getHeight(), true);
    juce::Graphics g (image);
    component.paintEntireComponent (g, false);
    return image;
}

inline bool isOpaqueBlue (juce::Colour c)
{
    return c.getAlpha() > 200 && c.getBlue() > 200 && c.getRed() < 60;
}

inline bool isEmpty (juce::Colour c)
{
    return c.getAlpha() == 0;
}

/** The framework, a processor and the look the editor installs, for component tests
    that draw "Arial" text without an editor. */
struct ComponentTest : testing::Test
{
    ComponentTest() { juce::LookAndFeel::setDefaultLookAndFeel (&look); }
    ~ComponentTest() override { juce::LookAndFeel::setDefaultLookAndFeel (nullptr); }

    juce::ScopedJuceInitialiser_GUI gui;
    LookAndFeelCustom look;
};
} // namespace editortest
