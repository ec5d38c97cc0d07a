#include "RenderCommand.h"

#include "DemoMaterial.h"
#include "Interruption.h"
#include "OfflineRenderer.h"
#include "ParameterTable.h"
#include "RenderPicture.h"
#include "SettingText.h"
#include "WavHeader.h"

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

    void printLine (const juce::String& text)
    {
        std::printf ("%s\n", text.toRawUTF8());
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

    void replaceTarget (const juce::TemporaryFile& temporary, const juce::File& target)
    {
        if (! temporary.overwriteTargetFileWithTemporary())
            throw RenderCommand::Failure ("cannot replace " + target.getFullPathName());
    }
}

RenderCommand::RenderCommand (const RenderOptions& optionsToUse)
    : options (optionsToUse)
{
    formats.registerFormat (new juce::WavAudioFormat(), true);
    formats.registerFormat (new juce::AiffAudioFormat(), false);
    formats.registerFormat (new juce::FlacAudioFormat(), false);
}

int RenderCommand::run()
{
    try
    {
        switch (options.mode)
        {
            case RenderOptions::Mode::help:
                printLine (RenderOptions::usage());
                printKeys();
                break;
            case RenderOptions::Mode::version:
                printLine ("velmora-render " VELMORA_VERSION);
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
        printLine (juce::String (i + 1).paddedLeft (' ', 2) + "  " + processor.getProgramName (i));
}

void RenderCommand::writeDemoMaterial()
{
    const auto audio = DemoMaterial::generate();
    juce::TemporaryFile temporary (options.output, juce::TemporaryFile::useHiddenFile);
    {
        std::unique_ptr<juce::OutputStream> stream = temporary.getFile().createOutputStream();
        std::unique_ptr<juce::AudioFormatWriter> writer;
        if (stream != nullptr)
            writer.reset (juce::WavAudioFormat().createWriterFor (stream.get(), DemoMaterial::sampleRate, 2, 24, {}, 0));
        if (writer == nullptr)
            throw Failure ("cannot write " + options.output.getFullPathName());

        stream.release();
        if (! writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples()))
            throw Failure ("cannot write " + options.output.getFullPathName());
    }
    checkComplete (temporary.getFile(), audio.getNumSamples());
    stopIfInterrupted (options.output);
    replaceTarget (temporary, options.output);
    printLine ("wrote " + options.output.getFullPathName());
}

void RenderCommand::render()
{
    auto reader = openInput();
    selectProgram();
    applySettings();
    checkOutputs();
    trimToData (*reader);

    // Every check that can fail comes before the first line of output.
    juce::TemporaryFile temporary (options.output, juce::TemporaryFile::useHiddenFile);
    OfflineRenderer::Result result;
    OfflineRenderer renderer (processor, reader->sampleRate);
    RenderTrace trace (reader->lengthInSamples, RenderPicture::plotWidth);
    {
        auto writer = createWriter (temporary.getFile(), *reader);
        printParameters();
        result = renderer.render (*reader, *writer, options.picture == juce::File() ? nullptr : &trace);
        if (! result.written)
            throw Failure ("cannot write " + options.output.getFullPathName());
    }
    stopIfInterrupted (options.output);
    checkComplete (temporary.getFile(), reader->lengthInSamples);
    replaceTarget (temporary, options.output);

    printLine ("input:  peak " + decibels (result.input.peakDb()) + "FS, RMS " + decibels (result.input.rmsDb()) + "FS");
    printLine ("output: peak " + decibels (result.output.peakDb()) + "FS, RMS " + decibels (result.output.rmsDb()) + "FS");
    if (result.output.peakDb() > 0.0 && ! options.floatOutput)
        printLine ("warning: the output peaks above 0 dBFS and was clipped; --float keeps it whole");
    const double deepestDb = result.smallestGain > 0.0 ? std::max (0.0, -20.0 * std::log10 (result.smallestGain)) : 200.0;
    printLine ("largest gain reduction: " + decibels (deepestDb));
    printLine ("wrote " + options.output.getFullPathName() + " (" + juce::String (reader->lengthInSamples) + " samples at "
               + juce::String (reader->sampleRate, 0) + " Hz, latency of " + juce::String (renderer.getLatency()) + " samples removed)");

    if (options.picture != juce::File())
    {
        const auto title = "Velmora: " + processor.getProgramName (processor.getCurrentProgram()) + "  (" + options.input.getFileName() + ")";
        const auto image = RenderPicture::draw (trace, title, static_cast<double> (reader->lengthInSamples) / reader->sampleRate);
        stopIfInterrupted (options.picture);
        if (! RenderPicture::writePng (image, options.picture))
            throw Failure ("cannot write " + options.picture.getFullPathName());
        printLine ("wrote " + options.picture.getFullPathName());
    }
}

std::unique_ptr<juce::AudioFormatReader> RenderCommand::openInput()
{
    const auto path = options.input.getFullPathName();
    if (! options.input.existsAsFile())
        throw Failure ("input file not found: " + path);

    std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (options.input));
    if (reader == nullptr)
        throw Failure ("cannot read " + path + ": not a WAV, AIFF or FLAC file, or damaged");
    if (reader->numChannels < 1 || reader->numChannels > 2)
        throw Failure ("cannot render " + path + ": only mono and stereo files are supported");
    if (reader->sampleRate < 8000.0 || reader->sampleRate > 768000.0)
        throw Failure ("cannot render " + path + ": unsupported sample rate " + juce::String (reader->sampleRate));

    return reader;
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
    if (index < 0)
        throw Failure ("unknown program '" + options.program + "'" + closestNames (names, options.program) + " (see --list-programs)", usageError);

    processor.setCurrentProgram (index);
}

