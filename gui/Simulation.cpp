#include "gui/Simulation.h"

#include <atomic>
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

QString StartSimulation(const QString& preset, QString* error) {
    Running& s = Simulation();
    if (s.runner) return QString::fromStdString(s.runner->Path());
    s.unit = qvr::sim::MakePreset(preset.toStdString());
    if (!s.unit) {
        *error = "unknown preset \"" + preset + "\"; the presets are:";
        for (const auto& p : qvr::sim::Presets())
            *error += QString("\n  %1  %2").arg(QString::fromLatin1(p.name), -10).arg(QString::fromLatin1(p.description));
        return {};
    }
    s.runner = std::make_unique<qvr::sim::PtyRunner>(s.unit->receiver);
    if (!s.runner->Open()) {
        *error = QString::fromStdString(s.runner->Error());
        s.runner.reset();
        return {};
    }
    s.thread = std::thread([&s] { s.runner->Run(s.stop); });
    return QString::fromStdString(s.runner->Path());
}

void StopSimulation() {
    Running& s = Simulation();
    if (!s.thread.joinable()) return;
    s.stop = true;
    s.thread.join();
}
