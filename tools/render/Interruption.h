#pragma once

/** SIGINT, SIGTERM and SIGHUP while velmora-render works. The handler only notes the
    signal; the render asks between blocks and unwinds as for any failure, so the
    unfinished temporary file is removed and an existing output stays as it was. A
    second signal ends the process at once. A closed pipe on the standard streams stops
    no render. */
class Interruption
{
public:
    static void install();

    /** The signal that arrived, or 0. */
    static int caught() noexcept;

    /** The name of a signal that install() catches, as users know it: "SIGINT". */
    static const char* name (int signal) noexcept;
};
