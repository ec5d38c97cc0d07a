#include "RenderCommand.h"

#include "DemoMaterial.h"
#include "Interruption.h"
#include "OfflineRenderer.h"
#include "ParameterTable.h"
#include "RenderPicture.h"
#include "SettingText.h"
#include "SystemError.h"
#include "WavHeader.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <numeric>

namespace
{
    juce::String decibels (double db)
    {
        return juce::String (db, 1) + " dB";
    }

    void warn (const juce::String& text)
    {
        std::fprintf (stderr, "velmora-render: warning: %s\n", text.toRawUTF8());
    }

    // Letter case and the separators between words do not count: "mastering: glue"
    // names "Mastering - Glue".
    juce::String comparable (const juce::String& name)
    {
        juce::String words;
        for (const auto c : name.toLowerCase())
            words += juce::CharacterFunctions::isLetterOrDigit (c) ? juce::String::charToString (c) : juce::String (" ");
        auto tokens = juce::StringArray::fromTokens (words, false);
        tokens.removeEmptyStrings();
        return tokens.joinIntoString (" ");
    }

    int indexOfName (const juce::StringArray& names, const juce::String& wanted)
    {
        for (int i = 0; i < names.size(); ++i)
            if (comparable (names[i]) == comparable (wanted))
                return i;
        return -1;
    }

    int editDistance (const juce::String& a, const juce::String& b)
    {
        std::vector<int> row (static_cast<size_t> (b.length() + 1));
        std::iota (row.begin(), row.end(), 0);
        for (int i = 1; i <= a.length(); ++i)
        {
            int diagonal = row[0];
            row[0] = i;
            for (int j = 1; j <= b.length(); ++j)
            {
                const int substitution = diagonal + (a[i - 1] == b[j - 1] ? 0 : 1);
                diagonal = row[static_cast<size_t> (j)];
                row[static_cast<size_t> (j)] = std::min ({ substitution, row[static_cast<size_t> (j)] + 1, row[static_cast<size_t> (j - 1)] + 1 });
            }
        }
        return row.back();
    }

    // Names that contain the text come first, then the fewest edits away.
    juce::String closestNames (const juce::StringArray& names, const juce::String& wanted)
    {
        const auto typed = comparable (wanted);
        std::vector<std::pair<int, juce::String>> ranked;
        for (const auto& name : names)
            ranked.emplace_back ((comparable (name).contains (typed) ? 0 : 1000) + editDistance (comparable (name), typed), name);
        std::stable_sort (ranked.begin(), ranked.end(), [] (const auto& x, const auto& y) { return x.first < y.first; });

        juce::StringArray closest;
        for (size_t i = 0; i < std::min<size_t> (3, ranked.size()); ++i)
            closest.add ("'" + ranked[i].second + "'");
        return closest.isEmpty() ? juce::String() : ", closest: " + closest.joinIntoString (", ");
    }
}

RenderCommand::RenderCommand (const RenderOptions& optionsToUse)
    : options (optionsToUse),
      output (optionsToUse.output),
      report (optionsToUse.standardOutput ? stderr : stdout)
{
    formats.registerFormat (new juce::WavAudioFormat(), true);
    formats.registerFormat (new juce::AiffAudioFormat(), false);
    formats.registerFormat (new juce::FlacAudioFormat(), false);
}

void RenderCommand::print (const juce::String& line) const
{
    std::fprintf (report, "%s\n", line.toRawUTF8());
}

juce::String RenderCommand::outputName() const
{
    return options.standardOutput ? juce::String ("standard output") : options.output.getFullPathName();
}

int RenderCommand::run()
{
    try
    {
        for (const auto& warning : options.warnings)
            warn (warning);

        switch (options.mode)
        {
            case RenderOptions::Mode::help:
                print (RenderOptions::usage());
                printKeys();
                break;
            case RenderOptions::Mode::version:
                print ("velmora-render " VELMORA_VERSION);
                break;
            case RenderOptions::Mode::listPrograms:
                listPrograms();
                break;
            case RenderOptions::Mode::demoMaterial:
                writeDemoMaterial();
                break;
            case RenderOptions::Mode::render:
                render();
                break;
        }
        return 0;
    }
    catch (const Failure& failure)
    {
        std::fflush (stdout);
        std::fprintf (stderr, "velmora-render: error: %s\n", failure.what());
        return failure.status;
    }
}

