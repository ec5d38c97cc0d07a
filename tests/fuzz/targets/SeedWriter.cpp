#include "CorvaneAudioProcessor.h"
#include "Operations.h"

#include <cstdio>

// Writes the seed corpora into the folder given: state/ gets the factory state with
// different programs current and an edited one; operations/ gets sessions of automation
// the way hosts send it.

namespace
{
    void save (const juce::File& file, const void* data, size_t size)
    {
        file.getParentDirectory().createDirectory();
        file.replaceWithData (data, size);
    }

    void writeStates (const juce::File& folder)
    {
        CorvaneAudioProcessor processor;

        for (int program : { 0, 4, 9, 14 })
        {
            processor.setCurrentProgram (program);
            juce::MemoryBlock state;
            processor.getStateInformation (state);
            save (folder.getChildFile ("factory-program-" + juce::String (program)), state.getData(), state.getSize());
        }

        processor.setCurrentProgram (2);
        processor.setParameter (0, 0.73f);
        processor.setParameter (3, 0.41f);
        processor.setParameter (13, 1.0f);
        processor.changeProgramName (2, "Edited & <saved>");
        juce::MemoryBlock state;
        processor.getStateInformation (state);
        save (folder.getChildFile ("edited"), state.getData(), state.getSize());
    }

    /** A knob ridden across its range while audio plays, as automation lanes do. */
    void ride (fuzz::OperationWriter& w, int index, float from, float to, int steps, int frames)
    {
        for (int i = 0; i <= steps; ++i)
        {
            w.setParameterTo (index, from + (to - from) * static_cast<float> (i) / static_cast<float> (steps));
            w.processSine (frames, 20000 + 2000 * i, 7 + i);
        }
    }

    void writeSessions (const juce::File& folder)
    {
        std::vector<std::pair<juce::String, fuzz::OperationWriter>> sessions;

        {
            fuzz::OperationWriter w;
            w.prepareAt (44100, 512);
            ride (w, 0, 0.0f, 0.8f, 12, 512);
            ride (w, 3, 0.2f, 1.0f, 8, 512);
            ride (w, 7, 0.5f, 0.9f, 6, 256);
            sessions.push_back ({ "threshold-ratio-makeup-rides", w });
        }
        {
            fuzz::OperationWriter w;
            w.prepareAt (96000, 1024);
            for (int program = 0; program < 15; ++program)
            {
                w.select (program);
                w.processNoise (1024, 30000);
            }
            sessions.push_back ({ "program-walk-at-96k", w });
        }
        {
            fuzz::OperationWriter w;
            w.prepareAt (48000, 480);
            w.processSine (480, 40000, 3);
            w.op (fuzz::saveState);
            ride (w, 4, 0.0f, 1.0f, 5, 480);
            ride (w, 5, 1.0f, 0.0f, 5, 480);
            w.op (fuzz::restoreState);
            w.processSine (480, 40000, 3);
            sessions.push_back ({ "save-automate-restore", w });
        }
        {
            fuzz::OperationWriter w;
            w.prepareAt (44100, 64);
            for (int i = 0; i < 6; ++i)
            {
                w.setParameterTo (13, i % 2 == 0 ? 1.0f : 0.0f);
                w.setParameterTo (14, i % 3 == 0 ? 1.0f : 0.0f);
                w.setParameterTo (16, i % 2 == 1 ? 1.0f : 0.0f);
                w.setParameterTo (12, 0.1f * static_cast<float> (i % 4));
                w.processNoise (64 + i, 50000);
            }
            w.op (fuzz::readTexts);
            sessions.push_back ({ "mode-switches-small-blocks", w });
        }
        {
            fuzz::OperationWriter w;
            for (std::uint32_t rate : { 8000u, 22050u, 88200u, 192000u, 384000u })
            {
                w.prepareAt (rate, 333);
                ride (w, 9, 0.0f, 1.0f, 3, 333);
                ride (w, 11, 1.0f, 0.0f, 3, 1);
            }
            sessions.push_back ({ "rate-changes-odd-blocks", w });
        }
        {
            fuzz::OperationWriter w;
            w.prepareAt (44100, 256);
            w.op (fuzz::renameProgram);
            w.u8 (0 + 2);
            w.u8 (5);
            for (char c : { 'V', 'o', 'x', ' ', '2' })
                w.u8 (c);
            w.op (fuzz::saveState);
            w.select (7);
            w.processSine (256, 30000, 20);
            w.op (fuzz::restoreState);
            w.op (fuzz::readTexts);
            sessions.push_back ({ "rename-save-select-restore", w });
        }

        for (auto& [name, writer] : sessions)
            save (folder.getChildFile (name), writer.bytes.data(), writer.bytes.size());
    }
}

int main (int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf (stderr, "usage: fuzz_seeds <corpus folder>\n");
        return 2;
    }

    const juce::File corpus (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]));
    writeStates (corpus.getChildFile ("state"));
    writeSessions (corpus.getChildFile ("operations"));
    return 0;
}
