#pragma once
#include <cstddef>

namespace qvr {

// Files being written that are to go when the program is interrupted
// (Ctrl+C) before they are complete, such as a download's file. A few fixed
// slots read with plain atomics, so that a signal handler can walk them;
// nothing is allocated.
inline constexpr int kMaxTemporaryFiles = 4;
inline constexpr size_t kMaxTemporaryPath = 1024;

// False (nothing will be removed) when all slots are taken or the path is
// longer than kMaxTemporaryPath - 1 characters.
bool RegisterTemporaryFile(const char* path);
void UnregisterTemporaryFile(const char* path);
// Calls visit with each registered path; safe in a signal handler.
void ForEachTemporaryFile(void (*visit)(const char* path));

} // namespace qvr
