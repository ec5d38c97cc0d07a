// velmora-render: renders audio files through the plug-in's processor offline.
#include "Interruption.h"
#include "RenderCommand.h"

#include <cstdio>

int main (int argc, char* argv[])
{
    Interruption::install();

    juce::StringArray arguments;
    for (int i = 1; i < argc; ++i)
        arguments.add (juce::String::fromUTF8 (argv[i]));

    RenderOptions options;
    const auto error = RenderOptions::parse (arguments, options);
    if (error.isNotEmpty())
    {
        std::fprintf (stderr, "velmora-render: error: %s (see --help)\n", error.toRawUTF8());
        return RenderCommand::usageError;
    }

    return RenderCommand (options).run();
}
