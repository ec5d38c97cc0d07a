#include <juce_audio_processors/juce_audio_processors.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

namespace Vst2
{
#include <pluginterfaces/vst2.x/aeffectx.h>
}

namespace
{
    /** The built library, or another copy of it named by VELMORA_VST_LIBRARY (the
        package check runs these tests on the library unpacked from the package). */
    juce::String vstLibrary()
    {
        const auto* other = std::getenv ("VELMORA_VST_LIBRARY");
        return other != nullptr ? juce::String (other) : juce::String (VELMORA_VST_PATH);
    }

    /** The raw VST 2 effect record behind a hosted instance. */
    struct EffectRecord : juce::ExtensionsVisitor
    {
        Vst2::AEffect* effect = nullptr;

        void visitVSTClient (const VSTClient& client) override
        {
            // The framework declares the record in its own namespace; the layout is the same.
            effect = reinterpret_cast<Vst2::AEffect*> (client.getAEffectPtr());
        }
    };

    struct HostedPlugin
    {
        juce::ScopedJuceInitialiser_GUI gui;
        juce::VSTPluginFormat format;
        std::unique_ptr<juce::AudioPluginInstance> instance;
        juce::PluginDescription description;

        HostedPlugin()
        {
            juce::OwnedArray<juce::PluginDescription> found;
            format.findAllTypesForFile (found, vstLibrary());
            if (found.isEmpty())
                return;

            description = *found[0];
            juce::String error;
            instance = format.createInstanceFromDescription (description, 44100.0, 512, error);
        }

        Vst2::AEffect& effect()
        {
            EffectRecord record;
            instance->getExtensions (record);
            return *record.effect;
        }

        Vst2::VstIntPtr dispatch (int opcode, int index = 0, Vst2::VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f)
        {
            return effect().dispatcher (&effect(), opcode, index, value, ptr, opt);
        }

        juce::String text (int opcode, int index = 0)
        {
            char buffer[256] = {};
            dispatch (opcode, index, 0, buffer);
            return juce::String::fromUTF8 (buffer);
        }

        Vst2::VstIntPtr canDo (const char* query) { return dispatch (Vst2::effCanDo, 0, 0, const_cast<char*> (query)); }

        juce::MemoryBlock chunk()
        {
            void* data = nullptr;
            const auto size = dispatch (Vst2::effGetChunk, 0, 0, &data);
            return juce::MemoryBlock (data, static_cast<size_t> (size));
        }
    };

    struct VstHost : testing::Test
    {
        HostedPlugin plugin;

        void SetUp() override { ASSERT_NE (plugin.instance, nullptr) << "could not load " << vstLibrary(); }
    };

    constexpr int fourCharacters (const char* c)
    {
        return (c[0] << 24) | (c[1] << 16) | (c[2] << 8) | c[3];
    }
}

TEST_F (VstHost, IdentityIsVelmoraByHalvorn)
{
    auto& e = plugin.effect();
    EXPECT_EQ (e.magic, fourCharacters ("VstP"));
    EXPECT_EQ (e.uniqueID, fourCharacters ("Kp58"));
    EXPECT_EQ (e.version, 0x10000);
    EXPECT_EQ (e.numInputs, 2);
    EXPECT_EQ (e.numOutputs, 2);
    EXPECT_EQ (e.numParams, 21);
    EXPECT_EQ (e.numPrograms, 15);

    EXPECT_EQ (plugin.text (Vst2::effGetEffectName), "Velmora");
    EXPECT_EQ (plugin.text (Vst2::effGetProductString), "Velmora");
    EXPECT_EQ (plugin.text (Vst2::effGetVendorString), "Halvorn");
    EXPECT_EQ (plugin.dispatch (Vst2::effGetVendorVersion), 0x10000);
    EXPECT_EQ (plugin.dispatch (Vst2::effGetVstVersion), 2400);
    EXPECT_EQ (plugin.dispatch (Vst2::effGetPlugCategory), Vst2::kPlugCategEffect);
    EXPECT_EQ (plugin.instance->getName(), "Velmora");

    EXPECT_EQ (plugin.description.manufacturerName, "Halvorn");
    EXPECT_FALSE (plugin.description.isInstrument);
}

