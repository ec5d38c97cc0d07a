#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

class ProcessorParameter;

/** Binds one control of the editor to its parameter. A user edit reaches the host as
    automation, inside one change gesture; `refresh`, called by the editor's 50 ms tick,
    writes the stored value back into the control without telling anyone, so the
    control never keeps a value of its own.

    A slider carries the value itself; a switch shows on above 0.5 and writes 0 or 1; a
    selector's items are the parameter's listed settings, and a value that is none of
    them exactly shows the first. */
class ControlAttachment : private juce::Slider::Listener,
                          private juce::Button::Listener,
                          private juce::ComboBox::Listener
{
public:
    ControlAttachment (ProcessorParameter& parameter, juce::Slider& slider);
    ControlAttachment (ProcessorParameter& parameter, juce::Button& button);
    ControlAttachment (ProcessorParameter& parameter, juce::ComboBox& selector);
    ~ControlAttachment() override;

    void refresh();

private:
    void sliderValueChanged (juce::Slider* slider) override;
    void sliderDragStarted (juce::Slider* slider) override;
    void sliderDragEnded (juce::Slider* slider) override;
    void buttonClicked (juce::Button* button) override;
    void comboBoxChanged (juce::ComboBox* selector) override;

    /** A click is a whole gesture of its own. */
    void setAsOneGesture (float value);

    ProcessorParameter& parameter;
    const std::function<void (float)> show;
    const std::function<void()> detach;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ControlAttachment)
};
