#include "FuzzLink.h"

#include <algorithm>
#include <cstring>

#include "LogFrame.h"

namespace qvr::fuzz {

namespace {

uint16_t LogId(FuzzDevice::Kind kind) {
    switch (kind) {
    case FuzzDevice::Version: return logid::Version;
    case FuzzDevice::Audio: return logid::AudioConfigDefaults;
    case FuzzDevice::ExtLevels: return logid::ExtLevels;
    case FuzzDevice::FileHeader: return logid::FileHeader;
    case FuzzDevice::FileTransfer: return logid::FileTransfer;
    default: return logid::PassAux;
    }
}

} // namespace

std::string FuzzDevice::Frame(Kind kind, const uint8_t* data, size_t size) {
    if (kind == Raw) return std::string(reinterpret_cast<const char*>(data), size);
    std::string body;
    if (kind == PassAux) {
        uint8_t count[4];
        WriteLe32(count, static_cast<uint32_t>(size));
        body.assign(reinterpret_cast<const char*>(count), 4);
    }
    body.append(reinterpret_cast<const char*>(data), size);
    std::string frame(kLogHeaderLength, '\0');
    auto* p = reinterpret_cast<uint8_t*>(frame.data());
    std::memcpy(p, kLogSync, 3);
    p[3] = static_cast<uint8_t>(kLogHeaderLength);
    WriteLe16(p + 4, LogId(kind));
    WriteLe16(p + 8, static_cast<uint16_t>(body.size()));
    frame += body;
    uint8_t crc[4];
    WriteLe32(crc, LogCrc32(reinterpret_cast<const uint8_t*>(frame.data()), frame.size()));
    frame.append(reinterpret_cast<const char*>(crc), 4);
    return frame;
}

std::string FuzzDevice::Segment(Kind kind, bool answersWrite, int delayStep, const std::string& data) {
    std::string out;
    out += static_cast<char>((kind & 7) | (answersWrite ? 8 : 0) | ((delayStep & 15) << 4));
    const size_t n = std::min(data.size(), kMaxSegment);
    out += static_cast<char>(n & 0xFF);
    out += static_cast<char>(n >> 8);
    out.append(data, 0, n);
    return out;
}

FuzzDevice::FuzzDevice(sim::VirtualClock& clock, const uint8_t* data, size_t size, bool vanishAtEnd)
    : m_clock(clock), m_vanishAtEnd(vanishAtEnd) {
    size_t at = 0;
    while (at + 3 <= size) {
        const uint8_t ctl = data[at];
        size_t n = ReadLe16(data + at + 1);
        at += 3;
        n = std::min({n, size - at, kMaxSegment});
        const uint32_t step = ctl >> 4;
        m_segments.push_back({Frame(static_cast<Kind>(ctl & 7), data + at, n), (ctl & 8) != 0, step * step * 20});
        at += n;
    }
    m_wire.reserve(4096);
    // Leading segments that answer no write arrive on their own.
    if (!m_segments.empty() && !m_segments[0].answersWrite) {
        sim::SimTime base = 0;
        while (m_bindNext < m_segments.size() && !m_segments[m_bindNext].answersWrite) {
            base += sim::Ms(m_segments[m_bindNext].delayMs);
            m_segments[m_bindNext].at = base;
            ++m_bindNext;
        }
        m_lastAt = base;
    }
}

bool FuzzDevice::Open(const char*) {
    if (m_vanished) return false;
    return m_open = true;
}

bool FuzzDevice::Write(const uint8_t* src, size_t count, size_t* written) {
    *written = 0;
    if (!m_open || m_vanished) return false;
    *written = count;
    ++m_writes;
    static constexpr char kRecordWrite[] = "setversioninfo ";
    if (count >= sizeof kRecordWrite - 1 && std::memcmp(src, kRecordWrite, sizeof kRecordWrite - 1) == 0) {
        size_t quotes = 0, controls = 0;
        for (size_t i = 0; i < count; ++i) {
            quotes += src[i] == '"';
            controls += src[i] < 0x20 || src[i] == 0x7F;
        }
        const bool lineEnd = count >= 2 && src[count - 2] == '\r' && src[count - 1] == '\n';
        if (quotes != 14 || controls != 2 || !lineEnd) m_brokenRecordWrite = true;
    }
    // The write is answered by the next segment that waits for one, and
    // the segments that follow it.
    if (m_bindNext < m_segments.size() && m_segments[m_bindNext].answersWrite) {
        sim::SimTime base = m_clock.Now();
        bool first = true;
        while (m_bindNext < m_segments.size() && (first || !m_segments[m_bindNext].answersWrite)) {
            first = false;
            base = std::max(base + sim::Ms(m_segments[m_bindNext].delayMs), m_lastAt);
            m_segments[m_bindNext].at = base;
            ++m_bindNext;
        }
        m_lastAt = base;
    }
    return true;
}

void FuzzDevice::Arrive() {
    while (m_next < m_bindNext && m_segments[m_next].at <= m_clock.Now()) {
        if (m_pos > 0 && m_pos == m_wire.size()) {
            m_wire.clear();
            m_pos = 0;
        }
        m_wire += m_segments[m_next].bytes;
        m_segments[m_next].bytes.clear();
        ++m_next;
    }
}

sim::SimTime FuzzDevice::NextArrival() const { return m_next < m_bindNext ? m_segments[m_next].at : sim::kNever; }

bool FuzzDevice::Read(uint8_t* dest, size_t count, uint32_t timeoutMs, size_t* received) {
    *received = 0;
    if (!m_open || m_vanished) return false;
    Arrive();
    if (m_vanishAtEnd && Drained()) {
        m_vanished = true;
        return false;
    }
    const sim::SimTime deadline = m_clock.Now() + sim::Ms(timeoutMs);
    while (m_wire.size() - m_pos < count) {
        const sim::SimTime next = NextArrival();
        if (next > deadline) break;
        m_clock.AdvanceTo(next);
        Arrive();
    }
    if (m_wire.size() - m_pos < count) m_clock.AdvanceTo(deadline);
    const size_t n = std::min(count, m_wire.size() - m_pos);
    std::memcpy(dest, m_wire.data() + m_pos, n);
    m_pos += n;
    *received = n;
    return true;
}

} // namespace qvr::fuzz
