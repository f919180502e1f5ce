#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "Operator.h"
#include "Variant.h"
#include "platform/Clock.h"
#include "platform/PortEnumerator.h"
#include "platform/SerialDevice.h"
#include "platform/Trace.h"

namespace qvr {

class IRateMemory;

// The services a serial port (and the receiver object above it) runs on.
// A null member means the production service of this system.
struct PlatformServices {
    IClock* clock = nullptr;
    ISerialDevice* serial = nullptr;
    ITrace* trace = nullptr;
    IPortEnumerator* ports = nullptr;
    // Used by the receiver object only.
    IOperator* ui = nullptr;
    IStatusSink* status = nullptr;
    // The rates remembered per port (RateMemory.h); null: nothing is
    // remembered and every connect searches the whole list.
    IRateMemory* rates = nullptr;
};

// One PC serial port with a receive buffer that its users fill
// (UpdateReadBuffer), search (Find) and consume (Read) themselves.
// Nothing is read in the background and a read never waits more than 300 ms.
// The object allocates nothing after construction.
class CComPort {
public:
    static constexpr int kReceiveBufferSize = 10000;
    static constexpr int kMaxPorts = 20;
    static constexpr size_t kPortNameSize = 10;  // 9 characters and the NUL
    static constexpr uint32_t kReadTimeoutMs = 300;

    explicit CComPort(const PlatformServices& services = {}, Variant variant = Variant::Desktop);
    ~CComPort();
    CComPort(const CComPort&) = delete;
    CComPort& operator=(const CComPort&) = delete;

    bool Open(const char* portName, int baudRate);
    void Close();
    bool IsOpen() const;

    // Appends what the port delivers within 300 ms; returns the count added.
    int UpdateReadBuffer();
    int Write(const uint8_t* bytes, int count);
    // Copies up to maxCount bytes from startIndex; with consume, drops every
    // byte up to the end of the copied range.
    int Read(uint8_t* destination, int maxCount, int startIndex, bool consume);
    // Index where the pattern begins at or after startIndex, or -1.
    int Find(int startIndex, const uint8_t* pattern, int length) const;
    void Purge();

    int EnumeratePorts();
    bool GetComPortName(char* destination, size_t destinationSize, int index);
    template <size_t N>
    bool GetComPortName(char (&destination)[N], int index) {
        static_assert(N >= kPortNameSize, "a port name needs 10 bytes");
        return GetComPortName(destination, N, index);
    }

    // Port sort key: sum of position x character code (as a signed byte).
    static int PortSortKey(const char* name);

    // True once a read or a write on the open port has failed: the device
    // has gone (unplugged, the receiver's end hung up) or stopped taking
    // data. From then on reads and writes fail at once without touching the
    // device, so no wait spins on a dead port; callers end their waits when
    // they see it. Cleared only by ClearLinkLost (a new connect).
    bool LinkLost() const { return m_linkLost; }
    // Asks the open device, without reading, whether it has gone; true
    // while the link stands.
    bool CheckLink();
    void ClearLinkLost() { m_linkLost = false; }

    int BufferedCount() const { return m_bufferedCount; }
    const uint8_t* Buffer() const { return m_receiveBuffer; }
    int BaudRate() const { return m_baudRate; }
    int PortCount() const { return m_portCount; }
    // Handheld only: the name of the port last opened successfully
    // (empty after a failed Open).
    const char* LastOpenedName() const { return m_lastOpenedName; }
    // The system's error code of the last Open that failed (why the port
    // could not be opened: missing, busy, no permission...); 0 after an
    // Open that succeeded.
    int OpenError() const { return m_openError; }

    IClock& Clock() { return *m_clock; }
    ITrace* Trace() { return m_trace; }
    ISerialDevice& Device() { return *m_device; }

private:
    static void AddEnumeratedPort(void* context, const char* name);
    void LoseLink(const char* operation);

    char m_portNames[kMaxPorts][kPortNameSize] = {};
    int m_portCount = 0;
    uint8_t m_receiveBuffer[kReceiveBufferSize] = {};
    int m_bufferedCount = 0;
    int m_baudRate = 0;
    char m_lastOpenedName[128] = {};
    int m_enumerated = 0;  // entries stored by the enumeration under way
    int m_openError = 0;
    bool m_linkLost = false;

    Variant m_variant;
    IClock* m_clock;
    ISerialDevice* m_device;
    ITrace* m_trace;
    IPortEnumerator* m_enumerator;
    std::unique_ptr<ISerialDevice> m_ownedDevice;
    std::unique_ptr<IPortEnumerator> m_ownedEnumerator;
};

} // namespace qvr
