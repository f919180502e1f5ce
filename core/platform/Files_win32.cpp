// File operations on Windows.

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
// windows.h makes ReplaceFile a macro for its own ReplaceFileW (under
// UNICODE) or ReplaceFileA; ours is qvr::ReplaceFile.
#undef ReplaceFile

#include "platform/Files.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace qvr {

PathKind GetPathKind(const char* path)
{
    if (path == nullptr || path[0] == '\0')
        return PathKind::Other;
    const DWORD attributes = ::GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathKind::Missing : PathKind::Other;
    }
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_REPARSE_POINT))
        return PathKind::Other;
    return PathKind::RegularFile;
}

bool ReplaceFile(const char* from, const char* to)
{
    // rename() refuses an existing target on Windows; MoveFileEx replaces it.
    return from != nullptr && to != nullptr &&
           ::MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool ResolveFinalTarget(const char* path, char* out, size_t size)
{
    // Links are not followed by name here: the path is written as it is.
    if (path == nullptr || size == 0)
        return false;
    const int n = std::snprintf(out, size, "%s", path);
    return n >= 0 && static_cast<size_t>(n) < size;
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
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const unsigned mix = (static_cast<unsigned>(::GetTickCount()) ^ (::GetCurrentProcessId() << 12) ^
                              (++counter * 2654435761u)) & 0xFFFFFFu;
        const int n = std::snprintf(tempPath, size, "%s.%06x.part", target, mix);
        if (n < 0 || static_cast<size_t>(n) >= size) {
            tempPath[0] = '\0';
            code = ENAMETOOLONG;
            return nullptr;
        }
        const int fd = ::_open(tempPath, _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            code = errno;
            tempPath[0] = '\0';
            return nullptr;
        }
        std::FILE* file = ::_fdopen(fd, "w+b");
        if (file == nullptr) {
            code = errno;
            ::_close(fd);
            ::_unlink(tempPath);
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
    const char* appData = std::getenv("APPDATA");
    if (appData == nullptr || appData[0] == '\0')
        return false;
    const int n = std::snprintf(out, size, "%s", appData);
    return n > 0 && static_cast<size_t>(n) < size;
}

bool CreateFolders(const char* path)
{
    char folder[MAX_PATH];
    const int n = std::snprintf(folder, sizeof folder, "%s", path);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof folder)
        return false;
    for (char* p = folder + 1; *p != '\0'; ++p) {
        if ((*p != '/' && *p != '\\') || p[-1] == ':')
            continue;
        const char separator = *p;
        *p = '\0';
        ::CreateDirectoryA(folder, nullptr);
        *p = separator;
    }
    ::CreateDirectoryA(folder, nullptr);
    const DWORD attributes = ::GetFileAttributesA(folder);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

FileLock LockFileExclusive(const char* path)
{
    const HANDLE file = ::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return kNoFileLock;
    OVERLAPPED whole{};
    if (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole)) {
        ::CloseHandle(file);
        return kNoFileLock;
    }
    return reinterpret_cast<FileLock>(file);
}

void UnlockFile(FileLock lock)
{
    if (lock == kNoFileLock)
        return;
    const HANDLE file = reinterpret_cast<HANDLE>(lock);
    OVERLAPPED whole{};
    ::UnlockFileEx(file, 0, 1, 0, &whole);
    ::CloseHandle(file);
}

int CurrentProcessId()
{
    return static_cast<int>(::GetCurrentProcessId());
}

bool SeekFileTo(std::FILE* file, uint64_t offset)
{
    if (offset > static_cast<uint64_t>(INT64_MAX))
        return false;
    return ::_fseeki64(file, static_cast<long long>(offset), SEEK_SET) == 0;
}

} // namespace qvr
