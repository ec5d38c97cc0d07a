#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_audio_processors/juce_audio_processors.h>

#include "EdgeSteepness.h"
#include "WindowPixels.h"

#define JUCE_VST3HEADERS_INCLUDE_HEADERS_ONLY 1
#include <juce_audio_processors/format_types/juce_VST3Headers.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <thread>
#include <vector>

namespace Vst2
{
#include <pluginterfaces/vst2.x/aeffectx.h>
}

namespace
{
    constexpr double sampleRate = 44100.0;
    constexpr int blockSize = 512;
    constexpr int numNamedParameters = 18;

    /** The raw VST 2 effect record behind a hosted instance. */
    struct EffectRecord : juce::ExtensionsVisitor
    {
        Vst2::AEffect* effect = nullptr;

        void visitVSTClient (const VSTClient& client) override
        {
            effect = reinterpret_cast<Vst2::AEffect*> (client.getAEffectPtr());
        }
    };

    juce::MemoryBlock vst2Chunk (juce::AudioPluginInstance& instance)
    {
        EffectRecord record;
        instance.getExtensions (record);
        void* data = nullptr;
        const auto size = record.effect->dispatcher (record.effect, Vst2::effGetChunk, 0, 0, &data, 0.0f);
        return juce::MemoryBlock (data, static_cast<size_t> (size));
    }

    /** The plug-in's own chunk inside the VST3 host's saved state. */
    juce::MemoryBlock vst3ComponentState (juce::AudioPluginInstance& instance)
    {
        juce::MemoryBlock state;
        instance.getStateInformation (state);
        const auto xml = juce::AudioProcessor::getXmlFromBinary (state.getData(), static_cast<int> (state.getSize()));
        juce::MemoryBlock component;
        if (xml != nullptr)
            if (const auto* child = xml->getChildByName ("IComponent"))
                component.fromBase64Encoding (child->getAllSubText());
        return component;
    }

    std::unique_ptr<juce::AudioPluginInstance> load (juce::AudioPluginFormat& format, const juce::String& path)
    {
        juce::OwnedArray<juce::PluginDescription> found;
        format.findAllTypesForFile (found, path);
        if (found.isEmpty())
            return {};

        juce::String error;
        return format.createInstanceFromDescription (*found[0], sampleRate, blockSize, error);
    }

    juce::String vst3BundlePath()
    {
        // The library sits in <bundle>/Contents/<architecture>-linux/.
        return juce::File (VELMORA_VST3_BINARY).getParentDirectory().getParentDirectory().getParentDirectory().getFullPathName();
    }

    juce::AudioBuffer<float> music (int length)
    {
        juce::AudioBuffer<float> audio (2, length);
        juce::Random random (3);
        for (int i = 0; i < length; ++i)
        {
            const double t = i / sampleRate;
            const double burst = std::exp (-std::fmod (t, 0.3) * 15.0);
            const double tone = 0.3 * std::sin (juce::MathConstants<double>::twoPi * 98.0 * t);
            for (int channel = 0; channel < 2; ++channel)
                audio.setSample (channel, i, static_cast<float> (tone + 0.5 * burst * (random.nextFloat() * 2.0f - 1.0f)));
        }
        return audio;
    }

    /** Plays the audio through the instance block by block, as a host does. */
    juce::AudioBuffer<float> play (juce::AudioPluginInstance& instance, const juce::AudioBuffer<float>& input)
    {
        instance.prepareToPlay (sampleRate, blockSize);
        juce::AudioBuffer<float> output (input);
        juce::MidiBuffer midi;
        for (int start = 0; start < output.getNumSamples(); start += blockSize)
        {
            const int numSamples = std::min (blockSize, output.getNumSamples() - start);
            juce::AudioBuffer<float> block (output.getArrayOfWritePointers(), 2, start, numSamples);
            instance.processBlock (block, midi);
        }
        instance.releaseResources();
        return output;
    }

    void set (juce::AudioPluginInstance& instance, int program, const juce::String& parameter, float value)
    {
        instance.setCurrentProgram (program);
        for (auto* p : instance.getParameters())
            if (p->getName (64) == parameter)
                p->setValue (value);
    }

    struct Formats : testing::Test
    {
        juce::ScopedJuceInitialiser_GUI gui;
        juce::VSTPluginFormat vst2Format;
        juce::VST3PluginFormat vst3Format;
        std::unique_ptr<juce::AudioPluginInstance> vst2 = load (vst2Format, VELMORA_VST_PATH);
        std::unique_ptr<juce::AudioPluginInstance> vst3 = load (vst3Format, vst3BundlePath());

        void SetUp() override
        {
            ASSERT_NE (vst2, nullptr) << "could not load " << VELMORA_VST_PATH;
            ASSERT_NE (vst3, nullptr) << "could not load " << vst3BundlePath();
        }

        /** The VST3 parameters in VST 2 order: VST3 lists them in the editor's sections. */
        juce::Array<juce::AudioProcessorParameter*> vst3Parameters() const
        {
            juce::Array<juce::AudioProcessorParameter*> inOrder;
            for (auto* p2 : vst2->getParameters())
                for (auto* p3 : vst3->getParameters())
                    if (p3->getName (64) == p2->getName (64))
                        inOrder.add (p3);
            return inOrder;
        }
    };
}

