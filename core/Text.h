#pragma once
#include <cstddef>
#include <cstring>

namespace qvr {

// Copies at most size - 1 characters of source and a NUL; never overruns.
inline void CopyCut(char* destination, size_t size, const char* source) {
    if (size == 0) return;
    size_t n = 0;
    while (n + 1 < size && source[n] != '\0') ++n;
    std::memcpy(destination, source, n);
    destination[n] = '\0';
}

template <size_t N>
inline void CopyCut(char (&destination)[N], const char* source) {
    CopyCut(destination, N, source);
}

} // namespace qvr
