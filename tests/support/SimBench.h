#pragma once
#include <string>
#include <vector>

#include "MAReceiver.h"
#include "RecordingOperator.h"
#include "RecordingTrace.h"
#include "SimReceiver.h"
#include "VirtualLink.h"

namespace qvr::test {

// A receiver object wired to the simulated receiver over the virtual link,
// with a recording trace and operator.
struct SimBench {
    explicit SimBench(sim::ReceiverConfig config = {}, Variant variant = Variant::Desktop)
        : receiver(std::move(config)), link(receiver),
          ma(variant, PlatformServices{&link.Clock(), &link.Device(), &trace, nullptr, &op, &op}) {}

    // Opens the port at the receiver's rate, as a connect would leave it.
    void OpenLink(const char* pcPort = "COM1") {
        ma.Port().Open(pcPort, receiver.Baud());
    }
    // Lets the simulated receiver catch up with everything sent so far (it
    // otherwise runs when the host next reads).
    void Settle() { link.AdvanceTo(link.Virtual().Now()); }
    double Seconds() const { return static_cast<double>(link.Virtual().Now()) / 1e9; }
    // What the host wrote (one string per write), from write number `from` on.
    std::vector<std::string> Lines(size_t from = 0) const {
        std::vector<std::string> lines = link.Record().HostWrites();
        lines.erase(lines.begin(), lines.begin() + static_cast<long>(std::min(from, lines.size())));
        return lines;
    }
    size_t LineCount() const { return link.Record().HostWrites().size(); }

    sim::SimReceiver receiver;
    sim::VirtualLink link;
    RecordingTrace trace;
    RecordingOperator op;
    MAReceiver ma;
};

inline sim::ReceiverConfig ReceiverAt(int baud, const char* port = "COM1") {
    sim::ReceiverConfig config;
    config.baud = baud;
    config.port = port;
    return config;
}

} // namespace qvr::test
