#pragma once
#include <cstdint>

namespace qvr {

// The GSM module's data bearer settings.
struct BearerRecord {
    int32_t placeholder;  // filled in by the GSM module
};

// What the tool knows of the GSM module.
struct GsmBlock {
    int32_t placeholder;  // filled in by the GSM module
};

} // namespace qvr