TEST_F (Formats, Vst3ShowsTheSameIdentityProgramsAndParameters)
{
    const auto a = vst2->getPluginDescription();
    const auto b = vst3->getPluginDescription();
    EXPECT_EQ (b.name, "Velmora");
    EXPECT_EQ (b.name, a.name);
    EXPECT_EQ (b.manufacturerName, "Halvorn");
    EXPECT_EQ (b.version, "1.0.0");
    EXPECT_FALSE (b.isInstrument);
    EXPECT_EQ (vst3->getTotalNumInputChannels(), 2);
    EXPECT_EQ (vst3->getTotalNumOutputChannels(), 2);

    ASSERT_EQ (vst3->getNumPrograms(), vst2->getNumPrograms());
    for (int i = 0; i < vst2->getNumPrograms(); ++i)
        EXPECT_EQ (vst3->getProgramName (i), vst2->getProgramName (i)) << i;

    // The named parameters without the index interface's three nameless placeholders;
    // then the framework's own program selector.
    const auto& parameters2 = vst2->getParameters();
    const auto parameters3 = vst3Parameters();
    ASSERT_EQ (parameters2.size(), 21);
    ASSERT_EQ (vst3->getParameters().size(), numNamedParameters + 1);
    ASSERT_EQ (parameters3.size(), numNamedParameters);
    EXPECT_EQ (vst3->getParameters()[numNamedParameters]->getName (64), "Program");

    for (int i = 0; i < numNamedParameters; ++i)
    {
        SCOPED_TRACE (parameters2[i]->getName (64));
        EXPECT_EQ (parameters3[i]->getName (64), parameters2[i]->getName (64));
        EXPECT_EQ (parameters3[i]->getLabel(), "") << "the texts carry their unit";

        if (parameters3[i]->isDiscrete())
            continue;

        for (const float value : { 0.0f, 0.37f, 1.0f })
        {
            parameters2[i]->setValue (value);
            parameters3[i]->setValue (value);
            EXPECT_EQ (parameters3[i]->getCurrentValueAsText(), parameters2[i]->getCurrentValueAsText()) << value;
        }
    }
}

namespace
{
    struct ListCase
    {
        int index;
        std::vector<const char*> entries;
    };

    // Switches and selectors with their entries, in the order a host lists them.
    const ListCase listCases[] = {
        { 12, { "off", "3 dB/oct", "6 dB/oct", "12 dB/oct" } },
        { 13, { "off", "on" } },
        { 14, { "off", "on" } },
        { 15, { "Compressor", "Limiter" } },
        { 16, { "Precise", "Eco" } },
        { 17, { "6 dB", "12 dB", "24 dB", "48 dB" } },
    };

    // The first factory program, "Full Reset", as a VST3 host's normalized defaults.
    const float vst3Defaults[numNamedParameters] = { 0.0f, 0.5f, 0.16f, 0.5f, 0.275f, 0.4174f, 0.497f, 0.5f, 0.0f,
                                                     0.425f, 0.5f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f };

    /** Lets the plug-in's controller and the host's parameter cache catch up. */
    void settle (juce::AudioPluginInstance& instance)
    {
        juce::AudioBuffer<float> block (2, blockSize);
        juce::MidiBuffer midi;
        instance.prepareToPlay (sampleRate, blockSize);
        for (int i = 0; i < 4; ++i)
        {
            block.clear();
            instance.processBlock (block, midi);
            juce::MessageManager::getInstance()->runDispatchLoopUntil (60);
        }
        instance.releaseResources();
    }

    /** Every named parameter as the VST3 host sees it against the VST 2 library's
        values for the same program. */
    void expectHostViewsAgree (const juce::Array<juce::AudioProcessorParameter*>& vst3, juce::AudioPluginInstance& vst2)
    {
        for (int i = 0; i < numNamedParameters; ++i)
        {
            auto* p3 = vst3[i];
            auto* p2 = vst2.getParameters()[i];
            SCOPED_TRACE (p2->getName (64));

            if (i == 12)
            {
                // Stored slopes such as 0.333 show as numbers in VST 2; the list shows
                // the slope the key filter runs with.
                const auto raw = p2->getValue();
                const int slope = raw < 0.1f ? 0 : raw < 0.2f ? 1 : raw < 0.3f ? 2 : 3;
                EXPECT_EQ (p3->getCurrentValueAsText(), listCases[0].entries[static_cast<size_t> (slope)]);
            }
            else if (p3->isDiscrete())
            {
                EXPECT_EQ (p3->getCurrentValueAsText(), p2->getCurrentValueAsText());
            }
            else
            {
                EXPECT_FLOAT_EQ (p3->getValue(), p2->getValue());
            }
        }
    }
}

TEST_F (Formats, Vst3DefaultsAreTheFullResetValues)
{
    const auto parameters = vst3Parameters();
    for (int i = 0; i < numNamedParameters; ++i)
        EXPECT_FLOAT_EQ (parameters[i]->getDefaultValue(), vst3Defaults[i]) << parameters[i]->getName (64);
}

