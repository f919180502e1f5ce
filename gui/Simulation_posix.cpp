#include "gui/Simulation.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>

#include "PtyRunner.h"
#include "SimUnit.h"

namespace {

struct Running {
    std::unique_ptr<qvr::sim::SimUnit> unit;
    std::unique_ptr<qvr::sim::PtyRunner> runner;
    std::atomic<bool> stop{false};
    std::thread thread;
};

Running& Simulation() {
    static Running running;
    return running;
}

} // namespace

std::string StartSimulation(const std::string& preset, std::string* error) {
    Running& s = Simulation();
    if (s.runner) return s.runner->Path();
    s.unit = qvr::sim::MakePreset(preset);
    if (!s.unit) {
        *error = "unknown preset \"" + preset + "\"; the presets are:";
        for (const auto& p : qvr::sim::Presets()) {
            char line[160];
            std::snprintf(line, sizeof line, "\n  %-10s  %s", p.name, p.description);
            *error += line;
        }
        return {};
    }
    s.runner = std::make_unique<qvr::sim::PtyRunner>(s.unit->receiver);
    if (!s.runner->Open()) {
        *error = s.runner->Error();
        s.runner.reset();
        return {};
    }
    s.thread = std::thread([&s] { s.runner->Run(s.stop); });
    return s.runner->Path();
}

void StopSimulation() {
    Running& s = Simulation();
    if (!s.thread.joinable()) return;
    s.stop = true;
    s.thread.join();
}

void ReportStartupError(const char* programName, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", programName, text.c_str());
}
