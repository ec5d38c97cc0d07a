#include "Conversions.h"
#include "CorvaneAudioProcessor.h"
#include "PresetChunk.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace
{
    const float fullResetValues[numNamedParameters] = { 0.0f, 0.5f, 0.16f, 0.5f, 0.275f, 0.4174f, 0.497f, 0.5f, 0.0f,
                                                        0.425f, 0.5f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f };

    struct ProcessorTest : testing::Test
    {
        juce::ScopedJuceInitialiser_GUI gui;
        CorvaneAudioProcessor processor;

        juce::MemoryBlock state()
        {
            juce::MemoryBlock chunk;
            processor.getStateInformation (chunk);
            return chunk;
        }

        /** The document text inside the saved chunk. */
        juce::String document()
        {
            const auto chunk = state();
            return juce::String::fromUTF8 (static_cast<const char*> (chunk.getData()) + 8,
                                           static_cast<int> (chunk.getSize()) - 10);
        }

        void restore (const juce::MemoryBlock& chunk)
        {
            processor.setStateInformation (chunk.getData(), static_cast<int> (chunk.getSize()));
        }

        ProgramSlot current() { return processor.getProgram (processor.getCurrentProgram()); }

        /** An empty block: the audio thread hands the changed values to the engine. */
        const CompressorEngine& applied()
        {
            juce::AudioBuffer<float> empty (2, 0);
            juce::MidiBuffer none;
            processor.processBlock (empty, none);
            return processor.getEngine();
        }

        juce::String text (int index) { return processor.parameter (index)->getCurrentValueAsText(); }

        void expectParametersMirrorTheCurrentSlot()
        {
            for (int i = 0; i < numNamedParameters; ++i)
                EXPECT_EQ (processor.getParameter (i), current().values[i]) << "index " << i;
        }
    };

    struct LatencyCounter : juce::AudioProcessorListener
    {
        int latencyChanges = 0;

        void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override {}
        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails& details) override
        {
            latencyChanges += details.latencyChanged ? 1 : 0;
        }
    };
}

//==============================================================================
TEST_F (ProcessorTest, StartsOnTheFullResetProgramWithNothingPublished)
{
    EXPECT_EQ (processor.getName(), "Velmora");
    EXPECT_EQ (processor.getParameters().size(), 21);
    EXPECT_EQ (processor.getCurrentProgram(), 0);
    EXPECT_EQ (processor.getProgramName (0), "Full Reset");
    EXPECT_EQ (processor.getProgramName (14), "Vocal Bus: Slow");

    for (int i = 0; i < numNamedParameters; ++i)
        EXPECT_EQ (processor.getParameter (i), fullResetValues[i]) << "index " << i;

    EXPECT_EQ (processor.getPeakGainDb(), -100.0);
    EXPECT_EQ (processor.getRmsGainDb(), -100.0);
    EXPECT_EQ (processor.getCurrentGain(), 1.0);
    EXPECT_EQ (processor.getLatencySamples(), 0);
}

TEST_F (ProcessorTest, PlaceholdersOnlyTouchTheCurrentSlot)
{
    const auto before = state();
    processor.setParameter (19, 0.7f);

    EXPECT_EQ (processor.getParameter (19), 0.0f);
    EXPECT_EQ (processor.parameter (19)->getName (64), "");
    EXPECT_EQ (text (19), "0.00");
    EXPECT_EQ (current().values[19], 0.7f);
    EXPECT_EQ (state(), before) << "placeholders are never saved";
}

TEST_F (ProcessorTest, IndicesOutsideTheTableAreIgnoredOrAnsweredWithDefaults)
{
    const auto before = state();
    for (int index : { 21, 22, -1, std::numeric_limits<int>::min(), std::numeric_limits<int>::max() })
    {
        processor.setParameter (index, 0.9f);
        EXPECT_EQ (processor.getParameter (index), 0.0f);
        EXPECT_EQ (processor.parameter (index), nullptr);
    }
    EXPECT_EQ (state(), before);
}

TEST_F (ProcessorTest, ValuesAreStoredUnclampedAndMirroredIntoTheSlot)
{
    processor.setParameter (ratioIndex, 0.25f);
    processor.setParameter (thresholdIndex, 1.5f);

    EXPECT_EQ (processor.getParameter (ratioIndex), 0.25f);
    EXPECT_EQ (current().values[ratioIndex], 0.25f);
    EXPECT_EQ (processor.getParameter (thresholdIndex), 1.5f);
    EXPECT_EQ (text (thresholdIndex), "-90.0 dB");
}

