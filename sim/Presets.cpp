#include "SimUnit.h"

#include "SimGsmModule.h"
#include "SimUhfRadio.h"

namespace qvr::sim {

namespace {

// Sets the model of the enclosure and user application entries and the
// user application's firmware version.
void SetModel(ReceiverConfig& config, const std::string& model, const std::string& version) {
    for (VersionComponent& c : config.components) {
        if (c.type == component::Enclosure) c.texts[0] = model;
        if (c.type == component::UserAppAuto) {
            c.texts[0] = model;
            c.texts[3] = version;
        }
    }
}

void SetUserInfo(ReceiverConfig& config, const std::string& name, const std::string& version,
                 const std::string& flags, const std::string& aux) {
    for (VersionComponent& c : config.components)
        if (c.type == component::UserInfo) {
            c.texts[2] = name;
            c.texts[3] = version;
            c.texts[4] = flags;
            c.texts[5] = aux;
        }
}

} // namespace

const std::vector<Preset>& Presets() {
    static const std::vector<Preset> presets = {
        {"uhf", "QVR4100 MAX with a UHF radio"},
        {"gsm", "QVR4100 MAX with a GSM module of the TC65 kind"},
        {"gsm-nokia", "QVR4100 MAX with a GSM module of the other kind"},
        {"none", "QVR4100 MAX without a radio"},
        {"lbx", "QVR1500 LBX"},
        {"ma", "QVR4100 MA with an old firmware"},
    };
    return presets;
}

std::unique_ptr<SimUnit> MakePreset(const std::string& name, int baud, const std::string& port,
                                    size_t debugFileSize) {
    ReceiverConfig config;
    config.baud = baud;
    config.port = port;
    if (name == "uhf") {
        SetModel(config, "QVR4100 MAX", "2.11");
        SetUserInfo(config, "3AS/PT", "V1.07*", "0000000000000001", "0096N81NNNNN");
    } else if (name == "gsm" || name == "gsm-nokia") {
        SetModel(config, "QVR4100 MAX", "2.11");
        SetUserInfo(config, name == "gsm" ? "Siemens" : "Aplicom12", "3.002", "0000000000000000", "1152N81NNNNN");
    } else if (name == "none") {
        SetModel(config, "QVR4100 MAX", "2.11");
    } else if (name == "lbx") {
        SetModel(config, "QVR1500 LBX", "1.10");
    } else if (name == "ma") {
        SetModel(config, "QVR4100 MA", "1.10");
        for (VersionComponent& c : config.components)
            if (c.type == component::GpsCard) c.texts[3] = "3.100";  // old: warned about on a QVR4100 MAX
    } else {
        return nullptr;
    }
    auto unit = std::make_unique<SimUnit>(config);
    if (debugFileSize > 0) unit->debugFile.SetContent(SimDebugFile::LogText(debugFileSize));
    if (name == "uhf") unit->Fit(std::make_unique<SimUhfRadio>());
    if (name == "gsm") unit->Fit(std::make_unique<SimGsmModule>());
    if (name == "gsm-nokia") {
        GsmModuleConfig module;
        module.productName = "RX-9";
        module.appletVersion = "3.001";
        unit->Fit(std::make_unique<SimGsmModule>(module));
    }
    return unit;
}

} // namespace qvr::sim
