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

// True when the text holds a control character (a line end, tab, escape,
// delete...): typed into a field that is sent on as one line or stored
// as one record item, it would split or shift what follows.
inline bool HasControlCharacter(const char* text) {
    for (const char* p = text; p && *p; ++p)
        if (static_cast<unsigned char>(*p) < 0x20 || *p == 0x7F) return true;
    return false;
}

// The same, or a double quote, which ends a quoted field early.
inline bool HasControlOrQuote(const char* text) {
    if (HasControlCharacter(text)) return true;
    return text && std::strchr(text, '"') != nullptr;
}

} // namespace qvr
