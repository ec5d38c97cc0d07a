#include "RenderCommand.h"

#include "DemoMaterial.h"
#include "OfflineRenderer.h"
#include "ParameterTable.h"
#include "RenderPicture.h"

#include <cstdio>

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

    void replaceTarget (const juce::TemporaryFile& temporary, const juce::File& target)
    {
        if (! temporary.overwriteTargetFileWithTemporary())
            throw RenderCommand::Failure ("cannot replace " + target.getFullPathName().toStdString());
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
                for (int i = 0; i < numNamedParameters; ++i)
                    printLine ("  " + juce::String (parameterTable[i].stateKey).paddedRight (' ', 16) + parameterTable[i].name);
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
        return 1;
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
            throw Failure ("cannot write " + options.output.getFullPathName().toStdString());

        stream.release();
        if (! writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples()))
            throw Failure ("cannot write " + options.output.getFullPathName().toStdString());
    }
    checkComplete (temporary.getFile(), audio.getNumSamples());
    replaceTarget (temporary, options.output);
    printLine ("wrote " + options.output.getFullPathName());
}

void RenderCommand::render()
{
    auto reader = openInput();
    selectProgram();
    applySettings();

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
            throw Failure ("cannot write " + options.output.getFullPathName().toStdString());
    }
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
        if (! RenderPicture::writePng (image, options.picture))
            throw Failure ("cannot write " + options.picture.getFullPathName().toStdString());
        printLine ("wrote " + options.picture.getFullPathName());
    }
}

std::unique_ptr<juce::AudioFormatReader> RenderCommand::openInput()
{
    const auto path = options.input.getFullPathName().toStdString();
    if (! options.input.existsAsFile())
        throw Failure ("input file not found: " + path);

    std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (options.input));
    if (reader == nullptr)
        throw Failure ("cannot read " + path + ": not a WAV, AIFF or FLAC file, or damaged");
    if (reader->numChannels < 1 || reader->numChannels > 2)
        throw Failure ("cannot render " + path + ": only mono and stereo files are supported");
    if (reader->sampleRate < 8000.0 || reader->sampleRate > 768000.0)
        throw Failure ("cannot render " + path + ": unsupported sample rate " + juce::String (reader->sampleRate).toStdString());

    return reader;
}

void RenderCommand::selectProgram()
{
    if (options.program.isEmpty())
        return;

    for (int i = 0; i < processor.getNumPrograms(); ++i)
    {
        if (processor.getProgramName (i) == options.program)
        {
            processor.setCurrentProgram (i);
            return;
        }
    }

    const int number = options.program.getIntValue();
    if (options.program.containsOnly ("0123456789") && number >= 1 && number <= processor.getNumPrograms())
    {
        processor.setCurrentProgram (number - 1);
        return;
    }

    throw Failure ("unknown program '" + options.program.toStdString() + "' (see --list-programs)");
}

void RenderCommand::applySettings()
{
    for (const auto& setting : options.settings)
        processor.setParameter (setting.index, setting.value);
}

void RenderCommand::printParameters()
{
    printLine ("program: " + juce::String (processor.getCurrentProgram() + 1) + " " + processor.getProgramName (processor.getCurrentProgram()));
    for (int i = 0; i < numNamedParameters; ++i)
    {
        const auto* p = processor.parameter (i);
        printLine ("  " + p->getName (64).paddedRight (' ', 18) + p->getCurrentValueAsText());
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
        throw Failure ("cannot write " + options.output.getFullPathName().toStdString());

    stream.release();
    return writer;
}

void RenderCommand::checkComplete (const juce::File& file, juce::int64 expectedLength)
{
    // A full disk shows up here at the latest: the finished file must read back whole.
    std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (file));
    if (reader == nullptr || reader->lengthInSamples != expectedLength)
        throw Failure ("cannot write " + options.output.getFullPathName().toStdString() + ": the written file is incomplete");
}
