#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "SimTime.h"

namespace qvr::sim {

// What each side of a link sent, with its time: the record protocol tests
// compare against checked-in golden files.
class Transcript {
public:
    enum class Kind { HostOpen, HostOpenFailed, HostClose, HostSent, ReceiverSent, AuxSent, DeviceSent, Note };
    struct Entry {
        SimTime at;
        Kind kind;
        int baud;
        std::string text;            // port name or note
        std::vector<uint8_t> bytes;  // HostSent, ReceiverSent
    };

    void Add(SimTime at, Kind kind, int baud, std::string text, const uint8_t* bytes = nullptr, size_t count = 0);
    const std::vector<Entry>& Entries() const { return m_entries; }
    void Clear() { m_entries.clear(); }
    Entry* Last() { return m_entries.empty() ? nullptr : &m_entries.back(); }

    // Renders every entry: time in seconds with microseconds, the side, the
    // line rate, then the bytes as an escaped string when they are text, or
    // as hex lines with their printable characters otherwise.
    std::string Render() const;
    // Only the lines of text the host sent, each as an escaped string.
    std::vector<std::string> HostLines() const;
    // What the host wrote, one raw string per write.
    std::vector<std::string> HostWrites() const;

    static std::string Escape(const uint8_t* bytes, size_t count);

private:
    std::vector<Entry> m_entries;
};

} // namespace qvr::sim
