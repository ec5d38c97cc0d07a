#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include "CompressorEngine.h"
#include "PresetChunk.h"
#include "RelaxedAtomic.h"

/** The plug-in's processor: parameter storage, the program bank, saved state and the
    audio callbacks around the compressor engine.

    Parameters use the index-based interface. Every parameter change is also written
    into the current program slot, so the slot always holds the live values.
*/
class CorvaneAudioProcessor : public juce::AudioProcessor
{
public:
    static constexpr int numPrograms = PresetChunk::numPrograms;

    CorvaneAudioProcessor();
    ~CorvaneAudioProcessor() override;

    // The index-based parameter interface is deprecated in the framework but is the
    // interface this plug-in is built on; the one place its warnings are silenced.
    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    using juce::AudioProcessor::getParameterName;
    using juce::AudioProcessor::getParameterText;
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE
    using juce::AudioProcessor::processBlock;

    const juce::String getName() const override;

    void prepareToPlay (double sampleRate, int estimatedSamplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;
    double getTailLengthSeconds() const override;

    const juce::String getInputChannelName (int channelIndex) const override;
    const juce::String getOutputChannelName (int channelIndex) const override;
    bool isInputChannelStereoPair (int index) const override;
    bool isOutputChannelStereoPair (int index) const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    int getNumParameters() override;
    const juce::String getParameterName (int index) override;
    float getParameter (int index) override;
    void setParameter (int index, float value) override;
    const juce::String getParameterText (int index) override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    /** The program bank, for inspection (the editor and tests read it). */
    const ProgramSlot& getProgram (int index) const noexcept { return (*programs)[static_cast<size_t> (index)]; }

    RelaxedAtomic<float> parameterValues[numNamedParameters] {};

    // Published by the audio thread after every frame, polled by the editor.
    RelaxedAtomic<double> peakGainDb { -100.0 };
    RelaxedAtomic<double> rmsGainDb { -100.0 };

    std::unique_ptr<CompressorEngine> engine;

private:
    void applyToEngine (int index, float value);
    void loadFactoryBank();

    RelaxedAtomic<int> currentProgram { 0 };
    std::unique_ptr<ProgramBank> programs;

public:
    RelaxedAtomic<double> currentGain { 1.0 };

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CorvaneAudioProcessor)
};
