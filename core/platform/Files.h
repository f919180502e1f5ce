#pragma once
#include <cstdint>
#include <cstdio>

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

// Moves a stream to offset bytes from the start of its file, beyond 2 GiB
// too. False when the system cannot seek there.
bool SeekFileTo(std::FILE* file, uint64_t offset);

} // namespace qvr
