#include "RenderOptions.h"

#include "ParameterTable.h"

#include <cmath>
#include <cstdlib>

namespace
{
    int indexForKey (const juce::String& key)
    {
        for (int i = 0; i < numNamedParameters; ++i)
            if (key == parameterTable[i].stateKey)
                return i;

        return -1;
    }

    // The whole text must be a number: "0.3x" is a typing error, not 0.3.
    bool parseNumber (const juce::String& text, double& number)
    {
        const auto utf8 = text.trim().toStdString();
        if (utf8.empty())
            return false;

        char* end = nullptr;
        number = std::strtod (utf8.c_str(), &end);
        return end == utf8.c_str() + utf8.size() && std::isfinite (number);
    }

    juce::String parseSetting (const juce::String& argument, RenderOptions& options)
    {
        const auto key = argument.upToFirstOccurrenceOf ("=", false, false).trim();
        const auto valueText = argument.fromFirstOccurrenceOf ("=", false, false);
        const int index = indexForKey (key);
        if (index < 0)
            return "unknown parameter key '" + key + "'";

        // A bare number from 0 to 1 is a normalized value; anything else is read the
        // way the parameter shows it: "-24dB", "4:1", "10ms", "Eco", "on".
        double value = 0.0;
        if (! parseNumber (valueText, value) || value < 0.0 || value > 1.0)
        {
            const auto natural = valueForText (index, valueText);
            if (! natural)
                return "value of '" + key + "' must be a number from 0 to 1 or a setting such as '"
                       + parameterText (index, parameterTable[index].fullResetValue).removeCharacters (" ")
                       + "', not '" + valueText + "'";

            value = *natural;
            if (value < 0.0 || value > 1.0)
                return "value of '" + key + "' lies outside its range: '" + valueText + "'";
        }

        options.settings.push_back ({ index, static_cast<float> (value) });
        return {};
    }

    juce::String checkFiles (const std::vector<juce::String>& files, RenderOptions& options)
    {
        if (files.size() != 2)
            return "expected an input and an output file";

        const auto cwd = juce::File::getCurrentWorkingDirectory();
        options.input = cwd.getChildFile (files[0]);
        options.output = cwd.getChildFile (files[1]);

        if (! options.output.hasFileExtension (".wav") && ! options.output.hasFileExtension (".flac"))
            return "output file must end in .wav or .flac: " + files[1];
        if (options.floatOutput && options.writesFlac())
            return "--float applies to WAV output only";

        return {};
    }
}

juce::String RenderOptions::parse (const juce::StringArray& arguments, RenderOptions& options)
{
    std::vector<juce::String> files;
    const auto cwd = juce::File::getCurrentWorkingDirectory();

    for (int i = 0; i < arguments.size(); ++i)
    {
        const auto& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();

        if (argument == "-h" || argument == "--help")
        {
            options.mode = Mode::help;
            return {};
        }
        if (argument == "--version")
        {
            options.mode = Mode::version;
            return {};
        }
        if (argument == "--list-programs")
        {
            options.mode = Mode::listPrograms;
            return {};
        }

        if (argument == "--float")
        {
            options.floatOutput = true;
        }
        else if (argument == "-p" || argument == "--program" || argument == "--picture" || argument == "--demo-material")
        {
            if (! hasValue)
                return argument + " needs a value";

            const auto& value = arguments[++i];
            if (argument == "--picture")
            {
                options.picture = cwd.getChildFile (value);
            }
            else if (argument == "--demo-material")
            {
                options.mode = Mode::demoMaterial;
                options.output = cwd.getChildFile (value);
            }
            else
            {
                options.program = value;
            }
        }
        else if (argument.startsWith ("-") && argument.length() > 1)
        {
            return "unknown option " + argument;
        }
        else if (argument.containsChar ('='))
        {
            const auto error = parseSetting (argument, options);
            if (error.isNotEmpty())
                return error;
        }
        else
        {
            files.push_back (argument);
        }
    }

    if (options.mode == Mode::demoMaterial)
        return files.empty() ? juce::String() : "--demo-material takes no other files";

    return checkFiles (files, options);
}

juce::String RenderOptions::usage()
{
    return "Usage: velmora-render [options] <input.wav|aiff|flac> <output.wav|flac> [key=value ...]\n"
           "  or:  velmora-render --list-programs\n"
           "  or:  velmora-render --demo-material <output.wav>\n"
           "  or:  velmora-render --version\n"
           "\n"
           "Options:\n"
           "  -p, --program <n|name>  factory program by number (as listed) or exact name\n"
           "  --float                 write 32-bit float WAV instead of 24-bit\n"
           "  --picture <file.png>    draw input, output and gain reduction over time\n"
           "  key=value               set a parameter by its state key, to a value 0..1 or as\n"
           "                          its text reads: threshold=-24dB ratio=4:1 quality=Eco\n"
           "\n"
           "Parameter keys:";
}