TEST_F (Formats, Vst3ShowsSwitchesAndSelectorsAsListsOfTheirTexts)
{
    const auto parameters = vst3Parameters();
    for (const auto& c : listCases)
    {
        auto* p = parameters[c.index];
        SCOPED_TRACE (p->getName (64));
        const auto count = static_cast<int> (c.entries.size());
        EXPECT_TRUE (p->isDiscrete());
        EXPECT_EQ (p->getNumSteps(), count);

        for (int k = 0; k < count; ++k)
        {
            const auto position = static_cast<float> (k) / static_cast<float> (count - 1);
            EXPECT_EQ (p->getText (position, 64), c.entries[static_cast<size_t> (k)]);
            EXPECT_FLOAT_EQ (p->getValueForText (c.entries[static_cast<size_t> (k)]), position);
        }
    }

    for (int i = 0; i < numNamedParameters; ++i)
        if (std::none_of (std::begin (listCases), std::end (listCases), [i] (const ListCase& c) { return c.index == i; }))
            EXPECT_FALSE (parameters[i]->isDiscrete()) << parameters[i]->getName (64);
}

TEST_F (Formats, Vst3HostBypassIsThePluginsOwnBypass)
{
    auto* bypass = vst3->getBypassParameter();
    ASSERT_NE (bypass, nullptr);
    EXPECT_EQ (bypass, vst3Parameters()[14]);

    int named = 0;
    for (auto* p : vst3->getParameters())
        named += p->getName (64) == "Bypass" ? 1 : 0;
    EXPECT_EQ (named, 1);

    // Switched by the host, it gives the input back delayed by the latency.
    constexpr int latency = 184;
    bypass->setValue (1.0f);
    const auto input = music (4 * blockSize);
    const auto output = play (*vst3, input);
    for (int channel = 0; channel < 2; ++channel)
        for (int i = latency; i < input.getNumSamples(); ++i)
            ASSERT_EQ (output.getSample (channel, i), input.getSample (channel, i - latency)) << i;
}

TEST_F (Formats, Vst3TakesTypedValues)
{
    const auto parameters = vst3Parameters();
    const struct
    {
        int index;
        const char* text;
        const char* shown;
    } cases[] = {
        { 0, "-24 dB", "-24.0 dB" },
        { 3, "4.0:1", "4.0:1" },
        { 4, "20 ms", "20 ms" },
        { 16, "Eco", "Eco" },
        { 13, "on", "on" },
        { 9, "200 Hz", "200 Hz" },
    };

    for (const auto& c : cases)
    {
        auto* p = parameters[c.index];
        SCOPED_TRACE (c.text);
        EXPECT_EQ (p->getText (p->getValueForText (c.text), 64), c.shown);
    }

    // A text that names no value leaves the parameter where it is.
    auto* threshold = parameters[0];
    threshold->setValue (0.25f);
    settle (*vst3);
    EXPECT_FLOAT_EQ (threshold->getValueForText ("loud"), threshold->getValue());
}

TEST_F (Formats, Vst3HostLearnsEveryValueOfAProgramChangeAndARestore)
{
    for (const int program : { 7, 3, 11 })
    {
        SCOPED_TRACE (program);
        vst3->setCurrentProgram (program);
        vst2->setCurrentProgram (program);
        settle (*vst3);
        expectHostViewsAgree (vst3Parameters(), *vst2);
    }

    // A state saved with other values, restored: the host's view follows again.
    vst3->setCurrentProgram (9);
    settle (*vst3);
    juce::MemoryBlock saved;
    vst3->getStateInformation (saved);

    vst3->setCurrentProgram (2);
    vst3Parameters()[0]->setValue (0.9f);
    settle (*vst3);

    vst3->setStateInformation (saved.getData(), static_cast<int> (saved.getSize()));
    settle (*vst3);
    vst2->setCurrentProgram (9);
    expectHostViewsAgree (vst3Parameters(), *vst2);
}

namespace
{
    /** Counts a host parameter's notifications on the thread that made it and elsewhere. */
    struct NotificationCounter : juce::AudioProcessorParameter::Listener
    {
        void parameterValueChanged (int, float) override { ++(juce::Thread::getCurrentThreadId() == thread ? here : elsewhere); }
        void parameterGestureChanged (int, bool) override {}

        const juce::Thread::ThreadID thread = juce::Thread::getCurrentThreadId();
        std::atomic<int> here { 0 }, elsewhere { 0 };
    };
}

TEST_F (Formats, Vst3HostHearsOfTheValuesItsCallChangedWithinTheCallOnItsThread)
{
    vst3->setCurrentProgram (9);
    vst3Parameters()[14]->setValue (1.0f);
    juce::MemoryBlock saved;
    vst3->getStateInformation (saved);
    vst3->setCurrentProgram (2);

    const struct
    {
        const char* call;
        int watched;
        float expected;
        std::function<void()> run;
    } cases[] = {
        { "program 11", 0, 0.56f, [&] { vst3->setCurrentProgram (11); } },
        { "Delta on", 14, 0.0f, [&] { vst3Parameters()[14]->setValue (1.0f); vst3Parameters()[13]->setValue (1.0f); } },
        { "restore", 0, 0.417f, [&] { vst3->setStateInformation (saved.getData(), static_cast<int> (saved.getSize())); } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.call);
        NotificationCounter counter;
        auto* watched = vst3Parameters()[c.watched];
        watched->addListener (&counter);
        c.run();
        EXPECT_GT (counter.here.load(), 0);
        EXPECT_FLOAT_EQ (watched->getValue(), c.expected);
        juce::MessageManager::getInstance()->runDispatchLoopUntil (200);
        EXPECT_EQ (counter.elsewhere.load(), 0);
        watched->removeListener (&counter);
    }
}

