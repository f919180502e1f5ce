#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qvr::sim {

// One entry of the receiver's version log: a component type and seven texts
// (model, serial number, hardware, software and boot versions, date, time).
struct VersionComponent {
    static constexpr size_t kTextCount = 7;
    static constexpr size_t kWidths[kTextCount] = {16, 16, 16, 16, 16, 12, 12};
    uint32_t type = 0;
    std::array<std::string, kTextCount> texts;
};

namespace component {
inline constexpr uint32_t GpsCard = 1;
inline constexpr uint32_t Enclosure = 3;
inline constexpr uint32_t UserInfo = 8;
inline constexpr uint32_t UserAppAuto = 0x3A7A0005;
} // namespace component

// A receiver as it leaves the factory: GPS card, enclosure, user application
// and an empty user-info record.
std::vector<VersionComponent> DefaultComponents();

// The body of the binary version log: count, then 108 bytes per component
// with NUL-padded texts (a text that fills its width has no NUL).
std::vector<uint8_t> BuildVersionBody(const std::vector<VersionComponent>& components);

// The component's name in the ASCII version log.
const char* ComponentTypeName(uint32_t type);

} // namespace qvr::sim