void RenderCommand::listPrograms()
{
    for (int i = 0; i < processor.getNumPrograms(); ++i)
        print (juce::String (i + 1).paddedLeft (' ', 2) + "  " + processor.getProgramName (i));
}

void RenderCommand::writeDemoMaterial()
{
    const auto audio = DemoMaterial::generate();
    output.check();
    const auto temporary = temporaryFile();
    int writeError = 0;
    {
        auto writer = createWriter (temporary->getFile(), writeError, DemoMaterial::sampleRate, 2);
        writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples());
    }
    finish (*temporary, writeError, audio.getNumSamples());
    print ("wrote " + outputName());
}

void RenderCommand::render()
{
    AudioInput input (options, formats);
    auto& reader = input.reader();
    selectProgram();
    applySettings();
    checkOutputs();
    trimToData (input);

    // Every check that can fail comes before the first line of output.
    const auto temporary = temporaryFile();
    OfflineRenderer::Result result;
    OfflineRenderer renderer (processor, reader.sampleRate);
    RenderTrace trace (reader.lengthInSamples, RenderPicture::plotWidth);
    int writeError = 0;
    {
        auto writer = createWriter (temporary->getFile(), writeError, reader.sampleRate, reader.numChannels);
        printParameters();
        result = renderer.render (reader, *writer, options.picture == juce::File() ? nullptr : &trace);
    }
    if (! result.written && writeError == 0)
        writeError = EIO;
    finish (*temporary, writeError, reader.lengthInSamples);
    printSummary (input, renderer, result);

    if (options.picture != juce::File())
        writePicture (input, trace);
}

void RenderCommand::printSummary (AudioInput& input, const OfflineRenderer& renderer, const OfflineRenderer::Result& result)
{
    if (result.nonFiniteSamples > 0)
        warn (juce::String (result.nonFiniteSamples) + " input samples were not finite (NaN or infinity) and were rendered as 0;"
              " the input's levels leave them out");
    print ("input:  peak " + decibels (result.input.peakDb()) + "FS, RMS " + decibels (result.input.rmsDb()) + "FS");
    print ("output: peak " + decibels (result.output.peakDb()) + "FS, RMS " + decibels (result.output.rmsDb()) + "FS");
    if (result.output.peakDb() > 0.0 && ! options.floatOutput)
        print ("warning: the output peaks above 0 dBFS and was clipped; --float keeps it whole");
    print ("largest gain reduction: " + decibels (std::max (0.0, -LevelStats::decibels (result.smallestGain))));
    const auto& reader = input.reader();
    print ("wrote " + outputName() + " (" + juce::String (reader.lengthInSamples) + " samples at "
           + juce::String (reader.sampleRate, 0) + " Hz, latency of " + juce::String (renderer.getLatency()) + " samples removed)");
}

void RenderCommand::writePicture (AudioInput& input, const RenderTrace& trace)
{
    const auto& reader = input.reader();
    const auto title = "Velmora: " + processor.getProgramName (processor.getCurrentProgram()) + "  (" + input.shortName() + ")";
    const auto image = RenderPicture::draw (trace, title, static_cast<double> (reader.lengthInSamples) / reader.sampleRate);
    stopIfInterrupted (options.picture.getFullPathName());
    if (! RenderPicture::writePng (image, options.picture))
        throw Failure ("cannot write " + options.picture.getFullPathName());
    print ("wrote " + options.picture.getFullPathName());
}

void RenderCommand::selectProgram()
{
    if (options.program.isEmpty())
        return;

    juce::StringArray names;
    for (int i = 0; i < processor.getNumPrograms(); ++i)
        names.add (processor.getProgramName (i));

    const int number = options.program.getIntValue();
    const int index = options.program.containsOnly ("0123456789") ? (number >= 1 && number <= names.size() ? number - 1 : -1)
                                                                   : indexOfName (names, options.program);
    if (index < 0 && options.program.containsOnly ("0123456789"))
        throw Failure ("unknown program '" + options.program + "': the numbers run 1 to " + juce::String (names.size()) + " (see --list-programs)", usageError);
    if (index < 0)
        throw Failure ("unknown program '" + options.program + "'" + closestNames (names, options.program) + " (see --list-programs)", usageError);

    processor.setCurrentProgram (index);
}