//==============================================================================
TEST_F (ProcessorTest, DeltaAndBypassSwitchEachOtherOffThroughTheParameterPath)
{
    processor.setParameter (bypassIndex, 1.0f);
    processor.setParameter (deltaIndex, 1.0f);

    EXPECT_EQ (processor.getParameter (bypassIndex), 0.0f);
    EXPECT_EQ (current().values[bypassIndex], 0.0f);
    EXPECT_TRUE (applied().getSettings().delta);
    EXPECT_FALSE (applied().getSettings().bypass);

    processor.setParameter (bypassIndex, 0.9f);
    EXPECT_EQ (processor.getParameter (deltaIndex), 0.0f);
    EXPECT_TRUE (applied().getSettings().bypass);
    EXPECT_FALSE (applied().getSettings().delta);

    processor.setParameter (deltaIndex, 0.5f);
    EXPECT_FALSE (applied().getSettings().delta);
    EXPECT_EQ (processor.getParameter (bypassIndex), 0.9f);
}

//==============================================================================
TEST_F (ProcessorTest, EditsStayInTheirSlotAcrossProgramChanges)
{
    processor.setCurrentProgram (7);
    EXPECT_EQ (processor.getParameter (thresholdIndex), 0.438f);
    processor.setParameter (thresholdIndex, 0.9f);
    processor.setCurrentProgram (0);
    EXPECT_EQ (processor.getParameter (thresholdIndex), 0.0f);
    processor.setCurrentProgram (7);
    EXPECT_EQ (processor.getParameter (thresholdIndex), 0.9f);
    expectParametersMirrorTheCurrentSlot();
}

TEST_F (ProcessorTest, ProgramSelectionAppliesTheSlot)
{
    processor.setCurrentProgram (6);
    EXPECT_EQ (processor.getParameter (meterScaleIndex), 0.5f);
    EXPECT_EQ (processor.getParameter (dryMixIndex), 1.0f);
    EXPECT_EQ (applied().getSettings().dryGain, 1.0);

    processor.setCurrentProgram (4);
    EXPECT_EQ (processor.getParameter (peakRatioIndex), 0.0f);
    EXPECT_FALSE (applied().getSettings().peakFollowsRatio);
    EXPECT_EQ (text (keyHpSlopeIndex), "1.00");
}

TEST_F (ProcessorTest, BadProgramIndicesChangeNothingAndReadInvalid)
{
    processor.setCurrentProgram (3);
    for (int index : { 15, -1, 1000 })
    {
        processor.setCurrentProgram (index);
        EXPECT_EQ (processor.getCurrentProgram(), 3);
        EXPECT_EQ (processor.getProgramName (index), "Invalid");
        processor.changeProgramName (index, "nowhere");
    }
    for (int k = 0; k < CorvaneAudioProcessor::numPrograms; ++k)
        EXPECT_NE (processor.getProgramName (k), "nowhere");
}

TEST_F (ProcessorTest, RenamingTouchesOneSlotAndIsSaved)
{
    processor.changeProgramName (3, "My Master");

    EXPECT_EQ (processor.getProgramName (3), "My Master");
    EXPECT_EQ (processor.getProgramName (2), "Mastering - Tight");
    EXPECT_EQ (processor.getCurrentProgram(), 0);
    EXPECT_TRUE (document().contains ("programname=\"My Master\""));
}

TEST_F (ProcessorTest, ASlotWithDeltaAndBypassBothOnSelectsDeltaOnly)
{
    processor.setCurrentProgram (5);
    processor.setParameter (deltaIndex, 1.0f);

    // Hand-edit the saved slot so both switches are on, as a foreign tool might.
    const auto edited = document().replace ("programname=\"Mastering: Butter\" threshold=\"0.324999988\" peakcrest=\"0.5\" softknee=\"1\" "
                                 "ratio=\"0.5\" attack=\"0.272000015\" releasepeak=\"0.335000008\" releaserms=\"0.628000021\" "
                                 "makeup=\"0.610000014\" drymix=\"0\" keyhpfrequency=\"0.819000006\" outgain=\"0.5\" "
                                 "keystereodiff=\"0\" keyhpslope=\"0.333000004\" delta=\"1\" bypass=\"0\"",
                                 "programname=\"Mastering: Butter\" delta=\"1\" bypass=\"1\"");
    ASSERT_TRUE (edited.contains ("delta=\"1\" bypass=\"1\""));

    juce::MemoryBlock chunk;
    PresetChunk::wrap (edited, chunk);
    restore (chunk);

    EXPECT_EQ (processor.getCurrentProgram(), 5);
    EXPECT_EQ (processor.getParameter (deltaIndex), 1.0f);
    EXPECT_EQ (processor.getParameter (bypassIndex), 0.0f);
    EXPECT_EQ (current().values[bypassIndex], 0.0f);
    EXPECT_TRUE (applied().getSettings().delta);
    EXPECT_FALSE (applied().getSettings().bypass);
}

