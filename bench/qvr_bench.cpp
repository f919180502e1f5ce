// Measured scenarios against the simulated receiver in virtual time. Each
// figure is printed as one line "name: value unit".
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "MAReceiver.h"
#include "SimDebugFile.h"
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

// A 1 MiB debug file downloaded at 115200 baud. The payload rate runs from
// the moment "log filetransferb\r\n" is written to the moment the last block
// has been read (the host then writes "com COM1 9600\r\n" at once); the
// line's limit for these frames is 1024 data bytes per 1064-byte frame of
// 10 bit times each.
bool DebugDownloadScenario() {
    constexpr size_t kSize = 1 << 20;
    sim::ReceiverConfig config;
    config.baud = 9600;
    sim::SimReceiver receiver(config);
    sim::SimDebugFile debugFile(receiver);
    sim::VirtualLink link(receiver);
    PlatformServices services;
    services.clock = &link.Clock();
    services.serial = &link.Device();
    services.trace = &NullTrace();
    MAReceiver ma(Variant::Desktop, services);
    if (!ma.Connect("COM1")) return false;
    const std::vector<uint8_t> content = sim::SimDebugFile::Pattern(kSize, 2024);
    debugFile.SetContent(content);

    std::error_code ec;
    const std::filesystem::path path = std::filesystem::temp_directory_path(ec) /
        ("qvr_bench_debuglog_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".bin");
    link.Record().Clear();
    const sim::SimTime begin = link.Virtual().Now();
    const bool ok = ma.DownloadDebugFile(path.string().c_str(), nullptr);
    const sim::SimTime end = link.Virtual().Now();
    bool identical = false;
    if (std::FILE* file = ok ? std::fopen(path.string().c_str(), "rb") : nullptr) {
        std::vector<uint8_t> got(kSize + 1);
        identical = std::fread(got.data(), 1, got.size(), file) == kSize &&
                    std::equal(content.begin(), content.end(), got.begin());
        std::fclose(file);
    }
    std::filesystem::remove(path, ec);

    sim::SimTime requested = sim::kNever, lastRead = sim::kNever;
    for (const auto& e : link.Record().Entries()) {
        if (e.kind != sim::Transcript::Kind::HostSent) continue;
        const std::string line(e.bytes.begin(), e.bytes.end());
        if (line == "log filetransferb\r\n") requested = e.at;
        else if (requested != sim::kNever && lastRead == sim::kNever) lastRead = e.at;
    }
    if (!identical || requested == sim::kNever || lastRead == sim::kNever) {
        std::fprintf(stderr, "debug download failed\n");
        return false;
    }
    const double seconds = static_cast<double>(lastRead - requested) / 1e9;
    const double limit = 115200.0 / 10.0 * 1024.0 / 1064.0;  // payload bytes per second
    Figure("debug_download_1MiB_line_ratio", static_cast<double>(kSize) / seconds / limit, "ratio");
    Figure("debug_download_1MiB_virtual_s", static_cast<double>(end - begin) / 1e9, "s");
    return true;
}

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
    DebugDownloadScenario();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    Figure("bench_wall_s", wall, "s");
    return (at9600.found && at57600.found && at4800.found && !none.found) ? 0 : 1;
}
