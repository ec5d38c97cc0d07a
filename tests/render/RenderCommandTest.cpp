#include "CorvaneAudioProcessor.h"
#include "ParameterTable.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
    struct RenderRun
    {
        int exitCode = -1;
        juce::String output;

        juce::StringArray lines() const { return juce::StringArray::fromLines (output.trimEnd()); }
    };

    RenderRun runRenderer (const juce::StringArray& arguments)
    {
        juce::StringArray command { VELMORA_RENDER_PATH };
        command.addArray (arguments);

        juce::ChildProcess process;
        RenderRun run;
        if (! process.start (command, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
            return run;

        run.output = process.readAllProcessOutput();
        process.waitForProcessToFinish (60000);
        run.exitCode = static_cast<int> (process.getExitCode());
        return run;
    }

    juce::AudioBuffer<float> clicks (int length, const std::vector<int>& positions)
    {
        juce::AudioBuffer<float> audio (2, length);
        audio.clear();
        for (const int position : positions)
        {
            audio.setSample (0, position, 0.5f);
            audio.setSample (1, position, -0.5f);
        }
        return audio;
    }

    // Drums-like bursts of noise over a low tone, loud enough to be compressed.
    juce::AudioBuffer<float> music (int length, double sampleRate)
    {
        juce::AudioBuffer<float> audio (2, length);
        juce::Random random (17);
        for (int i = 0; i < length; ++i)
        {
            const double t = i / sampleRate;
            const double burst = std::exp (-std::fmod (t, 0.25) * 20.0);
            const double tone = 0.3 * std::sin (juce::MathConstants<double>::twoPi * 110.0 * t);
            audio.setSample (0, i, static_cast<float> (tone + 0.6 * burst * (random.nextFloat() * 2.0f - 1.0f)));
            audio.setSample (1, i, static_cast<float> (tone + 0.6 * burst * (random.nextFloat() * 2.0f - 1.0f)));
        }
        return audio;
    }

    int indexOfPeak (const juce::AudioBuffer<float>& audio, int from, int to)
    {
        int best = from;
        for (int i = from; i < to; ++i)
            if (std::abs (audio.getSample (0, i)) > std::abs (audio.getSample (0, best)))
                best = i;
        return best;
    }

    struct RenderTest : testing::Test
    {
        // A name of its own: ctest runs cases in parallel processes, and a merely unused
        // name can be picked by two of them at once.
        juce::File folder = juce::File::getSpecialLocation (juce::File::tempDirectory)
                                .getChildFile ("velmora-render-test-" + juce::Uuid().toString());
        juce::AudioFormatManager formats;

        void SetUp() override
        {
            ASSERT_TRUE (folder.createDirectory());
            formats.registerFormat (new juce::WavAudioFormat(), true);
            formats.registerFormat (new juce::AiffAudioFormat(), false);
            formats.registerFormat (new juce::FlacAudioFormat(), false);
        }

        void TearDown() override { folder.deleteRecursively(); }

        juce::File file (const juce::String& name) const { return folder.getChildFile (name); }

        juce::File write (const juce::String& name, const juce::AudioBuffer<float>& audio, double sampleRate = 44100.0, int bits = 32)
        {
            const auto target = file (name);
            auto* format = formats.findFormatForFileExtension (target.getFileExtension());
            std::unique_ptr<juce::OutputStream> stream = target.createOutputStream();
            std::unique_ptr<juce::AudioFormatWriter> writer (format->createWriterFor (stream.get(), sampleRate, static_cast<unsigned int> (audio.getNumChannels()), bits, {}, 0));
            EXPECT_NE (writer, nullptr);
            stream.release();
            writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples());
            return target;
        }

        std::unique_ptr<juce::AudioFormatReader> open (const juce::String& name)
        {
            return std::unique_ptr<juce::AudioFormatReader> (formats.createReaderFor (file (name)));
        }

        juce::AudioBuffer<float> read (const juce::String& name)
        {
            auto reader = open (name);
            if (reader == nullptr)
                return {};
            juce::AudioBuffer<float> audio (static_cast<int> (reader->numChannels), static_cast<int> (reader->lengthInSamples));
            reader->read (&audio, 0, audio.getNumSamples(), 0, true, true);
            return audio;
        }

        RenderRun render (juce::StringArray arguments)
        {
            for (auto& argument : arguments)
                if (argument.endsWith (".wav") || argument.endsWith (".flac") || argument.endsWith (".aiff") || argument.endsWith (".png"))
                    argument = file (argument).getFullPathName();
            return runRenderer (arguments);
        }
    };

    struct ClickCase
    {
        double sampleRate;
        int length;
        std::vector<int> positions;

        friend void PrintTo (const ClickCase& c, std::ostream* os) { *os << c.length << " samples at " << c.sampleRate << " Hz"; }
    };

    struct ClickAlignment : RenderTest, testing::WithParamInterface<ClickCase> {};
}

