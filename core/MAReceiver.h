#pragma once
#include <cstddef>
#include <cstdint>

#include "ComPort.h"
#include "LogFrame.h"
#include "Records.h"
#include "Variant.h"

namespace qvr {

// The connected receiver: one per program, owning the one serial port and
// everything the program knows about the receiver. Operations are
// synchronous, return their outcome and never throw; they allocate nothing.
class MAReceiver {
public:
    static constexpr int kBaudRateCount = 7;
    // Rates tried in turn when looking for the receiver (9600 first and last).
    static constexpr int kBaudRates[kBaudRateCount] = {9600, 115200, 38400, 4800, 19200, 57600, 9600};
    static constexpr uint32_t kCommandPauseMs = 200;
    static constexpr size_t kPortNameSize = 128;
    static constexpr size_t kExtLevelsSize = 64;

    explicit MAReceiver(Variant variant = Variant::Desktop, const PlatformServices& services = {});
    ~MAReceiver();
    MAReceiver(const MAReceiver&) = delete;
    MAReceiver& operator=(const MAReceiver&) = delete;

    // --- connection and command channel
    bool Connect(const char* pcPortName);
    bool GetCurrentBaudRateAndPort(const char* pcPortName);
    void Disconnect();
    void GetPortName(char* destination, size_t destinationSize) const;
    template <size_t N>
    void GetPortName(char (&destination)[N]) const { GetPortName(destination, N); }
    bool SendCommand(const char* text);
    bool ChangeBaudRate(int rate);

    // --- binary log reader
    bool ReadLog(uint32_t timeoutMs);
    uint16_t GetLogMessageId() const;
    static uint32_t LogCrc32(const uint8_t* bytes, size_t count) { return qvr::LogCrc32(bytes, count); }
    // The body of the frame in the log buffer (after a successful ReadLog).
    const uint8_t* LogBody() const { return m_logBuffer + m_logBuffer[3]; }
    size_t LogBodyLength() const { return ReadLe16(m_logBuffer + 8); }
    const uint8_t* LogBuffer() const { return m_logBuffer; }

    // --- state
    Variant GetVariant() const { return m_variant; }
    int ReceiverPortNumber() const { return m_receiverPort; }
    CComPort& Port() { return m_port; }
    const ReceiverInfo& Info() const { return m_receiverInfo; }

private:
    // Waits up to timeoutMs for any valid binary log, completing a frame
    // that is still arriving when a single ReadLog gives up on it.
    bool WaitForAnyLog(uint32_t timeoutMs);
    bool LearnReceiverPort();

    IClock& Clock() { return m_port.Clock(); }
    ITrace* Trace() { return m_port.Trace(); }

    Variant m_variant;
    CComPort m_port;
    int32_t m_receiverPort = 0;
    char m_pcPortName[kPortNameSize] = {};
    uint8_t m_logBuffer[kMaxLogFrame] = {};
    PeripheralBlock m_peripheral = {};
    AudioSettings m_audio = {};
    ReceiverInfo m_receiverInfo = {};
    uint8_t m_radioRemovalConfirmed = 0;
    uint8_t m_extLevels[kExtLevelsSize] = {};
};

} // namespace qvr
