#include "RenderOptions.h"

#include "ParameterTable.h"
#include "SettingText.h"

#include <algorithm>

namespace
{
    int indexForKey (const juce::String& key)
    {
        for (int i = 0; i < numNamedParameters; ++i)
            if (key.equalsIgnoreCase (parameterTable[i].stateKey))
                return i;

        return -1;
    }

    juce::String parseSetting (const juce::String& argument, RenderOptions& options)
    {
        const auto key = argument.upToFirstOccurrenceOf ("=", false, false).trim();
        const int index = indexForKey (key);
        if (index < 0)
            return "unknown parameter key '" + key + "'";

        const auto reading = SettingText::read (index, argument.fromFirstOccurrenceOf ("=", false, false));
        if (! reading.value)
            return reading.error;

        const auto given = [index] (const RenderOptions::Setting& s) { return s.index == index; };
        const auto earlier = std::find_if (options.settings.begin(), options.settings.end(), given);
        if (earlier != options.settings.end())
        {
            options.warnings.add (juce::String ("'") + parameterTable[index].stateKey + "' is given more than once; using the last, "
                                  + argument.trim());
            options.settings.erase (earlier);
        }

        options.settings.push_back ({ index, *reading.value });
        return {};
    }

    juce::String checkFiles (const std::vector<juce::String>& files, RenderOptions& options)
    {
        if (files.size() != 2)
            return "expected an input and an output file";

        const auto cwd = juce::File::getCurrentWorkingDirectory();
        options.standardInput = files[0] == "-";
        options.standardOutput = files[1] == "-";
        if (! options.standardInput)
            options.input = cwd.getChildFile (files[0]);
        if (! options.standardOutput)
            options.output = cwd.getChildFile (files[1]);

        if (! options.standardOutput && ! options.output.hasFileExtension (".wav") && ! options.output.hasFileExtension (".flac"))
            return "output file must end in .wav or .flac, or be - for standard output: " + files[1];
        if (options.floatOutput && options.writesFlac())
            return "--float applies to WAV output only";
        if (options.picture != juce::File() && ! options.picture.hasFileExtension (".png"))
            return "--picture writes PNG, so its file name must end in .png: " + options.picture.getFileName();

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
        if (argument == "-V" || argument == "--version")
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
        else if (argument == "-p" || argument == "--program" || argument == "--picture" || argument == "--demo-material"
                 || argument == "-t" || argument == "--type")
        {
            if (! hasValue)
                return argument + " needs a value";

            const auto& value = arguments[++i];
            if (argument == "--picture")
            {
                options.picture = cwd.getChildFile (value);
            }
            else if (argument == "-t" || argument == "--type")
            {
                if (! value.equalsIgnoreCase ("wav") && ! value.equalsIgnoreCase ("flac"))
                    return argument + " takes wav or flac, not '" + value + "'";
                options.flacToStandardOutput = value.equalsIgnoreCase ("flac");
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
    return "Usage: velmora-render [options] <input.wav|aiff|flac|-> <output.wav|flac|-> [key=value ...]\n"
           "  or:  velmora-render --list-programs\n"
           "  or:  velmora-render --demo-material <output.wav>\n"
           "  or:  velmora-render --version\n"
           "\n"
           "Options:\n"
           "  -p, --program <n|name>  factory program by number or name, as --list-programs\n"
           "                          shows them (letter case and separators do not matter)\n"
           "  --float                 write 32-bit float WAV instead of 24-bit\n"
           "  -t, --type <wav|flac>   the format written to standard output (default wav)\n"
           "  --picture <file.png>    draw input, output and gain reduction over time\n"
           "  --list-programs         list the factory programs by number and name\n"
           "  --demo-material <file.wav>\n"
           "                          write six seconds of generated drums, bass and chord\n"
           "  -h, --help              show this help\n"
           "  -V, --version           show the version\n"
           "  key=value               set a parameter by its key: a number is read in the\n"
           "                          parameter's unit, written or not (threshold=-24dB,\n"
           "                          makeup=3, ratio=4:1, attack=20ms, releasepeak=1.2s,\n"
           "                          keyhpfrequency=0.1kHz), a setting by its name\n"
           "                          (quality=Eco, keyhpslope=12dB/oct, delta=on), and\n"
           "                          norm:0.3 is a normalized value from 0 to 1; keys may\n"
           "                          be written in any letter case\n"
           "\n"
           "A file named - is standard input or output: the input is read whole, the output\n"
           "is written once complete. Files are read at 8000 to 768000 Hz, as 8- to 32-bit\n"
           "integer or 32- and 64-bit float WAV (also RF64), AIFF or FLAC.\n"
           "\n"
           "Parameter keys:";
}
