#include "Json.h"

#include <cmath>
#include <cstdio>

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

void Json::Quote(const char* text) {
    m_out += '"';
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        switch (*p) {
        case '"': m_out += "\\\""; break;
        case '\\': m_out += "\\\\"; break;
        case '\n': m_out += "\\n"; break;
        case '\r': m_out += "\\r"; break;
        case '\t': m_out += "\\t"; break;
        default:
            if (*p < 0x20 || *p >= 0x7F) {
                // Receiver texts are bytes, not always UTF-8: keep each as a code point.
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", *p);
                m_out += escape;
            } else {
                m_out += static_cast<char>(*p);
            }
        }
    }
    m_out += '"';
}

} // namespace qvr::cli
