#include "Transcript.h"

#include <algorithm>
#include <cstdio>

namespace qvr::sim {

void Transcript::Add(SimTime at, Kind kind, int baud, std::string text, const uint8_t* bytes, size_t count) {
    Entry entry{at, kind, baud, std::move(text), {}};
    if (bytes && count) entry.bytes.assign(bytes, bytes + count);
    m_entries.push_back(std::move(entry));
}

std::string Transcript::Escape(const uint8_t* bytes, size_t count) {
    std::string out = "\"";
    for (size_t i = 0; i < count; ++i) {
        const uint8_t c = bytes[i];
        switch (c) {
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        default:
            if (c >= 0x20 && c < 0x7F) {
                out += static_cast<char>(c);
            } else {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02x", c);
                out += hex;
            }
        }
    }
    return out + "\"";
}

namespace {

bool IsText(const std::vector<uint8_t>& bytes) {
    for (uint8_t c : bytes)
        if (!(c == '\r' || c == '\n' || c == '\t' || (c >= 0x20 && c < 0x7F))) return false;
    return true;
}

void AppendHex(std::string& out, const std::vector<uint8_t>& bytes) {
    for (size_t line = 0; line < bytes.size(); line += 16) {
        char buffer[128];
        int pos = std::snprintf(buffer, sizeof buffer, "    %04zx ", line);
        for (size_t i = 0; i < 16; ++i) {
            if (line + i < bytes.size())
                pos += std::snprintf(buffer + pos, sizeof buffer - pos, " %02x", bytes[line + i]);
            else
                pos += std::snprintf(buffer + pos, sizeof buffer - pos, "   ");
        }
        pos += std::snprintf(buffer + pos, sizeof buffer - pos, "  |");
        for (size_t i = 0; i < 16 && line + i < bytes.size(); ++i) {
            const uint8_t c = bytes[line + i];
            buffer[pos++] = (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '.';
        }
        buffer[pos++] = '|';
        buffer[pos] = '\0';
        out += buffer;
        out += '\n';
    }
}

} // namespace

std::string Transcript::Render() const {
    // Entries are recorded as the simulation processes them; show them in
    // the order of their times.
    std::vector<const Entry*> ordered;
    for (const Entry& e : m_entries) ordered.push_back(&e);
    std::stable_sort(ordered.begin(), ordered.end(), [](const Entry* a, const Entry* b) { return a->at < b->at; });
    std::string out;
    for (const Entry* entry : ordered) {
        const Entry& e = *entry;
        char head[96];
        const unsigned long long us = e.at / 1000;
        std::snprintf(head, sizeof head, "%6llu.%06llu ", us / 1000000, us % 1000000);
        out += head;
        switch (e.kind) {
        case Kind::HostOpen: out += "host  open " + e.text + " at " + std::to_string(e.baud) + "\n"; break;
        case Kind::HostOpenFailed: out += "host  open " + e.text + " failed\n"; break;
        case Kind::HostClose: out += "host  close\n"; break;
        case Kind::Note: out += "note  " + e.text + "\n"; break;
        case Kind::HostSent:
        case Kind::ReceiverSent:
        case Kind::AuxSent:
        case Kind::DeviceSent: {
            out += e.kind == Kind::HostSent ? "host> " : e.kind == Kind::ReceiverSent ? "rcvr> "
                 : e.kind == Kind::AuxSent ? "aux>  " : "radio> ";
            out += std::to_string(e.baud) + " ";
            if (IsText(e.bytes)) {
                out += Escape(e.bytes.data(), e.bytes.size()) + "\n";
            } else {
                out += std::to_string(e.bytes.size()) + " bytes\n";
                AppendHex(out, e.bytes);
            }
            break;
        }
        }
    }
    return out;
}

std::vector<std::string> Transcript::HostLines() const {
    std::vector<std::string> lines;
    for (const Entry& e : m_entries)
        if (e.kind == Kind::HostSent) lines.push_back(Escape(e.bytes.data(), e.bytes.size()));
    return lines;
}

} // namespace qvr::sim

namespace qvr::sim {

std::vector<std::string> Transcript::HostWrites() const {
    std::vector<std::string> writes;
    for (const Entry& e : m_entries)
        if (e.kind == Kind::HostSent) writes.emplace_back(e.bytes.begin(), e.bytes.end());
    return writes;
}

} // namespace qvr::sim
