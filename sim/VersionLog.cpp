#include "VersionLog.h"

#include <cstring>

#include "LogFrame.h"

namespace qvr::sim {

std::vector<VersionComponent> DefaultComponents() {
    std::vector<VersionComponent> list(4);
    list[0].type = component::GpsCard;
    list[0].texts = {"OEM7-R2", "DMMW18420091Z", "OEM7-2.04", "3.300", "OEM070600RB0000",
                     "2025/Mar/11", "10:23:41"};
    list[1].type = component::Enclosure;
    list[1].texts = {"QVR4100 MAX", "QV410002317", "REV C", "0", "0", "2025/Mar/14", "08:15:00"};
    list[2].type = component::UserAppAuto;
    list[2].texts = {"QVR4100 MAX", "", "", "2.11", "", "2025/Apr/02", "16:40:12"};
    list[3].type = component::UserInfo;
    list[3].texts = {"", "", "", "", "", "", ""};
    return list;
}

std::vector<uint8_t> BuildVersionBody(const std::vector<VersionComponent>& components) {
    std::vector<uint8_t> body(4 + 108 * components.size(), 0);
    WriteLe32(body.data(), static_cast<uint32_t>(components.size()));
    for (size_t i = 0; i < components.size(); ++i) {
        uint8_t* entry = body.data() + 4 + 108 * i;
        WriteLe32(entry, components[i].type);
        size_t offset = 4;
        for (size_t t = 0; t < VersionComponent::kTextCount; ++t) {
            const std::string& text = components[i].texts[t];
            const size_t width = VersionComponent::kWidths[t];
            std::memcpy(entry + offset, text.data(), text.size() < width ? text.size() : width);
            offset += width;
        }
    }
    return body;
}

const char* ComponentTypeName(uint32_t type) {
    switch (type) {
    case component::GpsCard: return "GPSCARD";
    case component::Enclosure: return "ENCLOSURE";
    case component::UserInfo: return "USERINFO";
    case component::UserAppAuto: return "USERAPPAUTO";
    default: return "UNKNOWN";
    }
}

} // namespace qvr::sim
