#include "AudioInput.h"

#include "Float64WavReader.h"
#include "RenderFailure.h"
#include "SystemError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

AudioInput::AudioInput (const RenderOptions& options, juce::AudioFormatManager& formats)
    : file (options.input),
      shownName (options.standardInput ? juce::String ("standard input") : options.input.getFullPathName())
{
    if (options.standardInput)
    {
        readWhole (STDIN_FILENO);
    }
    else
    {
        const auto path = file.getFullPathName();
        struct stat status {};
        if (::stat (path.toRawUTF8(), &status) != 0)
            throw RenderFailure (errno == ENOENT ? "input file not found: " + path : "cannot read " + path + ": " + SystemError::describe (errno));
        if (S_ISDIR (status.st_mode))
            throw RenderFailure ("cannot read " + path + ": is a folder");

        const int fd = ::open (path.toRawUTF8(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            throw RenderFailure ("cannot read " + path + ": " + SystemError::describe (errno));

        // A pipe or a device can be read once only, and the formats need to look back.
        if (S_ISREG (status.st_mode))
            ::close (fd);
        else
            readWhole (fd);
    }

    openAudio (formats);
}

void AudioInput::readWhole (int fd)
{
    inMemory = true;
    char chunk[1 << 16];
    for (;;)
    {
        const auto got = ::read (fd, chunk, sizeof (chunk));
        if (got == 0)
            break;
        if (got < 0 && errno != EINTR)
        {
            const int error = errno;
            if (fd != STDIN_FILENO)
                ::close (fd);
            throw RenderFailure ("cannot read " + shownName + ": " + SystemError::describe (error));
        }
        if (got > 0)
            bytes.append (chunk, static_cast<size_t> (got));
    }
    if (fd != STDIN_FILENO)
        ::close (fd);
}

std::unique_ptr<juce::InputStream> AudioInput::openStream() const
{
    if (inMemory)
        return std::make_unique<juce::MemoryInputStream> (bytes, false);
    return std::make_unique<juce::FileInputStream> (file);
}

juce::String AudioInput::shortName() const
{
    return inMemory && file == juce::File() ? shownName : file.getFileName();
}

void AudioInput::openAudio (juce::AudioFormatManager& formats)
{
    const auto header = [this] { auto in = openStream(); return WavHeader::read (*in); }();

    if (header && Float64WavReader::takes (*header))
        audio = std::make_unique<Float64WavReader> (openStream().release(), *header);
    else
        audio.reset (formats.createReaderFor (openStream()));

    if (audio == nullptr)
        throw RenderFailure ("cannot read " + shownName + ": " + unreadableFormat());
    if (audio->numChannels < 1 || audio->numChannels > 2)
        throw RenderFailure ("cannot render " + shownName + ": only mono and stereo files are supported");
    if (audio->sampleRate < lowestRate || audio->sampleRate > highestRate)
        throw RenderFailure ("cannot render " + shownName + ": its sample rate of " + juce::String (audio->sampleRate) + " Hz is outside the supported range of "
                             + juce::String (lowestRate, 0) + " to " + juce::String (highestRate, 0) + " Hz");

    // Beyond the file's end the reader would only make up silence.
    const auto bytesPerFrame = static_cast<juce::int64> (audio->numChannels * audio->bitsPerSample / 8);
    if (header && bytesPerFrame > 0)
    {
        const auto present = std::max<juce::int64> (0, openStream()->getTotalLength() - header->dataStart) / bytesPerFrame;
        missing = std::max<juce::int64> (0, audio->lengthInSamples - present);
    }
}

juce::String AudioInput::unreadableFormat() const
{
    auto in = openStream();
    if (in->getTotalLength() == 0)
        return "the file is empty";
    char magic[16] {};
    in->read (magic, sizeof (magic));
    const auto starts = [&magic] (const char* text) { return std::memcmp (magic, text, std::strlen (text)) == 0; };

    if (starts ("riff") && static_cast<unsigned char> (magic[4]) == 0x2e)
        return "a Sony Wave64 file, which is not supported (RF64 is)";
    if (starts ("OggS"))
        return "an Ogg file, which is not supported";
    if (starts ("ID3") || (static_cast<unsigned char> (magic[0]) == 0xff && (static_cast<unsigned char> (magic[1]) & 0xe0) == 0xe0))
        return "an MP3 file, which is not supported";

    in = openStream();
    if (const auto header = WavHeader::read (*in))
    {
        const auto encoding = WavHeader::encodingName (header->formatTag);
        if (encoding.isNotEmpty())
            return "a WAV file in " + encoding + " encoding, which is not supported (integer and float are)";
        if (header->formatTag == WavHeader::pcm || header->formatTag == WavHeader::ieeeFloat)
            return "a WAV file of " + juce::String (header->bitsPerSample) + "-bit " + (header->formatTag == WavHeader::pcm ? "integer" : "float")
                   + " samples, which is not supported";
    }

    return "not a WAV, AIFF or FLAC file, or damaged";
}
