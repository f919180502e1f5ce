// Connects to a simulated receiver in virtual time, the way the Connection
// page will, and prints what the link found.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "MAReceiver.h"
#include "SimReceiver.h"
#include "VirtualLink.h"

using namespace qvr;

int main(int argc, char** argv) {
    int baud = 57600;
    std::string port = "COM2";
    std::string device;  // a real port (or a pty of qvr-sim) instead of the built-in simulation
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--baud") && i + 1 < argc) baud = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--receiver-port") && i + 1 < argc) port = argv[++i];
        else if (!std::strcmp(argv[i], "--port") && i + 1 < argc) device = argv[++i];
        else {
            std::fprintf(stderr, "usage: %s [--baud RATE] [--receiver-port COM1|COM2|COM3] | --port DEVICE\n", argv[0]);
            return 2;
        }
    }
    if (!device.empty()) {
        MAReceiver real;
        std::printf("Looking for a receiver on %s...\n", device.c_str());
        if (!real.Connect(device.c_str())) {
            std::printf("No receiver found.\n");
            return 1;
        }
        std::printf("Found the receiver at %d baud on its port COM%d.\n", real.Port().BaudRate(),
                    real.ReceiverPortNumber());
        return 0;
    }
    sim::ReceiverConfig config;
    config.baud = baud;
    config.port = port;
    sim::SimReceiver receiver(config);
    sim::VirtualLink link(receiver);
    PlatformServices services;
    services.clock = &link.Clock();
    services.serial = &link.Device();
    MAReceiver ma(Variant::Desktop, services);

    std::printf("Simulated receiver on its %s at %d baud; looking for it on COM1...\n", port.c_str(), baud);
    const bool ok = ma.Connect("COM1");
    const double seconds = static_cast<double>(link.Virtual().Now()) / 1e9;
    if (!ok) {
        std::printf("No receiver found (%.1f s of simulated time).\n", seconds);
        return 1;
    }
    std::printf("Found the receiver at %d baud on its port COM%d after %.1f s of simulated time.\n",
                ma.Port().BaudRate(), ma.ReceiverPortNumber(), seconds);
    ma.Port().Purge();
    ma.SendCommand("log versionb\r\n");
    if (ma.ReadLog(500) && ma.GetLogMessageId() == logid::Version) {
        const uint8_t* body = ma.LogBody();
        const uint32_t count = ReadLe32(body);
        std::printf("Version log: %u components\n", count);
        for (uint32_t i = 0; i < count && i < 6; ++i) {
            const uint8_t* e = body + 4 + 108 * i;
            char model[17] = {}, serial[17] = {}, software[17] = {};
            std::memcpy(model, e + 4, 16);
            std::memcpy(serial, e + 20, 16);
            std::memcpy(software, e + 52, 16);
            std::printf("  %-12s model \"%s\" serial \"%s\" software \"%s\"\n",
                        sim::ComponentTypeName(ReadLe32(e)), model, serial, software);
        }
    }
    return 0;
}
