#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "platform/FileBeside.h"

namespace qvr {

// What a path names: nothing, a regular file, or something else (a folder,
// a device, a pipe, a symbolic link, or a path that cannot be examined).
enum class PathKind { Missing, RegularFile, Other };
PathKind GetPathKind(const char* path);

// Puts the file at from in the place of the file at to, replacing it if it
// exists, in one step: a reader of `to` sees either the old file or the new
// one, never a mixture or none. False (and both files as they were) when it
// cannot be done.
bool ReplaceFile(const char* from, const char* to);

// The folder for the user's configuration files: $XDG_CONFIG_HOME, else
// ~/.config (on Windows %APPDATA%). False when there is none or it does not
// fit in size bytes.
bool UserConfigFolder(char* out, size_t size);

// Creates the folder and the folders above it that are missing; true when it
// exists afterwards.
bool CreateFolders(const char* path);

// An advisory lock on a file (created if missing) that every process of
// ours takes before a read-modify-write of the data it guards; it waits
// while another holds it. kNoFileLock when it cannot be taken.
using FileLock = intptr_t;
inline constexpr FileLock kNoFileLock = -1;
FileLock LockFileExclusive(const char* path);
void UnlockFile(FileLock lock);

// The id of this process (to name files no other process writes).
int CurrentProcessId();

// Moves a stream to offset bytes from the start of its file, beyond 2 GiB
// too. False when the system cannot seek there.
bool SeekFileTo(std::FILE* file, uint64_t offset);

} // namespace qvr