TEST_P (ClickAlignment, ProcessedClickLeavesAtTheSampleItEntered)
{
    const auto& param = GetParam();
    write ("in.wav", clicks (param.length, param.positions), param.sampleRate);

    const auto run = render ({ "--float", "in.wav", "out.wav" });
    ASSERT_EQ (run.exitCode, 0) << run.output;

    const auto out = read ("out.wav");
    ASSERT_EQ (out.getNumSamples(), param.length);

    // The click at the very end must be there too: nothing is cut off.
    for (const int position : param.positions)
    {
        SCOPED_TRACE (position);
        const int from = std::max (0, position - 20);
        const int to = std::min (param.length, position + 20);
        EXPECT_EQ (indexOfPeak (out, from, to), position);
        EXPECT_GT (std::abs (out.getSample (0, position)), 0.1f);
    }
}

INSTANTIATE_TEST_SUITE_P (Rates, ClickAlignment,
    testing::Values (ClickCase { 44100.0, 20000, { 1000, 19999 } },
                     ClickCase { 96000.0, 20000, { 1000, 19999 } },
                     ClickCase { 44100.0, 100, { 20, 99 } }),
    [] (const auto& testCase) { return "Case" + std::to_string (testCase.index); });

TEST_F (RenderTest, OutputIsWhatTheProcessorMakesWithTheSameSettings)
{
    constexpr double sampleRate = 48000.0;
    const auto input = music (30000, sampleRate);
    write ("in.wav", input, sampleRate);

    const auto run = render ({ "--float", "--program", "4", "threshold=norm:0.3", "ratio=norm:0.8", "in.wav", "out.wav" });
    ASSERT_EQ (run.exitCode, 0) << run.output;
    const auto out = read ("out.wav");

    // The same settings applied directly, the whole file in one block with the latency
    // added as silence at the end and dropped at the start.
    CorvaneAudioProcessor processor;
    processor.setCurrentProgram (3);
    processor.setParameter (thresholdIndex, 0.3f);
    processor.setParameter (ratioIndex, 0.8f);
    processor.setRateAndBufferSizeDetails (sampleRate, 512);
    processor.prepareToPlay (sampleRate, 512);
    const int latency = processor.getLatencySamples();
    juce::AudioBuffer<float> expected (2, input.getNumSamples() + latency);
    expected.clear();
    for (int channel = 0; channel < 2; ++channel)
        expected.copyFrom (channel, 0, input, channel, 0, input.getNumSamples());
    juce::MidiBuffer midi;
    processor.processBlock (expected, midi);

    ASSERT_EQ (out.getNumSamples(), input.getNumSamples());
    int differences = 0;
    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < out.getNumSamples(); ++i)
            differences += out.getSample (channel, i) != expected.getSample (channel, i + latency) ? 1 : 0;
    EXPECT_EQ (differences, 0);
    EXPECT_NE (out.getSample (0, 1000), input.getSample (0, 1000)) << "the settings should change the sound";
}

TEST_F (RenderTest, ProgramByNumberAndByNameRenderTheSame)
{
    write ("in.wav", music (20000, 44100.0));
    const auto name = CorvaneAudioProcessor().getProgramName (6);

    const auto byNumber = render ({ "-p", "7", "in.wav", "number.wav" });
    const auto byName = render ({ "--program", name, "in.wav", "name.wav" });
    const auto first = render ({ "in.wav", "first.wav" });
    ASSERT_EQ (byNumber.exitCode, 0) << byNumber.output;
    ASSERT_EQ (byName.exitCode, 0) << byName.output;
    ASSERT_EQ (first.exitCode, 0) << first.output;

    EXPECT_TRUE (byNumber.output.contains ("program: 7 " + name));
    EXPECT_TRUE (byName.output.contains ("program: 7 " + name));
    EXPECT_TRUE (first.output.contains ("program: 1 "));

    juce::MemoryBlock numberBytes, nameBytes, firstBytes;
    file ("number.wav").loadFileAsData (numberBytes);
    file ("name.wav").loadFileAsData (nameBytes);
    file ("first.wav").loadFileAsData (firstBytes);
    EXPECT_EQ (numberBytes, nameBytes);
    EXPECT_NE (numberBytes, firstBytes);
}