void RenderCommand::checkOutputs() const
{
    // The same file also through another path, a link or a hard link.
    std::error_code error;
    const std::filesystem::path input (options.input.getFullPathName().toStdString());
    for (const auto& target : { options.output, options.picture })
        if (target != juce::File() && std::filesystem::equivalent (input, target.getFullPathName().toStdString(), error))
            throw Failure ("the output " + target.getFullPathName() + " is the input file; choose another name", usageError);

    // The picture comes last, so a place it cannot go must not cost a whole render.
    if (options.picture != juce::File() && (options.picture.isDirectory() || ! options.picture.getParentDirectory().isDirectory()
                                            || ! options.picture.getParentDirectory().hasWriteAccess()))
        throw Failure ("cannot write " + options.picture.getFullPathName() + ": no such folder, or not writable");
}

void RenderCommand::stopIfInterrupted (const juce::File& unwritten)
{
    if (const int signal = Interruption::caught())
        throw Failure (juce::String ("interrupted by ") + Interruption::name (signal) + "; "
                           + unwritten.getFullPathName() + " is left as it was",
                       128 + signal);
}

void RenderCommand::trimToData (juce::AudioFormatReader& reader) const
{
    // Beyond the file's end the reader would only make up silence.
    const auto dataStart = WavHeader::dataStart (options.input);
    const auto bytesPerFrame = static_cast<juce::int64> (reader.numChannels * reader.bitsPerSample / 8);
    if (dataStart && bytesPerFrame > 0)
    {
        const auto present = std::max<juce::int64> (0, options.input.getSize() - *dataStart) / bytesPerFrame;
        if (present < reader.lengthInSamples)
        {
            const auto warning = options.input.getFullPathName() + " holds " + juce::String (present) + " of the "
                                 + juce::String (reader.lengthInSamples) + " samples its header declares; rendering those";
            std::fprintf (stderr, "velmora-render: warning: %s\n", warning.toRawUTF8());
            reader.lengthInSamples = present;
        }
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
        printLine ("  " + juce::String (parameterTable[i].stateKey).paddedRight (' ', 16)
                   + juce::String (parameterTable[i].name).paddedRight (' ', 18) + SettingText::range (i));
}

void RenderCommand::printParameters()
{
    printLine ("program: " + juce::String (processor.getCurrentProgram() + 1) + " " + processor.getProgramName (processor.getCurrentProgram()));
    for (int i = 0; i < numNamedParameters; ++i)
    {
        const auto* p = processor.parameter (i);
        printLine ("  " + p->getName (64).paddedRight (' ', 18) + SettingText::show (i, p->storedValue()));
    }
    std::fflush (stdout);
}

std::unique_ptr<juce::AudioFormatWriter> RenderCommand::createWriter (const juce::File& file, const juce::AudioFormatReader& input)
{
    juce::WavAudioFormat wav;
    juce::FlacAudioFormat flac;
    juce::AudioFormat& format = options.writesFlac() ? static_cast<juce::AudioFormat&> (flac) : wav;
    const int bits = options.floatOutput ? 32 : 24;

    std::unique_ptr<juce::OutputStream> stream = file.createOutputStream();
    std::unique_ptr<juce::AudioFormatWriter> writer;
    if (stream != nullptr)
        writer.reset (format.createWriterFor (stream.get(), input.sampleRate, input.numChannels, bits, {}, 0));
    if (writer == nullptr)
        throw Failure ("cannot write " + options.output.getFullPathName());

    stream.release();
    return writer;
}

void RenderCommand::checkComplete (const juce::File& file, juce::int64 expectedLength)
{
    // A full disk shows up here at the latest: the finished file must read back whole.
    std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (file));
    if (reader == nullptr || reader->lengthInSamples != expectedLength)
        throw Failure ("cannot write " + options.output.getFullPathName() + ": the written file is incomplete");
}