void RenderCommand::checkOutputs() const
{
    // The same file also through another path, a link or a hard link.
    std::error_code error;
    if (! options.standardInput)
    {
        const std::filesystem::path input (options.input.getFullPathName().toStdString());
        for (const auto& target : { options.output, options.picture })
            if (target != juce::File() && std::filesystem::equivalent (input, target.getFullPathName().toStdString(), error))
                throw Failure ("the output " + target.getFullPathName() + " is the input file; choose another name", usageError);
    }

    if (! options.standardOutput)
        output.check();
    // The picture comes last, so a place it cannot go must not cost a whole render.
    if (options.picture != juce::File())
        OutputTarget (options.picture).check();
}

void RenderCommand::stopIfInterrupted (const juce::String& unwritten) const
{
    if (const int signal = Interruption::caught())
        throw Failure (juce::String ("interrupted by ") + Interruption::name (signal) + "; "
                           + (options.standardOutput ? juce::String ("nothing was written to standard output")
                                                     : unwritten + " is left as it was"),
                       128 + signal);
}

void RenderCommand::trimToData (AudioInput& input)
{
    if (const auto missing = input.missingSamples(); missing > 0)
    {
        auto& reader = input.reader();
        const auto declared = reader.lengthInSamples;
        reader.lengthInSamples -= missing;
        warn (input.name() + " holds " + juce::String (reader.lengthInSamples) + " of the " + juce::String (declared)
              + " samples its header declares; rendering those");
    }
}

void RenderCommand::applySettings()
{
    for (const auto& setting : options.settings)
        processor.setParameter (setting.index, setting.value);
}

void RenderCommand::printKeys()
{
    for (int i = 0; i < numNamedParameters; ++i)
        print ("  " + juce::String (parameterTable[i].stateKey).paddedRight (' ', 16)
                   + juce::String (parameterTable[i].name).paddedRight (' ', 18) + SettingText::range (i));
}

void RenderCommand::printParameters()
{
    print ("program: " + juce::String (processor.getCurrentProgram() + 1) + " " + processor.getProgramName (processor.getCurrentProgram()));
    for (int i = 0; i < numNamedParameters; ++i)
    {
        const auto* p = processor.parameter (i);
        print ("  " + p->getName (64).paddedRight (' ', 18) + SettingText::show (i, p->storedValue()));
    }
    std::fflush (report);
}

std::unique_ptr<juce::AudioFormatWriter> RenderCommand::createWriter (const juce::File& temporary, int& firstError, double sampleRate,
                                                                     unsigned int numChannels) const
{
    juce::WavAudioFormat wav;
    juce::FlacAudioFormat flac;
    juce::AudioFormat& format = options.writesFlac() ? static_cast<juce::AudioFormat&> (flac) : wav;

    auto stream = output.create (temporary, firstError);
    std::unique_ptr<juce::AudioFormatWriter> writer (format.createWriterFor (stream.get(), sampleRate, numChannels, options.floatOutput ? 32 : 24, {}, 0));
    if (writer == nullptr)
        throw Failure ("cannot write " + outputName());

    stream.release();
    return writer;
}

// Beside the output, so that it takes the output's place in one rename.
std::unique_ptr<juce::TemporaryFile> RenderCommand::temporaryFile() const
{
    if (options.standardOutput)
        return std::make_unique<juce::TemporaryFile> (options.writesFlac() ? ".flac" : ".wav");
    return std::make_unique<juce::TemporaryFile> (output.file(), juce::TemporaryFile::useHiddenFile);
}

void RenderCommand::finish (const juce::TemporaryFile& temporary, int writeError, juce::int64 expectedLength)
{
    stopIfInterrupted (outputName());
    if (writeError != 0)
        throw Failure ("cannot write " + outputName() + ": " + SystemError::describe (writeError));

    // Readers warn of a float WAV without the fact chunk; beyond 4 GB it is RF64 and needs none.
    if (options.floatOutput)
        WavHeader::completeFloatFormat (temporary.getFile(), expectedLength);

    // The finished file must read back whole.
    std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (temporary.getFile()));
    if (reader == nullptr || reader->lengthInSamples != expectedLength)
        throw Failure ("cannot write " + outputName() + ": the written file is incomplete");
    reader.reset();

    if (options.standardOutput)
        OutputTarget::copyToStandardOutput (temporary.getFile());
    else
        output.replaceWith (temporary.getFile());
}
