// velmora: the standalone application. The arguments and the display are checked
// before the framework starts, which opens the display first thing and cannot go on
// without one.
#include "StandaloneApp.h"

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace
{
const char* const usage =
    "Usage: velmora\n"
    "  or:  velmora -h | --help | -V | --version\n"
    "\n"
    "Runs the Velmora stereo feedback compressor on the audio device in a window of its\n"
    "own. The window's Options menu chooses the audio device, a factory program and\n"
    "saves or loads the compressor's state.\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this help and exit\n"
    "  -V, --version  show the version and exit\n";

/** The exit status when the arguments ask for an answer instead of the window. */
std::optional<int> answerArguments (int argc, char* argv[])
{
    if (argc == 2 && (std::strcmp (argv[1], "--help") == 0 || std::strcmp (argv[1], "-h") == 0))
    {
        std::fputs (usage, stdout);
        return 0;
    }

    if (argc == 2 && (std::strcmp (argv[1], "--version") == 0 || std::strcmp (argv[1], "-V") == 0))
    {
        std::puts ("velmora " JucePlugin_VersionString);
        return 0;
    }

    if (argc > 1)
    {
        std::fprintf (stderr, "velmora: error: unknown argument %s (see --help)\n", argv[1]);
        return 2;
    }

    return std::nullopt;
}

/** The exit status when no X display can be opened. Only DISPLAY names one: the
    framework would try ":0.0" without it, and a window there is not what was asked. */
std::optional<int> checkDisplay()
{
    const auto* name = std::getenv ("DISPLAY");

    if (name == nullptr || *name == 0)
    {
        std::fputs ("velmora: error: no display to open the window on (DISPLAY is not set)\n", stderr);
        return 1;
    }

    auto* display = XOpenDisplay (name);

    if (display == nullptr)
    {
        std::fprintf (stderr, "velmora: error: cannot open the display %s\n", name);
        return 1;
    }

    XCloseDisplay (display);
    return std::nullopt;
}
} // namespace

int main (int argc, char* argv[])
{
    if (const auto status = answerArguments (argc, argv))
        return *status;

    if (const auto status = checkDisplay())
        return *status;

    juce::JUCEApplicationBase::createInstance = [] () -> juce::JUCEApplicationBase* { return new StandaloneApp(); };
    return juce::JUCEApplicationBase::main (argc, const_cast<const char**> (argv));
}