//==============================================================================
TEST_F (ProcessorTest, SavedStateRightAfterConstructionIsTheFactoryBank)
{
    const auto text = document();

    EXPECT_TRUE (text.startsWith ("<VelmoraPreset currentprogram=\"0\" version=\"1\"><programs><program programname=\"Full Reset\" threshold=\"0\" peakcrest=\"0.5\" softknee=\"0.159999996\""));
    EXPECT_TRUE (text.contains ("<program programname=\"Vocal Bus: Slow\" threshold=\"0.497000009\""));
}

TEST_F (ProcessorTest, RestoringASavedStateReproducesEveryValueInAnotherInstance)
{
    processor.setCurrentProgram (9);
    processor.setParameter (attackIndex, 0.123456f);
    processor.changeProgramName (2, "Renamed");
    processor.setParameter (meterScaleIndex, 0.8f);
    const auto saved = state();

    CorvaneAudioProcessor other;
    other.setStateInformation (saved.getData(), static_cast<int> (saved.getSize()));

    EXPECT_EQ (other.getCurrentProgram(), 9);
    EXPECT_EQ (other.getProgramName (2), "Renamed");
    for (int i = 0; i < numNamedParameters; ++i)
        EXPECT_EQ (other.getParameter (i), processor.getParameter (i)) << "index " << i;

    juce::MemoryBlock again;
    other.getStateInformation (again);
    EXPECT_EQ (again, saved);
}

TEST_F (ProcessorTest, AnUnreadableStateReselectsTheCurrentProgram)
{
    processor.setCurrentProgram (2);
    processor.setParameter (ratioIndex, 0.9f);
    const auto before = state();

    const char fourBytes[] = { 0x56, 0x43, 0x32, 0x21 };
    processor.setStateInformation (fourBytes, 4);
    processor.setStateInformation (nullptr, 0);

    EXPECT_EQ (state(), before);
    EXPECT_EQ (processor.getParameter (ratioIndex), 0.9f);
    expectParametersMirrorTheCurrentSlot();
}

TEST_F (ProcessorTest, ARestoredProgramIndexOutsideTheBankKeepsTheCurrentOne)
{
    processor.setCurrentProgram (4);
    juce::MemoryBlock chunk;
    PresetChunk::wrap ("<VelmoraPreset currentprogram=\"15\"/>", chunk);
    restore (chunk);

    EXPECT_EQ (processor.getCurrentProgram(), 4);
    expectParametersMirrorTheCurrentSlot();
}

//==============================================================================
TEST_F (ProcessorTest, LatencyFollowsTheRateAndIsAnnouncedOnlyWhenItChanges)
{
    LatencyCounter counter;
    processor.addListener (&counter);

    processor.setRateAndBufferSizeDetails (44100.0, 512);
    processor.prepareToPlay (44100.0, 512);
    EXPECT_EQ (processor.getLatencySamples(), 184);
    EXPECT_EQ (counter.latencyChanges, 1);

    processor.prepareToPlay (44100.0, 512);
    EXPECT_EQ (counter.latencyChanges, 1);

    processor.prepareToPlay (88200.0, 512);
    EXPECT_EQ (processor.getLatencySamples(), 8);
    processor.prepareToPlay (96000.0, 512);
    EXPECT_EQ (processor.getLatencySamples(), 8);
    EXPECT_EQ (counter.latencyChanges, 2);

    processor.prepareToPlay (80000.0, 512);
    EXPECT_EQ (processor.getLatencySamples(), 184);
    EXPECT_EQ (processor.getEngine().getParams().processRate, 160000.0);

    processor.removeListener (&counter);
}

//==============================================================================
namespace
{
    struct AudioTest : ProcessorTest
    {
        juce::MidiBuffer midi;

        void prepare (double rate)
        {
            processor.setRateAndBufferSizeDetails (rate, 512);
            processor.prepareToPlay (rate, 512);
        }
    };
}

TEST_F (AudioTest, AnEmptyBlockPublishesUnityGainAndLeavesThePathGains)
{
    prepare (44100.0);
    juce::AudioBuffer<float> empty (2, 0);
    processor.publishReadings ({ 0.5, processor.getPeakGainDb(), processor.getRmsGainDb() });
    processor.processBlock (empty, midi);

    EXPECT_EQ (processor.getCurrentGain(), 1.0);
    EXPECT_EQ (processor.getPeakGainDb(), -100.0);
    EXPECT_EQ (processor.getRmsGainDb(), -100.0);
}