TEST_F (RenderTest, PrintsEveryParameterAndASummary)
{
    auto input = clicks (10000, { 100 });
    input.setSample (0, 5000, -0.25f);
    write ("in.wav", input);

    const auto run = render ({ "threshold=norm:0.35", "drymix=norm:1", "in.wav", "out.wav" });
    ASSERT_EQ (run.exitCode, 0) << run.output;

    CorvaneAudioProcessor expected;
    expected.setParameter (thresholdIndex, 0.35f);
    expected.setParameter (dryMixIndex, 1.0f);
    const auto lines = run.lines();
    for (int i = 0; i < numNamedParameters; ++i)
    {
        SCOPED_TRACE (parameterTable[i].name);
        const auto line = lines[i + 1];
        EXPECT_TRUE (line.trim().startsWith (parameterTable[i].name));
        EXPECT_TRUE (line.trim().endsWith (expected.parameter (i)->getCurrentValueAsText()));
    }
    EXPECT_EQ (lines[thresholdIndex + 1].trim(), juce::String ("Threshold").paddedRight (' ', 18) + parameterText (thresholdIndex, 0.35f));

    // Input peak 0.5 is -6.0 dBFS; RMS over both channels of 10000 samples each.
    EXPECT_TRUE (run.output.contains ("input:  peak -6.0 dBFS, RMS " + juce::String (20.0 * std::log10 (std::sqrt ((0.25 * 2 + 0.0625) / 20000.0)), 1) + " dBFS"));
    EXPECT_TRUE (run.output.contains ("output: peak "));
    EXPECT_TRUE (run.output.contains ("largest gain reduction: "));
}

TEST_F (RenderTest, SettingsAreReadInTheParametersUnitsAndListedOnesShownByName)
{
    write ("in.wav", clicks (4000, { 100 }));
    const std::tuple<const char*, int, const char*> settings[] {
        { "makeup=0", makeupIndex, "0.0 dB" }, { "attack=1", attackIndex, "1.0 ms" }, { "Ratio=4:1", ratioIndex, "4.0:1" }, { "peakratio=off", peakRatioIndex, "Compressor" },
        { "threshold=norm:0.3", thresholdIndex, "-18.0 dB" }, { "releasepeak=1.5 s", releasePeakIndex, "1.5 s" },
        { "keyhpfrequency=0.2kHz", keyHpFrequencyIndex, "200 Hz" }, { "quality=eco", qualityIndex, "Eco" },
        { "delta=yes", deltaIndex, "on" }, { "keyhpslope=12", keyHpSlopeIndex, "12 dB/oct" }, { "drymix=-6", dryMixIndex, "-6.0 dB" }
    };
    juce::StringArray arguments { "in.wav", "out.wav" };
    for (const auto& setting : settings)
        arguments.add (std::get<0> (setting));
    const auto run = render (arguments);
    ASSERT_EQ (run.exitCode, 0) << run.output;

    const auto lines = run.lines();
    for (const auto& [setting, index, text] : settings)
        EXPECT_EQ (lines[index + 1].trim(), juce::String (parameterTable[index].name).paddedRight (' ', 18) + text) << setting;

    // The program's slope is stored as 0.333, which runs 12 dB/oct.
    const auto glue = render ({ "-p", "mastering: GLUE", "in.wav", "out.wav" });
    EXPECT_TRUE (glue.output.startsWith ("program: 2 Mastering - Glue\n")) << glue.output;
    EXPECT_TRUE (glue.output.contains ("\n  Key HP Slope      12 dB/oct\n")) << glue.output;
}

TEST (RenderVersion, PrintsThePluginsVersionAndTheHelpNamesIt)
{
    const auto version = runRenderer ({ "--version" });
    EXPECT_EQ (version.exitCode, 0);
    EXPECT_EQ (version.output.trimEnd(), juce::String ("velmora-render ") + JucePlugin_VersionString);

    EXPECT_EQ (runRenderer ({ "-V" }).output, version.output);

    const auto help = runRenderer ({ "--help" });
    EXPECT_EQ (help.exitCode, 0);
    for (const auto* option : { "\n  --list-programs ", "\n  --demo-material <", "\n  -V, --version " })
        EXPECT_TRUE (help.output.contains (option)) << option;

    // Every named parameter's key, and nothing of the nameless slots.
    const auto keys = juce::StringArray::fromLines (help.output.fromFirstOccurrenceOf ("Parameter keys:", false, false).trim());
    ASSERT_EQ (keys.size(), numNamedParameters);
    for (int i = 0; i < numNamedParameters; ++i)
        EXPECT_TRUE (keys[i].trim().startsWith (parameterTable[i].stateKey)) << keys[i];

    const std::pair<int, const char*> ranges[] { { thresholdIndex, "-60 to 0 dB" }, { ratioIndex, "1:1 to 7:1" },
                                                 { attackIndex, "0.01 to 500 ms" }, { keyHpFrequencyIndex, "30 to 400 Hz" },
                                                 { dryMixIndex, "Off, -60 to 0 dB" }, { qualityIndex, "Precise, Eco" },
                                                 { keyHpSlopeIndex, "off, 3 dB/oct, 6 dB/oct, 12 dB/oct" } };
    for (const auto& [index, range] : ranges)
        EXPECT_TRUE (keys[index].trimEnd().endsWith (range)) << keys[index];
}

