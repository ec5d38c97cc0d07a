#include "Vst3EditReporter.h"

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wnon-virtual-dtor", "-Wshadow", "-Wunused-parameter", "-Wzero-as-null-pointer-constant")
#include <pluginterfaces/vst/ivsteditcontroller.h>
JUCE_END_IGNORE_WARNINGS_GCC_LIKE

namespace
{
thread_local bool inAudioCall = false;
}

Vst3EditReporter::~Vst3EditReporter()
{
    setHandler (nullptr);
}

void Vst3EditReporter::setHandler (Steinberg::FUnknown* unknown)
{
    if (handler != nullptr)
        handler->release();

    handler = nullptr;

    if (unknown != nullptr)
        unknown->queryInterface (Steinberg::Vst::IComponentHandler_iid, reinterpret_cast<void**> (&handler));
}

void Vst3EditReporter::report (const juce::String& parameterID, float value)
{
    // The client layer's rule for a parameter's VST3 ID: the hash of its string ID, kept
    // positive for hosts that read IDs as signed numbers.
    const auto id = static_cast<Steinberg::Vst::ParamID> (parameterID.hashCode()) & 0x7fffffffu;

    handler->beginEdit (id);
    handler->performEdit (id, static_cast<Steinberg::Vst::ParamValue> (value));
    handler->endEdit (id);
}

Vst3EditReporter::ScopedAudioCall::ScopedAudioCall() noexcept
    : wasInAudioCall (inAudioCall)
{
    inAudioCall = true;
}

Vst3EditReporter::ScopedAudioCall::~ScopedAudioCall()
{
    inAudioCall = wasInAudioCall;
}

bool Vst3EditReporter::isInAudioCall() noexcept
{
    return inAudioCall;
}
