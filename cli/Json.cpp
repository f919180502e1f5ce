#include "Json.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace qvr::cli {

Json& Json::Real(double value) {
    Separate();
    if (!std::isfinite(value)) {
        m_out += "null";
        return *this;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.10g", value);
    m_out += text;
    return *this;
}

size_t Utf8Length(const unsigned char* p, size_t n) {
    if (n == 0) return 0;
    const unsigned char b = p[0];
    if (b < 0x80) return 1;
    const size_t length = b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
    if (length == 0 || length > n) return 0;
    for (size_t k = 1; k < length; ++k)
        if ((p[k] & 0xC0) != 0x80) return 0;
    if (b == 0xE0 && p[1] < 0xA0) return 0;   // overlong
    if (b == 0xED && p[1] >= 0xA0) return 0;  // surrogate
    if (b == 0xF0 && p[1] < 0x90) return 0;   // overlong
    if (b == 0xF4 && p[1] >= 0x90) return 0;  // beyond U+10FFFF
    return length;
}

void Json::Quote(const char* text) {
    const auto escape = [this](unsigned codePoint) {
        char code[8];
        std::snprintf(code, sizeof code, "\\u%04x", codePoint);
        m_out += code;
    };
    m_out += '"';
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const size_t n = std::strlen(text);
    for (size_t i = 0; i < n;) {
        const unsigned char b = p[i];
        switch (b) {
        case '"': m_out += "\\\""; ++i; continue;
        case '\\': m_out += "\\\\"; ++i; continue;
        case '\n': m_out += "\\n"; ++i; continue;
        case '\r': m_out += "\\r"; ++i; continue;
        case '\t': m_out += "\\t"; ++i; continue;
        default: break;
        }
        const size_t length = Utf8Length(p + i, n - i);
        if (b < 0x20 || b == 0x7F || length == 0) {
            escape(b);
            ++i;
        } else if (length == 2 && b == 0xC2 && p[i + 1] < 0xA0) {
            escape(p[i + 1]);  // a C1 control character
            i += 2;
        } else {
            m_out.append(text + i, length);
            i += length;
        }
    }
    m_out += '"';
}

} // namespace qvr::cli
