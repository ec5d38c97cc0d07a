#include "PosixOutputStream.h"

#include <cerrno>
#include <unistd.h>

PosixOutputStream::PosixOutputStream (int fileDescriptor, int& firstError)
    : fd (fileDescriptor), error (firstError)
{
}

PosixOutputStream::~PosixOutputStream()
{
    flush();
    if (::close (fd) != 0)
        fail();
}

void PosixOutputStream::fail()
{
    if (error == 0)
        error = errno;
}

bool PosixOutputStream::writeOut (const char* data, size_t numBytes)
{
    while (numBytes > 0)
    {
        const auto written = ::write (fd, data, numBytes);
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            fail();
            return false;
        }
        data += written;
        numBytes -= static_cast<size_t> (written);
        flushedPosition += written;
    }
    return true;
}

void PosixOutputStream::flush()
{
    if (buffered > 0 && error == 0)
        writeOut (static_cast<const char*> (buffer.getData()), buffered);
    buffered = 0;
}

juce::int64 PosixOutputStream::getPosition()
{
    return flushedPosition + static_cast<juce::int64> (buffered);
}

bool PosixOutputStream::setPosition (juce::int64 position)
{
    flush();
    if (::lseek (fd, position, SEEK_SET) < 0)
    {
        fail();
        return false;
    }
    flushedPosition = position;
    return true;
}

bool PosixOutputStream::write (const void* data, size_t numBytes)
{
    if (error != 0)
        return false;
    if (buffered + numBytes > buffer.getSize())
    {
        flush();
        if (numBytes > buffer.getSize())
            return writeOut (static_cast<const char*> (data), numBytes);
    }
    std::memcpy (static_cast<char*> (buffer.getData()) + buffered, data, numBytes);
    buffered += numBytes;
    return error == 0;
}
