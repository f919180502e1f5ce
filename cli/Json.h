#pragma once
#include <string>

namespace qvr::cli {

// A small JSON writer: values are appended in order; the caller keeps the
// structure right (Key before each member value).
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
