#include "LogFrame.h"

namespace qvr {

uint32_t LogCrc32(const uint8_t* bytes, size_t count) {
    uint32_t value = 0;
    for (size_t i = 0; i < count; ++i) {
        uint32_t t = (value ^ bytes[i]) & 0xFFu;
        for (int bit = 0; bit < 8; ++bit) t = (t & 1u) ? (t >> 1) ^ 0xEDB88320u : t >> 1;
        value = (value >> 8) ^ t;
    }
    return value;
}

} // namespace qvr
