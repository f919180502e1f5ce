// File operations on POSIX systems.

#include "platform/Files.h"

#include <cerrno>
#include <cstdio>

#include <sys/stat.h>
#include <sys/types.h>

namespace qvr {

PathKind GetPathKind(const char* path)
{
    if (path == nullptr || path[0] == '\0')
        return PathKind::Other;
    struct stat info{};
    // lstat: a symbolic link is not replaced by a file of its own.
    if (::lstat(path, &info) != 0)
        return errno == ENOENT ? PathKind::Missing : PathKind::Other;
    return S_ISREG(info.st_mode) ? PathKind::RegularFile : PathKind::Other;
}

bool ReplaceFile(const char* from, const char* to)
{
    // rename() replaces an existing target atomically here.
    return from != nullptr && to != nullptr && std::rename(from, to) == 0;
}

bool SeekFileTo(std::FILE* file, uint64_t offset)
{
    if (static_cast<uint64_t>(static_cast<off_t>(offset)) != offset || static_cast<off_t>(offset) < 0)
        return false;
    return ::fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

} // namespace qvr