TEST_F (RenderTest, ReadsAiffAndFlacAndWritesTheChosenFormat)
{
    const auto input = music (8000, 44100.0);
    write ("in.aiff", input, 44100.0, 24);
    write ("in.flac", input, 44100.0, 24);
    juce::AudioBuffer<float> mono (1, 8000);
    mono.copyFrom (0, 0, input, 0, 0, 8000);
    write ("mono.wav", mono, 44100.0, 16);

    ASSERT_EQ (render ({ "in.aiff", "aiff.wav" }).exitCode, 0);
    ASSERT_EQ (render ({ "in.flac", "flac.flac" }).exitCode, 0);
    ASSERT_EQ (render ({ "--float", "in.flac", "float.wav" }).exitCode, 0);
    ASSERT_EQ (render ({ "mono.wav", "mono-out.wav" }).exitCode, 0);

    struct Expected { const char* name; int bits; bool floating; int channels; };
    for (const auto& e : { Expected { "aiff.wav", 24, false, 2 }, Expected { "flac.flac", 24, false, 2 },
                           Expected { "float.wav", 32, true, 2 }, Expected { "mono-out.wav", 24, false, 1 } })
    {
        SCOPED_TRACE (e.name);
        const auto reader = open (e.name);
        ASSERT_NE (reader, nullptr);
        EXPECT_EQ (static_cast<int> (reader->bitsPerSample), e.bits);
        EXPECT_EQ (reader->usesFloatingPointData, e.floating);
        EXPECT_EQ (static_cast<int> (reader->numChannels), e.channels);
        EXPECT_EQ (reader->lengthInSamples, 8000);
        EXPECT_EQ (reader->sampleRate, 44100.0);
    }

    // 24-bit output differs from the float render by no more than its rounding step.
    const auto exact = read ("float.wav");
    const auto rounded = read ("flac.flac");
    for (int i = 0; i < 8000; ++i)
        ASSERT_NEAR (rounded.getSample (1, i), exact.getSample (1, i), 1.0 / (1 << 23)) << i;
}

TEST_F (RenderTest, DrawsThePictureAndTheDemoMaterial)
{
    const auto made = render ({ "--demo-material", "demo.wav" });
    ASSERT_EQ (made.exitCode, 0) << made.output;
    const auto demo = open ("demo.wav");
    ASSERT_NE (demo, nullptr);
    EXPECT_EQ (demo->numChannels, 2u);
    EXPECT_GE (demo->lengthInSamples, 44100 * 3);

    const auto run = render ({ "--picture", "demo.png", "demo.wav", "out.wav" });
    ASSERT_EQ (run.exitCode, 0) << run.output;
    const auto picture = juce::ImageFileFormat::loadFrom (file ("demo.png"));
    EXPECT_TRUE (picture.isValid());
    EXPECT_GT (picture.getWidth(), 800);
}

namespace
{
    struct BadInput
    {
        const char* what;
        std::vector<const char*> arguments;
        const char* error;
        int status;

        friend void PrintTo (const BadInput& b, std::ostream* os) { *os << b.what; }
    };

    struct BadInputTest : RenderTest, testing::WithParamInterface<BadInput> {};
}

