// Opening a regular file on Windows: the path's attributes are looked at
// before it is opened, so that a folder or a device is never opened.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "platform/RegularFile.h"

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
    if (!path || path[0] == '\0') return fail(FileOpenProblem::Missing, ERROR_FILE_NOT_FOUND);
    // Device names ("\\.\COM1", "\\.\pipe\...") are not files.
    if (path[0] == '\\' && path[1] == '\\' && (path[2] == '.' || path[2] == '?') && path[3] == '\\')
        return fail(FileOpenProblem::NotAFile, 0);

    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path, GetFileExInfoStandard, &data)) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_INVALID_NAME)
            return fail(FileOpenProblem::Missing, static_cast<int>(code));
        if (code == ERROR_FILENAME_EXCED_RANGE) return fail(FileOpenProblem::NameTooLong, static_cast<int>(code));
        return fail(FileOpenProblem::Unreadable, static_cast<int>(code));
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return fail(FileOpenProblem::Folder, 0);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) return fail(FileOpenProblem::NotAFile, 0);
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return fail(FileOpenProblem::Unreadable, static_cast<int>(::GetLastError()));
    if (size) *size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return file;
}

PathKind InspectPath(const char* path) {
    if (!path || path[0] == '\0') return PathKind::Missing;
    if (path[0] == '\\' && path[1] == '\\' && (path[2] == '.' || path[2] == '?') && path[3] == '\\')
        return PathKind::Other;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path, GetFileExInfoStandard, &data)) {
        const DWORD code = ::GetLastError();
        return code == ERROR_FILE_NOT_FOUND ? PathKind::Missing : PathKind::Inaccessible;
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return PathKind::Folder;
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) ? PathKind::Other : PathKind::RegularFile;
}

std::FILE* OpenRegularFileForAppending(const char* path) {
    if (!path || path[0] == '\0') return nullptr;
    // Device names ("\\.\COM1", "\\.\pipe\...") are not files.
    if (path[0] == '\\' && path[1] == '\\' && (path[2] == '.' || path[2] == '?') && path[3] == '\\') return nullptr;
    const DWORD attributes = ::GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_REPARSE_POINT)))
        return nullptr;
    return std::fopen(path, "a");
}

} // namespace qvr