TEST_F (AudioTest, QuietMaterialLeavesTheFullResetProgramUnchangedButDelayed)
{
    // Threshold 0 dB, makeup 0 dB, no dry signal, out gain 0 dB: a signal 40 dB down
    // is not reduced and comes out as it went in, one latency later.
    prepare (44100.0);
    const int latency = processor.getLatencySamples();
    juce::AudioBuffer<float> buffer (2, 2048);
    for (int i = 0; i < buffer.getNumSamples(); ++i)
    {
        buffer.setSample (0, i, 0.01f * std::sin (0.03f * static_cast<float> (i)));
        buffer.setSample (1, i, 0.01f * std::cos (0.05f * static_cast<float> (i)));
    }
    const juce::AudioBuffer<float> input (buffer);

    processor.processBlock (buffer, midi);

    for (int channel = 0; channel < 2; ++channel)
        for (int i = latency; i < buffer.getNumSamples(); ++i)
            ASSERT_NEAR (buffer.getSample (channel, i), input.getSample (channel, i - latency), 1e-7f) << i;
    EXPECT_NEAR (processor.getCurrentGain(), 1.0, 1e-9);
}

TEST_F (AudioTest, NonFiniteSamplesNeverReachTheOutput)
{
    prepare (48000.0);
    processor.setCurrentProgram (11);
    juce::AudioBuffer<float> buffer (2, 4096);
    for (int i = 0; i < buffer.getNumSamples(); ++i)
    {
        buffer.setSample (0, i, 0.8f * std::sin (0.02f * static_cast<float> (i)));
        buffer.setSample (1, i, i % 97 == 0 ? std::numeric_limits<float>::quiet_NaN()
                                            : (i % 89 == 0 ? std::numeric_limits<float>::infinity() : 0.5f));
    }

    processor.processBlock (buffer, midi);

    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            ASSERT_TRUE (std::isfinite (buffer.getSample (channel, i))) << channel << " " << i;
    EXPECT_TRUE (std::isfinite (processor.getCurrentGain()));
}

TEST_F (ProcessorTest, DamagedStatesNeverLeaveTheProcessorInconsistent)
{
    processor.setCurrentProgram (8);
    const auto valid = state();
    juce::Random random (99);

    for (int round = 0; round < 300; ++round)
    {
        juce::MemoryBlock chunk (valid);
        auto* bytes = static_cast<char*> (chunk.getData());
        for (int edit = 0; edit < 1 + random.nextInt (6); ++edit)
            bytes[random.nextInt (static_cast<int> (chunk.getSize()))] = static_cast<char> (random.nextInt (256));

        processor.setStateInformation (chunk.getData(), random.nextInt (static_cast<int> (chunk.getSize()) + 1));

        ASSERT_GE (processor.getCurrentProgram(), 0);
        ASSERT_LT (processor.getCurrentProgram(), CorvaneAudioProcessor::numPrograms);
        for (int i = 0; i < numNamedParameters; ++i)
        {
            const float stored = processor.getParameter (i);
            const float slot = current().values[i];
            ASSERT_EQ (std::memcmp (&stored, &slot, sizeof (float)), 0) << "round " << round << " index " << i;
        }
    }
}

//==============================================================================
namespace
{
    bool sameBits (float a, float b)
    {
        return std::memcmp (&a, &b, sizeof a) == 0;
    }

    /** Everything in the engine a parameter change can reach. */
    std::vector<double> engineSettings (const CompressorEngine& e)
    {
        const auto& s = e.getSettings();
        const auto& c = e.getParams().curve;
        return { s.thresholdDb, s.crestDb, s.kneeDb, s.ratioSlope, s.attackMs, c.peakAttackCoef, c.levelCoef,
                 s.releasePeakMs, s.releaseRmsMs, s.makeupGain, s.dryGain, s.keyHpHz, s.outputGain,
                 s.stereoDiff, static_cast<double> (s.keySlope), static_cast<double> (s.delta),
                 static_cast<double> (s.bypass), static_cast<double> (s.peakFollowsRatio),
                 static_cast<double> (s.precise) };
    }

    /** Loud stereo material, well over every factory threshold. */
    void fillLoud (juce::AudioBuffer<float>& buffer)
    {
        for (int i = 0; i < buffer.getNumSamples(); ++i)
        {
            buffer.setSample (0, i, 0.9f * std::sin (0.031f * static_cast<float> (i)));
            buffer.setSample (1, i, 0.7f * std::sin (0.017f * static_cast<float> (i)));
        }
    }
}