TEST_F (Formats, Vst3HostIsNeverCalledBackFromTheAudioThread)
{
    // Automation switching Delta on turns Bypass off in the audio call, here on a thread
    // other than the previous block's, as a host with a pool of audio threads may do.
    vst3Parameters()[14]->setValue (1.0f);
    vst3->prepareToPlay (sampleRate, blockSize);
    auto block = music (blockSize);
    juce::MidiBuffer midi;
    vst3->processBlock (block, midi);

    int fromAudioThread = -1;
    std::thread audio ([&]
    {
        NotificationCounter counter;
        vst3Parameters()[14]->addListener (&counter);
        vst3Parameters()[13]->setValue (1.0f);
        vst3->processBlock (block, midi);
        vst3Parameters()[14]->removeListener (&counter);
        fromAudioThread = counter.here.load();
    });
    audio.join();
    vst3->releaseResources();

    EXPECT_EQ (fromAudioThread, 0);
    EXPECT_EQ (vst3Parameters()[13]->getValue(), 1.0f);
}

TEST_F (Formats, Vst3ShowsTheParametersInTheEditorsSections)
{
    const std::pair<const char*, juce::StringArray> sections[] {
        { "Key", { "Key HP Slope", "Key HP Frequency", "Key Stereo Diff" } },
        { "Compressor", { "Threshold", "Peak Crest", "Soft Knee", "Peak Ratio", "Ratio", "Attack", "Quality" } },
        { "Release", { "Release Peak", "Release RMS" } },
        { "Output", { "Makeup", "Dry Mix", "Out Gain", "Delta", "Bypass", "Meter Scale" } },
    };
    const auto groups = vst3->getParameterTree().getSubgroups (false);
    ASSERT_EQ (groups.size(), 4);

    for (size_t g = 0; g < std::size (sections); ++g)
    {
        juce::StringArray names;
        for (auto* p : groups[static_cast<int> (g)]->getParameters (false))
            names.add (p->getName (64));
        EXPECT_EQ (groups[static_cast<int> (g)]->getName(), sections[g].first);
        EXPECT_EQ (names, sections[g].second);
    }
}

TEST_F (Formats, Vst3ControllerDeclaresSelectorsAsLists)
{
    // A controller of its own, from the bundle's factory and joined to the component,
    // reads the declarations as a host does.
    using namespace Steinberg;
    using Info = Vst::ParameterInfo;
    struct : juce::ExtensionsVisitor
    {
        void visitVST3Client (const VST3Client& client) override { component = client.getIComponentPtr(); }
        Vst::IComponent* component = nullptr;
    } client;
    const auto instance = load (vst3Format, vst3BundlePath());
    instance->getExtensions (client);
    TUID controllerClass {};
    client.component->getControllerClassId (controllerClass);
    auto* library = dlopen (VELMORA_VST3_BINARY, RTLD_NOW | RTLD_NOLOAD);
    auto* factory = reinterpret_cast<IPluginFactory* (*)()> (dlsym (library, "GetPluginFactory"))();
    Vst::IEditController* controller = nullptr;
    factory->createInstance (controllerClass, Vst::IEditController::iid, reinterpret_cast<void**> (&controller));
    controller->initialize (nullptr);
    FUnknownPtr<Vst::IConnectionPoint> ours (controller), theirs (client.component);
    ours->connect (theirs);

    // In the order of the sections: Key HP Slope, Threshold, Peak Ratio, Quality, Delta,
    // Bypass, Meter Scale and the framework's program selector.
    const struct
    {
        int position, steps, flags;
    } cases[] = { { 0, 3, Info::kIsList }, { 3, 0, 0 }, { 6, 1, Info::kIsList }, { 9, 1, Info::kIsList },
                  { 15, 1, 0 }, { 16, 1, Info::kIsBypass }, { 17, 3, Info::kIsList }, { 18, 14, Info::kIsProgramChange } };

    for (const auto& c : cases)
    {
        Info info {};
        controller->getParameterInfo (c.position, info);
        EXPECT_EQ (info.stepCount, c.steps) << c.position;
        EXPECT_EQ (info.flags & ~Info::kCanAutomate, c.flags) << c.position;
    }

    ours->disconnect (theirs);
    controller->terminate();
    controller->release();
    factory->release();
    dlclose (library);
}

TEST_F (Formats, Vst3RendersBitForBitLikeVst2)
{
    set (*vst2, 4, "Threshold", 0.3f);
    set (*vst3, 4, "Threshold", 0.3f);
    const auto input = music (static_cast<int> (sampleRate));

    const auto out2 = play (*vst2, input);
    const auto out3 = play (*vst3, input);

    int differences = 0;
    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < input.getNumSamples(); ++i)
            differences += out2.getSample (channel, i) != out3.getSample (channel, i) ? 1 : 0;
    EXPECT_EQ (differences, 0);
    EXPECT_GT (out2.getMagnitude (0, input.getNumSamples()), 0.01f);
}

