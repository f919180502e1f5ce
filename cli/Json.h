#pragma once
#include <cstddef>
#include <string>

namespace qvr::cli {

// The length of the well-formed UTF-8 sequence that starts at text (at most
// available bytes): 1 for ASCII, 2 to 4, or 0 when the bytes there are not
// UTF-8 (a stray continuation byte, an overlong form, a surrogate, beyond
// U+10FFFF, cut short).
size_t Utf8Length(const unsigned char* text, size_t available);

// A small JSON writer: values are appended in order; the caller keeps the
// structure right (Key before each member value). Strings are written as
// UTF-8: well-formed sequences pass as they are, control characters
// (C0, DEL and C1) are escaped, and a byte that is not UTF-8 (receiver
// texts are bytes) becomes the code point of the same value, U+0080 to
// U+00FF, so that the output is always valid JSON.
class Json {
public:
    Json& Open() { Separate(); m_out += '{'; m_first = true; return *this; }
    Json& Close() { m_out += '}'; m_first = false; return *this; }
    Json& OpenArray() { Separate(); m_out += '['; m_first = true; return *this; }
    Json& CloseArray() { m_out += ']'; m_first = false; return *this; }
    Json& Key(const char* key) {
        Separate();
        Quote(key);
        m_out += ':';
        m_first = true;  // the value follows without a comma
        return *this;
    }
    Json& String(const char* value) { Separate(); Quote(value); return *this; }
    Json& Number(long long value) { Separate(); m_out += std::to_string(value); return *this; }
    Json& Real(double value);
    Json& Bool(bool value) { Separate(); m_out += value ? "true" : "false"; return *this; }
    Json& Null() { Separate(); m_out += "null"; return *this; }
    // Shorthands for members.
    Json& Member(const char* key, const char* value) { return Key(key).String(value); }
    Json& Member(const char* key, long long value) { return Key(key).Number(value); }
    Json& MemberBool(const char* key, bool value) { return Key(key).Bool(value); }
    Json& MemberReal(const char* key, double value) { return Key(key).Real(value); }

    const std::string& Text() const { return m_out; }

private:
    void Separate() {
        if (!m_first) m_out += ',';
        m_first = false;
    }
    void Quote(const char* text);

    std::string m_out;
    bool m_first = true;
};

} // namespace qvr::cli
