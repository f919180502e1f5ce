#include "gui/Startup.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QSettings>

#include "QvrVersion.h"
#include "SimUnit.h"
#include "gui/ProgramState.h"
#include "gui/Simulation.h"
#include "platform/SerialDevice.h"

int HandleInformationOptions(int argc, char** argv, const char* programName) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s %s\n", programName, QVR_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("usage: %s [--simulate[=PRESET]]\n"
                        "       %s --version | --help\n"
                        "--simulate starts a simulated receiver on a pseudo-terminal and lists its port\n"
                        "first (PRESET uhf when none is given). The presets:\n",
                        programName, programName);
            for (const auto& p : qvr::sim::Presets()) std::printf("  %-10s %s\n", p.name, p.description);
            return 0;
        }
    }
    return -1;
}

bool StartRequestedSimulation(int argc, char** argv, const char* programName, ProgramState& program) {
    QString preset;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == "--simulate") preset = "uhf";
        else if (arg.startsWith("--simulate=")) preset = arg.mid(11);
    }
    if (preset.isEmpty()) return true;
    std::string error;
    program.simulatedPort = QString::fromStdString(StartSimulation(preset.toStdString(), &error));
    if (!program.simulatedPort.isEmpty()) return true;
    ReportStartupError(programName, "cannot start the simulated receiver: " + error);
    return false;
}

ReceiverRuntime::ReceiverRuntime(qvr::Variant variant, ProgramState& program)
    : m_clock(qvr::SystemClock(), m_abort), m_systemDevice(qvr::CreateSystemSerialDevice()),
      m_device(*m_systemDevice, m_clock, m_abort), m_rates(qvr::RateFile::ForUser()) {
    m_rates.SetEnabled(RememberRateSetting());
    m_ui.SetHandheld(variant == qvr::Variant::Handheld);
    qvr::PlatformServices services;
    services.rates = &m_rates;
    services.clock = &m_clock;
    services.serial = &m_device;
    services.ui = &m_ui;
    services.status = &m_ui;
    m_receiver = std::make_unique<qvr::MAReceiver>(variant, services);
    program.receiver = m_receiver.get();
    program.ui = &m_ui;
    program.worker = &m_worker;
    program.abort = &m_abort;
    program.rates = &m_rates;
}

namespace {

QSettings ProgramSettings() { return QSettings("qvr-config-tool", "settings"); }

} // namespace

bool RememberRateSetting() { return ProgramSettings().value("connection/rememberRate", true).toBool(); }

void SetRememberRateSetting(ProgramState& program, bool on) {
    ProgramSettings().setValue("connection/rememberRate", on);
    if (program.rates) program.rates->SetEnabled(on);
}

int FinishProgram(ReceiverWorker& worker, int exitCode) {
    if (worker.Busy() && !worker.WaitIdle(2000)) {
        StopSimulation();
        std::_Exit(exitCode);
    }
    StopSimulation();
    return exitCode;
}
