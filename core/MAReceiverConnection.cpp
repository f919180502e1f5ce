// Finding the receiver on a PC port, the command channel and the link rate.
#include <cstdio>
#include <cstring>

#include "MAReceiver.h"

namespace qvr {

static_assert(MAReceiver::kBaudRates[kHandheldProfile.fastPortFirstRate] == 115200,
              "the fast internal link starts at 115200 baud");

bool MAReceiver::Connect(const char* pcPortName) {
    // A name cut to fit would open another port (and perhaps another
    // receiver): refused whole.
    if (!PortNameFits(pcPortName)) {
        TraceF(Trace(), "Port name too long (more than %u characters), not opened.",
               static_cast<unsigned>(kPortNameSize - 1));
        m_port.Close();
        return false;
    }
    if (GetCurrentBaudRateAndPort(pcPortName)) return true;
    TraceF(Trace(), "Error in GetCurrentBaudRateAndPort");
    return false;
}

bool MAReceiver::GetCurrentBaudRateAndPort(const char* pcPortName) {
    m_port.Close();
    m_port.ClearLinkLost();
    std::snprintf(m_pcPortName, sizeof m_pcPortName, "%s", pcPortName);

    // The controller's fast internal link starts the search at a higher rate.
    const int first = m_profile.IsFastInternalPort(m_pcPortName) ? m_profile.fastPortFirstRate : 0;
    // The rate the receiver on this port was last found at is tried first,
    // then the list without the first entry of that rate: a remembered 9600
    // keeps the last try at 9600, the second chance for a receiver whose
    // first version log arrived damaged. Only a rate of the list is taken
    // from memory.
    int rates[kBaudRateCount + 1];
    int count = 0;
    const int remembered = m_rates ? m_rates->Recall(m_pcPortName) : 0;
    int recalledAt = -1;
    for (int i = 0; i < kBaudRateCount && recalledAt < 0; ++i)
        if (remembered > 0 && kBaudRates[i] == remembered) recalledAt = i;
    if (recalledAt >= 0) {
        rates[count++] = remembered;
        TraceF(Trace(), "Trying %d baud first: the receiver on %s was last found at that rate.", remembered,
               m_pcPortName);
    }
    for (int i = first; i < kBaudRateCount; ++i)
        if (i != recalledAt) rates[count++] = kBaudRates[i];

    bool found = false;
    int rate = 0;
    for (int i = 0; i < count && !found; ++i) {
        rate = rates[i];
        if (!m_port.Open(m_pcPortName, rate)) {
            TraceF(Trace(), "Failed to open COM port. Already open.");
            return false;
        }
        Pause(2000);
        // Sent blind at a rate that may be wrong: whichever reaches the
        // receiver puts its ports in command mode and stops all logs.
        SendCommand("interfacemode COM1 VESTRAL VESTRAL OFF\r\n");
        SendCommand("interfacemode COM2 VESTRAL VESTRAL OFF\r\n");
        SendCommand("unlogall\r\n");
        if (m_profile.extControlCommand) SendCommand(m_profile.extControlCommand);
        SendCommand("interfacemode AUX VESTRAL VESTRAL OFF\r\n");
        m_port.Purge();
        SendCommand("log versionb\r\n");
        found = WaitForAnyLog(2000);
        if (!found) m_port.Close();
        if (LinkLost()) {
            // Unplugged during the search: no other rate can find it.
            TraceF(Trace(), "The port stopped working while looking for the receiver.");
            m_port.Close();
            return false;
        }
    }
    if (!found) {
        TraceF(Trace(), "Did not find reciever at any baud rate.");
        return false;
    }
    if (m_rates && rate != remembered) m_rates->Remember(m_pcPortName, rate);
    return LearnReceiverPort();
}

bool MAReceiver::WaitForAnyLog(uint32_t timeoutMs) {
    // A frame that takes longer than about half a second on the wire (a
    // version log at 4800 baud) is never completed by one ReadLog; it stays
    // buffered, so reading again with the time that is left completes it.
    const uint32_t start = Clock().GetTickCount();
    uint32_t remaining = timeoutMs;
    for (;;) {
        if (ReadLog(remaining)) return true;
        if (LinkLost()) return false;
        const uint32_t elapsed = Clock().GetTickCount() - start;
        if (elapsed >= timeoutMs) return false;
        remaining = timeoutMs - elapsed;
    }
}

bool MAReceiver::LearnReceiverPort() {
    // The ASCII version log names the receiver port that produced it.
    SendCommand("log versiona\r\n");
    Pause(500);
    m_port.UpdateReadBuffer();
    char text[1025];
    const int n = m_port.Read(reinterpret_cast<uint8_t*>(text), 1024, 0, true);
    text[n] = '\0';  // the text ends at its first NUL or after the last byte

    for (size_t i = 0; i < m_profile.receiverPortNameCount; ++i) {
        const ReceiverPortName& port = m_profile.receiverPortNames[i];
        if (std::strstr(text, port.name)) {
            m_receiverPort = port.number;
            return true;
        }
    }
    return false;  // the port stays open at the rate found
}

void MAReceiver::Disconnect() { m_port.Close(); }

bool MAReceiver::PortNameFits(const char* name) { return name && std::strlen(name) < kPortNameSize; }
void MAReceiver::Pause(uint32_t ms) {
    // The pauses pace the receiver and the radio; with the link gone nobody
    // is paced, and the operation runs through to its failure at once. A
    // long pause asks the port every quarter second whether it is still
    // there.
    constexpr uint32_t kSliceMs = 250;
    while (ms > 0 && !LinkLost()) {
        const uint32_t slice = ms < kSliceMs ? ms : kSliceMs;
        Clock().Sleep(slice);
        ms -= slice;
        m_port.CheckLink();
    }
}

void MAReceiver::GetPortName(char* destination, size_t destinationSize) const {
    if (destinationSize == 0) return;
    std::snprintf(destination, destinationSize, "%s", m_pcPortName);
}

bool MAReceiver::SendCommand(const char* text) {
    const int length = static_cast<int>(std::strlen(text));
    const int written = m_port.Write(reinterpret_cast<const uint8_t*>(text), length);
    Pause(kCommandPauseMs);
    return written >= length;
}

bool MAReceiver::ChangeBaudRate(int rate) {
    char command[64];
    std::snprintf(command, sizeof command, "com COM%d %d\r\n", m_receiverPort, rate);
    SendCommand(command);
    m_port.Close();
    m_port.Open(m_pcPortName, rate);  // not verified: the caller reads what it expects
    // The receiver's port now runs at the new rate: the next connect looks
    // there first.
    if (m_rates && m_receiverPort != 0) m_rates->Remember(m_pcPortName, rate);
    return true;
}

} // namespace qvr
