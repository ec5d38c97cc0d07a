#include "Interruption.h"

#include <csignal>
#include <initializer_list>

namespace
{
    volatile std::sig_atomic_t caughtSignal = 0;

    extern "C" void noteSignal (int signal)
    {
        caughtSignal = signal;
    }
}

void Interruption::install()
{
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset (&action.sa_mask);
    // Writes in progress go on rather than fail, so the stop is always an interruption.
    action.sa_flags = static_cast<int> (SA_RESTART | SA_RESETHAND);

    for (const int signal : { SIGINT, SIGTERM, SIGHUP })
        sigaction (signal, &action, nullptr);

    // A reader that went away (velmora-render ... | head) costs the rest of the report,
    // never the render: the writes fail and the output is still made.
    std::signal (SIGPIPE, SIG_IGN);
}

int Interruption::caught() noexcept
{
    return caughtSignal;
}

const char* Interruption::name (int signal) noexcept
{
    switch (signal)
    {
        case SIGINT:  return "SIGINT";
        case SIGTERM: return "SIGTERM";
        case SIGHUP:  return "SIGHUP";
        default:      return "a signal";
    }
}
