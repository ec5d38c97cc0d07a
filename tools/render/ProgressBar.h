#pragma once

#include <juce_core/juce_core.h>

/** A one-line progress bar on the terminal; silent when stderr is not a terminal, so
    logs and pipes get no control characters. */
class ProgressBar
{
public:
    explicit ProgressBar (juce::int64 total);
    ~ProgressBar();

    void update (juce::int64 done);

private:
    juce::int64 total;
    bool visible;
    int shownPercent = -1;
};
