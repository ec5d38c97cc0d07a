#include "CorvaneAudioProcessor.h"

#include "FactoryPresets.h"

#include <cmath>
#include <cstring>

CorvaneAudioProcessor::CorvaneAudioProcessor()
    : juce::AudioProcessor (BusesProperties()
                                .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                                .withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
      hostStyle (hostStyleFor (wrapperType))
{
    addParameters();
    engine = std::make_unique<CompressorEngine>();
    programs = std::make_unique<ProgramBank>();
    loadFactoryBank();
}

HostStyle CorvaneAudioProcessor::hostStyleFor (WrapperType type) noexcept
{
    // VST 2 hosts, the renderer and the tests see the index interface's raw values.
    HostStyle style;

    if (type == wrapperType_VST3 || type == wrapperType_LV2)
    {
        style.placeholders = false;
        style.lists = true;
        style.toldOfChanges = true;
    }

    // A VST3 controller passes values on to its host only from its message thread;
    // elsewhere they would wait for the next audio block and reach only the controller.
    // It tells the host of a restored state itself. Its host bypass is the plug-in's
    // own, delayed like the audio. LV2 groups ports only, so only VST3 gets sections.
    if (type == wrapperType_VST3)
    {
        style.toldOnMessageThread = true;
        style.toldOfRestoreByClient = true;
        style.bypassIsOwn = true;
        style.sections = true;
    }

    // JUCE's LV2 client writes its enabled port into the bypass parameter on every block,
    // which would overrule the editor's button; there the port runs processBlockBypassed.
    if (type == wrapperType_LV2)
    {
        style.units = true;
        style.toldAtStart = true;
    }

    return style;
}

void CorvaneAudioProcessor::addParameters()
{
    // Only VST 2 has fixed slots to keep; elsewhere a nameless parameter is just clutter.
    if (! hostStyle.sections)
    {
        const auto slots = hostStyle.placeholders ? numParameters : numNamedParameters;

        for (int i = 0; i < slots; ++i)
            addParameter (makeParameter (i).release());

        return;
    }

    for (const auto& group : parameterGroups)
    {
        auto section = std::make_unique<juce::AudioProcessorParameterGroup> (group.id, group.name, "|");

        for (int k = 0; k < group.numMembers; ++k)
            section->addChild (makeParameter (group.members[k]));

        addParameterGroup (std::move (section));
    }
}

std::unique_ptr<ProcessorParameter> CorvaneAudioProcessor::makeParameter (int index)
{
    auto owned = std::make_unique<ProcessorParameter> (*this, index, hostStyle);
    parameterObjects[static_cast<size_t> (index)] = owned.get();
    return owned;
}

CorvaneAudioProcessor::~CorvaneAudioProcessor()
{
    cancelPendingUpdate();
    programs.reset();
    engine.reset();
}

void CorvaneAudioProcessor::loadFactoryBank()
{
    const auto document = juce::parseXML (juce::String::fromUTF8 (factoryPresetText));
    jassert (document != nullptr);

    juce::MemoryBlock chunk;
    copyXmlToBinary (*document, chunk);
    setStateInformation (chunk.getData(), static_cast<int> (chunk.getSize()));

    currentProgram = 0;
    setCurrentProgram (0);
}

//==============================================================================
const juce::String CorvaneAudioProcessor::getName() const
{
    return JucePlugin_Name;
}

void CorvaneAudioProcessor::prepareToPlay (double sampleRate, int)
{
    // No block runs now: the engine takes the parameters before the rate, as it did
    // when they were first set.
    applyParameterChanges();
    engine->setSampleRate (sampleRate);
    setLatencySamples (CompressorEngine::latencyForRate (sampleRate));
    engine->reset();
    currentGain = 1.0;

    if (hostStyle.toldAtStart)
        tellHost();
}

void CorvaneAudioProcessor::releaseResources()
{
    engine->reset();
}

void CorvaneAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    applyParameterChanges();
    render (buffer);
}

void CorvaneAudioProcessor::processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    applyParameterChanges();
    const bool bypassed = engine->getSettings().bypass;
    engine->setBypass (true);
    render (buffer);
    engine->setBypass (bypassed);
}

juce::AudioProcessorParameter* CorvaneAudioProcessor::getBypassParameter() const
{
    return hostStyle.bypassIsOwn ? parameter (bypassIndex) : nullptr;
}

void CorvaneAudioProcessor::applyParameterChanges() noexcept
{
    const bool all = reapplyAll.exchange (false);

    for (int i = 0; i < numNamedParameters; ++i)
    {
        const float value = parameterObjects[static_cast<size_t> (i)]->storedValue();

        // Bit patterns, so that a NaN counts as one change and not as one per block.
        if (! all && std::memcmp (&value, &appliedValues[i], sizeof (float)) == 0)
            continue;

        appliedValues[i] = value;

        // A value with no number in it cannot move the engine anywhere sensible: the
        // previous one stays in force, while the slot and the host keep what was sent.
        if (const auto toEngine = parameterTable[i].toEngine; toEngine != nullptr && std::isfinite (value))
            toEngine (*engine, value);
    }
}

