// Measured scenarios against the simulated receiver in virtual time. Each
// figure is printed as one line "name: value unit".
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchKit.h"
#include "GsmUpgrade.h"
#include "MAReceiver.h"
#include "SimAuxPort.h"
#include "SimDebugFile.h"
#include "SimGsmModule.h"
#include "SimReceiver.h"
#include "SimUhfRadio.h"
#include "UhfUpgrade.h"
#include "VirtualLink.h"

using namespace qvr;

namespace {

using bench::Services;

struct ConnectResult {
    bool found;
    double virtualSeconds;
};

ConnectResult TimeConnect(int receiverBaud) {
    sim::ReceiverConfig config;
    config.baud = receiverBaud;
    sim::SimReceiver receiver(config);
    sim::VirtualLink link(receiver);
    MAReceiver ma(Variant::Desktop, Services(link));
    const bool found = ma.Connect("COM1");
    return {found, static_cast<double>(link.Virtual().Now()) / 1e9};
}

// Two connects to a receiver at 57600 with the rate file of a fresh folder:
// the virtual time of the second, which starts at the rate the first found.
ConnectResult TimeRememberedConnect() {
    const std::string path = bench::ScratchPath("rates", "");
    RateFile rates(path.c_str());
    sim::ReceiverConfig config;
    config.baud = 57600;
    sim::SimReceiver receiver(config);
    sim::VirtualLink link(receiver);
    PlatformServices services = Services(link);
    services.rates = &rates;
    MAReceiver ma(Variant::Desktop, services);
    bool found = ma.Connect("COM1");
    const sim::SimTime begin = link.Virtual().Now();
    found = ma.Connect("COM1") && found;
    bench::RemoveFile(path);
    return {found, static_cast<double>(link.Virtual().Now() - begin) / 1e9};
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
    MAReceiver ma(Variant::Desktop, Services(link));
    if (!ma.Connect("COM1")) return false;
    const std::vector<uint8_t> content = sim::SimDebugFile::Pattern(kSize, 2024);
    debugFile.SetContent(content);

    const std::string path = bench::ScratchPath("bench_debuglog", ".bin");
    link.Record().Clear();
    const sim::SimTime begin = link.Virtual().Now();
    const bool ok = ma.DownloadDebugFile(path.c_str(), nullptr);
    const sim::SimTime end = link.Virtual().Now();
    std::vector<uint8_t> got;
    const bool identical = ok && bench::ReadWholeFile(path, &got) && got == content;
    bench::RemoveFile(path);

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

// A 100 kB GSM applet (102400 bytes, 410 pieces) sent over the bridge at
// 115200 baud. The time runs from the write of the begin message to the
// write of the commit; the line's share of it is every byte of the begin,
// the info and its verify, and of each piece (header and data) and its
// 20-byte verify, at 10 bit times each.
bool GsmAppletScenario() {
    constexpr size_t kSize = 100 * 1024;
    sim::SimReceiver receiver;
    sim::SimAuxPort aux(receiver);
    sim::SimGsmModule module;
    aux.AttachDevice(&module);
    sim::VirtualLink link(receiver);
    MAReceiver ma(Variant::Desktop, Services(link));
    if (!ma.Connect("COM1")) return false;
    ma.Peripheral().kind = kPeripheralGsm;
    ma.Peripheral().gsm.moduleKind = kGsmModuleNokia;

    std::vector<uint8_t> applet(kSize);
    for (size_t i = 0; i < kSize; ++i) applet[i] = static_cast<uint8_t>((i * 2654435761u) >> 13);
    const std::string path = bench::ScratchPath("bench_NokiaBridge", ".jar");
    bench::WriteWholeFile(path, applet);
    UpgradeProgress progress;
    GsmUpgradeEngine engine(ma, progress, SilentOperator(), &link.Device(), &link.Clock(), &NullTrace());
    const bool ok = engine.StartGsmUpgrade(path.c_str());
    bench::RemoveFile(path);

    const std::vector<uint8_t> begin = sim::SimGsmModule::Message(18, 0, {});
    const std::vector<uint8_t> commit = sim::SimGsmModule::Message(14, 0, {});
    sim::SimTime began = sim::kNever, committed = sim::kNever;
    for (const auto& e : link.Record().Entries()) {
        if (e.kind != sim::Transcript::Kind::HostSent) continue;
        if (began == sim::kNever && e.bytes == begin) began = e.at;
        if (e.bytes == commit) committed = e.at;
    }
    if (!ok || module.Image() != applet || began == sim::kNever || committed == sim::kNever) {
        std::fprintf(stderr, "GSM applet upgrade failed\n");
        return false;
    }
    const size_t pieces = (kSize + 249) / 250;
    const size_t lineBytes = 20 + 32 + 20 + kSize + pieces * (20 + 20);
    const double line = static_cast<double>(lineBytes) * 10.0 / 115200.0;
    Figure("gsm_applet_100kB_line_ratio", static_cast<double>(committed - began) / 1e9 / line, "ratio");
    return true;
}

// A UHF radio firmware upgrade of a 132 x 1000-byte image after a connect
// and radio retrieval: flash loader, erase and programming in virtual time
// (uhf_upgrade_total_virtual_s is StartUhfUpgrade from call to return). The
// programming phase runs from the first program message written to the
// end-of-programming message; the line needs 135 bytes of 10 bit times at
// 38400 baud per message (134 bytes out, the ACK back).
bool UhfUpgradeScenario() {
    constexpr size_t kMessages = 1000;
    sim::SimReceiver receiver;
    sim::SimAuxPort aux(receiver);
    sim::SimUhfRadio radio;
    aux.AttachDevice(&radio);
    sim::VirtualLink link(receiver);
    MAReceiver ma(Variant::Desktop, Services(link));
    if (!ma.Connect("COM1")) return false;
    ma.SendCommand("comvout aux on\r\n");
    ma.SendCommand("log passauxb onnew\r\n");
    if (!ma.DetectUhfRadio()) return false;

    std::vector<uint8_t> image(kMessages * UhfUpgradeEngine::kProgramDataSize);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 13 + i / 256);
    const std::string path = bench::ScratchPath("bench_uhf", ".sfo");
    bench::WriteWholeFile(path, image);
    UpgradeProgress progress;
    UhfUpgradeEngine engine(ma, progress, &link.Device(), &link.Clock(), &NullTrace());
    const sim::SimTime begin = link.Virtual().Now();  // the upgrade alone, from the flash loader's entry
    const bool ok = engine.StartUhfUpgrade(path.c_str());
    const sim::SimTime end = link.Virtual().Now();
    link.AdvanceTo(end + sim::Ms(100));
    bench::RemoveFile(path);

    sim::SimTime first = 0, last = 0;
    for (const auto& e : link.Record().Entries()) {
        if (e.kind != sim::Transcript::Kind::HostSent || e.bytes.empty() || e.bytes[0] != 0x50) continue;
        if (e.bytes.size() == UhfUpgradeEngine::kProgramMessageSize && first == 0) first = e.at;
        if (e.bytes.size() == 6) last = e.at;
    }
    if (!ok || radio.Image() != image || first == 0 || last <= first) {
        std::fprintf(stderr, "uhf upgrade failed\n");
        return false;
    }
    const double lineSeconds = static_cast<double>(kMessages) * (UhfUpgradeEngine::kProgramMessageSize + 1) * 10.0 /
                               UhfUpgradeEngine::kFlashBaud;
    Figure("uhf_program_line_ratio", static_cast<double>(last - first) / 1e9 / lineSeconds, "ratio");
    Figure("uhf_loader_pace_violations", radio.Loader().paceViolations, "count");
    Figure("uhf_upgrade_total_virtual_s", static_cast<double>(end - begin) / 1e9, "s");
    return true;
}

} // namespace

int main() {
    const auto start = std::chrono::steady_clock::now();
    const ConnectResult at9600 = TimeConnect(9600);
    Figure("connect_9600_virtual_s", at9600.virtualSeconds, "s");
    const ConnectResult at57600 = TimeConnect(57600);
    Figure("connect_57600_virtual_s", at57600.virtualSeconds, "s");
    const ConnectResult remembered = TimeRememberedConnect();
    Figure("connect_57600_remembered_virtual_s", remembered.virtualSeconds, "s");
    const ConnectResult at4800 = TimeConnect(4800);
    Figure("connect_4800_virtual_s", at4800.virtualSeconds, "s");
    const ConnectResult none = TimeConnect(230400);
    Figure("connect_not_found_virtual_s", none.virtualSeconds, "s");
    DebugDownloadScenario();
    UhfUpgradeScenario();
    GsmAppletScenario();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    Figure("bench_wall_s", wall, "s");
    return (at9600.found && at57600.found && remembered.found && at4800.found && !none.found) ? 0 : 1;
}
