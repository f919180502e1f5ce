// The binary log reader: finds the next frame in the receive buffer, waits a
// bounded time for it, checks its CRC and moves it into the log buffer.
#include <cstring>

#include "MAReceiver.h"

namespace qvr {

namespace {

// A full receive buffer takes no new bytes, so a read returns at once: on a
// port that streams text (NMEA at 115200, say) the wait for the sync bytes
// would spin without ever pausing. What cannot begin a frame is dropped
// instead: everything before the first sync bytes or, with none, all but the
// last two bytes (which may be the start of sync bytes cut by the buffer's
// end). A frame at the very front is left for the reader.
void DropUnframedBytes(CComPort& port) {
    const int buffered = port.BufferedCount();
    if (buffered < CComPort::kReceiveBufferSize) return;
    const int syncAt = port.Find(0, kLogSync, 3);
    const int drop = syncAt >= 0 ? syncAt : buffered - 2;
    uint8_t none[1];
    if (drop > 0) port.Read(none, 0, drop, true);
}

} // namespace

bool MAReceiver::ReadLog(uint32_t timeoutMs) {
    const uint32_t start = Clock().GetTickCount();
    int syncAt = -1;
    // Wait for the sync bytes; each UpdateReadBuffer takes up to 300 ms.
    do {
        DropUnframedBytes(m_port);
        m_port.UpdateReadBuffer();
        syncAt = m_port.Find(0, kLogSync, 3);
    } while (syncAt < 0 && !LinkLost() && Clock().GetTickCount() - start < timeoutMs);

    // Give the rest of the frame a moment to arrive.
    if (syncAt >= 0 && timeoutMs != 0) {
        Pause(200);
        DropUnframedBytes(m_port);
        m_port.UpdateReadBuffer();
        syncAt = m_port.Find(0, kLogSync, 3);
    }
    if (syncAt < 0) return false;

    uint8_t work[kMaxLogFrame] = {};
    const int n = m_port.Read(work, static_cast<int>(kMaxLogFrame), syncAt, false);
    const int headerLength = work[3];
    // Incomplete: wait for more. The length field (bytes 8 and 9) must have
    // arrived too before it can be judged.
    if (n < 4 || n < headerLength || n < 10) return false;

    const int bodyLength = ReadLe16(work + 8);
    if (bodyLength > static_cast<int>(kMaxLogFrame)) {
        // Garbage header: drop the sync bytes, what came before them and up
        // to 2048 bytes after them.
        m_port.Read(work, static_cast<int>(kMaxLogFrame), syncAt + 3, true);
        TraceF(Trace(), "ReadLog - Error found garbage header, tossing.");
        return false;
    }
    const int frameLength = headerLength + bodyLength + 4;
    if (frameLength > n) return false;  // incomplete, or larger than the reader handles

    // Consuming read: also drops what preceded the frame (acknowledgements).
    m_port.Read(m_logBuffer, frameLength, syncAt, true);
    const uint32_t expected = ReadLe32(m_logBuffer + frameLength - 4);
    return qvr::LogCrc32(m_logBuffer, static_cast<size_t>(frameLength - 4)) == expected;
}

uint16_t MAReceiver::GetLogMessageId() const { return ReadLe16(m_logBuffer + 4); }

} // namespace qvr