TEST_P (BadInputTest, OneErrorLineAFailingExitAndNoOutputFile)
{
    write ("in.wav", clicks (1000, { 10 }));
    file ("text.wav").replaceWithText ("not audio at all");
    file ("old.wav").replaceWithText ("an earlier render");
    ASSERT_TRUE (file ("in.wav").createSymbolicLink (file ("link.wav"), false));
    ASSERT_TRUE (file ("folder.wav").createDirectory());
    write ("slow.wav", clicks (100, { 10 }), 7999.0);
    file ("w64.wav").replaceWithData ("riff\x2e\x91\xcf\x11\xa5\xd6\x28\xdb\x04\xc1\x00\x00", 16);
    juce::MemoryBlock inputBytes, inputAfter;
    file ("in.wav").loadFileAsData (inputBytes);

    juce::StringArray arguments;
    for (const auto* argument : GetParam().arguments)
        arguments.add (argument);
    const auto run = render (arguments);

    EXPECT_EQ (run.exitCode, GetParam().status);
    const auto lines = run.lines();
    ASSERT_EQ (lines.size(), 1) << run.output;
    EXPECT_TRUE (lines[0].startsWith ("velmora-render: error: ")) << lines[0];
    EXPECT_TRUE (lines[0].contains (GetParam().error)) << lines[0];

    // Only the files the test made: no output, no temporary left behind, the earlier
    // render untouched.
    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles, "*"), 7);
    EXPECT_EQ (folder.findChildFiles (juce::File::findFiles, false, ".*").size(), 0);
    EXPECT_EQ (file ("old.wav").loadFileAsString(), "an earlier render");
    file ("in.wav").loadFileAsData (inputAfter);
    EXPECT_EQ (inputAfter, inputBytes);
}

INSTANTIATE_TEST_SUITE_P (Cases, BadInputTest,
    testing::Values (
        BadInput { "MissingInput", { "missing.wav", "out.wav" }, "input file not found", 1 },
        BadInput { "NotAudio", { "text.wav", "old.wav" }, "cannot read", 1 },
        BadInput { "UnknownProgramName", { "-p", "No Such Program", "in.wav", "out.wav" }, "unknown program 'No Such Program'", 2 },
        BadInput { "ProgramNameMisspelt", { "-p", "Drum Bus: Snapy", "in.wav", "out.wav" }, "closest: 'Drum Bus: Snappy', 'Drum Bus:", 2 },
        BadInput { "ProgramNumberTooHigh", { "-p", "16", "in.wav", "out.wav" }, "unknown program '16': the numbers run 1 to 15", 2 },
        BadInput { "ProgramNumberZero", { "-p", "0", "in.wav", "out.wav" }, "unknown program '0'", 2 },
        BadInput { "UnknownKey", { "in.wav", "old.wav", "loudness=0.5" }, "unknown parameter key 'loudness'", 2 },
        BadInput { "BareNumberOutsideTheRange", { "in.wav", "out.wav", "threshold=1" }, "'threshold' must be from -60 to 0 dB, not '1'", 2 },
        BadInput { "RatioOutsideTheRange", { "in.wav", "out.wav", "ratio=100:1" }, "must be from 1:1 to 7:1, not '100:1'", 2 },
        BadInput { "FrequencyOutsideTheRange", { "in.wav", "out.wav", "keyhpfrequency=1kHz" }, "must be from 30 to 400 Hz", 2 },
        BadInput { "NormalizedAboveOne", { "in.wav", "out.wav", "attack=norm:1.5" }, "must be a number from 0 to 1", 2 },
        BadInput { "ValueNotANumber", { "in.wav", "out.wav", "ratio=half" }, "not 'half'", 2 },
        BadInput { "ValueInAnotherUnit", { "in.wav", "out.wav", "drymix=50%" }, "from -60 to 0 dB or Off, not '50%'", 2 },
        BadInput { "UnknownSetting", { "in.wav", "out.wav", "quality=Fast" }, "one of Precise, Eco", 2 },
        BadInput { "OutputIsTheInput", { "in.wav", "in.wav" }, "is the input file", 2 },
        BadInput { "OutputLinksToTheInput", { "in.wav", "link.wav" }, "is the input file", 2 },
        BadInput { "PictureNotPng", { "--picture", "picture.jpg", "in.wav", "out.wav" }, "must end in .png", 2 },
        BadInput { "PictureFolderMissing", { "--picture", "no/such/folder/p.png", "in.wav", "out.wav" }, "p.png: no such folder", 1 },
        BadInput { "OutputFolderMissing", { "in.wav", "no/such/folder/out.wav" }, "out.wav: no such folder", 1 },
        BadInput { "OutputIsAFolder", { "in.wav", "folder.wav" }, "folder.wav: is a folder", 1 },
        BadInput { "InputIsAFolder", { "folder.wav", "out.wav" }, "folder.wav: is a folder", 1 },
        BadInput { "RateBelowTheRange", { "slow.wav", "out.wav" }, "7999 Hz is outside the supported range of 8000 to 768000 Hz", 1 },
        BadInput { "Wave64", { "w64.wav", "out.wav" }, "a Sony Wave64 file, which is not supported", 1 },
        BadInput { "OutputFormatUnknown", { "in.wav", "out.mp3" }, "must end in .wav or .flac", 2 },
        BadInput { "TypeUnknown", { "-t", "mp3", "in.wav", "-" }, "takes wav or flac, not 'mp3'", 2 },
        BadInput { "FloatFlac", { "--float", "in.wav", "out.flac" }, "WAV output only", 2 },
        BadInput { "InputMissingAltogether", { "in.wav" }, "expected an input and an output file", 2 }),
    [] (const auto& testCase) { return std::string (testCase.param.what); });