TEST_F (ProcessorTest, NonFiniteValuesAreKeptAsSentWhileTheEngineKeepsItsPreviousSettings)
{
    processor.setCurrentProgram (6);
    const auto before = engineSettings (applied());

    for (float sent : { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                        -std::numeric_limits<float>::infinity() })
    {
        for (int index = 0; index < numNamedParameters; ++index)
        {
            processor.setParameter (index, sent);
            EXPECT_TRUE (sameBits (processor.getParameter (index), sent)) << index;
            EXPECT_TRUE (sameBits (current().values[index], sent)) << index;
        }

        EXPECT_EQ (engineSettings (applied()), before) << sent;
    }

    // Nor did any reach a coefficient: the audio nulls against a processor that never saw them.
    CorvaneAudioProcessor untouched;
    untouched.setCurrentProgram (6);
    juce::AudioBuffer<float> held (2, 4096), expected (2, 4096);
    juce::MidiBuffer none;
    fillLoud (held);
    fillLoud (expected);
    for (auto* p : { &processor, &untouched })
        p->prepareToPlay (44100.0, 4096);
    processor.processBlock (held, none);
    untouched.processBlock (expected, none);
    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < held.getNumSamples(); ++i)
            ASSERT_EQ (held.getSample (channel, i), expected.getSample (channel, i)) << channel << " " << i;

    processor.setParameter (thresholdIndex, 0.5f);
    EXPECT_EQ (applied().getSettings().thresholdDb, -30.0);
}

TEST_F (AudioTest, ARatioBelowZeroActsAsZeroButIsKeptAsSent)
{
    // Below 0 the detector would expand what it hears of its own output, and the gain
    // would climb without end. The engine takes 0, a null test against a true 0 shows.
    CorvaneAudioProcessor reference;
    juce::AudioBuffer<float> held (2, 8192);
    juce::AudioBuffer<float> expected (2, 8192);

    for (auto* p : { &processor, &reference })
    {
        p->setRateAndBufferSizeDetails (44100.0, 8192);
        p->prepareToPlay (44100.0, 8192);
        p->setCurrentProgram (3);
        p->setParameter (peakRatioIndex, 1.0f);
    }
    processor.setParameter (ratioIndex, -0.5f);
    reference.setParameter (ratioIndex, 0.0f);

    for (int round = 0; round < 20; ++round)
    {
        fillLoud (held);
        fillLoud (expected);
        processor.processBlock (held, midi);
        reference.processBlock (expected, midi);

        for (int channel = 0; channel < 2; ++channel)
            for (int i = 0; i < held.getNumSamples(); ++i)
                ASSERT_EQ (held.getSample (channel, i), expected.getSample (channel, i)) << round << " " << i;
    }

    EXPECT_LT (processor.getCurrentGain(), 1.0 + 1e-6);
    EXPECT_EQ (processor.getParameter (ratioIndex), -0.5f);
    EXPECT_EQ (current().values[ratioIndex], -0.5f);
    EXPECT_NE (text (ratioIndex), reference.parameter (ratioIndex)->getCurrentValueAsText());
}

TEST_F (AudioTest, LevelControlsActUpToTwiceTheirRangeAndKeepTheOutputFinite)
{
    processor.setParameter (makeupIndex, 1.5f);
    EXPECT_DOUBLE_EQ (applied().getSettings().makeupGain, dbToGain (36.0));
    processor.setParameter (outGainIndex, 1.5f);
    EXPECT_DOUBLE_EQ (applied().getSettings().outputGain, dbToGain (24.0));

    const float huge = std::numeric_limits<float>::max();
    processor.setParameter (makeupIndex, huge);
    processor.setParameter (dryMixIndex, huge);
    processor.setParameter (outGainIndex, huge);
    const auto& e = applied();
    EXPECT_DOUBLE_EQ (e.getSettings().makeupGain, dbToGain (54.0));
    EXPECT_DOUBLE_EQ (e.getSettings().dryGain, dbToGainFloat (60.0f));
    EXPECT_DOUBLE_EQ (e.getSettings().outputGain, dbToGain (36.0));
    EXPECT_EQ (processor.getParameter (makeupIndex), huge);

    prepare (44100.0);
    juce::AudioBuffer<float> buffer (2, 4096);
    fillLoud (buffer);
    processor.processBlock (buffer, midi);

    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            ASSERT_TRUE (std::isfinite (buffer.getSample (channel, i))) << channel << " " << i;
}
