#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_audio_processors/juce_audio_processors.h>

#include "EdgeSteepness.h"
#include "WindowPixels.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <limits>

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

    void set (juce::AudioPluginInstance& instance, int program, int parameter, float value)
    {
        instance.setCurrentProgram (program);
        instance.getParameters()[parameter]->setValue (value);
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

    const auto& parameters2 = vst2->getParameters();
    const auto& parameters3 = vst3->getParameters();
    ASSERT_GE (parameters3.size(), numNamedParameters);
    for (int i = 0; i < numNamedParameters; ++i)
    {
        SCOPED_TRACE (parameters2[i]->getName (64));
        EXPECT_EQ (parameters3[i]->getName (64), parameters2[i]->getName (64));
        for (const float value : { 0.0f, 0.37f, 1.0f })
        {
            parameters2[i]->setValue (value);
            parameters3[i]->setValue (value);
            EXPECT_EQ (parameters3[i]->getCurrentValueAsText(), parameters2[i]->getCurrentValueAsText()) << value;
        }
    }
}

TEST_F (Formats, Vst3RendersBitForBitLikeVst2)
{
    set (*vst2, 4, 0, 0.3f);
    set (*vst3, 4, 0, 0.3f);
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
    set (*vst2, 2, 3, 0.8f);
    set (*vst3, 2, 3, 0.8f);

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

TEST (Lv2, ManifestNamesEveryParameterOnce)
{
    const auto manifest = juce::File (VELMORA_LV2_BINARY).getSiblingFile ("dsp.ttl").loadFileAsString();
    ASSERT_TRUE (manifest.isNotEmpty());

    for (int i = 0; i < 21; ++i)
    {
        const auto iri = "plug:parameter" + juce::String (i) + "\n";
        EXPECT_TRUE (manifest.contains (iri)) << iri;
    }
    EXPECT_TRUE (manifest.contains ("rdfs:label \"Threshold\""));
    EXPECT_TRUE (manifest.contains ("rdfs:label \"Meter Scale\""));
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

TEST (Standalone, StartsAndKeepsRunningWithoutAnAudioDevice)
{
    juce::ChildProcess app;
    ASSERT_TRUE (app.start (VELMORA_STANDALONE_PATH, 0));

    // Long enough for start-up to fail if it is going to: no device, no settings file.
    const bool ended = app.waitForProcessToFinish (3000);
    if (! ended)
        app.kill();
    EXPECT_FALSE (ended) << "exit code " << app.getExitCode();
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