TEST_F (VstHost, FlagsPromiseAnEditorReplacingFloatsAndChunksOnly)
{
    const auto flags = plugin.effect().flags;
    EXPECT_NE (flags & Vst2::effFlagsHasEditor, 0);
    EXPECT_NE (flags & Vst2::effFlagsCanReplacing, 0);
    EXPECT_NE (flags & Vst2::effFlagsProgramChunks, 0);
    EXPECT_EQ (flags & Vst2::effFlagsIsSynth, 0);
    EXPECT_EQ (flags & Vst2::effFlagsNoSoundInStop, 0);
    EXPECT_EQ (flags & Vst2::effFlagsCanDoubleReplacing, 0);
}

TEST_F (VstHost, CapabilityAnswersAreExactlyTheProductsOwn)
{
    struct Answer { const char* query; Vst2::VstIntPtr expected; };
    const Answer answers[] = {
        { "receiveVstEvents", -1 },    { "receiveVstMidiEvent", -1 }, { "receiveVstMidiEvents", -1 },
        { "sendVstEvents", -1 },       { "sendVstMidiEvent", -1 },    { "sendVstMidiEvents", -1 },
        { "receiveVstTimeInfo", 1 },   { "conformsToWindowRules", 1 }, { "openCloseAnyThread", -1 },
        { "bypass", 0 },               { "supportsViewDpiScaling", 0 }, { "hasCockosExtensions", 0 },
        { "MPE", 0 },                  { "offline", 0 },               { "", 0 },
    };

    for (const auto& a : answers)
        EXPECT_EQ (plugin.canDo (a.query), a.expected) << a.query;
}

TEST_F (VstHost, PinsAreNamedOneAndTwoInAStereoPair)
{
    for (int opcode : { Vst2::effGetInputProperties, Vst2::effGetOutputProperties })
    {
        for (int index = 0; index < 2; ++index)
        {
            Vst2::VstPinProperties pin {};
            ASSERT_EQ (plugin.dispatch (opcode, index, 0, &pin), 1);
            EXPECT_STREQ (pin.label, index == 0 ? "1" : "2");
            EXPECT_STREQ (pin.shortLabel, index == 0 ? "1" : "2");
            // FST has no values for the pin flags; the pair shows in the arrangement.
            EXPECT_EQ (pin.arrangementType, Vst2::kSpeakerArrStereo);
        }

        Vst2::VstPinProperties beyond {};
        EXPECT_EQ (plugin.dispatch (opcode, 2, 0, &beyond), 0);
    }
}

TEST_F (VstHost, OnlyStereoInAndOutIsAccepted)
{
    auto arrangement = [] (int channels, int type)
    {
        Vst2::VstSpeakerArrangement a {};
        a.type = type;
        a.numChannels = channels;
        for (int i = 0; i < channels; ++i)
            a.speakers[i].type = i % 2 == 0 ? Vst2::kSpeakerL : Vst2::kSpeakerR;
        return a;
    };

    auto propose = [this] (Vst2::VstSpeakerArrangement in, Vst2::VstSpeakerArrangement out)
    {
        return plugin.dispatch (Vst2::effSetSpeakerArrangement, 0, reinterpret_cast<Vst2::VstIntPtr> (&in), &out);
    };

    auto mono = arrangement (1, Vst2::kSpeakerArrMono);
    mono.speakers[0].type = Vst2::kSpeakerM;
    EXPECT_EQ (propose (mono, mono), 0);
    EXPECT_EQ (propose (arrangement (6, Vst2::kSpeakerArrUserDefined), arrangement (6, Vst2::kSpeakerArrUserDefined)), 0);
    EXPECT_EQ (propose (arrangement (2, Vst2::kSpeakerArrStereo), arrangement (6, Vst2::kSpeakerArrUserDefined)), 0);
    EXPECT_EQ (propose (arrangement (2, Vst2::kSpeakerArrStereo), arrangement (2, Vst2::kSpeakerArrStereo)), 1);
}

