#include "SystemError.h"

#include <cerrno>
#include <cstring>

juce::String SystemError::describe (int errorNumber)
{
    switch (errorNumber)
    {
        case EACCES:
        case EPERM:   return "permission denied";
        case ENOENT:  return "no such file or folder";
        case ENOTDIR: return "a part of the path is not a folder";
        case EISDIR:  return "is a folder";
        case ENOSPC:  return "no space left on the device";
        case EDQUOT:  return "the disk quota is used up";
        case EROFS:   return "the file system is read-only";
        case EFBIG:   return "the file is too large for the file system";
        case EPIPE:   return "the reader closed the pipe";
        default:      return juce::String (std::strerror (errorNumber)).toLowerCase();
    }
}
