#pragma once

#include <juce_core/juce_core.h>

#include <stdexcept>

/** A failure of velmora-render with the line that explains it to the user and the exit
    status it ends with. */
struct RenderFailure : std::runtime_error
{
    /** Exit statuses besides 0; an interruption by signal s exits with 128 + s. */
    static constexpr int cannotReadOrWrite = 1;
    static constexpr int usageError = 2;

    explicit RenderFailure (const juce::String& line, int exitStatus = cannotReadOrWrite)
        : std::runtime_error (line.toStdString()), status (exitStatus)
    {
    }

    int status;
};