TEST_F (Formats, Vst3SavesTheSameChunkAsVst2)
{
    set (*vst2, 2, "Ratio", 0.8f);
    set (*vst3, 2, "Ratio", 0.8f);

    const auto chunk = vst2Chunk (*vst2);
    const auto component = vst3ComponentState (*vst3);
    ASSERT_GT (chunk.getSize(), 100u);
    ASSERT_GE (component.getSize(), chunk.getSize());

    // The VST3 wrapper may append its own data after the plug-in's chunk.
    EXPECT_EQ (juce::MemoryBlock (component.getData(), chunk.getSize()), chunk);
}

namespace
{
    juce::File writeFloatWav (const juce::File& file, const juce::AudioBuffer<float>& audio)
    {
        std::unique_ptr<juce::OutputStream> stream = file.createOutputStream();
        std::unique_ptr<juce::AudioFormatWriter> writer (juce::WavAudioFormat().createWriterFor (stream.get(), sampleRate, 2, 32, {}, 0));
        if (writer != nullptr)
        {
            stream.release();
            writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples());
        }
        return file;
    }

    juce::AudioBuffer<float> readWav (const juce::File& file)
    {
        auto stream = file.createInputStream();
        std::unique_ptr<juce::AudioFormatReader> reader (juce::WavAudioFormat().createReaderFor (stream.release(), true));
        if (reader == nullptr)
            return {};

        juce::AudioBuffer<float> audio (static_cast<int> (reader->numChannels), static_cast<int> (reader->lengthInSamples));
        reader->read (&audio, 0, audio.getNumSamples(), 0, true, true);
        return audio;
    }

    /** Applies the LV2 bundle to a file with Debian's lv2file, optionally with a
        program loaded as an LV2 preset; returns lv2file's output text. */
    juce::String runLv2File (const juce::File& in, const juce::File& out, const juce::String& preset)
    {
        const auto bundleFolder = juce::File (VELMORA_LV2_BINARY).getParentDirectory().getParentDirectory();
        setenv ("LV2_PATH", bundleFolder.getFullPathName().toRawUTF8(), 1);

        juce::StringArray command { "lv2file", "-i", in.getFullPathName(), "-o", out.getFullPathName(), "-b", juce::String (blockSize), "--ignore-clipping" };
        if (preset.isNotEmpty())
            command.addArray ({ "-P", preset });
        command.add (VELMORA_LV2_URI);

        juce::ChildProcess process;
        if (! process.start (command, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
            return "lv2file did not start";
        const auto text = process.readAllProcessOutput();
        process.waitForProcessToFinish (60000);
        return text + " (exit code " + juce::String (process.getExitCode()) + ")";
    }

    int countDifferences (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
    {
        int differences = 0;
        for (int channel = 0; channel < 2; ++channel)
            for (int i = 0; i < a.getNumSamples(); ++i)
                differences += a.getSample (channel, i) != b.getSample (channel, i) ? 1 : 0;
        return differences;
    }
}

namespace
{
    /** The statements about one parameter in the bundle's description. */
    juce::String lv2Parameter (const juce::String& description, const juce::String& key)
    {
        return description.fromFirstOccurrenceOf ("plug:" + key + "\n", false, false).upToFirstOccurrenceOf (" .\n", false, false);
    }

    double lv2Number (const juce::String& statements, const char* property)
    {
        return statements.fromFirstOccurrenceOf (juce::String (property) + " ", false, false).getDoubleValue();
    }

    struct Lv2Case
    {
        const char* key;
        double defaultValue, minimum, maximum;
        const char* unit;   // nullptr for lists and switches
    };

    // Defaults are the "Full Reset" values, in the unit the parameter shows; lists count
    // their entries.
    const Lv2Case lv2Cases[] = {
        { "threshold", 0.0, -60.0, 0.0, "db" },
        { "peakcrest", 6.0, 0.0, 12.0, "db" },
        { "softknee", 3.2, 0.0, 20.0, "db" },
        { "ratio", 2.0, 1.0, 7.0, "" },
        { "attack", 10.40823, 0.01, 500.0, "ms" },
        { "releasepeak", 150.0776, 5.0, 2000.0, "ms" },
        { "releaserms", 249.9131, 5.0, 2000.0, "ms" },
        { "makeup", 0.0, -60.0, 18.0, "db" },
        { "drymix", -60.0, -60.0, 0.0, "db" },
        { "keyhpfrequency", 90.2031, 30.0, 400.0, "hz" },
        { "outgain", 0.0, -12.0, 12.0, "db" },
        { "keystereodiff", 100.0, 0.0, 100.0, "pc" },
        { "keyhpslope", 0.0, 0.0, 3.0, nullptr },
        { "delta", 0.0, 0.0, 1.0, nullptr },
        { "bypass", 0.0, 0.0, 1.0, nullptr },
        { "peakratio", 1.0, 0.0, 1.0, nullptr },
        { "quality", 0.0, 0.0, 1.0, nullptr },
        { "meterscale", 0.0, 0.0, 3.0, nullptr },
    };
}

TEST (Lv2, DescriptionNamesEachParameterByItsKeyWithItsDefaultRangeAndKind)
{
    const auto description = juce::File (VELMORA_LV2_BINARY).getSiblingFile ("dsp.ttl").loadFileAsString();
    ASSERT_TRUE (description.isNotEmpty());
    EXPECT_FALSE (description.contains ("plug:parameter"));
    EXPECT_FALSE (description.contains ("rdfs:label \"\"")) << "no nameless parameter";

    for (const auto& c : lv2Cases)
    {
        SCOPED_TRACE (c.key);
        const auto statements = lv2Parameter (description, c.key);
        ASSERT_TRUE (statements.contains ("a lv2:Parameter"));
        EXPECT_NEAR (lv2Number (statements, "lv2:default"), c.defaultValue, 1e-3);
        EXPECT_NEAR (lv2Number (statements, "lv2:minimum"), c.minimum, 1e-4);
        EXPECT_NEAR (lv2Number (statements, "lv2:maximum"), c.maximum, 1e-4);

        const bool listed = c.unit == nullptr;
        const bool toggled = juce::String (c.key) == "delta" || juce::String (c.key) == "bypass";
        EXPECT_TRUE (statements.contains (listed ? (toggled ? "rdfs:range atom:Bool" : "rdfs:range atom:Int") : "rdfs:range atom:Float"));
        EXPECT_FALSE (statements.contains ("lv2:portProperty")) << "a property of ports only";
        if (! listed && *c.unit != 0)
            EXPECT_TRUE (statements.contains (juce::String ("units:unit units:") + c.unit));
    }

    const auto slope = lv2Parameter (description, "keyhpslope");
    int number = 0;
    for (const auto* entry : { "off", "3 dB/oct", "6 dB/oct", "12 dB/oct" })
        EXPECT_TRUE (slope.contains (juce::String ("rdfs:label \"") + entry + "\" ;\n\t\trdf:value " + juce::String (number++) + " ;")) << entry;
}

TEST (Lv2, NamesItsMaintainerItsPurposeAndAReleaseVersion)
{
    const auto bundle = juce::File (VELMORA_LV2_BINARY).getParentDirectory();
    setenv ("LV2_PATH", bundle.getParentDirectory().getFullPathName().toRawUTF8(), 1);
    juce::ChildProcess lv2info;
    ASSERT_TRUE (lv2info.start (juce::StringArray { "lv2info", VELMORA_LV2_URI }));
    const auto shown = lv2info.readAllProcessOutput() + bundle.getChildFile ("dsp.ttl").loadFileAsString();

    // A release's minor version is even and not 0: 1.0.0 is 1 * 65536 + 0 * 256 + 0 * 2.
    for (const auto* text : { "Author Email:      mailto:support@halvorn.com\n", "Author Homepage:   https://www.halvorn.com\n",
                              "\tlv2:minorVersion 65536 ;\n\tlv2:microVersion 0 ;\n", "\tdoap:description \"A stereo feedback compressor" })
        EXPECT_TRUE (shown.contains (text)) << text;
}

TEST_F (Formats, Lv2FileRendersLikeVst2WithTheSameProgram)
{
    const juce::TemporaryFile in (".wav"), out (".wav");
    const auto input = music (static_cast<int> (sampleRate));
    writeFloatWav (in.getFile(), input);

    for (const int program : { 0, 11 })
    {
        const auto name = vst2->getProgramName (program);
        SCOPED_TRACE (name);
        const auto log = runLv2File (in.getFile(), out.getFile(), program == 0 ? juce::String() : name);
        const auto rendered = readWav (out.getFile());
        ASSERT_EQ (rendered.getNumSamples(), input.getNumSamples()) << log;
        ASSERT_EQ (rendered.getNumChannels(), 2) << log;

        vst2->setCurrentProgram (program);
        const auto expected = play (*vst2, input);
        EXPECT_EQ (countDifferences (rendered, expected), 0);
        EXPECT_GT (rendered.getMagnitude (0, rendered.getNumSamples()), 0.01f);
    }
}

namespace
{
    /** The number a text shows, in ms for "s" texts, and half its last digit. */
    std::pair<double, double> shownNumber (const juce::String& text)
    {
        if (text == "Off")
            return { -60.0, 1e-6 };

        const auto number = text.upToFirstOccurrenceOf (" ", false, false).upToFirstOccurrenceOf (":", false, false);
        const int decimals = number.containsChar ('.') ? number.fromFirstOccurrenceOf (".", false, false).length() : 0;
        const double scale = text.endsWith (" s") ? 1000.0 : 1.0;
        return { number.getDoubleValue() * scale, 0.5 * std::pow (10.0, -decimals) * scale + 1e-4 };
    }

    /** The LV2 bundle in JUCE's LV2 host. */
    struct Lv2Host : testing::Test
    {
        juce::ScopedJuceInitialiser_GUI gui;
        juce::LV2PluginFormat lv2Format;
        juce::VSTPluginFormat vst2Format;
        std::unique_ptr<juce::AudioPluginInstance> lv2 = loadLv2();
        std::unique_ptr<juce::AudioPluginInstance> vst2 = load (vst2Format, VELMORA_VST_PATH);

        std::unique_ptr<juce::AudioPluginInstance> loadLv2()
        {
            const auto bundles = juce::File (VELMORA_LV2_BINARY).getParentDirectory().getParentDirectory();
            lv2Format.searchPathsForPlugins (juce::FileSearchPath (bundles.getFullPathName()), true, false);
            juce::OwnedArray<juce::PluginDescription> found;
            lv2Format.findAllTypesForFile (found, VELMORA_LV2_URI);
            juce::String error;
            return found.isEmpty() ? nullptr : lv2Format.createInstanceFromDescription (*found[0], sampleRate, blockSize, error);
        }

        void SetUp() override
        {
            ASSERT_NE (lv2, nullptr);
            ASSERT_NE (vst2, nullptr);
            lv2->prepareToPlay (sampleRate, blockSize);
        }

        void TearDown() override
        {
            if (lv2 != nullptr)
                lv2->releaseResources();
        }

        /** Selects a factory program in both, by name: the host lists presets in an
            order of its own. */
        void select (int program)
        {
            vst2->setCurrentProgram (program);
            for (int i = 0; i < lv2->getNumPrograms(); ++i)
                if (lv2->getProgramName (i) == vst2->getProgramName (program))
                    lv2->setCurrentProgram (i);
        }

        /** The plug-in's own parameters in VST 2 order (the host sorts them its own
            way), without the bypass the host makes of the enabled port. */
        juce::Array<juce::AudioProcessorParameter*> ours() const
        {
            juce::Array<juce::AudioProcessorParameter*> inOrder;
            for (int i = 0; i < numNamedParameters; ++i)
                for (auto* p : lv2->getParameters())
                    if (p != lv2->getBypassParameter() && p->getName (64) == vst2->getParameters()[i]->getName (64))
                        inOrder.add (p);
            return inOrder;
        }

        void run()
        {
            juce::AudioBuffer<float> block (2, blockSize);
            juce::MidiBuffer midi;
            for (int i = 0; i < 3; ++i)
            {
                block.clear();
                lv2->processBlock (block, midi);
                juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
            }
        }

        /** What the LV2 host shows for every named parameter against the VST 2 library's
            texts for the same values. */
        void expectHostViewMatchesVst2()
        {
            const auto shown = ours();
            ASSERT_EQ (shown.size(), numNamedParameters);
            for (int i = 0; i < numNamedParameters; ++i)
            {
                auto* p = shown[i];
                const auto expected = vst2->getParameters()[i]->getCurrentValueAsText();
                const auto text = p->getText (p->getValue(), 64);
                SCOPED_TRACE (p->getName (64) + ": " + text + " against " + expected);

                if (p->isDiscrete())
                {
                    // Lists and switches travel as entry numbers and truth values.
                    const auto& entries = std::find_if (std::begin (listCases), std::end (listCases), [i] (const ListCase& c) { return c.index == i; })->entries;
                    const auto shown = juce::String (entries[static_cast<size_t> (juce::roundToInt (p->getValue() * static_cast<float> (entries.size() - 1)))]);
                    const auto raw = vst2->getParameters()[i]->getValue();
                    const auto slope = static_cast<size_t> (raw < 0.1f ? 0 : raw < 0.2f ? 1 : raw < 0.3f ? 2 : 3);
                    EXPECT_EQ (shown, i == 12 ? juce::String (entries[slope]) : expected);
                }
                else
                {
                    const auto [number, tolerance] = shownNumber (expected);
                    EXPECT_NEAR (text.getDoubleValue(), number, tolerance);
                }
            }
        }
    };
}

TEST_F (Lv2Host, SeesSwitchesListsAndTheValuesAtStart)
{
    ASSERT_NE (lv2->getBypassParameter(), nullptr);
    EXPECT_EQ (lv2->getParameters().size(), numNamedParameters + 1);
    const auto parameters = ours();
    ASSERT_EQ (parameters.size(), numNamedParameters);

    for (const auto& c : listCases)
    {
        auto* p = parameters[c.index];
        SCOPED_TRACE (p->getName (64));
        EXPECT_TRUE (p->isDiscrete());
        EXPECT_EQ (p->isBoolean(), c.index == 13 || c.index == 14);
        if (! p->isBoolean())
            EXPECT_EQ (p->getNumSteps(), static_cast<int> (c.entries.size()));
    }

    run();
    vst2->setCurrentProgram (0);
    expectHostViewMatchesVst2();
}

TEST_F (Lv2Host, HostBypassGivesTheInputBackDelayedLikeTheAudio)
{
    select (9);
    lv2->getBypassParameter()->setValue (1.0f);
    run();

    const auto input = music (6 * blockSize);
    auto output = input;
    juce::MidiBuffer midi;
    for (int start = 0; start < output.getNumSamples(); start += blockSize)
    {
        juce::AudioBuffer<float> block (output.getArrayOfWritePointers(), 2, start, blockSize);
        lv2->processBlock (block, midi);
    }

    constexpr int latency = 184;
    for (int channel = 0; channel < 2; ++channel)
        for (int i = latency; i < input.getNumSamples(); ++i)
            ASSERT_EQ (output.getSample (channel, i), input.getSample (channel, i - latency)) << i;
    EXPECT_EQ (ours()[14]->getValue(), 0.0f) << "the plug-in's own Bypass stays off";
}

TEST_F (Lv2Host, SwitchesAndListsSetByTheHostRenderLikeVst2)
{
    // The host sends truth values and entry numbers; VST 2 gets the values the editor writes.
    const struct
    {
        int index;
        float hostValue, vst2Value;
    } cases[] = { { 13, 1.0f, 1.0f }, { 12, 1.0f / 3.0f, 0.1f }, { 16, 1.0f, 1.0f } };
    const auto input = music (8 * blockSize);

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.index);
        select (9);
        vst2->getParameters()[c.index]->setValue (c.vst2Value);
        ours()[c.index]->setValue (c.hostValue);
        run();
        lv2->releaseResources();
        lv2->prepareToPlay (sampleRate, blockSize);

        auto output = input;
        juce::MidiBuffer midi;
        for (int start = 0; start < output.getNumSamples(); start += blockSize)
        {
            juce::AudioBuffer<float> block (output.getArrayOfWritePointers(), 2, start, blockSize);
            lv2->processBlock (block, midi);
        }
        EXPECT_EQ (countDifferences (output, play (*vst2, input)), 0);
    }
}

