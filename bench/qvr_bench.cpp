// Measured scenarios against the simulated receiver in virtual time. Each
// figure is printed as one line "name: value unit".
#include <chrono>
#include <cstdio>

#include "MAReceiver.h"
#include "SimReceiver.h"
#include "VirtualLink.h"

using namespace qvr;

namespace {

struct ConnectResult {
    bool found;
    double virtualSeconds;
};

ConnectResult TimeConnect(int receiverBaud) {
    sim::ReceiverConfig config;
    config.baud = receiverBaud;
    sim::SimReceiver receiver(config);
    sim::VirtualLink link(receiver);
    PlatformServices services;
    services.clock = &link.Clock();
    services.serial = &link.Device();
    services.trace = &NullTrace();
    MAReceiver ma(Variant::Desktop, services);
    const bool found = ma.Connect("COM1");
    return {found, static_cast<double>(link.Virtual().Now()) / 1e9};
}

void Figure(const char* name, double value, const char* unit) { std::printf("%s: %.3f %s\n", name, value, unit); }

} // namespace

int main() {
    const auto start = std::chrono::steady_clock::now();
    const ConnectResult at9600 = TimeConnect(9600);
    Figure("connect_9600_virtual_s", at9600.virtualSeconds, "s");
    const ConnectResult at57600 = TimeConnect(57600);
    Figure("connect_57600_virtual_s", at57600.virtualSeconds, "s");
    const ConnectResult at4800 = TimeConnect(4800);
    Figure("connect_4800_virtual_s", at4800.virtualSeconds, "s");
    const ConnectResult none = TimeConnect(230400);
    Figure("connect_not_found_virtual_s", none.virtualSeconds, "s");
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    Figure("bench_wall_s", wall, "s");
    return (at9600.found && at57600.found && at4800.found && !none.found) ? 0 : 1;
}
