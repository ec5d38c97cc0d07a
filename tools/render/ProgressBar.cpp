#include "ProgressBar.h"

#include <cstdio>
#include <unistd.h>

ProgressBar::ProgressBar (juce::int64 totalToDo)
    : total (std::max<juce::int64> (1, totalToDo)),
      visible (isatty (STDERR_FILENO) != 0)
{
}

ProgressBar::~ProgressBar()
{
    if (visible && shownPercent >= 0)
        std::fputs ("\n", stderr);
}

void ProgressBar::update (juce::int64 done)
{
    const int percent = static_cast<int> (std::min<juce::int64> (100, done * 100 / total));
    if (! visible || percent == shownPercent)
        return;

    constexpr int width = 40;
    char bar[width + 1] {};
    for (int i = 0; i < width; ++i)
        bar[i] = i < percent * width / 100 ? '#' : '.';

    std::fprintf (stderr, "\r[%s] %3d%%", bar, percent);
    std::fflush (stderr);
    shownPercent = percent;
}
