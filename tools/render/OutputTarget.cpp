#include "OutputTarget.h"

#include "RenderFailure.h"
#include "SystemError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
    // As many links in a row as the kernel follows.
    constexpr int maxLinks = 40;

    juce::File followLinks (juce::File file)
    {
        for (int i = 0; i < maxLinks && file.isSymbolicLink(); ++i)
            file = file.getLinkedTarget();
        return file;
    }

    mode_t currentUmask()
    {
        const auto mask = ::umask (0);
        ::umask (mask);
        return mask;
    }
}

OutputTarget::OutputTarget (const juce::File& givenFile)
    : given (givenFile), resolved (followLinks (givenFile))
{
}

juce::String OutputTarget::failureLine (const juce::String& cause) const
{
    return "cannot write " + given.getFullPathName() + ": " + cause;
}

void OutputTarget::check() const
{
    const auto folder = resolved.getParentDirectory();
    struct stat status {};
    if (::stat (resolved.getFullPathName().toRawUTF8(), &status) == 0 && S_ISDIR (status.st_mode))
        throw RenderFailure (failureLine ("is a folder"));
    if (::stat (folder.getFullPathName().toRawUTF8(), &status) != 0)
        throw RenderFailure (failureLine (errno == ENOENT ? juce::String ("no such folder " + folder.getFullPathName())
                                                           : SystemError::describe (errno)));
    if (! S_ISDIR (status.st_mode))
        throw RenderFailure (failureLine (folder.getFullPathName() + " is not a folder"));
    if (::access (folder.getFullPathName().toRawUTF8(), W_OK | X_OK) != 0)
        throw RenderFailure (failureLine (SystemError::describe (errno) + " in " + folder.getFullPathName()));
}

std::unique_ptr<PosixOutputStream> OutputTarget::create (const juce::File& temporary, int& firstError) const
{
    const int fd = ::open (temporary.getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        throw RenderFailure (failureLine (SystemError::describe (errno)));
    return std::make_unique<PosixOutputStream> (fd, firstError);
}

void OutputTarget::replaceWith (const juce::File& temporary) const
{
    const auto path = resolved.getFullPathName();
    struct stat existing {};
    const mode_t mode = ::stat (path.toRawUTF8(), &existing) == 0 ? (existing.st_mode & 07777) : (0666 & ~currentUmask());

    if (::chmod (temporary.getFullPathName().toRawUTF8(), mode) != 0
        || ::rename (temporary.getFullPathName().toRawUTF8(), path.toRawUTF8()) != 0)
        throw RenderFailure ("cannot replace " + given.getFullPathName() + ": " + SystemError::describe (errno));
}

void OutputTarget::copyToStandardOutput (const juce::File& finished)
{
    juce::FileInputStream in (finished);
    int error = 0;
    {
        PosixOutputStream out (::dup (STDOUT_FILENO), error);
        out.writeFromInputStream (in, -1);
    }
    if (! in.openedOk() || error != 0)
        throw RenderFailure ("cannot write to standard output: " + SystemError::describe (in.openedOk() ? error : EIO));
}
