#pragma once
#include <cstdint>
#include <limits>

namespace qvr::sim {

// Simulated time in nanoseconds since the simulation began.
using SimTime = uint64_t;
inline constexpr SimTime kNever = std::numeric_limits<SimTime>::max();
inline constexpr SimTime kMillisecond = 1'000'000;

inline constexpr SimTime Ms(uint64_t ms) { return ms * kMillisecond; }

// One character on an asynchronous serial line: start bit, 8 data bits and
// a stop bit, 10 bit times at the sender's rate.
inline constexpr SimTime ByteTime(int baud) { return baud > 0 ? 10'000'000'000ULL / static_cast<uint64_t>(baud) : kNever; }

// A byte on the wire: its value, the rate it was sent at and the moment its
// stop bit has arrived at the other end.
struct WireByte {
    uint8_t value;
    int baud;
    SimTime at;
};

// What a UART set to one rate makes of a character sent at another: a
// framing-error byte. Never a line end and never a sync byte, so garbage
// cannot be taken for a command or a log frame.
inline uint8_t Garble(uint8_t value) { return static_cast<uint8_t>(0xF0u | (value & 0x0Fu)); }

} // namespace qvr::sim
