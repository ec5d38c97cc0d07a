#include "SettingText.h"

#include "ParameterTable.h"

#include <cmath>

namespace
{
    // Typed range ends land on 0 and 1 only up to rounding: "7:1" or "400 Hz".
    constexpr double endTolerance = 1.0e-9;

    bool isContinuous (int index)
    {
        return parameterTable[index].kind == ParameterKind::continuous;
    }

    bool isSwitch (int index)
    {
        return parameterTable[index].kind == ParameterKind::onOff;
    }

    // Peak Ratio is an off/on control whose two settings are shown by what they do.
    bool takesSwitchWords (int index)
    {
        return isSwitch (index) || index == peakRatioIndex;
    }

    // Digits with at most one point: "0.3", "12", ".5"; no sign, exponent or unit.
    bool isPlainNumber (const juce::String& text)
    {
        return text.containsAnyOf ("0123456789") && text.containsOnly ("0123456789.")
               && text.indexOfChar ('.') == text.lastIndexOfChar ('.');
    }

    // Two decimals at most, trailing zeros dropped, and never "-0".
    juce::String rangeEnd (double value)
    {
        auto text = juce::String (std::round (value * 100.0) / 100.0 + 0.0, 2);
        if (text.containsChar ('.'))
            text = text.trimCharactersAtEnd ("0").trimCharactersAtEnd (".");
        return text;
    }

    juce::String naturalRange (int index)
    {
        const auto& natural = parameterTable[index].natural;
        const double a = natural.fromNormalized (0.0);
        const double b = natural.fromNormalized (1.0);
        const auto low = rangeEnd (std::min (a, b));
        const auto high = rangeEnd (std::max (a, b));
        const juce::String unit (natural.unit);

        if (unitJoinsNumber (natural.unit))
            return low + unit + " to " + high + unit;
        return low + " to " + high + " " + unit;
    }

    juce::String choiceList (int index)
    {
        const auto& info = parameterTable[index];
        juce::StringArray names;
        for (int i = 0; i < info.numChoices; ++i)
            names.add (info.choices[i].text);
        return names.joinIntoString (", ");
    }
}

SettingText::Reading SettingText::read (int index, const juce::String& text)
{
    const auto key = juce::String (parameterTable[index].stateKey);
    const auto trimmed = text.trim();

    if (trimmed.startsWithIgnoreCase ("norm:"))
    {
        const auto number = trimmed.substring (5).trim();
        const double value = number.getDoubleValue();
        if (! isPlainNumber (number) || value > 1.0)
            return { {}, "normalized value of '" + key + "' must be a number from 0 to 1, not '" + text + "'" };
        return { static_cast<float> (value), {} };
    }

    const auto value = isContinuous (index) ? valueForText (index, trimmed) : readChoice (index, trimmed);
    if (! value || *value < -endTolerance || *value > 1.0 + endTolerance)
        return { {}, "value of '" + key + "' must be " + expected (index) + ", not '" + text + "'" };

    return { static_cast<float> (juce::jlimit (0.0, 1.0, *value)), {} };
}

std::optional<double> SettingText::readChoice (int index, const juce::String& text)
{
    if (const auto named = valueForText (index, text))
        return named;

    const auto& info = parameterTable[index];
    const auto word = text.toLowerCase();
    const bool wholeNumber = word.isNotEmpty() && word.containsOnly ("0123456789");

    const bool switchWords = takesSwitchWords (index) && info.numChoices == 2;
    for (int i = 0; i < info.numChoices; ++i)
    {
        const juce::String name (info.choices[i].text);
        const bool onWord = (name == "on" || (switchWords && i == 1)) && (word == "on" || word == "yes" || word == "true" || word == "1");
        const bool offWord = (name == "off" || (switchWords && i == 0)) && (word == "off" || word == "no" || word == "false" || word == "0");

        // "12" is "12 dB/oct", "24" is "24 dB": the unit left out as for the knobs.
        const bool number = wholeNumber && juce::CharacterFunctions::isDigit (name[0]) && name.getIntValue() == word.getIntValue();

        if (onWord || offWord || number)
            return info.choices[i].value;
    }

    return std::nullopt;
}

juce::String SettingText::expected (int index)
{
    if (isSwitch (index))
        return "on or off (or yes/no, true/false, 1/0)";
    if (takesSwitchWords (index))
        return "one of " + choiceList (index) + " (or off/on, no/yes, false/true, 0/1)";
    if (! isContinuous (index))
        return "one of " + choiceList (index);

    const auto* zeroText = parameterTable[index].natural.zeroText;
    return "from " + naturalRange (index) + (zeroText != nullptr ? juce::String (" or ") + zeroText : juce::String());
}

juce::String SettingText::range (int index)
{
    if (isSwitch (index))
        return "off, on (or no/yes, false/true, 0/1)";
    if (takesSwitchWords (index))
        return choiceList (index) + " (or off/on, no/yes, false/true, 0/1)";
    if (! isContinuous (index))
        return choiceList (index);

    const auto* zeroText = parameterTable[index].natural.zeroText;
    return (zeroText != nullptr ? juce::String (zeroText) + ", " : juce::String()) + naturalRange (index);
}

juce::String SettingText::show (int index, float value)
{
    if (isContinuous (index))
        return parameterText (index, value);

    return parameterTable[index].choices[choiceIndex (index, value)].text;
}