TEST_F (VstHost, ParametersShowTheirNamesAndDisplayTextsToTheHost)
{
    auto& e = plugin.effect();
    EXPECT_EQ (plugin.text (Vst2::effGetParamName, 0), "Threshold");
    EXPECT_EQ (plugin.text (Vst2::effGetParamName, 17), "Meter Scale");
    EXPECT_EQ (plugin.text (Vst2::effGetParamName, 20), "");
    EXPECT_EQ (plugin.text (Vst2::effGetParamLabel, 0), "");

    e.setParameter (&e, 0, 1.0f);
    EXPECT_EQ (e.getParameter (&e, 0), 1.0f);
    EXPECT_EQ (plugin.text (Vst2::effGetParamDisplay, 0), "-60.0 dB");

    e.setParameter (&e, 5, 0.7943f);
    EXPECT_EQ (plugin.text (Vst2::effGetParamDisplay, 5), "1.0 s");

    e.setParameter (&e, 9, 0.5f);
    EXPECT_EQ (plugin.text (Vst2::effGetParamDisplay, 9), "110 Hz");

    e.setParameter (&e, 19, 0.7f);
    EXPECT_EQ (e.getParameter (&e, 19), 0.0f);
    EXPECT_EQ (plugin.text (Vst2::effGetParamDisplay, 19), "0.00");
}

TEST_F (VstHost, ProgramsAreListedSelectedAndRenamed)
{
    EXPECT_EQ (plugin.dispatch (Vst2::effGetProgram), 0);
    EXPECT_EQ (plugin.text (Vst2::effGetProgramName), "Full Reset");

    char name[64] = {};
    EXPECT_EQ (plugin.dispatch (Vst2::effGetProgramNameIndexed, 14, 0, name), 1);
    EXPECT_STREQ (name, "Vocal Bus: Slow");

    plugin.dispatch (Vst2::effSetProgram, 0, 6);
    EXPECT_EQ (plugin.dispatch (Vst2::effGetProgram), 6);
    EXPECT_EQ (plugin.text (Vst2::effGetProgramName), "Mastering: Parallel");
    EXPECT_EQ (plugin.effect().getParameter (&plugin.effect(), 17), 0.5f);

    char newName[] = "Bus Glue";
    plugin.dispatch (Vst2::effSetProgramName, 0, 0, newName);
    EXPECT_EQ (plugin.text (Vst2::effGetProgramName), "Bus Glue");
}

TEST_F (VstHost, ChunkTravelsIntoAnotherInstanceByteForByte)
{
    auto& e = plugin.effect();
    plugin.dispatch (Vst2::effSetProgram, 0, 3);
    e.setParameter (&e, 2, 0.3333f);

    const auto saved = plugin.chunk();
    const auto* bytes = static_cast<const unsigned char*> (saved.getData());
    ASSERT_GT (saved.getSize(), 10u);
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (bytes), 0x21324356u);
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (bytes + 4) + 10, saved.getSize());

    HostedPlugin other;
    ASSERT_NE (other.instance, nullptr);
    other.dispatch (Vst2::effSetChunk, 0, static_cast<Vst2::VstIntPtr> (saved.getSize()), const_cast<void*> (saved.getData()));

    EXPECT_EQ (other.dispatch (Vst2::effGetProgram), 3);
    EXPECT_EQ (other.effect().getParameter (&other.effect(), 2), 0.3333f);
    EXPECT_EQ (other.chunk(), saved);
}

TEST_F (VstHost, LatencyIsReportedWhenProcessingIsSwitchedOn)
{
    EXPECT_EQ (plugin.effect().initialDelay, 0);

    plugin.instance->prepareToPlay (44100.0, 512);
    EXPECT_EQ (plugin.effect().initialDelay, 184);
    EXPECT_EQ (plugin.instance->getLatencySamples(), 184);
    plugin.instance->releaseResources();

    plugin.instance->prepareToPlay (96000.0, 512);
    EXPECT_EQ (plugin.effect().initialDelay, 8);
    EXPECT_EQ (plugin.instance->getLatencySamples(), 8);
    plugin.instance->releaseResources();
}

