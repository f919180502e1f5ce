#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "VirtualClock.h"
#include "platform/SerialDevice.h"

namespace qvr::fuzz {

// The fuzz targets' receiver: a serial device in virtual time that answers
// the host's writes with segments taken from the fuzz input.
//
// Input after the target's own leading bytes: segments of
//   ctl  bits 0-2 kind, bit 3 "answers the next host write",
//        bits 4-7 d: the segment arrives d*d*20 ms after the one before
//        (or after the write it answers)
//   len  16 bits little-endian (cut to what is left and to kMaxSegment)
//   data len bytes
// Kinds: raw bytes as they are, or a binary log frame (28-byte header, CRC)
// built around the data: a pass-through log (690) whose count is the data
// length, a log of id 37, 797, 798, 147 or 8192 with the data as its body,
// or a pass-through log whose body (count field included) is the data.
// A segment that answers a write waits until the host has written once
// more; the ones after it follow it. Once every segment has arrived, reads
// time out empty, or fail as from a vanished device when vanishAtEnd.
class FuzzDevice : public ISerialDevice {
public:
    enum Kind : uint8_t { Raw, PassAux, Version, Audio, ExtLevels, FileHeader, FileTransfer, PassAuxBody };
    static constexpr size_t kMaxSegment = 2000;

    FuzzDevice(sim::VirtualClock& clock, const uint8_t* data, size_t size, bool vanishAtEnd = false);

    bool Open(const char*) override;
    bool IsOpen() const override { return m_open; }
    void Close() override { m_open = false; }
    bool FetchLineSettings() override { return true; }
    bool ApplyLineSettings(int) override { return true; }
    bool Read(uint8_t* dest, size_t count, uint32_t timeoutMs, size_t* received) override;
    bool Write(const uint8_t* src, size_t count, size_t* written) override;
    bool HasGone() override { return m_vanishAtEnd && Drained(); }
    int LastError() const override { return m_vanished ? 1167 : 0; }

    // Every segment has arrived and been read.
    bool Drained() const { return m_next >= m_segments.size() && m_pos >= m_wire.size(); }
    size_t Writes() const { return m_writes; }
    size_t Segments() const { return m_segments.size(); }
    // A record write ("setversioninfo") that is not seven quoted texts on
    // one line: what the receiver sent would have broken the record.
    bool BrokenRecordWrite() const { return m_brokenRecordWrite; }

    // A frame of the given kind around the data (Raw: the data itself).
    static std::string Frame(Kind kind, const uint8_t* data, size_t size);
    // One encoded segment, as the input holds it.
    static std::string Segment(Kind kind, bool answersWrite, int delayStep, const std::string& data);

private:
    struct Pending {
        std::string bytes;
        bool answersWrite;
        uint32_t delayMs;
        bool bound = false;
        sim::SimTime at = 0;
    };
    // Moves the segments that have arrived by now onto the wire.
    void Arrive();
    // Arrival time of the first unarrived segment, or kNever.
    sim::SimTime NextArrival() const;

    sim::VirtualClock& m_clock;
    std::vector<Pending> m_segments;
    size_t m_next = 0;        // first segment not on the wire
    size_t m_bindNext = 0;    // first segment not yet bound to a time
    sim::SimTime m_lastAt = 0;
    std::string m_wire;
    size_t m_pos = 0;
    size_t m_writes = 0;
    bool m_open = false;
    bool m_vanishAtEnd;
    bool m_vanished = false;
    bool m_brokenRecordWrite = false;
};

// Stops the run (a finding) when the condition does not hold.
#define QVR_FUZZ_CHECK(condition) \
    do {                          \
        if (!(condition)) __builtin_trap(); \
    } while (0)

} // namespace qvr::fuzz
