#pragma once
#include <cstdint>

namespace qvr {

// What the tool knows of the UHF radio (desktop and handheld fields).
struct UhfBlock {
    int32_t placeholder;  // filled in by the UHF radio module
};

} // namespace qvr
