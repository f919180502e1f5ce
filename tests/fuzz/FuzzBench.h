#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "FuzzLink.h"
#include "MAReceiver.h"
#include "platform/Trace.h"

namespace qvr::fuzz {

// The entry functions of the fuzz targets: each is a libFuzzer target of
// its own and is replayed by the regression test.
int FuzzReadLog(const uint8_t* data, size_t size);
int FuzzGsm(const uint8_t* data, size_t size);
int FuzzUhf(const uint8_t* data, size_t size);
int FuzzReceiver(const uint8_t* data, size_t size);
int FuzzUpgrade(const uint8_t* data, size_t size);

// The operations behind them, on any receiver object: the seed generator
// runs them against the simulated receiver to record what it answers.
// rest: the input after the lead bytes (used by the operations that parse
// bytes directly).
inline constexpr int kGsmOperations = 11;
inline constexpr int kUhfOperations = 7;
inline constexpr int kReceiverOperations = 8;
inline constexpr int kUpgradeOperations = 4;
void RunGsm(MAReceiver& receiver, uint8_t operation, uint8_t flags, const uint8_t* rest, size_t restSize);
void RunUhf(MAReceiver& receiver, uint8_t operation, uint8_t flags, const uint8_t* rest, size_t restSize);
void RunReceiver(MAReceiver& receiver, uint8_t operation, uint8_t flags, const uint8_t* rest, size_t restSize);
void RunUpgrade(MAReceiver& receiver, uint8_t operation, uint8_t flags, const uint8_t* rest, size_t restSize);

// Inputs of the targets that take a segment stream: an operation byte, a
// flags byte, then the segments (FuzzLink.h).
inline constexpr size_t kLeadBytes = 2;
enum Flags : uint8_t { kVanishAtEnd = 1, kHandheld = 2 };

// A receiver object connected to the fuzz device on "COM1" at 9600 baud.
struct FuzzBench {
    FuzzBench(const uint8_t* data, size_t size)
        : operation(size > 0 ? data[0] : 0),
          flags(size > 1 ? data[1] : 0),
          rest(data + (size < kLeadBytes ? size : kLeadBytes)),
          restSize(size < kLeadBytes ? 0 : size - kLeadBytes),
          device(clock, rest, restSize, (flags & kVanishAtEnd) != 0),
          receiver((flags & kHandheld) ? Variant::Handheld : Variant::Desktop,
                   PlatformServices{&clock, &device, &NullTrace(), nullptr}) {
        receiver.Port().Open("COM1", 9600);
    }
    // Every operation ends in a bounded (virtual) time, whatever arrives:
    // the minutes given, and as long again as the segments may keep it going
    // (each may come 4.5 s after the one before).
    void CheckBounded(uint32_t minutes) const {
        QVR_FUZZ_CHECK(clock.Now() < sim::Ms(60000ull * minutes + 4500ull * device.Segments()));
        QVR_FUZZ_CHECK(!device.BrokenRecordWrite());
    }

    uint8_t operation;
    uint8_t flags;
    const uint8_t* rest;
    size_t restSize;
    sim::VirtualClock clock;
    FuzzDevice device;
    MAReceiver receiver;
};

template <size_t N>
bool Terminated(const char (&text)[N]) {
    return std::memchr(text, 0, N) != nullptr;
}

} // namespace qvr::fuzz
