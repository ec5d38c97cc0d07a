#pragma once

#include <juce_core/juce_core.h>

namespace Steinberg
{
class FUnknown;

namespace Vst
{
class IComponentHandler;
}
} // namespace Steinberg

/** Reports values that the plug-in changed itself to a VST3 host, through the
    component handler the host gave the controller: within the host's own call and on
    its thread, as VST3 asks of every call into the handler. */
class Vst3EditReporter
{
public:
    Vst3EditReporter() = default;
    ~Vst3EditReporter();

    /** Takes the handler the client layer passes on; null lets it go. */
    void setHandler (Steinberg::FUnknown* unknown);

    bool hasHandler() const noexcept { return handler != nullptr; }

    /** One complete edit of a parameter, named by its ID as the plug-in declared it. */
    void report (const juce::String& parameterID, float value);

    /** Marks the calling thread, for the scope's life, as inside the host's audio call,
        from where the handler must never be called. The client layer's process call
        holds one, around the parameter changes it applies as well as the audio. */
    class ScopedAudioCall
    {
    public:
        ScopedAudioCall() noexcept;
        ~ScopedAudioCall();

    private:
        const bool wasInAudioCall;

        JUCE_DECLARE_NON_COPYABLE (ScopedAudioCall)
    };

    static bool isInAudioCall() noexcept;

private:
    Steinberg::Vst::IComponentHandler* handler = nullptr;

    JUCE_DECLARE_NON_COPYABLE (Vst3EditReporter)
};
