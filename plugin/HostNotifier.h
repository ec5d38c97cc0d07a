#pragma once

#include "HostStyle.h"
#include "ProcessorParameter.h"
#include "Vst3EditReporter.h"

#include <array>

/** Tells a host that keeps its own copy of the values about the ones the plug-in
    changes itself: program changes, restored states, Delta and Bypass switching each
    other off. How depends on the format's style and on the calling thread. */
class HostNotifier : private juce::AsyncUpdater
{
public:
    using Parameters = std::array<ProcessorParameter*, numParameters>;

    /** The parameters are read when a host is told, so they may be filled in later. */
    HostNotifier (HostStyle style, const Parameters& parameters);
    ~HostNotifier() override;

    /** The VST3 host's component handler, as the client layer passes it on. */
    void setHandler (Steinberg::FUnknown* handler);

    /** Tells the host of one parameter's value, or of every value. */
    void tell (ProcessorParameter* only = nullptr);

private:
    void reportToHandler (ProcessorParameter* only);
    void handleAsyncUpdate() override;

    const HostStyle style;
    const Parameters& parameters;
    Vst3EditReporter editReporter;

    JUCE_DECLARE_NON_COPYABLE (HostNotifier)
};
