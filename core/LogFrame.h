#pragma once
#include <cstddef>
#include <cstdint>

namespace qvr {

// Binary log frames of the receiver:
//   0  3  sync bytes 0xAA 0x44 0x12
//   3  1  header length H
//   4  2  message id
//   6  2  (not interpreted)
//   8  2  body length L
//  10  H-10 rest of the header
//   H  L  body
// H+L  4  CRC-32 of bytes 0 .. H+L-1
// All numbers little-endian.
inline constexpr uint8_t kLogSync[3] = {0xAA, 0x44, 0x12};
inline constexpr size_t kLogHeaderLength = 28;  // what the receiver sends
inline constexpr size_t kMaxLogFrame = 2048;    // the largest frame the tool reads

namespace logid {
inline constexpr uint16_t Version = 37;
inline constexpr uint16_t FileHeader = 147;
inline constexpr uint16_t PassAux = 690;
inline constexpr uint16_t AudioConfigDefaults = 797;
inline constexpr uint16_t ExtLevels = 798;
inline constexpr uint16_t FileTransfer = 8192;
} // namespace logid

// The receiver's frame checksum: reflected CRC-32, polynomial 0xEDB88320,
// initial value 0 and no final inversion (so not the zlib CRC). Bit by bit.
uint32_t LogCrc32(const uint8_t* bytes, size_t count);

inline uint16_t ReadLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t ReadLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void WriteLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void WriteLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

} // namespace qvr
