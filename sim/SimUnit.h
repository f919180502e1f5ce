#pragma once
#include <memory>
#include <string>
#include <vector>

#include "SimAudio.h"
#include "SimAuxPort.h"
#include "SimDebugFile.h"
#include "SimReceiver.h"

namespace qvr::sim {

// A whole simulated receiver: the command interpreter with its version log,
// audio and debug file, the AUX port and the radio behind it (if any).
struct SimUnit {
    explicit SimUnit(ReceiverConfig config = {})
        : receiver(std::move(config)), audio(receiver), debugFile(receiver), aux(receiver) {}
    SimUnit(const SimUnit&) = delete;
    SimUnit& operator=(const SimUnit&) = delete;

    // Puts a radio on the AUX port; the unit keeps it.
    template <typename Device>
    Device& Fit(std::unique_ptr<Device> device) {
        Device& d = *device;
        radio = std::move(device);
        aux.AttachDevice(radio.get());
        return d;
    }

    SimReceiver receiver;
    SimAudio audio;
    SimDebugFile debugFile;
    SimAuxPort aux;
    std::unique_ptr<IAuxDevice> radio;
};

// Ready receivers for users and tests: "uhf", "gsm", "gsm-nokia", "none",
// "lbx", "ma".
struct Preset {
    const char* name;
    const char* description;
};
const std::vector<Preset>& Presets();
// The size of the debug file every preset records (SimDebugFile::LogText):
// 200 blocks, about 18 s at 115200 baud.
inline constexpr size_t kPresetDebugFileSize = 200 * 1024;
// Builds the named preset at the given rate and receiver port, with a debug
// file of the given size (0: an empty file); nullptr for an unknown name.
std::unique_ptr<SimUnit> MakePreset(const std::string& name, int baud = 9600, const std::string& port = "COM1",
                                    size_t debugFileSize = kPresetDebugFileSize);

} // namespace qvr::sim
