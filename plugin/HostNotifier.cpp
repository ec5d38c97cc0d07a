#include "HostNotifier.h"

HostNotifier::HostNotifier (HostStyle hostStyle, const Parameters& hostParameters)
    : style (hostStyle), parameters (hostParameters)
{
}

HostNotifier::~HostNotifier()
{
    cancelPendingUpdate();
}

void HostNotifier::setHandler (Steinberg::FUnknown* handler)
{
    editReporter.setHandler (handler);
}

void HostNotifier::tell (ProcessorParameter* only)
{
    // A VST 2 host is never told; the others keep their view equal to the plug-in's.
    if (! style.toldOfChanges)
        return;

    // Off the message thread a VST3 host hears within its own call, through its component
    // handler; from the audio thread every value goes later, in one announcement.
    if (style.toldOnMessageThread && ! juce::MessageManager::existsAndIsCurrentThread())
    {
        if (editReporter.hasHandler() && ! Vst3EditReporter::isInAudioCall())
            reportToHandler (only);
        else
            triggerAsyncUpdate();
    }
    else if (only != nullptr)
    {
        only->sendValueChangedMessageToListeners (only->getValue());
    }
    else
    {
        handleAsyncUpdate();
    }
}

void HostNotifier::reportToHandler (ProcessorParameter* only)
{
    for (auto* p : parameters)
        if (p != nullptr && (only == nullptr || p == only))
            editReporter.report (p->getParameterID(), p->getValue());
}

void HostNotifier::handleAsyncUpdate()
{
    for (auto* p : parameters)
        if (p != nullptr)
            p->sendValueChangedMessageToListeners (p->getValue());
}
