#pragma once
#include <cstdint>
#include <cstdio>

namespace qvr {

// Why a path could not be opened as a regular file.
enum class FileOpenProblem { None, Missing, Folder, NotAFile, Unreadable, NameTooLong };

// Opens an existing regular file for binary reading without ever waiting:
// a folder, a pipe or a device is refused before anything could block on
// it (opening a pipe waits for a writer, for ever if none comes). On
// success *size is the file's size in bytes; on failure the result is null
// and *problem says why (*error: the system's error code, 0 when there is
// none).
std::FILE* OpenRegularFileForReading(const char* path, uint64_t* size, FileOpenProblem* problem,
                                     int* error = nullptr);

// Opens a file for appending text (a trace), creating it when missing,
// without ever waiting and without following a symbolic link in the last
// component: null for a pipe, a device, a folder or a link, which are never
// written to. A new file may be read by its owner only.
std::FILE* OpenRegularFileForAppending(const char* path);

// What a path names, looked up without opening it.
enum class PathKind { Missing, RegularFile, Folder, Other, Inaccessible };
PathKind InspectPath(const char* path);

} // namespace qvr