namespace
{
    // Ten minutes at 8 kHz in 8 bits: long enough to be caught mid-render and to need a
    // coarse time axis, small enough to write quickly.
    juce::AudioBuffer<float> tenMinutesOfNoise()
    {
        juce::AudioBuffer<float> audio (1, 8000 * 600);
        juce::Random random (5);
        for (int i = 0; i < audio.getNumSamples(); ++i)
            audio.setSample (0, i, random.nextFloat() - 0.5f);
        return audio;
    }

    struct Interrupt
    {
        int signal;
        int status;
        const char* name;
    };

    struct InterruptTest : RenderTest, testing::WithParamInterface<Interrupt> {};

    /** Starts velmora-render by hand, for its process id, with both its standard
        streams on one descriptor: /dev/null, or the given one. */
    pid_t spawnRender (std::vector<std::string> arguments, int streams = -1)
    {
        std::vector<char*> argv { const_cast<char*> (VELMORA_RENDER_PATH) };
        for (auto& a : arguments)
            argv.push_back (a.data());
        argv.push_back (nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init (&actions);
        if (streams < 0)
            posix_spawn_file_actions_addopen (&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        else
            posix_spawn_file_actions_adddup2 (&actions, streams, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2 (&actions, STDOUT_FILENO, STDERR_FILENO);
        pid_t pid = 0;
        const bool started = posix_spawn (&pid, VELMORA_RENDER_PATH, &actions, nullptr, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy (&actions);
        return started ? pid : -1;
    }

    /** The exit status of a process that ended by itself, or -1. */
    int exitStatus (pid_t pid)
    {
        int status = 0;
        return waitpid (pid, &status, 0) == pid && WIFEXITED (status) ? WEXITSTATUS (status) : -1;
    }
}

TEST_P (InterruptTest, RemovesTheTemporaryFileAndLeavesTheOutputAsItWas)
{
    write ("long.wav", tenMinutesOfNoise(), 8000.0, 8);
    file ("out.wav").replaceWithText ("an earlier render");

    const auto pid = spawnRender ({ file ("long.wav").getFullPathName().toStdString(), file ("out.wav").getFullPathName().toStdString() });
    ASSERT_GT (pid, 0);

    // Once the temporary file is there, the render is under way.
    for (int i = 0; i < 10000 && folder.findChildFiles (juce::File::findFiles, false, ".*").isEmpty(); ++i)
        std::this_thread::sleep_for (std::chrono::milliseconds (1));
    ASSERT_FALSE (folder.findChildFiles (juce::File::findFiles, false, ".*").isEmpty());
    kill (pid, GetParam().signal);

    EXPECT_EQ (exitStatus (pid), GetParam().status);
    EXPECT_EQ (folder.findChildFiles (juce::File::findFiles, false, ".*").size(), 0);
    EXPECT_EQ (file ("out.wav").loadFileAsString(), "an earlier render");
}

INSTANTIATE_TEST_SUITE_P (Signals, InterruptTest,
    testing::Values (Interrupt { SIGINT, 130, "Sigint" }, Interrupt { SIGTERM, 143, "Sigterm" }, Interrupt { SIGHUP, 129, "Sighup" }),
    [] (const auto& testCase) { return std::string (testCase.param.name); });

TEST_F (RenderTest, AReaderThatClosedThePipeStopsNoRender)
{
    write ("in.wav", music (20000, 44100.0), 44100.0, 16);
    int ends[2];
    ASSERT_EQ (pipe (ends), 0);
    close (ends[0]);

    const auto pid = spawnRender ({ file ("in.wav").getFullPathName().toStdString(), file ("out.wav").getFullPathName().toStdString() }, ends[1]);
    close (ends[1]);
    ASSERT_GT (pid, 0);

    EXPECT_EQ (exitStatus (pid), 0);
    EXPECT_EQ (read ("out.wav").getNumSamples(), 20000);
    EXPECT_EQ (folder.findChildFiles (juce::File::findFiles, false, ".*").size(), 0);
}

TEST_F (RenderTest, TimeLabelsOfALongRenderStayApart)
{
    write ("long.wav", tenMinutesOfNoise(), 8000.0, 8);
    ASSERT_EQ (render ({ "--picture", "long.png", "long.wav", "out.wav" }).exitCode, 0);
    const auto picture = juce::ImageFileFormat::loadFrom (file ("long.png"));
    ASSERT_TRUE (picture.isValid());

    // Runs of inked columns in the axis strip, each a label, with clear gaps between.
    std::vector<int> widths;
    int gap = 100;
    for (int x = 0; x < picture.getWidth(); ++x)
    {
        bool inked = false;
        for (int y = picture.getHeight() - 28; y < picture.getHeight() - 8; ++y)
            inked = inked || picture.getPixelAt (x, y).getBrightness() > 0.4f;
        if (inked && gap >= 8)
            widths.push_back (1);
        else if (inked)
            widths.back() += gap + 1;
        gap = inked ? 0 : gap + 1;
    }
    EXPECT_GE (widths.size(), 5u);
    EXPECT_LE (widths.size(), 16u);
    for (const int width : widths)
        EXPECT_LT (width, 60);
}

TEST_F (RenderTest, ATruncatedWavRendersTheSamplesThatAreThere)
{
    write ("in.wav", music (10000, 44100.0), 44100.0, 16);
    juce::MemoryBlock bytes;
    file ("in.wav").loadFileAsData (bytes);
    bytes.setSize (bytes.getSize() - 6000 * 4);
    file ("cut.wav").replaceWithData (bytes.getData(), bytes.getSize());

    const auto run = render ({ "cut.wav", "out.wav" });
    ASSERT_EQ (run.exitCode, 0) << run.output;
    EXPECT_TRUE (run.output.contains ("warning: " + file ("cut.wav").getFullPathName() + " holds 4000 of the 10000 samples")) << run.output;
    EXPECT_EQ (read ("out.wav").getNumSamples(), 4000);
}

namespace
{
    // As sox -e floating-point -b 64 writes it: a plain fmt chunk, tag 3, 64 bits.
    juce::MemoryBlock float64Wav (const juce::AudioBuffer<float>& audio, double sampleRate)
    {
        const int channels = audio.getNumChannels();
        const auto dataBytes = static_cast<int> (audio.getNumSamples() * channels * 8);
        juce::MemoryOutputStream out;
        out.write ("RIFF", 4);
        out.writeInt (36 + dataBytes);
        out.write ("WAVEfmt ", 8);
        out.writeInt (16);
        out.writeShort (3);
        out.writeShort (static_cast<short> (channels));
        out.writeInt (static_cast<int> (sampleRate));
        out.writeInt (static_cast<int> (sampleRate) * channels * 8);
        out.writeShort (static_cast<short> (channels * 8));
        out.writeShort (64);
        out.write ("data", 4);
        out.writeInt (dataBytes);
        for (int i = 0; i < audio.getNumSamples(); ++i)
            for (int channel = 0; channel < channels; ++channel)
                out.writeDouble (audio.getSample (channel, i));
        return out.getMemoryBlock();
    }

    /** velmora-render run by the shell, for its redirections: "$0" is the renderer. */
    RenderRun runInShell (const juce::String& script)
    {
        juce::ChildProcess process;
        RenderRun run;
        if (process.start (juce::StringArray { "/bin/sh", "-c", script, VELMORA_RENDER_PATH }, juce::ChildProcess::wantStdErr))
        {
            run.output = process.readAllProcessOutput();
            process.waitForProcessToFinish (60000);
            run.exitCode = static_cast<int> (process.getExitCode());
        }
        return run;
    }
}

TEST_F (RenderTest, SixtyFourBitFloatWavRendersAsItsThirtyTwoBitCopyAndFloatOutputHasAFactChunk)
{
    auto input = music (6000, 48000.0);
    input.setSample (1, 10, 0.1f + 1.0e-9f);
    const auto bytes = float64Wav (input, 48000.0);
    file ("in64.wav").replaceWithData (bytes.getData(), bytes.getSize());
    write ("in32.wav", input, 48000.0, 32);

    ASSERT_EQ (render ({ "--float", "in64.wav", "out64.wav" }).exitCode, 0);
    ASSERT_EQ (render ({ "--float", "in32.wav", "out32.wav" }).exitCode, 0);
    juce::MemoryBlock from64, from32;
    file ("out64.wav").loadFileAsData (from64);
    file ("out32.wav").loadFileAsData (from32);
    EXPECT_EQ (from64, from32);

    // The fmt chunk with its (empty) extension and a fact chunk with the length, as
    // readers expect of float WAV.
    const auto* header = static_cast<const char*> (from32.getData());
    EXPECT_EQ (std::memcmp (header + 58, "fmt \x12\0\0\0", 8), 0);
    EXPECT_EQ (std::memcmp (header + 84, "fact\x04\0\0\0", 8), 0);
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (header + 92), 6000u);
}

TEST_F (RenderTest, NonFiniteInputIsCountedAndLeftOutOfTheInputsLevels)
{
    auto input = clicks (4000, { 100 });
    input.setSample (0, 200, std::numeric_limits<float>::quiet_NaN());
    input.setSample (1, 300, std::numeric_limits<float>::infinity());
    input.setSample (1, 301, -std::numeric_limits<float>::infinity());
    write ("in.wav", input);

    const auto run = render ({ "in.wav", "out.wav" });
    ASSERT_EQ (run.exitCode, 0) << run.output;
    EXPECT_TRUE (run.output.contains ("warning: 3 input samples were not finite")) << run.output;
    EXPECT_TRUE (run.output.contains ("input:  peak -6.0 dBFS")) << run.output;
}

TEST_F (RenderTest, StandardStreamsCarryTheSameAudioAndTheReportGoesToStandardError)
{
    write ("in.wav", music (5000, 44100.0), 44100.0, 16);
    const auto in = file ("in.wav").getFullPathName().quoted();
    ASSERT_EQ (render ({ "in.wav", "file.wav" }).exitCode, 0);
    ASSERT_EQ (render ({ "in.wav", "file.flac" }).exitCode, 0);

    const auto piped = runInShell ("\"$0\" - - < " + in + " > " + file ("piped.wav").getFullPathName().quoted());
    ASSERT_EQ (piped.exitCode, 0) << piped.output;
    EXPECT_TRUE (piped.output.contains ("wrote standard output (5000 samples")) << piped.output;
    ASSERT_EQ (runInShell ("cat " + in + " | \"$0\" -t flac - - > " + file ("piped.flac").getFullPathName().quoted()).exitCode, 0);
    for (const auto* name : { "wav", "flac" })
    {
        juce::MemoryBlock direct, throughPipes;
        file (juce::String ("file.") + name).loadFileAsData (direct);
        file (juce::String ("piped.") + name).loadFileAsData (throughPipes);
        EXPECT_EQ (direct, throughPipes) << name;
    }

    const auto full = runInShell ("\"$0\" " + in + " - > /dev/full");
    EXPECT_EQ (full.exitCode, 1);
    EXPECT_TRUE (full.output.contains ("error: cannot write to standard output: no space left on the device")) << full.output;
}

TEST_F (RenderTest, ReplacingKeepsThePermissionsAndWritesThroughALink)
{
    write ("in.wav", clicks (2000, { 10 }));
    file ("private.wav").replaceWithText ("earlier");
    ASSERT_EQ (chmod (file ("private.wav").getFullPathName().toRawUTF8(), 0600), 0);
    file ("target.wav").replaceWithText ("earlier");
    ASSERT_TRUE (file ("target.wav").createSymbolicLink (file ("link.wav"), false));

    ASSERT_EQ (render ({ "in.wav", "private.wav" }).exitCode, 0);
    ASSERT_EQ (render ({ "in.wav", "link.wav" }).exitCode, 0);
    struct stat status {};
    ASSERT_EQ (stat (file ("private.wav").getFullPathName().toRawUTF8(), &status), 0);
    EXPECT_EQ (status.st_mode & 0777, 0600u);
    EXPECT_TRUE (file ("link.wav").isSymbolicLink());
    EXPECT_EQ (read ("target.wav").getNumSamples(), 2000);
}

TEST_F (RenderTest, AKeyGivenTwiceIsWarnedOfAndTheLastIsUsed)
{
    write ("in.wav", clicks (2000, { 10 }));
    const auto run = render ({ "in.wav", "out.wav", "THRESHOLD=-10", "threshold=-12" });
    ASSERT_EQ (run.exitCode, 0) << run.output;
    EXPECT_TRUE (run.output.startsWith ("velmora-render: warning: 'threshold' is given more than once; using the last, threshold=-12\n")) << run.output;
    EXPECT_TRUE (run.output.contains ("\n  Threshold         -12.0 dB\n")) << run.output;
}
