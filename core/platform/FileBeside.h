#pragma once
#include <cstddef>
#include <cstdio>

namespace qvr {

// Writing a file through a temporary file beside it (Files_<os>.cpp).

// The file a write to path reaches: path itself, or, when its last
// component is a symbolic link, the link's final target (which need not
// exist), followed through chains of links. False when the chain is too
// long or loops, or the result does not fit in size bytes.
bool ResolveFinalTarget(const char* path, char* out, size_t size);

// Creates a new file beside target, named TARGET.XXXXXX.part, exclusively
// (an existing file is never opened or replaced), and opens it for binary
// writing and reading. It gets the permissions target has, or, when target
// does not exist, those of a file newly created there. Its name is put in
// tempPath. Null when it cannot be created; *error is then the system's
// error code.
std::FILE* CreateFileBeside(const char* target, char* tempPath, size_t size, int* error);

} // namespace qvr
