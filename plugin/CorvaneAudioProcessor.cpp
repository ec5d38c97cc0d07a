#include "CorvaneAudioProcessor.h"

#include "FactoryPresets.h"
#include "PresetChunk.h"

#include <cmath>
#include <cstring>

CorvaneAudioProcessor::CorvaneAudioProcessor()
    : juce::AudioProcessor (BusesProperties()
                                .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                                .withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
      hostStyle (HostStyle::forFormat (wrapperType))
{
    addParameters();
    engine = std::make_unique<CompressorEngine>();
    loadFactoryBank();
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
    auto owned = std::make_unique<ProcessorParameter> (index, hostStyle, static_cast<ProcessorParameter::Listener&> (*this));
    parameterObjects[static_cast<size_t> (index)] = owned.get();
    return owned;
}

CorvaneAudioProcessor::~CorvaneAudioProcessor() = default;

void CorvaneAudioProcessor::loadFactoryBank()
{
    const auto document = juce::parseXML (juce::String::fromUTF8 (factoryPresetText));
    jassert (document != nullptr);

    juce::MemoryBlock chunk;
    copyXmlToBinary (*document, chunk);
    setStateInformation (chunk.getData(), static_cast<int> (chunk.getSize()));

    programs.setCurrent (0);
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
        notifier.tell();
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
        publishReadings (engine->process (buffer.getWritePointer (0), buffer.getWritePointer (1), numSamples));

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
        programs.store (index, value);
}

void CorvaneAudioProcessor::valueStored (int index, float value)
{
    if (const int other = programs.store (index, value); other >= 0)
        switchOff (other);
}

void CorvaneAudioProcessor::switchOff (int index)
{
    auto* p = parameterObjects[static_cast<size_t> (index)];
    p->setStoredValue (0.0f);
    notifier.tell (p);
}

void CorvaneAudioProcessor::publishReadings (const CompressorEngine::Readings& readings) noexcept
{
    currentGain = readings.gain;
    peakGainDb = readings.peakDb;
    rmsGainDb = readings.rmsDb;
}

//==============================================================================
int CorvaneAudioProcessor::getNumPrograms()
{
    return numPrograms;
}

int CorvaneAudioProcessor::getCurrentProgram()
{
    return programs.getCurrent();
}

void CorvaneAudioProcessor::setCurrentProgram (int index)
{
    if (index < 0 || index >= numPrograms)
        return;

    selectProgram (index);
    notifier.tell();
}

void CorvaneAudioProcessor::selectProgram (int index)
{
    programs.setCurrent (index);

    // Read the program afresh at each step: Delta switches Bypass off inside it, and the
    // loop must then apply that 0.
    for (int j = 0; j < numParameters; ++j)
        setParameter (j, programs.getValue (index, j));

    reapplyAll = true;
}

const juce::String CorvaneAudioProcessor::getProgramName (int index)
{
    if (index < 0 || index >= numPrograms)
        return "Invalid";

    return programs.getName (index);
}

void CorvaneAudioProcessor::changeProgramName (int index, const juce::String& newName)
{
    if (index >= 0 && index < numPrograms)
        programs.setName (index, newName);
}

//==============================================================================
void CorvaneAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    PresetChunk::write (programs.getCurrent(), programs.getRecords(), destData);
}

void CorvaneAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    int program = programs.getCurrent();
    auto records = programs.getRecords();
    PresetChunk::read (data, sizeInBytes, records, program);
    programs.setRecords (records);
    selectProgram (program);

    if (! hostStyle.toldOfRestoreByClient)
        notifier.tell();
}

void CorvaneAudioProcessor::setIComponentHandler (Steinberg::FUnknown* handler)
{
    notifier.setHandler (handler);
}
