// qvr-sim: a simulated receiver on a pseudo-terminal, for trying the tool
// without a receiver. Prints the pty's path on the first line of stdout.
#include <atomic>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include "PtyRunner.h"
#include "QvrVersion.h"
#include "SimUnit.h"

namespace {

std::atomic<bool> g_stop{false};

// The receiver keeps its file size in 32 bits; the simulator keeps the
// file in memory, so it stays well below that.
constexpr size_t kMaxDebugFileSize = 256u * 1024 * 1024;

void OnSignal(int) { g_stop = true; }

int Usage(FILE* out, int status) {
    std::fprintf(out,
                 "usage: qvr-sim [--preset NAME] [--baud RATE] [--receiver-port COM1|COM2|COM3] [--link PATH] [--nmea]\n"
                 "               [--debug-file-size BYTES] [--vanish-after MS [--vanish-on TEXT]]\n"
                 "       qvr-sim --list-presets | --version\n"
                 "Serves a simulated receiver on a pseudo-terminal until interrupted; its path is\n"
                 "printed on the first line. --link also makes a symbolic link to it.\n"
                 "--nmea: the receiver port streams NMEA sentences ten times a second until \"unlogall\".\n"
                 "--debug-file-size: the receiver's debug file, lines of text (default %zu; 0: empty).\n"
                 "--vanish-after: the receiver vanishes (the pty is closed, as a pulled cable) MS ms after\n"
                 "the host first sent something, or after its bytes contained TEXT (--vanish-on).\n",
                 qvr::sim::kPresetDebugFileSize);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    std::string preset = "uhf", port = "COM1", link;
    int baud = 9600;
    long long vanishAfterMs = -1;
    std::string vanishOn;
    bool nmea = false;
    size_t debugFileSize = qvr::sim::kPresetDebugFileSize;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--preset" && hasValue) preset = argv[++i];
        else if (arg == "--baud" && hasValue) baud = std::atoi(argv[++i]);
        else if (arg == "--receiver-port" && hasValue) port = argv[++i];
        else if (arg == "--link" && hasValue) link = argv[++i];
        else if (arg == "--nmea") nmea = true;
        else if (arg == "--vanish-on" && hasValue) vanishOn = argv[++i];
        else if (arg == "--vanish-after" && hasValue) {
            const char* text = argv[++i];
            char* end = nullptr;
            vanishAfterMs = std::strtoll(text, &end, 10);
            if (!std::isdigit(static_cast<unsigned char>(text[0])) || *end != '\0') {
                std::fprintf(stderr, "qvr-sim: --vanish-after needs milliseconds, not %s\n", text);
                return 2;
            }
        }
        else if (arg == "--debug-file-size" && hasValue) {
            const char* text = argv[++i];
            char* end = nullptr;
            const unsigned long long size = std::strtoull(text, &end, 10);
            if (!std::isdigit(static_cast<unsigned char>(text[0])) || *end != '\0' || size > kMaxDebugFileSize) {
                std::fprintf(stderr, "qvr-sim: --debug-file-size must be 0 to %zu bytes, not %s\n", kMaxDebugFileSize,
                             text);
                return 2;
            }
            debugFileSize = static_cast<size_t>(size);
        }
        else if (arg == "--list-presets") {
            for (const auto& p : qvr::sim::Presets()) std::printf("%-10s %s\n", p.name, p.description);
            return 0;
        } else if (arg == "--version") {
            std::printf("qvr-sim %s\n", QVR_VERSION);
            return 0;
        } else if (arg == "--help" || arg == "-h") {
            return Usage(stdout, 0);
        } else {
            std::fprintf(stderr, "qvr-sim: unknown or incomplete argument: %s\n", arg.c_str());
            return Usage(stderr, 2);
        }
    }
    if (port != "COM1" && port != "COM2" && port != "COM3") {
        std::fprintf(stderr, "qvr-sim: --receiver-port must be COM1, COM2 or COM3, not %s\n", port.c_str());
        return 2;
    }
    static constexpr int kRates[] = {4800, 9600, 19200, 38400, 57600, 115200, 230400};
    bool rateOk = false;
    for (int r : kRates) rateOk |= r == baud;
    if (!rateOk) {
        std::fprintf(stderr, "qvr-sim: --baud must be one of 4800 9600 19200 38400 57600 115200 230400\n");
        return 2;
    }
    auto unit = qvr::sim::MakePreset(preset, baud, port, debugFileSize);
    if (!unit) {
        std::fprintf(stderr, "qvr-sim: unknown preset %s (see --list-presets)\n", preset.c_str());
        return 2;
    }
    if (nmea) unit->receiver.StreamNmea();
    qvr::sim::PtyRunner runner(unit->receiver);
    if (!runner.Open()) {
        std::fprintf(stderr, "qvr-sim: %s\n", runner.Error().c_str());
        return 1;
    }
    if (!link.empty()) {
        unlink(link.c_str());
        if (symlink(runner.Path().c_str(), link.c_str()) != 0) {
            std::fprintf(stderr, "qvr-sim: cannot link %s: %s\n", link.c_str(), std::strerror(errno));
            return 1;
        }
    }
    std::printf("%s\n", runner.Path().c_str());
    std::fflush(stdout);
    std::fprintf(stderr, "qvr-sim: preset %s, receiver port %s at %d baud; Ctrl+C ends it\n", preset.c_str(),
                 port.c_str(), baud);
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    if (vanishAfterMs >= 0) runner.VanishAfter(vanishAfterMs, vanishOn);
    runner.Run(g_stop);
    if (!link.empty()) unlink(link.c_str());
    return 0;
}