TEST_F (Lv2Host, LearnsEveryValueOfAPresetAndARestoredState)
{
    ASSERT_EQ (lv2->getNumPrograms(), vst2->getNumPrograms());
    for (const int program : { 7, 11, 3 })
    {
        SCOPED_TRACE (program);
        select (program);
        run();
        expectHostViewMatchesVst2();
    }

    select (9);
    run();
    juce::MemoryBlock saved;
    lv2->getStateInformation (saved);
    select (2);
    run();

    lv2->setStateInformation (saved.getData(), static_cast<int> (saved.getSize()));
    run();
    vst2->setCurrentProgram (9);
    expectHostViewMatchesVst2();
}

namespace
{
    /** A VST3 instance with its editor open in a window on the virtual screen. */
    struct Vst3Window
    {
        Vst3Window()
        {
            if (instance == nullptr)
                return;

            window.reset (instance->createEditor());
            if (window == nullptr)
                return;

            window->addToDesktop (0);
            window->setVisible (true);
        }

        /** Sets the host's scale and waits until the window has the size the plug-in
            asks for, and a little longer for the plug-in to paint. */
        void scale (float factor, int expectedWidth)
        {
            window->setScaleFactor (factor);
            for (int wait = 0; wait < 50 && std::abs (window->getWidth() - expectedWidth) > 1; ++wait)
                juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
        }

