#pragma once

/** SIGINT and SIGTERM while velmora-render works. The handler only notes the signal;
    the render asks between blocks and unwinds as for any failure, so the unfinished
    temporary file is removed and an existing output stays as it was. A second signal
    ends the process at once. */
class Interruption
{
public:
    static void install();

    /** The signal that arrived, or 0. */
    static int caught() noexcept;
};
