#include "ControlAttachment.h"

#include "ProcessorParameter.h"

namespace
{
/** The selector's item for a stored value: only the exact values it writes get their
    own item, anything else shows the first. */
int itemFor (const ParameterInfo& info, float value)
{
    for (int i = 1; i < info.numChoices; ++i)
        if (value == info.choices[i].value)
            return i;

    return 0;
}
} // namespace

ControlAttachment::ControlAttachment (ProcessorParameter& p, juce::Slider& slider)
    : parameter (p),
      show ([&slider] (float value) { slider.setValue ((double) value, juce::dontSendNotification); }),
      detach ([this, &slider] { slider.removeListener (this); })
{
    slider.addListener (this);
}

ControlAttachment::ControlAttachment (ProcessorParameter& p, juce::Button& button)
    : parameter (p),
      show ([&button] (float value) { button.setToggleState (value > 0.5f, juce::dontSendNotification); }),
      detach ([this, &button] { button.removeListener (this); })
{
    button.addListener (this);
}

ControlAttachment::ControlAttachment (ProcessorParameter& p, juce::ComboBox& selector)
    : parameter (p),
      show ([&selector, &info = parameterTable[p.index]] (float value)
            { selector.setSelectedItemIndex (itemFor (info, value), juce::dontSendNotification); }),
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
