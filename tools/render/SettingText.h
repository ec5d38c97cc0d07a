#pragma once

#include <juce_core/juce_core.h>

#include <optional>

/** A parameter setting as a user writes it on the command line, and as the renderer
    shows it. A bare number is a value in the parameter's own unit ("makeup=0" is 0 dB),
    the unit may be written or left out, and a normalized value needs the explicit form
    "norm:0.3". Listed parameters read and show their settings by name; switches also
    read yes/no, true/false and 1/0. Values are the knob's range: a level that the
    plug-in would accept beyond it is refused here, as no saved program holds one. */
class SettingText
{
public:
    /** The normalized value of a text, or the error line that explains what the
        parameter takes. */
    struct Reading
    {
        std::optional<float> value;
        juce::String error;
    };

    static Reading read (int index, const juce::String& text);

    /** What the parameter takes: "-60 to 0 dB", "Off, -60 to 0 dB", "Precise, Eco". */
    static juce::String range (int index);

    /** The display text, settings of listed parameters by name. */
    static juce::String show (int index, float value);

private:
    static std::optional<double> readChoice (int index, const juce::String& text);
    static juce::String expected (int index);
};