TEST_F (VstHost, BypassGivesBackTheInputDelayedByTheReportedLatency)
{
    for (double rate : { 44100.0, 96000.0 })
    {
        SCOPED_TRACE (rate);
        auto& e = plugin.effect();
        e.setParameter (&e, 14, 1.0f);
        plugin.instance->prepareToPlay (rate, 256);
        const int latency = plugin.instance->getLatencySamples();

        juce::AudioBuffer<float> buffer (2, 256);
        juce::MidiBuffer midi;
        std::vector<float> left, right;
        juce::Random random (42);

        std::vector<float> inputLeft, inputRight;
        for (int block = 0; block < 4; ++block)
        {
            for (int i = 0; i < buffer.getNumSamples(); ++i)
            {
                inputLeft.push_back (random.nextFloat() * 2.0f - 1.0f);
                inputRight.push_back (random.nextFloat() - 0.5f);
                buffer.setSample (0, i, inputLeft.back());
                buffer.setSample (1, i, inputRight.back());
            }
            plugin.instance->processBlock (buffer, midi);
            left.insert (left.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + buffer.getNumSamples());
            right.insert (right.end(), buffer.getReadPointer (1), buffer.getReadPointer (1) + buffer.getNumSamples());
        }

        for (int i = 0; i < latency; ++i)
            ASSERT_EQ (left[static_cast<size_t> (i)], 0.0f) << i;
        for (size_t i = static_cast<size_t> (latency); i < left.size(); ++i)
        {
            ASSERT_EQ (left[i], inputLeft[i - static_cast<size_t> (latency)]) << i;
            ASSERT_EQ (right[i], inputRight[i - static_cast<size_t> (latency)]) << i;
        }

        plugin.instance->releaseResources();
    }
}

TEST_F (VstHost, EditorOpensAtItsFixedSizeAndClosesWhileAudioRuns)
{
    Vst2::ERect* rect = nullptr;
    plugin.instance->prepareToPlay (44100.0, 256);

    juce::AudioBuffer<float> buffer (2, 256);
    juce::MidiBuffer midi;
    auto processSome = [&]
    {
        for (int block = 0; block < 8; ++block)
        {
            for (int i = 0; i < buffer.getNumSamples(); ++i)
                buffer.setSample (i % 2, i, 0.5f * std::sin (0.01f * static_cast<float> (i)));
            plugin.instance->processBlock (buffer, midi);
        }
    };

    for (int round = 0; round < 2; ++round)
    {
        std::unique_ptr<juce::AudioProcessorEditor> editor (plugin.instance->createEditor());
        ASSERT_NE (editor, nullptr);
        editor->addToDesktop (0);
        editor->setVisible (true);

        for (int wait = 0; wait < 20 && editor->getWidth() != 717; ++wait)
        {
            processSome();
            juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
        }

        EXPECT_EQ (editor->getWidth(), 717);
        EXPECT_EQ (editor->getHeight(), 257);
        plugin.dispatch (Vst2::effEditGetRect, 0, 0, &rect);
        ASSERT_NE (rect, nullptr);
        EXPECT_EQ (rect->right - rect->left, 717);
        EXPECT_EQ (rect->bottom - rect->top, 257);

        processSome();
        editor.reset();
        processSome();
    }

    plugin.instance->releaseResources();
}

namespace
{
    /** What the plug-in sends the host: automation and edit gestures. */
    struct HostMessages : juce::AudioProcessorListener
    {
        int automation = 0, gestures = 0;

        void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override { ++automation; }
        void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int) override { ++gestures; }
        void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int) override { ++gestures; }
        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
    };
}

TEST_F (VstHost, ProgramsRestoresAndTheDeltaBypassPairSendNoAutomation)
{
    HostMessages messages;
    plugin.instance->addListener (&messages);
    auto& e = plugin.effect();

    plugin.dispatch (Vst2::effSetProgram, 0, 7);
    auto saved = plugin.chunk();
    plugin.dispatch (Vst2::effSetChunk, 0, static_cast<Vst2::VstIntPtr> (saved.getSize()), saved.getData());
    e.setParameter (&e, 14, 1.0f);
    e.setParameter (&e, 13, 1.0f);
    EXPECT_EQ (e.getParameter (&e, 14), 0.0f) << "Delta switched Bypass off";

    // Values beyond 0..1 and without a number read back as sent.
    e.setParameter (&e, 3, 1.5f);
    EXPECT_EQ (e.getParameter (&e, 3), 1.5f);
    e.setParameter (&e, 0, std::numeric_limits<float>::quiet_NaN());
    EXPECT_TRUE (std::isnan (e.getParameter (&e, 0)));

    EXPECT_EQ (messages.automation, 0);
    EXPECT_EQ (messages.gestures, 0);
    plugin.instance->removeListener (&messages);
}
