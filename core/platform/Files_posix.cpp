// File operations on POSIX systems.

#include "platform/Files.h"

#include <cerrno>
#include <cstdio>

#include <cstdlib>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>
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

bool UserConfigFolder(char* out, size_t size)
{
    // An XDG_CONFIG_HOME that is not absolute is to be ignored.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    int n;
    if (xdg != nullptr && xdg[0] == '/') {
        n = std::snprintf(out, size, "%s", xdg);
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] != '/')
            return false;
        n = std::snprintf(out, size, "%s/.config", home);
    }
    return n > 0 && static_cast<size_t>(n) < size;
}

bool CreateFolders(const char* path)
{
    char folder[4096];
    const int n = std::snprintf(folder, sizeof folder, "%s", path);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof folder)
        return false;
    for (char* p = folder + 1; *p != '\0'; ++p) {
        if (*p != '/')
            continue;
        *p = '\0';
        ::mkdir(folder, 0700);
        *p = '/';
    }
    ::mkdir(folder, 0700);
    struct stat info{};
    return ::stat(folder, &info) == 0 && S_ISDIR(info.st_mode);
}

int CurrentProcessId()
{
    return static_cast<int>(::getpid());
}

bool SeekFileTo(std::FILE* file, uint64_t offset)
{
    if (static_cast<uint64_t>(static_cast<off_t>(offset)) != offset || static_cast<off_t>(offset) < 0)
        return false;
    return ::fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

} // namespace qvr
