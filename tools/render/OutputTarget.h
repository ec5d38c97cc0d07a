#pragma once

#include "PosixOutputStream.h"

/** Where an output file goes and how it replaces what is there. A symbolic link is
    written through to its target, an existing file keeps its permissions, a folder is
    refused and never removed, and the finished file takes the place of the old one in
    one rename, so there is never a moment without either. */
class OutputTarget
{
public:
    explicit OutputTarget (const juce::File& given);

    /** The file finally written: the given one, or the target its links lead to. */
    const juce::File& file() const noexcept { return resolved; }

    /** Throws a RenderFailure naming the cause when the file cannot be written there. */
    void check() const;

    /** A stream onto the temporary file, readable by its owner only until it is in
        place; throws a RenderFailure naming the cause. */
    std::unique_ptr<PosixOutputStream> create (const juce::File& temporary, int& firstError) const;

    /** Puts the finished temporary file in the target's place. */
    void replaceWith (const juce::File& temporary) const;

    /** Copies a finished file to standard output. */
    static void copyToStandardOutput (const juce::File& finished);

private:
    juce::String failureLine (const juce::String& cause) const;

    juce::File given;
    juce::File resolved;
};
