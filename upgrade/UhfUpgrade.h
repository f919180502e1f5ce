#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "MAReceiver.h"
#include "UpgradeProgress.h"

namespace qvr {

// Reprograms the UHF radio's firmware from an upgrade file (".sfo"): the
// receiver starts the radio's flash loader and bridges the PC port to it at
// 38400 baud; the engine then takes the port over with a device of its own
// and runs the loader's byte protocol (enquiry, enter-loader, 16 sector
// erases, start, the file in 132-byte program messages, end). It runs on a
// worker thread; the page watches the progress record. The port is never
// handed back: the program ends after an upgrade.
class UhfUpgradeEngine {
public:
    static constexpr size_t kProgramDataSize = 132;
    static constexpr size_t kProgramMessageSize = kProgramDataSize + 2;
    static constexpr int kFlashBaud = 38400;
    static constexpr int kSectorCount = 16;
    static constexpr uint8_t kAck = 0x06;

    // device: the serial device the engine programs through. Null (or the
    // receiver object's own device): the receiver's port is taken over as it
    // is, open, so that no other program can take the port between the
    // bridge and the loader. Another device is opened on the receiver's port
    // name after the receiver object has closed its port (tests).
    // clock and trace: null for the receiver's.
    UhfUpgradeEngine(MAReceiver& receiver, UpgradeProgress& progress, ISerialDevice* device = nullptr,
                     IClock* clock = nullptr, ITrace* trace = nullptr);
    ~UhfUpgradeEngine();
    UhfUpgradeEngine(const UhfUpgradeEngine&) = delete;
    UhfUpgradeEngine& operator=(const UhfUpgradeEngine&) = delete;

    // A whole upgrade. True when it reached its end without a reported
    // error. Whatever happens, engineEnded is set in the progress record
    // when it returns. A file whose size is not a whole number of program
    // messages is refused before anything is sent to the receiver.
    bool StartUhfUpgrade(const char* path);
    // Why the last upgrade did not succeed, as a page can show it (empty
    // after a success). Read it once the progress record shows engineEnded.
    const char* FailureReason() const { return m_reason; }

    // --- loader messages; every message's bytes add up to 0 modulo 256
    static uint8_t Checksum(const uint8_t* bytes, size_t count);
    // Sector 0..15, or 0xFF for the end-of-erase message.
    static void EraseMessage(uint8_t sector, uint8_t (&message)[4]);
    static void ProgramMessage(const uint8_t* data, uint8_t (&message)[kProgramMessageSize]);
    static void EndOfProgrammingMessage(uint8_t (&message)[6]);

    // --- the engine's own port
    // Closes the previous handle, opens the port and sets its rate.
    bool OpenFlashPort(const char* portName, int baud);
    // Waits 200 ms, then reads for 100 ms (up to 2048 bytes): true when an
    // ACK comes before the first zero byte.
    bool ReadForAck();
    // Reads for 100 ms (up to 1023 bytes; an ACK does not end the read)
    // until an ACK is among the bytes; pauses 100 ms between tries and gives
    // up when more than 3999 ms have passed since the first.
    bool WaitForAck();
    // True once a read or a write on the engine's port has failed: the
    // receiver (and with it the radio) is gone, and every further wait
    // would only time out.
    bool LinkLost() const { return m_linkLost; }

private:
    bool ReadFile(const char* path);
    bool FlashProcedure();
    // Ends the procedure after the receiver stopped answering, saying what
    // became of the radio; when: null before the erase began.
    bool EndLinkLost(const char* when);
    bool Send(const uint8_t* bytes, size_t count);
    // One read of up to count bytes that lasts the port's 100 ms time-out.
    size_t ReadFlashPort(uint8_t* buffer, size_t count);
    void SetReason(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;

    MAReceiver& m_receiver;
    UpgradeProgress& m_progress;
    ISerialDevice* m_device;
    IClock& m_clock;
    ITrace* m_trace;
    std::unique_ptr<uint8_t[]> m_image;
    size_t m_imageSize = 0;
    uint8_t m_readBuffer[2048] = {};
    char m_reason[512] = {};
    bool m_linkLost = false;
};

} // namespace qvr
