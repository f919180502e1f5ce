#include "ComPort.h"

#include <cstring>

namespace qvr {

CComPort::CComPort(const PlatformServices& services, Variant variant)
    : m_variant(variant),
      m_clock(services.clock ? services.clock : &SystemClock()),
      m_device(services.serial),
      m_trace(services.trace ? services.trace : &SystemTrace()),
      m_enumerator(services.ports) {
    if (!m_device) {
        m_ownedDevice = CreateSystemSerialDevice();
        m_device = m_ownedDevice.get();
    }
    if (!m_enumerator) {
        m_ownedEnumerator = CreateSystemPortEnumerator(m_trace);
        m_enumerator = m_ownedEnumerator.get();
    }
}

CComPort::~CComPort() { Close(); }

bool CComPort::IsOpen() const { return m_device->IsOpen(); }

bool CComPort::Open(const char* portName, int baudRate) {
    m_baudRate = baudRate;
    // A second Open without Close would leak the first handle.
    if (m_device->IsOpen()) m_device->Close();

    if (!m_device->Open(portName)) {
        m_openError = m_device->LastError();
        TraceF(m_trace, "Error while opening %s! LastError = %d\n\n", portName, m_openError);
        m_lastOpenedName[0] = '\0';
        return false;
    }
    m_openError = 0;
    const bool traceSettings = Profile(m_variant).tracesLineSettings;
    if (!m_device->FetchLineSettings() && traceSettings)
        TraceF(m_trace, "Cannot fetch the state of %s. GetCommState(...) returned %lu.", portName,
               static_cast<unsigned long>(m_device->LastError()));
    if (!m_device->ApplyLineSettings(baudRate) && traceSettings)
        TraceF(m_trace, "Cannot set the state of %s. SetCommState(...) returned %lu.", portName,
               static_cast<unsigned long>(m_device->LastError()));

    std::strncpy(m_lastOpenedName, portName, sizeof m_lastOpenedName - 1);
    m_lastOpenedName[sizeof m_lastOpenedName - 1] = '\0';
    return true;
}

void CComPort::Close() {
    if (m_device->IsOpen()) m_device->Close();
}

int CComPort::UpdateReadBuffer() {
    if (!m_device->IsOpen()) {
        TraceF(m_trace, "Error in 'CComPort::UpdateReadBuffer'. Invalid Handle.");
        return 0;
    }
    if (m_bufferedCount >= kReceiveBufferSize) {
        TraceF(m_trace, "Error in 'CComPort::UpdateReadBuffer'. ReadBufferFull.");
        return 0;
    }
    if (m_linkLost) return 0;
    size_t received = 0;
    const size_t room = static_cast<size_t>(kReceiveBufferSize - m_bufferedCount);
    if (!m_device->Read(m_receiveBuffer + m_bufferedCount, room, kReadTimeoutMs, &received)) {
        TraceF(m_trace, "Error in 'CComPort::UpdateReadBuffer'. ReadFile Error. Last Error: %d",
               m_device->LastError());
        LoseLink("read");
        return 0;
    }
    if (received > room) received = room;  // a device must never report more than asked
    m_bufferedCount += static_cast<int>(received);
    return static_cast<int>(received);
}

int CComPort::Write(const uint8_t* bytes, int count) {
    if (!m_device->IsOpen()) {
        TraceF(m_trace, "Error in 'CComPort::Write'. Invalid Handle.");
        return 0;
    }
    if (m_linkLost) return 0;
    size_t written = 0;
    if (count < 0) count = 0;
    if (!m_device->Write(bytes, static_cast<size_t>(count), &written)) {
        TraceF(m_trace, "Error in 'CComPort::Write'. WriteFile Error. Last Error: %d", m_device->LastError());
        LoseLink("write");
        return 0;
    }
    return static_cast<int>(written);
}

bool CComPort::CheckLink() {
    if (!m_linkLost && m_device->IsOpen() && m_device->HasGone()) LoseLink("device check");
    return !m_linkLost;
}

void CComPort::LoseLink(const char* operation) {
    // Said once: every later read and write fails silently until the next connect.
    if (!m_linkLost)
        TraceF(m_trace, "CComPort - the %s failed: the link is lost; no further reads or writes.", operation);
    m_linkLost = true;
}

int CComPort::Read(uint8_t* destination, int maxCount, int startIndex, bool consume) {
    if (startIndex > m_bufferedCount || startIndex < 0) {
        TraceF(m_trace, "Error in 'CComPort::Read'. Requested StartIndex is greater than available bytes.");
        return 0;
    }
    int n = m_bufferedCount - startIndex;
    if (maxCount < n) n = maxCount;
    if (n < 0) n = 0;
    if (n > 0) std::memcpy(destination, m_receiveBuffer + startIndex, static_cast<size_t>(n));
    if (consume) {
        const int dropped = startIndex + n;
        std::memmove(m_receiveBuffer, m_receiveBuffer + dropped, static_cast<size_t>(m_bufferedCount - dropped));
        m_bufferedCount -= dropped;
    }
    return n;
}

int CComPort::Find(int startIndex, const uint8_t* pattern, int length) const {
    if (length < 1 || startIndex < 0 || startIndex + length > m_bufferedCount) {
        TraceF(m_trace, "Error in 'CComPort::Find'. Insufficent bytes in read buffer to match pattern.");
        return -1;
    }
    for (int i = startIndex; i <= m_bufferedCount - length; ++i)
        if (std::memcmp(m_receiveBuffer + i, pattern, static_cast<size_t>(length)) == 0) return i;
    return -1;
}

void CComPort::Purge() {
    for (int i = 0; i < 5; ++i) {
        if (UpdateReadBuffer() == 0) break;
        m_clock->Sleep(100);
    }
    m_bufferedCount = 0;
    std::memset(m_receiveBuffer, 0, sizeof m_receiveBuffer);
}

int CComPort::PortSortKey(const char* name) {
    int key = 0;
    for (int i = 0; name[i] != '\0'; ++i) key += i * static_cast<signed char>(name[i]);
    return key;
}

void CComPort::AddEnumeratedPort(void* context, const char* name) {
    auto* self = static_cast<CComPort*>(context);
    // A name that does not fit the table is left out rather than cut, since
    // a cut name could be another port's name ("ttyUSB100" vs "ttyUSB10").
    if (std::strlen(name) >= kPortNameSize) {
        TraceF(self->m_trace, "CComPort::EnumeratePorts - port name too long, left out: %s", name);
        return;
    }
    if (self->m_enumerated >= kMaxPorts) {
        TraceF(self->m_trace, "CComPort::EnumeratePorts - more than %d ports, left out: %s", kMaxPorts, name);
        return;
    }
    std::strcpy(self->m_portNames[self->m_enumerated++], name);
}

int CComPort::EnumeratePorts() {
    // Collect into a scratch table first so that a failed enumeration
    // leaves the previous list untouched.
    char previous[kMaxPorts][kPortNameSize];
    std::memcpy(previous, m_portNames, sizeof previous);
    m_enumerated = 0;
    std::memset(m_portNames, 0, sizeof m_portNames);
    if (!m_enumerator->Enumerate(&CComPort::AddEnumeratedPort, this)) {
        std::memcpy(m_portNames, previous, sizeof previous);
        return 0;
    }
    const int count = m_enumerated;
    // Stable exchange sort by the port sort key.
    for (int pass = 0; pass < count; ++pass)
        for (int i = 0; i + 1 < count; ++i)
            if (PortSortKey(m_portNames[i]) > PortSortKey(m_portNames[i + 1])) {
                char swap[kPortNameSize];
                std::memcpy(swap, m_portNames[i], kPortNameSize);
                std::memcpy(m_portNames[i], m_portNames[i + 1], kPortNameSize);
                std::memcpy(m_portNames[i + 1], swap, kPortNameSize);
            }
    return count;
}

bool CComPort::GetComPortName(char* destination, size_t destinationSize, int index) {
    if (destinationSize > 0) destination[0] = '\0';
    m_portCount = EnumeratePorts();
    if (index < 0 || index >= m_portCount) {
        TraceF(m_trace, "Invalid Index in CComPort::GetComPortName");
        return false;
    }
    if (destinationSize == 0) return false;
    std::strncpy(destination, m_portNames[index], destinationSize - 1);
    destination[destinationSize - 1] = '\0';
    return true;
}

} // namespace qvr
