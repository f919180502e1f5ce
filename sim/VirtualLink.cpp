#include "VirtualLink.h"

#include <algorithm>

namespace qvr::sim {

VirtualLink::VirtualLink(SimReceiver& receiver, uint32_t tickOrigin) : m_receiver(receiver), m_clock(tickOrigin) {
    m_receiver.SetTranscript(&m_transcript);
}

void VirtualLink::CollectOutput() {
    auto& out = m_receiver.Output();
    while (!out.empty()) {
        m_toHost.push_back(out.front());
        out.pop_front();
    }
}

bool VirtualLink::StepOnce(SimTime t) {
    const SimTime input = m_toReceiver.empty() ? kNever : m_toReceiver.front().at;
    const SimTime action = m_receiver.NextActionTime();
    const SimTime next = std::min(input, action);
    if (next == kNever || next > t) return false;
    if (input <= action) {
        m_receiver.Receive(m_toReceiver.front());
        m_toReceiver.pop_front();
    } else {
        m_receiver.RunUntil(action);
    }
    CollectOutput();
    return true;
}

void VirtualLink::Pump(SimTime t) {
    while (StepOnce(t)) {
    }
    CollectOutput();
}

void VirtualLink::AdvanceTo(SimTime t) {
    Pump(t);
    m_clock.AdvanceTo(t);
}

SimTime VirtualLink::CompletionTime(size_t count) const {
    if (count == 0) return m_clock.Now();
    if (m_toHost.size() < count) return kNever;
    return m_toHost[count - 1].at;
}

// ---------------------------------------------------------------- host device

bool VirtualLink::HostDevice::Open(const char* name) {
    VirtualLink& l = m_link;
    const auto failing = l.m_failing.find(name);
    if (failing != l.m_failing.end() || l.Vanished()) {
        l.m_lastError = failing != l.m_failing.end() ? failing->second : 2;  // the port is gone
        l.m_transcript.Add(l.m_clock.Now(), Transcript::Kind::HostOpenFailed, 0, name);
        return false;
    }
    l.Pump(l.m_clock.Now());
    // Whatever the receiver sent while the port was closed is lost.
    while (!l.m_toHost.empty() && l.m_toHost.front().at <= l.m_clock.Now()) l.m_toHost.pop_front();
    l.m_open = true;
    l.m_openedAt = l.m_clock.Now();
    l.m_hostBaud = 9600;  // until the line settings are applied
    ++l.m_openCount;
    l.m_transcript.Add(l.m_clock.Now(), Transcript::Kind::HostOpen, 0, name);
    return true;
}

bool VirtualLink::HostDevice::IsOpen() const { return m_link.m_open; }

void VirtualLink::HostDevice::Close() {
    VirtualLink& l = m_link;
    if (!l.m_open) return;
    // Closing drops what the driver had received; the next Open drops
    // everything that arrived until then, so nothing needs to run now (the
    // receiver's features may be gone already when a test ends).
    l.m_open = false;
    l.m_transcript.Add(l.m_clock.Now(), Transcript::Kind::HostClose, 0, {});
}

bool VirtualLink::HostDevice::FetchLineSettings() { return m_link.m_open; }

bool VirtualLink::HostDevice::ApplyLineSettings(int baudRate) {
    VirtualLink& l = m_link;
    if (!l.m_open || baudRate <= 0) return false;
    l.m_hostBaud = baudRate;
    // The open entry shows the rate the host set.
    Transcript::Entry* last = l.m_transcript.Last();
    if (last && last->kind == Transcript::Kind::HostOpen) last->baud = baudRate;
    return true;
}

bool VirtualLink::HostDevice::Read(uint8_t* dest, size_t count, uint32_t timeoutMs, size_t* received) {
    VirtualLink& l = m_link;
    *received = 0;
    if (l.Vanished()) ++l.m_callsSinceVanished;
    if (!l.m_open) {
        l.m_lastError = 6;
        return false;
    }
    if (l.m_readFailure) {
        l.m_lastError = l.m_readFailure;
        l.m_readFailure = 0;
        return false;
    }
    if (l.Vanished()) {
        l.m_lastError = kVanishedError;
        return false;
    }
    // A hang-up ends a read under way at once.
    const SimTime deadline = std::min(l.m_clock.Now() + Ms(timeoutMs), l.m_vanishAt);
    // Run the receiver event by event until the count is complete or the
    // time-out ends, whichever is first.
    for (;;) {
        l.CollectOutput();
        const SimTime complete = l.CompletionTime(count);
        const SimTime input = l.m_toReceiver.empty() ? kNever : l.m_toReceiver.front().at;
        const SimTime next = std::min(input, l.m_receiver.NextActionTime());
        if (complete <= deadline && complete <= next) {
            l.m_clock.AdvanceTo(complete);
            break;
        }
        if (next > deadline) {
            l.m_clock.AdvanceTo(deadline);
            break;
        }
        l.StepOnce(deadline);
    }
    const SimTime now = l.m_clock.Now();
    size_t n = 0;
    while (n < count && !l.m_toHost.empty() && l.m_toHost.front().at <= now) {
        const WireByte b = l.m_toHost.front();
        l.m_toHost.pop_front();
        if (b.at <= l.m_openedAt) continue;  // arrived before the port was opened
        dest[n++] = b.baud == l.m_hostBaud ? b.value : Garble(b.value);
    }
    *received = n;
    return true;
}

bool VirtualLink::HostDevice::Write(const uint8_t* src, size_t count, size_t* written) {
    VirtualLink& l = m_link;
    *written = 0;
    if (l.Vanished()) ++l.m_callsSinceVanished;
    if (!l.m_open) {
        l.m_lastError = 6;
        return false;
    }
    if (l.Vanished()) {
        l.m_lastError = kVanishedError;
        return false;
    }
    if (count == 0) return true;
    const SimTime now = l.m_clock.Now();
    l.m_transcript.Add(now, Transcript::Kind::HostSent, l.m_hostBaud, {}, src, count);
    SimTime t = std::max(now, l.m_hostTxFree);
    const SimTime step = ByteTime(l.m_hostBaud);
    for (size_t i = 0; i < count; ++i) {
        t += step;
        l.m_toReceiver.push_back({src[i], l.m_hostBaud, t});
    }
    l.m_hostTxFree = t;
    *written = count;
    return true;
}

int VirtualLink::HostDevice::LastError() const { return m_link.m_lastError; }

} // namespace qvr::sim
