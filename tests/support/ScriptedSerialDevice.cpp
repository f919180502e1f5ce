#include "ScriptedSerialDevice.h"

#include <algorithm>

namespace qvr::test {

using sim::Ms;
using sim::SimTime;

ScriptedSerialDevice::ScriptedSerialDevice(sim::VirtualClock& clock) : m_clock(clock) {
    m_name.reserve(256);
    m_written.reserve(1 << 16);
}

void ScriptedSerialDevice::Arrive(uint32_t atMs, const std::string& bytes) {
    Arrive(atMs, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

void ScriptedSerialDevice::Arrive(uint32_t atMs, const std::vector<uint8_t>& bytes) {
    for (uint8_t b : bytes) m_arrivals.push_back({Ms(atMs), b});
    std::stable_sort(m_arrivals.begin(), m_arrivals.end(),
                     [](const Arrival& a, const Arrival& b) { return a.at < b.at; });
}

void ScriptedSerialDevice::Stream(uint32_t atMs, uint32_t periodMs, uint8_t value) {
    m_streaming = true;
    m_streamNext = Ms(atMs);
    m_streamPeriod = Ms(periodMs);
    m_streamValue = value;
}

void ScriptedSerialDevice::FailRead(int nth, int errorCode) {
    m_failReadAt = m_readCalls + nth;
    m_failReadError = errorCode;
}

bool ScriptedSerialDevice::Open(const char* name) {
    ++m_openCalls;
    m_name.assign(name);
    if (m_openError) {
        m_lastError = m_openError;
        return false;
    }
    m_open = true;
    return true;
}

bool ScriptedSerialDevice::FetchLineSettings() {
    if (m_failFetch) m_lastError = 87;
    return !m_failFetch;
}

bool ScriptedSerialDevice::ApplyLineSettings(int baudRate) {
    m_baud = baudRate;
    if (m_failApply) m_lastError = 87;
    return !m_failApply;
}

bool ScriptedSerialDevice::Read(uint8_t* dest, size_t count, uint32_t timeoutMs, size_t* received) {
    *received = 0;
    ++m_readCalls;
    if (m_failReadAt && m_readCalls == m_failReadAt) {
        m_lastError = m_failReadError;
        return false;
    }
    if (!m_open) {
        m_lastError = 6;
        return false;
    }
    const SimTime deadline = m_clock.Now() + Ms(timeoutMs);
    size_t n = 0;
    SimTime last = m_clock.Now();
    for (;;) {
        const SimTime next = !m_arrivals.empty() ? m_arrivals.front().at : sim::kNever;
        const SimTime stream = m_streaming ? m_streamNext : sim::kNever;
        const SimTime at = std::min(next, stream);
        if (n >= count || at > deadline) break;
        if (next <= stream) {
            dest[n++] = m_arrivals.front().value;
            m_arrivals.pop_front();
        } else {
            dest[n++] = m_streamValue;
            m_streamNext += m_streamPeriod;
        }
        last = std::max(last, at);
    }
    m_clock.AdvanceTo(n >= count ? last : deadline);
    *received = n;
    return true;
}

bool ScriptedSerialDevice::Write(const uint8_t* src, size_t count, size_t* written) {
    *written = 0;
    if (!m_open) {
        m_lastError = 6;
        return false;
    }
    m_written.append(reinterpret_cast<const char*>(src), count);
    *written = count;
    return true;
}

} // namespace qvr::test
