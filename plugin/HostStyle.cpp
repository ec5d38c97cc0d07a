#include "HostStyle.h"

HostStyle HostStyle::forFormat (juce::AudioProcessor::WrapperType type) noexcept
{
    // VST 2 hosts, the renderer and the tests see the index interface's raw values.
    HostStyle style;

    if (type == juce::AudioProcessor::wrapperType_VST3 || type == juce::AudioProcessor::wrapperType_LV2)
    {
        style.placeholders = false;
        style.lists = true;
        style.toldOfChanges = true;
    }

    // A VST3 controller passes values on to its host only from its message thread;
    // elsewhere they would wait for the next audio block and reach only the controller.
    // It tells the host of a restored state itself. Its host bypass is the plug-in's
    // own, delayed like the audio. LV2 groups ports only, so only VST3 gets sections.
    if (type == juce::AudioProcessor::wrapperType_VST3)
    {
        style.toldOnMessageThread = true;
        style.toldOfRestoreByClient = true;
        style.bypassIsOwn = true;
        style.sections = true;
    }

    // JUCE's LV2 client writes its enabled port into the bypass parameter on every block,
    // which would overrule the editor's button; there the port runs processBlockBypassed.
    if (type == juce::AudioProcessor::wrapperType_LV2)
    {
        style.units = true;
        style.toldAtStart = true;
    }

    return style;
}
