#pragma once
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "MAReceiver.h"
#include "RecordingOperator.h"
#include "RecordingTrace.h"
#include "SimUnit.h"
#include "VirtualLink.h"

namespace qvr::test {

// A receiver object wired over the virtual link to a whole simulated unit
// (receiver, audio, debug file, AUX port and the radio fitted to it), with
// a recording trace and operator. The receiver object is declared last, so
// it goes first, while the link and the unit still exist.
struct UnitBench {
    explicit UnitBench(std::unique_ptr<sim::SimUnit> simUnit, Variant variant = Variant::Desktop)
        : unit(std::move(simUnit)), link(unit->receiver),
          ma(variant, PlatformServices{&link.Clock(), &link.Device(), &trace, nullptr, &op, &op}) {}
    explicit UnitBench(const std::string& preset, Variant variant = Variant::Desktop)
        : UnitBench(sim::MakePreset(preset), variant) {}

    // Opens the port at the receiver's rate, as a connect would leave it.
    void OpenLink(const char* pcPort = "COM1") { ma.Port().Open(pcPort, unit->receiver.Baud()); }
    // Lets the simulated unit catch up with everything sent so far.
    void Settle() { link.AdvanceTo(link.Virtual().Now()); }
    double Seconds() const { return static_cast<double>(link.Virtual().Now()) / 1e9; }
    // What the host wrote (one string per write), from write number `from` on.
    std::vector<std::string> Lines(size_t from = 0) const {
        std::vector<std::string> lines = link.Record().HostWrites();
        lines.erase(lines.begin(), lines.begin() + static_cast<long>(std::min(from, lines.size())));
        return lines;
    }
    size_t LineCount() const { return link.Record().HostWrites().size(); }
    // The same from write number `from` on, each prefixed with its virtual
    // time in ms after the first of them ("+400 extcontrol\r\n").
    std::vector<std::string> TimedLines(size_t from = 0) const {
        std::vector<std::string> lines;
        size_t index = 0;
        sim::SimTime first = 0;
        for (const sim::Transcript::Entry& e : link.Record().Entries()) {
            if (e.kind != sim::Transcript::Kind::HostSent || index++ < from) continue;
            if (lines.empty()) first = e.at;
            lines.push_back("+" + std::to_string((e.at - first) / sim::kMillisecond) + " " +
                            std::string(e.bytes.begin(), e.bytes.end()));
        }
        return lines;
    }
    // How many times the host wrote exactly this line.
    int Count(const std::string& line) const {
        const std::vector<std::string> lines = Lines();
        return static_cast<int>(std::count(lines.begin(), lines.end(), line));
    }
    // The texts of a version log entry as the simulated receiver keeps them.
    const sim::VersionComponent* Component(uint32_t type) const {
        for (const sim::VersionComponent& c : unit->receiver.Components())
            if (c.type == type) return &c;
        return nullptr;
    }

    std::unique_ptr<sim::SimUnit> unit;
    sim::VirtualLink link;
    RecordingTrace trace;
    RecordingOperator op;
    MAReceiver ma;
};

} // namespace qvr::test
