#pragma once

#include <juce_core/juce_core.h>

/** A buffered output stream on a file descriptor that keeps the first error number a
    write, seek or close met, so the error line can name the cause (a full disk shows up
    as late as the close). The writers of the framework own their stream and say only
    whether a write went through. */
class PosixOutputStream : public juce::OutputStream
{
public:
    /** Takes the descriptor; the first error is stored in firstError, which must outlive
        the stream. */
    PosixOutputStream (int fileDescriptor, int& firstError);
    ~PosixOutputStream() override;

    void flush() override;
    juce::int64 getPosition() override;
    bool setPosition (juce::int64 position) override;
    bool write (const void* data, size_t numBytes) override;

private:
    bool writeOut (const char* data, size_t numBytes);
    void fail();

    int fd;
    int& error;
    juce::int64 flushedPosition = 0;
    juce::MemoryBlock buffer { 1 << 16 };
    size_t buffered = 0;
};
