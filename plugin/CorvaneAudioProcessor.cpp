#include "CorvaneAudioProcessor.h"

#include "CorvaneAudioProcessorEditor.h"

#include "Conversions.h"
#include "FactoryPresets.h"

#include <algorithm>
#include <cmath>

namespace
{
// The level controls act up to twice their knob's range; further out a stray host value
// would only overflow the output.
constexpr double levelValueLimit = 2.0;

/** The value the engine gets for a finite parameter value. A Ratio below 0 would turn the
    feedback detector into an expander that feeds its own rise, so it stops at 0. */
double heldForEngine (int index, float value) noexcept
{
    const double d = value;

    switch (index)
    {
        case ratioIndex:
            return std::max (d, 0.0);
        case makeupIndex:
        case dryMixIndex:
        case outGainIndex:
            return std::min (d, levelValueLimit);
        default:
            return d;
    }
}
} // namespace

CorvaneAudioProcessor::CorvaneAudioProcessor()
    : juce::AudioProcessor (BusesProperties()
                                .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                                .withOutput ("Output", juce::AudioChannelSet::stereo(), true))
{
    engine = std::make_unique<CompressorEngine>();
    programs = std::make_unique<ProgramBank>();
    loadFactoryBank();
}

CorvaneAudioProcessor::~CorvaneAudioProcessor()
{
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
    engine->setSampleRate (sampleRate);
    setLatencySamples (CompressorEngine::latencyForRate (sampleRate));
    engine->reset();
    currentGain = 1.0;
}

void CorvaneAudioProcessor::releaseResources()
{
    engine->reset();
}

void CorvaneAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
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
    return new CorvaneAudioProcessorEditor (*this);
}

bool CorvaneAudioProcessor::hasEditor() const
{
    return true;
}

//==============================================================================
int CorvaneAudioProcessor::getNumParameters()
{
    return numParameters;
}

const juce::String CorvaneAudioProcessor::getParameterName (int index)
{
    return isNamedParameter (index) ? juce::String (parameterTable[index].name) : juce::String();
}

float CorvaneAudioProcessor::getParameter (int index)
{
    return isNamedParameter (index) ? parameterValues[index] : 0.0f;
}

const juce::String CorvaneAudioProcessor::getParameterText (int index)
{
    return parameterText (index, getParameter (index));
}

void CorvaneAudioProcessor::setParameter (int index, float value)
{
    // Indices past the program record have nowhere to go.
    if (index < 0 || index >= numParameters)
        return;

    (*programs)[static_cast<size_t> (currentProgram)].values[index] = value;

    if (! isNamedParameter (index))
        return;

    parameterValues[index] = value;
    applyToEngine (index, value);
}

void CorvaneAudioProcessor::applyToEngine (int index, float value)
{
    // A value with no number in it cannot move the engine anywhere sensible: the previous
    // one stays in force, while the slot and the host keep what was sent.
    if (! std::isfinite (value))
        return;

    const double d = heldForEngine (index, value);
    auto& e = *engine;

    switch (index)
    {
        case thresholdIndex:
            e.thresholdDb = d * -60.0;
            e.updateCurve();
            break;
        case peakCrestIndex:
            e.detector.crestDb = d * 12.0;
            break;
        case softKneeIndex:
            e.kneeDb = d * 20.0;
            e.updateCurve();
            break;
        case ratioIndex:
            e.ratioSlope = 1.0 - d;
            e.updateCurve();
            break;
        case attackIndex:
            e.setAttack (d * d * d * 499.99 + 0.01);
            break;
        case releasePeakIndex:
            e.setReleasePeak (d * d * d * 1995.0 + 5.0);
            break;
        case releaseRmsIndex:
            e.detector.setReleaseRms (d * d * d * 1995.0 + 5.0);
            break;
        case makeupIndex:
            if (d < 0.5)
            {
                const auto t = static_cast<float> (1.0 - 2.0 * d);
                const float square = t * t;
                e.makeupGain = dbToGain (square * -60.0);
            }
            else
            {
                e.makeupGain = dbToGain (d * 36.0 - 18.0);
            }
            break;
        case dryMixIndex:
            e.dryGain = d > 0.0 ? dbToGainFloat (static_cast<float> (d * 60.0 - 60.0)) : 0.0;
            break;
        case keyHpFrequencyIndex:
            e.keyHpHz = keyHpFromNormalized (value, 30.0f, 400.0f);
            e.updateKeyFilter();
            break;
        case outGainIndex:
            e.outputGain = dbToGain (d * 24.0 - 12.0);
            break;
        case keyStereoDiffIndex:
            e.stereoDiff = d;
            break;
        case keyHpSlopeIndex:
            e.setKeySlope (value);
            break;
        case deltaIndex:
            e.deltaOn = value > 0.5f;
            if (e.deltaOn)
                setParameter (bypassIndex, 0.0f);
            break;
        case bypassIndex:
            e.bypassOn = value > 0.5f;
            if (e.bypassOn)
                setParameter (deltaIndex, 0.0f);
            break;
        case peakRatioIndex:
            e.peakFollowsRatio = value >= 0.5f;
            e.updateCurve();
            break;
        case qualityIndex:
            e.setQuality (value > 0.5f ? 0 : 1);
            break;
        default:
            break;
    }
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

    currentProgram = index;

    // Read the slot afresh at each step: Delta switches Bypass off inside the slot, and
    // the loop must then apply that 0.
    const auto& slot = (*programs)[static_cast<size_t> (index)];
    for (int j = 0; j < numParameters; ++j)
        setParameter (j, slot.values[j]);
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
    currentProgram = program;
    setCurrentProgram (program);
}

//==============================================================================
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new (std::nothrow) CorvaneAudioProcessor();
}
