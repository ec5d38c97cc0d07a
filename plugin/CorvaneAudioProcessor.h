#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include "CompressorEngine.h"
#include "HostNotifier.h"
#include "HostStyle.h"
#include "ProcessorParameter.h"
#include "ProgramBank.h"
#include "RelaxedAtomic.h"

#include <array>

/** The plug-in's processor: the audio callbacks around the compressor engine, the
    parameters and the program bank they keep up to date, and the saved state.

    Host and editor threads only write the parameter objects and the bank; the audio
    callbacks own the engine and bring it up to date with the parameters at the start
    of each block. It has no editor of its own: the formats load a subclass that adds
    one, so whatever needs no window links no editor code. */
class CorvaneAudioProcessor : public juce::AudioProcessor,
                              public juce::VST3ClientExtensions,
                              private ProcessorParameter::Listener
{
public:
    static constexpr int numPrograms = ::numPrograms;

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

    bool acceptsMidi() const override;
    bool producesMidi() const override;

    /** None: the editor is added by VelmoraPlugin, so that the processor links alone. */
    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    /** The stored value of an index, 0.0 for placeholders and unknown indices. The same
        answer as the framework's own index call, which lands here too. */
    float getParameter (int index) override;

    /** Writes a value through the index's parameter object, or only into the current
        program for a placeholder this format does not show. The host is not told. */
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

    /** A copy of one program of the bank. */
    ProgramSlot getProgram (int index) const { return programs.getProgram (index); }

    /** What the meters show, published by the audio thread after every block: the
        linear gain of the block's last frame and the two detector paths' gains in dB.
        Any thread may read them. */
    double getCurrentGain() const noexcept { return currentGain; }
    double getPeakGainDb() const noexcept { return peakGainDb; }
    double getRmsGainDb() const noexcept { return rmsGainDb; }

    /** The audio thread's publication; a test or a picture may also pose the meters. */
    void publishReadings (const CompressorEngine::Readings& readings) noexcept;

    /** The engine as the audio thread last set it up, for inspection between blocks. */
    const CompressorEngine& getEngine() const noexcept { return *engine; }

private:
    /** A parameter object took a value: the current program follows, and switching
        Delta or Bypass on switches the other off. */
    void valueStored (int index, float value) override;

    void addParameters();
    std::unique_ptr<ProcessorParameter> makeParameter (int index);
    void loadFactoryBank();
    void selectProgram (int index);
    void switchOff (int index);

    void applyParameterChanges() noexcept;
    void render (juce::AudioBuffer<float>& buffer) noexcept;

    const HostStyle hostStyle;
    HostNotifier::Parameters parameterObjects {};
    HostNotifier notifier { hostStyle, parameterObjects };
    ProgramBank programs;
    std::unique_ptr<CompressorEngine> engine;

    // Audio thread only: the values the engine was last given, and a request from a
    // program change to give it every value again in index order, as a fresh start does.
    float appliedValues[numNamedParameters] {};
    std::atomic<bool> reapplyAll { true };

    RelaxedAtomic<double> currentGain { 1.0 };
    RelaxedAtomic<double> peakGainDb { -100.0 };
    RelaxedAtomic<double> rmsGainDb { -100.0 };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CorvaneAudioProcessor)
};