        juce::Image shown()
        {
            juce::MessageManager::getInstance()->runDispatchLoopUntil (300);
            return windowPixels (*window);
        }

        juce::ScopedJuceInitialiser_GUI gui;
        juce::VST3PluginFormat format;
        std::unique_ptr<juce::AudioPluginInstance> instance = load (format, vst3BundlePath());
        std::unique_ptr<juce::AudioProcessorEditor> window;
    };
}

TEST (Vst3ContentScale, TheEditorFollowsTheHostsScaleAndTakesNonsenseAsOne)
{
    Vst3Window host;
    ASSERT_NE (host.window, nullptr);

    // The host's window takes the size the plug-in's view asks for, in the host's pixels.
    const struct
    {
        float scale;
        int width, height;
    } cases[] { { 1.0f, 717, 257 }, { 2.0f, 1434, 514 }, { 0.0f, 717, 257 }, { 1.5f, 1076, 386 },
                { std::numeric_limits<float>::quiet_NaN(), 717, 257 }, { -1.0f, 717, 257 }, { 5.0f, 717, 257 } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.scale);
        host.scale (c.scale, c.width);
        EXPECT_NEAR (host.window->getWidth(), c.width, 1);
        EXPECT_NEAR (host.window->getHeight(), c.height, 1);
    }
}

