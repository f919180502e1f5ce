// File operations on POSIX systems.

#include "platform/Files.h"

#include <atomic>
#include <cerrno>
#include <cstdio>

#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

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

bool ResolveFinalTarget(const char* path, char* out, size_t size)
{
    if (path == nullptr || size == 0)
        return false;
    char current[4096];
    int n = std::snprintf(current, sizeof current, "%s", path);
    if (n < 0 || static_cast<size_t>(n) >= sizeof current)
        return false;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info{};
        if (::lstat(current, &info) != 0 || !S_ISLNK(info.st_mode)) {
            n = std::snprintf(out, size, "%s", current);
            return n >= 0 && static_cast<size_t>(n) < size;
        }
        char target[4096];
        const ssize_t length = ::readlink(current, target, sizeof target - 1);
        if (length < 0 || static_cast<size_t>(length) >= sizeof target - 1)
            return false;
        target[length] = '\0';
        if (target[0] == '/') {
            std::memcpy(current, target, static_cast<size_t>(length) + 1);
            continue;
        }
        // Relative to the folder the link is in.
        char* slash = std::strrchr(current, '/');
        const size_t folder = slash != nullptr ? static_cast<size_t>(slash - current) + 1 : 0;
        if (folder + static_cast<size_t>(length) + 1 > sizeof current)
            return false;
        std::memcpy(current + folder, target, static_cast<size_t>(length) + 1);
    }
    errno = ELOOP;
    return false;
}

std::FILE* CreateFileBeside(const char* target, char* tempPath, size_t size, int* error)
{
    int unused = 0;
    int& code = error != nullptr ? *error : unused;
    code = 0;
    if (target == nullptr || target[0] == '\0' || size == 0) {
        code = EINVAL;
        return nullptr;
    }
    // A replaced file keeps its permissions; a new one gets what creating
    // it would have given (the process's umask applies to 0666).
    struct stat existing{};
    const bool replaces = ::stat(target, &existing) == 0 && S_ISREG(existing.st_mode);
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        const unsigned mix = (static_cast<unsigned>(now.tv_nsec) ^ (static_cast<unsigned>(::getpid()) << 12) ^
                              (++counter * 2654435761u)) & 0xFFFFFFu;
        const int n = std::snprintf(tempPath, size, "%s.%06x.part", target, mix);
        if (n < 0 || static_cast<size_t>(n) >= size) {
            tempPath[0] = '\0';
            code = ENAMETOOLONG;
            return nullptr;
        }
        const int fd = ::open(tempPath, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                              replaces ? 0600 : 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            code = errno;
            tempPath[0] = '\0';
            return nullptr;
        }
        if (replaces)
            ::fchmod(fd, existing.st_mode & 07777);
        std::FILE* file = ::fdopen(fd, "w+b");
        if (file == nullptr) {
            code = errno;
            ::close(fd);
            ::unlink(tempPath);
            tempPath[0] = '\0';
            return nullptr;
        }
        return file;
    }
    code = EEXIST;
    tempPath[0] = '\0';
    return nullptr;
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

FileLock LockFileExclusive(const char* path)
{
    const int fd = ::open(path, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0)
        return kNoFileLock;
    struct stat info{};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return kNoFileLock;
    }
    int locked;
    do
        locked = ::flock(fd, LOCK_EX);
    while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        ::close(fd);
        return kNoFileLock;
    }
    return fd;
}

void UnlockFile(FileLock lock)
{
    if (lock == kNoFileLock)
        return;
    // Closing the file gives the lock up.
    ::close(static_cast<int>(lock));
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
