// Opening a regular file on POSIX systems: looked at with stat, opened
// non-blocking (a FIFO then opens at once instead of waiting for a writer),
// checked again with fstat, and only then handed over as a buffered stream.
#include "platform/RegularFile.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qvr {

std::FILE* OpenRegularFileForReading(const char* path, uint64_t* size, FileOpenProblem* problem, int* error) {
    const auto fail = [&](FileOpenProblem why, int code) -> std::FILE* {
        if (problem) *problem = why;
        if (error) *error = code;
        return nullptr;
    };
    if (size) *size = 0;
    if (problem) *problem = FileOpenProblem::None;
    if (error) *error = 0;
    if (!path || path[0] == '\0') return fail(FileOpenProblem::Missing, ENOENT);

    // Looked at first without opening: opening a device has effects of its
    // own (a serial port raises its modem lines).
    struct stat info {};
    if (::stat(path, &info) != 0) {
        const int code = errno;
        if (code == ENOENT || code == ENOTDIR) return fail(FileOpenProblem::Missing, code);
        if (code == ENAMETOOLONG) return fail(FileOpenProblem::NameTooLong, code);
        return fail(FileOpenProblem::Unreadable, code);
    }
    if (S_ISDIR(info.st_mode)) return fail(FileOpenProblem::Folder, EISDIR);
    if (!S_ISREG(info.st_mode)) return fail(FileOpenProblem::NotAFile, 0);

    // Non-blocking, in case it was swapped for a pipe in the meantime;
    // checked again on what was opened.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int code = errno;
        if (code == ENOENT || code == ENOTDIR) return fail(FileOpenProblem::Missing, code);
        // A pipe without a reader, a device without its hardware: not a file.
        if (code == ENXIO || code == ENODEV) return fail(FileOpenProblem::NotAFile, code);
        if (code == EISDIR) return fail(FileOpenProblem::Folder, code);
        return fail(FileOpenProblem::Unreadable, code);
    }
    if (::fstat(fd, &info) != 0) {
        const int code = errno;
        ::close(fd);
        return fail(FileOpenProblem::Unreadable, code);
    }
    if (S_ISDIR(info.st_mode)) {
        ::close(fd);
        return fail(FileOpenProblem::Folder, EISDIR);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return fail(FileOpenProblem::NotAFile, 0);
    }
    // A regular file never blocks; reads go on as usual.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        const int code = errno;
        ::close(fd);
        return fail(FileOpenProblem::Unreadable, code);
    }
    if (size) *size = static_cast<uint64_t>(info.st_size);
    return file;
}

std::FILE* OpenRegularFileForAppending(const char* path) {
    if (!path || path[0] == '\0') return nullptr;
    // O_NONBLOCK: a FIFO without a reader fails at once instead of waiting
    // for one; O_NOFOLLOW: a link in the last component fails.
    const int fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "a");
    if (!file) ::close(fd);
    return file;
}

PathKind InspectPath(const char* path) {
    struct stat info {};
    if (!path || path[0] == '\0') return PathKind::Missing;
    if (::stat(path, &info) != 0) return errno == ENOENT ? PathKind::Missing : PathKind::Inaccessible;
    if (S_ISDIR(info.st_mode)) return PathKind::Folder;
    return S_ISREG(info.st_mode) ? PathKind::RegularFile : PathKind::Other;
}

} // namespace qvr