TEST (Vst3ContentScale, AtTwoTheScreenShowsSharperEdgesThanThe1xEditorStretched)
{
    Vst3Window host;
    ASSERT_NE (host.window, nullptr);

    host.scale (1.0f, 717);
    const auto normal = host.shown();
    host.scale (2.0f, 1434);
    const auto sharp = host.shown();
    ASSERT_EQ (sharp.getBounds(), juce::Rectangle<int> (1434, 514));
    const auto stretched = normal.rescaled (1434, 514, juce::Graphics::mediumResamplingQuality);

    // The THRESHOLD caption of the panel and the threshold knob, in screen pixels at 2x.
    for (const auto area : { juce::Rectangle<int> (178, 30, 160, 22), juce::Rectangle<int> (188, 56, 140, 140) })
    {
        SCOPED_TRACE (area.toString());
        const auto sharpEdges = edges::steepness (sharp, area);
        const auto ratio = sharpEdges / edges::steepness (stretched, area);
        std::printf ("edge steepness on screen at 2x over the stretched 1x editor: %.2f\n", ratio);
        EXPECT_GT (sharpEdges, 40.0);   // the editor is on the screen, not an empty window
        EXPECT_GT (ratio, 1.4);
    }
}

namespace
{
struct PaintCounter : juce::Component
{
    void paint (juce::Graphics& g) override
    {
        g.fillAll (juce::Colours::black);
        ++paints;
    }

    int paints = 0;
};
} // namespace

TEST (Window, IdleForSecondsStillPaintsARepaintAtOnce)
{
    // Idle, a window's repaint timer sleeps; the next request has to wake it. The
    // plug-in's windows run the same window code as this host's.
    juce::ScopedJuceInitialiser_GUI gui;
    PaintCounter window;
    window.setBounds (0, 0, 40, 30);
    window.addToDesktop (0);
    window.setVisible (true);
    juce::MessageManager::getInstance()->runDispatchLoopUntil (4000);
    const int before = window.paints;

    window.repaint();
    juce::MessageManager::getInstance()->runDispatchLoopUntil (200);
    EXPECT_GT (window.paints, before);
}
