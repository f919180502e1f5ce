// File operations on Windows.

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
// windows.h makes ReplaceFile a macro for its own ReplaceFileW (under
// UNICODE) or ReplaceFileA; ours is qvr::ReplaceFile.
#undef ReplaceFile

#include "platform/Files.h"

#include <cstdio>
#include <cstdlib>

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