void CorvaneAudioProcessor::render (juce::AudioBuffer<float>& buffer) noexcept
{
    const juce::ScopedNoDenormals noDenormals;
    const int numInputs = getTotalNumInputChannels();
    const int numSamples = buffer.getNumSamples();

    currentGain = 1.0;

    if (numInputs == 2 && buffer.getNumChannels() >= 2 && numSamples > 0)
    {
        const auto readings = engine->process (buffer.getWritePointer (0), buffer.getWritePointer (1), numSamples);
        currentGain = readings.gain;
        peakGainDb = readings.peakDb;
        rmsGainDb = readings.rmsDb;
    }

    for (int channel = numInputs; channel < getTotalNumOutputChannels() && channel < buffer.getNumChannels(); ++channel)
        buffer.clear (channel, 0, numSamples);
}

bool CorvaneAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    return layouts.getMainInputChannelSet() == juce::AudioChannelSet::stereo()
        && layouts.getMainOutputChannelSet() == juce::AudioChannelSet::stereo();
}

double CorvaneAudioProcessor::getTailLengthSeconds() const
{
    return 0.0;
}

//==============================================================================
const juce::String CorvaneAudioProcessor::getInputChannelName (int channelIndex) const
{
    return juce::String (channelIndex + 1);
}

const juce::String CorvaneAudioProcessor::getOutputChannelName (int channelIndex) const
{
    return juce::String (channelIndex + 1);
}

bool CorvaneAudioProcessor::isInputChannelStereoPair (int) const
{
    return true;
}

bool CorvaneAudioProcessor::isOutputChannelStereoPair (int) const
{
    return true;
}

bool CorvaneAudioProcessor::acceptsMidi() const
{
    return false;
}

bool CorvaneAudioProcessor::producesMidi() const
{
    return false;
}

juce::AudioProcessorEditor* CorvaneAudioProcessor::createEditor()
{
    return nullptr;
}

bool CorvaneAudioProcessor::hasEditor() const
{
    return false;
}

//==============================================================================
ProcessorParameter* CorvaneAudioProcessor::parameter (int index) const noexcept
{
    return juce::isPositiveAndBelow (index, numParameters) ? parameterObjects[static_cast<size_t> (index)] : nullptr;
}

float CorvaneAudioProcessor::getParameter (int index)
{
    const auto* p = parameter (index);
    return p != nullptr ? p->storedValue() : 0.0f;
}

void CorvaneAudioProcessor::setParameter (int index, float value)
{
    // Indices past the program record have nowhere to go.
    if (auto* p = parameter (index))
        p->setStoredValue (value);
    else if (juce::isPositiveAndBelow (index, numParameters))
        valueStored (index, value);
}

void CorvaneAudioProcessor::valueStored (int index, float value)
{
    (*programs)[static_cast<size_t> (currentProgram)].values[index] = value;

    if (value > 0.5f && (index == deltaIndex || index == bypassIndex))
        switchOff (index == deltaIndex ? bypassIndex : deltaIndex);
}

void CorvaneAudioProcessor::switchOff (int index)
{
    auto* p = parameterObjects[static_cast<size_t> (index)];
    p->setStoredValue (0.0f);
    tellHost (p);
}

void CorvaneAudioProcessor::tellHost (ProcessorParameter* only)
{
    // A VST 2 host is never told; the others keep their view equal to the plug-in's.
    if (! hostStyle.toldOfChanges)
        return;

    // Off the message thread a VST3 host hears within its own call, through its component
    // handler; from the audio thread every value goes later, in one announcement.
    if (hostStyle.toldOnMessageThread && ! juce::MessageManager::existsAndIsCurrentThread())
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

void CorvaneAudioProcessor::reportToHandler (ProcessorParameter* only)
{
    for (auto* p : parameterObjects)
        if (p != nullptr && (only == nullptr || p == only))
            editReporter.report (p->getParameterID(), p->getValue());
}

void CorvaneAudioProcessor::handleAsyncUpdate()
{
    for (auto* p : parameterObjects)
        if (p != nullptr)
            p->sendValueChangedMessageToListeners (p->getValue());
}

//==============================================================================
int CorvaneAudioProcessor::getNumPrograms()
{
    return numPrograms;
}

int CorvaneAudioProcessor::getCurrentProgram()
{
    return currentProgram;
}

void CorvaneAudioProcessor::setCurrentProgram (int index)
{
    if (index < 0 || index >= numPrograms)
        return;

    selectProgram (index);
    tellHost();
}

void CorvaneAudioProcessor::selectProgram (int index)
{
    currentProgram = index;

    // Read the slot afresh at each step: Delta switches Bypass off inside the slot, and
    // the loop must then apply that 0.
    const auto& slot = (*programs)[static_cast<size_t> (index)];
    for (int j = 0; j < numParameters; ++j)
        setParameter (j, slot.values[j]);

    reapplyAll = true;
}

const juce::String CorvaneAudioProcessor::getProgramName (int index)
{
    if (index < 0 || index >= numPrograms)
        return "Invalid";

    return (*programs)[static_cast<size_t> (index)].name;
}

void CorvaneAudioProcessor::changeProgramName (int index, const juce::String& newName)
{
    if (index >= 0 && index < numPrograms)
        (*programs)[static_cast<size_t> (index)].name = newName;
}

//==============================================================================
void CorvaneAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    PresetChunk::write (currentProgram, *programs, destData);
}

void CorvaneAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    int program = currentProgram;
    PresetChunk::read (data, sizeInBytes, *programs, program);
    selectProgram (program);

    if (! hostStyle.toldOfRestoreByClient)
        tellHost();
}

void CorvaneAudioProcessor::setIComponentHandler (Steinberg::FUnknown* handler)
{
    editReporter.setHandler (handler);
}
