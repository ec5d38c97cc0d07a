#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include "CompressorEngine.h"
#include "PresetChunk.h"
#include "ProcessorParameter.h"
#include "RelaxedAtomic.h"
#include "Vst3EditReporter.h"

#include <array>

/** The plug-in's processor: parameter storage, the program bank, saved state and the
    audio callbacks around the compressor engine.

    Every parameter change is also written into the current program slot, so the slot
    always holds the live values. Host and editor threads only write the parameter
    objects and the bank; the audio callbacks own the engine and bring it up to date
    with the parameters at the start of each block.
*/
class CorvaneAudioProcessor : public juce::AudioProcessor,
                              public juce::VST3ClientExtensions,
                              private juce::AsyncUpdater
{
public:
    static constexpr int numPrograms = PresetChunk::numPrograms;

    CorvaneAudioProcessor();
    ~CorvaneAudioProcessor() override;

    using juce::AudioProcessor::processBlock;
    using juce::AudioProcessor::processBlockBypassed;

    const juce::String getName() const override;

    void prepareToPlay (double sampleRate, int estimatedSamplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    /** The host's own bypass: the dry signal, delayed like the processed one. */
    void processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    juce::AudioProcessorParameter* getBypassParameter() const override;
    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;
    double getTailLengthSeconds() const override;

    const juce::String getInputChannelName (int channelIndex) const override;
    const juce::String getOutputChannelName (int channelIndex) const override;
    bool isInputChannelStereoPair (int index) const override;
    bool isOutputChannelStereoPair (int index) const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;

    /** None: the editor is added by VelmoraPlugin, so that the processor links alone. */
    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    /** The stored value of an index, 0.0 for placeholders and unknown indices. The same
        answer as the framework's own index call, which lands here too. */
    float getParameter (int index) override;

    /** Writes a value through the index's parameter object, or only into the current
        program slot for a placeholder this format does not show. The host is not told. */
    void setParameter (int index, float value) override;

    /** The parameter object of an index, or null for a placeholder this format does
        not show. */
    ProcessorParameter* parameter (int index) const noexcept;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    void setIComponentHandler (Steinberg::FUnknown* handler) override;

    /** The program bank, for inspection (the editor and tests read it). */
    const ProgramSlot& getProgram (int index) const noexcept { return (*programs)[static_cast<size_t> (index)]; }

    // Published by the audio thread after every frame, polled by the editor.
    RelaxedAtomic<double> peakGainDb { -100.0 };
    RelaxedAtomic<double> rmsGainDb { -100.0 };

    std::unique_ptr<CompressorEngine> engine;

private:
    friend class ProcessorParameter;

    /** After a parameter object took a value: the current program slot follows, and
        switching Delta or Bypass on switches the other off. */
    void valueStored (int index, float value);

    static HostStyle hostStyleFor (WrapperType type) noexcept;
    void addParameters();
    std::unique_ptr<ProcessorParameter> makeParameter (int index);
    void loadFactoryBank();
    void selectProgram (int index);
    void switchOff (int index);

    /** Tells a host that keeps its own copy of the values about one of them, or all. */
    void tellHost (ProcessorParameter* only = nullptr);
    void reportToHandler (ProcessorParameter* only);
    void handleAsyncUpdate() override;
    void applyParameterChanges() noexcept;
    void render (juce::AudioBuffer<float>& buffer) noexcept;

    const HostStyle hostStyle;
    std::array<ProcessorParameter*, numParameters> parameterObjects {};
    Vst3EditReporter editReporter;

    // Audio thread only: the values the engine was last given, and a request from a
    // program change to give it every value again in index order, as a fresh start does.
    float appliedValues[numNamedParameters] {};
    std::atomic<bool> reapplyAll { true };

    RelaxedAtomic<int> currentProgram { 0 };
    std::unique_ptr<ProgramBank> programs;

public:
    RelaxedAtomic<double> currentGain { 1.0 };

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CorvaneAudioProcessor)
};
