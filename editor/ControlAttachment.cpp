#include "ControlAttachment.h"

#include "ProcessorParameter.h"

ControlAttachment::ControlAttachment (ProcessorParameter& p, juce::Slider& slider)
    : parameter (p),
      show ([&slider] (float value) { slider.setValue ((double) value, juce::dontSendNotification); }),
      detach ([this, &slider] { slider.removeListener (this); })
{
    slider.addListener (this);
}

ControlAttachment::ControlAttachment (ProcessorParameter& p, juce::Button& button)
    : parameter (p),
      show ([&button] (float value) { button.setToggleState (isSwitchedOn (value), juce::dontSendNotification); }),
      detach ([this, &button] { button.removeListener (this); })
{
    button.addListener (this);
}

ControlAttachment::ControlAttachment (ProcessorParameter& p, juce::ComboBox& selector)
    : parameter (p),
      show ([&selector, &info = parameterTable[p.index]] (float value)
            {
                // Only the exact values the selector writes get their own item; anything
                // else shows the first.
                selector.setSelectedItemIndex (exactChoice (info, value).value_or (0), juce::dontSendNotification);
            }),
      detach ([this, &selector] { selector.removeListener (this); })
{
    selector.addListener (this);
}

ControlAttachment::~ControlAttachment()
{
    detach();
}

void ControlAttachment::refresh()
{
    show (parameter.storedValue());
}

// The slider reports a drag, a double-click or a wheel turn as start, values, end: the
// host hears each as one gesture, which touch and latch automation need.
void ControlAttachment::sliderDragStarted (juce::Slider*)
{
    parameter.beginChangeGesture();
}

void ControlAttachment::sliderDragEnded (juce::Slider*)
{
    parameter.endChangeGesture();
}

void ControlAttachment::sliderValueChanged (juce::Slider* slider)
{
    parameter.setStoredValueNotifyingHost ((float) slider->getValue());
}

void ControlAttachment::buttonClicked (juce::Button* button)
{
    setAsOneGesture (button->getToggleState() ? 1.0f : 0.0f);
}

void ControlAttachment::comboBoxChanged (juce::ComboBox* selector)
{
    const auto& info = parameterTable[parameter.index];
    const auto item = selector->getSelectedItemIndex();
    setAsOneGesture (juce::isPositiveAndBelow (item, info.numChoices) ? info.choices[item].value : 0.0f);
}

void ControlAttachment::setAsOneGesture (float value)
{
    parameter.beginChangeGesture();
    parameter.setStoredValueNotifyingHost (value);
    parameter.endChangeGesture();
}
