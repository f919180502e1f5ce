// The fault matrix: every operation against every simulator fault that
// applies to it, in virtual time. One line per pair:
//   <operation> | <fault> | <outcome> | honest|DISHONEST [why]
// then "N passed, M failed"; the exit code is 1 when any pair failed.
//
// A pair is honest when the operation either succeeds with the right result
// (the file byte-exact, the setting found in the simulator's state, the
// radio's image equal to the file), or fails with a message the operator
// sees and the records (version-log entries, the radios' stored settings)
// as they were before it; and in either case ends within a bounded virtual
// time. With QVR_FAULTS_VERBOSE set, each line is followed by the messages
// shown and the records before and after.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "BenchKit.h"
#include "DebugFileActions.h"
#include "GsmUpgrade.h"
#include "MAReceiver.h"
#include "PageActions.h"
#include "RadioPageActions.h"
#include "SimGsmModule.h"
#include "SimUhfRadio.h"
#include "SimUnit.h"
#include "UhfUpgrade.h"
#include "UpgradeProgress.h"
#include "VirtualLink.h"

using namespace qvr;

namespace {

constexpr double kBoundSeconds = 900.0;  // no operation may take longer
constexpr size_t kDebugFileSize = 10 * 1024 + 300;
constexpr size_t kUhfImageMessages = 20;
constexpr size_t kAppletSize = 2000;

// Shows nothing, remembers every message and prompt; answers OK and Yes,
// cancels the serial-number prompt and keeps a radio that was not found.
class Operator : public IOperator, public IStatusSink, public IProgressSink {
public:
    MessageAnswer ShowMessage(const char* text, const char*, MessageIcon, MessageButtons buttons) override {
        shown.emplace_back(text ? text : "");
        return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    }
    bool AskEnclosureSerial(char*, size_t) override {
        shown.emplace_back("(serial number prompt)");
        return false;
    }
    bool ConfirmRadioNotFound(const char* message, const char*, bool* radioRemoved) override {
        shown.emplace_back(message ? message : "");
        if (radioRemoved) *radioRemoved = false;
        return true;
    }
    void SetStatusText(const char* text) override { status = text ? text : ""; }
    void SetRange(int, int) override {}
    void SetPosition(int) override {}

    std::vector<std::string> shown;
    std::string status;  // the status line as it stands
};

// One simulated unit with the receiver object on the virtual link.
struct Rig {
    explicit Rig(std::unique_ptr<sim::SimUnit> simUnit)
        : unit(std::move(simUnit)), link(unit->receiver), ma(Variant::Desktop, bench::Services(link, &op, &op)) {}

    sim::SimUhfRadio* Uhf() { return dynamic_cast<sim::SimUhfRadio*>(unit->radio.get()); }
    sim::SimGsmModule* Gsm() { return dynamic_cast<sim::SimGsmModule*>(unit->radio.get()); }
    double Seconds() const { return static_cast<double>(link.Virtual().Now()) / 1e9; }

    std::unique_ptr<sim::SimUnit> unit;
    sim::VirtualLink link;
    Operator op;
    MAReceiver ma;
    ReceiverData record{};
    // Set by the operations that need them.
    std::string path;
    std::vector<uint8_t> file;
    std::string text;    // an output the operator sees (AT reply, TCP output)
    std::string reason;  // why an upgrade ended early (as its page shows it), or "no answer"
};

// The records an operation may change, as text: the version-log entries
// and the settings the radio keeps over a power cycle. (The audio language
// and volume are live settings, not records: the receiver Submit sends them
// before it writes the record.)
std::string Records(Rig& r) {
    std::ostringstream out;
    for (const sim::VersionComponent& c : r.unit->receiver.Components()) {
        out << c.type << ':';
        for (const std::string& t : c.texts) out << t << '|';
        out << '\n';
    }
    if (sim::SimUhfRadio* uhf = r.Uhf()) {
        const auto& s = uhf->Stored();
        out << "uhf " << s.limitsHz[0] << ' ' << s.limitsHz[1] << ' ' << s.limitsHz[2] << ' ' << s.limitsHz[3] << ' '
            << s.centerHz << ' ' << s.currentHz << ' ' << s.txPowerMw << ' ' << s.fec << ' ' << s.protocolMode << '\n';
    }
    if (sim::SimGsmModule* gsm = r.Gsm()) out << "gsm " << gsm->BearerText() << '\n' << gsm->NtripText() << '\n';
    return out.str();
}

// ---------------------------------------------------------------- faults

struct Fault {
    const char* name;
    // Changes the unit before anything runs (a radio of another kind).
    std::function<void(sim::SimUnit&)> configure;
    // Arms the fault right before the operation, `vanishAfter` given.
    std::function<void(Rig&, sim::SimTime vanishAfter)> arm;
};

Fault FrameFault(const char* name, sim::FrameFault fault) {
    return {name, nullptr, [fault](Rig& r, sim::SimTime) { r.unit->receiver.InjectFault(fault); }};
}
Fault UhfConfig(const char* name, std::function<void(sim::UhfRadioConfig&)> change) {
    return {name,
            [change](sim::SimUnit& unit) {
                sim::UhfRadioConfig config;
                change(config);
                unit.Fit(std::make_unique<sim::SimUhfRadio>(config));
            },
            nullptr};
}
Fault Loader(const char* name, sim::LoaderFault fault, int index) {
    return UhfConfig(name, [fault, index](sim::UhfRadioConfig& c) {
        c.loaderFault = fault;
        c.faultIndex = index;
    });
}
Fault GsmFault(const char* name, sim::GsmModuleFault kind, int piece = 0, uint32_t requestType = 0, int count = 1) {
    return {name, nullptr, [=](Rig& r, sim::SimTime) {
                if (sim::SimGsmModule* gsm = r.Gsm()) gsm->InjectFault({kind, piece, count, requestType});
            }};
}
Fault GsmConfig(const char* name, std::function<void(sim::GsmModuleConfig&)> change) {
    return {name,
            [change](sim::SimUnit& unit) {
                sim::GsmModuleConfig config;
                change(config);
                unit.Fit(std::make_unique<sim::SimGsmModule>(config));
            },
            nullptr};
}
Fault DebugFault(const char* name, sim::DebugStreamFault kind, uint32_t block = 0, uint32_t pauseMs = 0) {
    return {name, nullptr, [=](Rig& r, sim::SimTime) { r.unit->debugFile.InjectFault(kind, block, pauseMs); }};
}
const Fault kVanish = {"device vanishes", nullptr,
                       [](Rig& r, sim::SimTime after) { r.link.VanishAt(r.link.Virtual().Now() + after); }};
// The same at a later moment: `factor` times the operation's moment.
Fault VanishLater(const char* name, int factor) {
    return {name, nullptr,
            [factor](Rig& r, sim::SimTime after) { r.link.VanishAt(r.link.Virtual().Now() + after * factor); }};
}

const Fault kNoFault = {"no fault", nullptr, nullptr};

std::vector<Fault> FrameFaults() {
    return {
        kNoFault,
        FrameFault("lost frame", sim::FrameFault::LostFrame),
        FrameFault("bad CRC", sim::FrameFault::BadCrc),
        FrameFault("split frame", sim::FrameFault::SplitFrame),
        FrameFault("chunked reply", sim::FrameFault::ChunkedReply),
        FrameFault("garbage length", sim::FrameFault::GarbageLength),
        FrameFault("oversized frame", sim::FrameFault::Oversized),
        FrameFault("text before frames", sim::FrameFault::TextBefore),
    };
}

// ---------------------------------------------------------------- operations

struct Operation {
    const char* name;
    const char* preset;
    // The clean steps before the operation (the connect and refresh).
    std::function<bool(Rig&)> prepare;
    std::function<bool(Rig&)> run;
    // On success: the result is right.
    std::function<bool(Rig&)> right;
    // On failure: the operator was told (by default: a message was shown).
    std::function<bool(Rig&, size_t shownBefore)> told;
    sim::SimTime vanishAfter;
    std::vector<Fault> faults;
};

bool Connected(Rig& r) { return ConnectReceiver(r.ma, "COM1"); }
bool ConnectedAndRefreshed(Rig& r) { return ConnectAndRefresh(r.ma, "COM1", r.record, &r.op) == ConnectResult::Connected; }

std::vector<Fault> With(std::vector<Fault> a, const std::vector<Fault>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string UserInfoText(Rig& r, int index) {
    for (const sim::VersionComponent& c : r.unit->receiver.Components())
        if (c.type == sim::component::UserInfo) return c.texts[index];
    return "";
}

std::vector<Operation> Operations() {
    const std::vector<Fault> frames = FrameFaults();
    std::vector<Operation> ops;

    // Connect: the receiver found at its rate.
    ops.push_back({"connect", "uhf", nullptr, Connected,
                   [](Rig& r) { return r.ma.Port().BaudRate() == r.unit->receiver.Baud(); }, nullptr, sim::Ms(1500),
                   With(frames, {kVanish})});

    // The refresh for each radio kind: the radio found and its data read,
    // the user-info record naming it; a radio not found is said.
    // A refresh that ends without finding the radio fitted has failed.
    // The Connection page's refresh after the connect; a refresh that did
    // not finish leaves the page's status at "Not Connected.".
    const auto refresh = [](int kind) {
        return [kind](Rig& r) {
            return RefreshConnected(r.ma, r.record, &r.op, false) == ConnectResult::Connected &&
                   r.record.peripheral.kind == kind;
        };
    };
    const auto notConnected = [](Rig& r, size_t shownBefore) {
        return r.op.shown.size() > shownBefore || r.op.status == "Not Connected.";
    };
    ops.push_back({"refresh UHF", "uhf", Connected, refresh(kPeripheralUhf),
                   [](Rig& r) {
                       return r.record.peripheral.kind == kPeripheralUhf &&
                              std::strcmp(r.record.peripheral.uhf.firmwareVersion, "V1.07") == 0 &&
                              r.record.peripheral.uhf.centerFrequency > 0 && UserInfoText(r, 2) == "3AS/PT";
                   },
                   notConnected, sim::Ms(3000),
                   With(frames, {kVanish, UhfConfig("busy radio", [](auto& c) { c.busy = true; }),
                                 UhfConfig("echo-only radio", [](auto& c) { c.echoOnly = true; }),
                                 UhfConfig("doubled answers", [](auto& c) { c.doubledAnswers = true; }),
                                 UhfConfig("split menu text", [](auto& c) { c.splitMenuText = true; })})});
    ops.push_back({"refresh GSM", "gsm", Connected, refresh(kPeripheralGsm),
                   [](Rig& r) {
                       return r.record.peripheral.kind == kPeripheralGsm &&
                              std::strcmp(r.record.peripheral.gsm.appletVersion, "3.002") == 0 &&
                              UserInfoText(r, 2) == "Siemens";
                   },
                   notConnected, sim::Ms(3000),
                   With(frames, {kVanish, GsmFault("slow module", sim::GsmModuleFault::SlowStart),
                                 GsmFault("split reply", sim::GsmModuleFault::SplitReply),
                                 GsmFault("oversized reply", sim::GsmModuleFault::OversizeReply),
                                 {"other item separators",
                                  [](sim::SimUnit& unit) {
                                      sim::GsmModuleConfig config;
                                      config.infoItemGap = "\r\n";
                                      unit.Fit(std::make_unique<sim::SimGsmModule>(config));
                                  },
                                  nullptr}})});
    ops.push_back({"refresh no radio", "none", Connected, refresh(kPeripheralNone),
                   [](Rig& r) { return r.record.peripheral.kind == kPeripheralNone && UserInfoText(r, 2).empty(); },
                   notConnected, sim::Ms(3000), With(frames, {kVanish})});

    // Receiver Settings Submit: volume 6 and language kept.
    ops.push_back({"submit receiver", "uhf", ConnectedAndRefreshed,
                   [](Rig& r) { return SubmitReceiverSettings(r.ma, r.record, 0, 6, r.record.info.powerupIndex, 0); },
                   [](Rig& r) { return r.unit->audio.Audio().volume == 6; }, nullptr, sim::Ms(300),
                   With(frames, {kVanish})});

    // UHF Settings Submit: 450.025 MHz, 1 W, error correction kept.
    ops.push_back({"submit UHF", "uhf", ConnectedAndRefreshed,
                   [](Rig& r) {
                       return SubmitUhfSettings(r.ma, r.record, kUhfPowerChoiceCount - 1, "450.025",
                                                r.record.peripheral.uhf.errorCorrection != 0);
                   },
                   [](Rig& r) {
                       const auto& s = r.Uhf()->Stored();
                       return s.currentHz == 450025000 && s.txPowerMw == 1000;
                   },
                   nullptr, sim::Ms(700), With(frames, {kVanish})});

    // GSM Bearer Submit (TCP GPRS) and the bearer cleared (NO BEARER).
    ops.push_back({"submit GSM bearer", "gsm", ConnectedAndRefreshed,
                   [](Rig& r) { return SubmitGsmBearer(r.ma, r.record, 0, "surveyor", "secret", "apn.example", "30"); },
                   [](Rig& r) {
                       const auto& b = r.Gsm()->Bearer();
                       return b.gprsUserName == "surveyor" && b.gprsPassword == "secret" &&
                              b.gprsAccessPointName == "apn.example" && b.gprsTimeout == 30 &&
                              std::strcmp(r.record.peripheral.bearer.gprsPppUserName, "surveyor") == 0;
                   },
                   nullptr, sim::Ms(300),
                   With(frames, {kVanish, GsmFault("error reply", sim::GsmModuleFault::ErrorReply, 0, applet::WriteGprs),
                                 GsmFault("split reply", sim::GsmModuleFault::SplitReply)})});
    ops.push_back({"submit GSM settings (no bearer)", "gsm",
                   [](Rig& r) {
                       if (!ConnectedAndRefreshed(r)) return false;
                       r.Gsm()->Config().bearer.gprsUserName = "old";
                       return true;
                   },
                   [](Rig& r) { return SubmitGsmBearer(r.ma, r.record, 2, "", "", "", ""); },
                   [](Rig& r) { return r.Gsm()->Bearer().gprsUserName.empty(); }, nullptr, sim::Ms(300),
                   With(frames,
                        {kVanish, GsmFault("error reply", sim::GsmModuleFault::ErrorReply, 0, applet::ClearBearer)})});

    // MRS Submit: the NTRIP source written.
    ops.push_back({"submit MRS", "gsm", ConnectedAndRefreshed,
                   [](Rig& r) {
                       return SubmitMrs(r.ma, r.record, true, "2101", "caster.example", "MOUNT1", "pw") ==
                              MrsResult::Succeeded;
                   },
                   [](Rig& r) {
                       const auto& n = r.Gsm()->Ntrip();
                       return n.casterAddress == "caster.example" && n.port == "2101" && n.mountPoint == "MOUNT1" &&
                              n.password == "pw";
                   },
                   nullptr, sim::Ms(300),
                   With(frames, {kVanish, GsmFault("error reply", sim::GsmModuleFault::ErrorReply, 0, applet::WriteNtrip),
                                 GsmFault("split reply", sim::GsmModuleFault::SplitReply)})});

    // AT Test Mode: "AT+CSQ" answered; a failure shows in the reply box.
    ops.push_back({"AT exchange", "gsm", ConnectedAndRefreshed,
                   [](Rig& r) {
                       char command[64] = "AT+CSQ";
                       char reply[2048] = "";
                       const AtTestResult result = RunAtTestCommand(r.ma, command, sizeof command, reply, sizeof reply);
                       r.text = reply;
                       r.reason = result == AtTestResult::NotAnswered ? "no answer" : "";  // the empty reply shown
                       return result == AtTestResult::Answered;
                   },
                   [](Rig& r) { return r.text.find("+CSQ") != std::string::npos && r.text.find("OK") != std::string::npos; },
                   // The dialog shows what came back: a text, or the command
                   // with no answer after it, as a terminal would.
                   [](Rig& r, size_t) { return !r.text.empty() || !r.reason.empty(); }, sim::Ms(300),
                   With(frames, {kVanish, GsmConfig("slow module", [](auto& c) { c.atDelay = sim::Ms(5000); })})});

    // GSM Settings page's TCP test: the module's answer shown.
    ops.push_back({"TCP test", "gsm", ConnectedAndRefreshed,
                   [](Rig& r) {
                       char output[5000] = "";
                       const bool ok = r.ma.TestTcpConnection("www.example.com", output, sizeof output);
                       r.text = output;
                       return ok;
                   },
                   [](Rig& r) { return r.text.find("HTTP/1.1 200 OK") != std::string::npos; },
                   [](Rig& r, size_t) { return !r.text.empty(); }, sim::Ms(300),
                   With(frames, {kVanish, GsmConfig("slow module", [](auto& c) { c.tcpDelay = sim::Ms(60000); }),
                                 GsmConfig("no answer", [](auto& c) { c.tcpAnswers = false; })})});

    // Debug File: the file downloaded byte for byte.
    ops.push_back({"debug download", "none",
                   [](Rig& r) {
                       r.file = sim::SimDebugFile::Pattern(kDebugFileSize, 11);
                       r.unit->debugFile.SetContent(r.file);
                       r.path = bench::ScratchPath("faults_debug", ".bin");
                       return Connected(r);
                   },
                   [](Rig& r) { return GetDebugFile(r.ma, r.path.c_str(), &r.op) == DebugDownloadResult::Succeeded; },
                   [](Rig& r) {
                       std::vector<uint8_t> got;
                       return bench::ReadWholeFile(r.path, &got) && got == r.file;
                   },
                   nullptr, sim::Ms(3000),
                   With(frames, {kVanish, VanishLater("device vanishes mid-stream", 2),
                                 DebugFault("lost block", sim::DebugStreamFault::LostBlock, 3),
                                 DebugFault("lost last block", sim::DebugStreamFault::LastBlockLost),
                                 DebugFault("repeated block", sim::DebugStreamFault::RepeatedBlock, 4),
                                 DebugFault("block ahead of its place", sim::DebugStreamFault::EarlyBlock, 5),
                                 DebugFault("extra block", sim::DebugStreamFault::ExtraBlock),
                                 DebugFault("overlong last block", sim::DebugStreamFault::OverlongLastBlock),
                                 DebugFault("length beyond the frame", sim::DebugStreamFault::LengthBeyondBody, 2),
                                 DebugFault("short stall", sim::DebugStreamFault::Stall, 6, 3000),
                                 DebugFault("long stall", sim::DebugStreamFault::Stall, 6, 9000)})});

    // UHF radio firmware upgrade: the radio's image equal to the file, the
    // loader never driven faster than a program message every 100 ms.
    ops.push_back({"UHF upgrade", "uhf",
                   [](Rig& r) {
                       r.file.resize(kUhfImageMessages * UhfUpgradeEngine::kProgramDataSize);
                       for (size_t i = 0; i < r.file.size(); ++i) r.file[i] = static_cast<uint8_t>(i * 7 + i / 256);
                       r.path = bench::ScratchPath("faults_uhf", ".sfo");
                       return bench::WriteWholeFile(r.path, r.file) && ConnectedAndRefreshed(r);
                   },
                   [](Rig& r) {
                       UpgradeProgress progress;
                       UhfUpgradeEngine engine(r.ma, progress, &r.link.Device(), &r.link.Clock(), &NullTrace());
                       const bool ok = engine.StartUhfUpgrade(r.path.c_str());
                       r.reason = engine.FailureReason();
                       return ok;
                   },
                   [](Rig& r) { return r.Uhf()->Image() == r.file && r.Uhf()->Loader().paceViolations == 0; },
                   // The page shows "Upgrade was not successful ..." with the reason.
                   [](Rig& r, size_t) { return !r.reason.empty(); }, sim::Ms(5000),
                   With(frames, {kVanish, VanishLater("device vanishes while programming", 2),
                                 Loader("silent loader", sim::LoaderFault::Mute, 0),
                                 Loader("ACK on retry", sim::LoaderFault::SectorAckedOnRetry, 3),
                                 Loader("loader silent after erase", sim::LoaderFault::SilentAfterErase, 0),
                                 Loader("lost ACK", sim::LoaderFault::LostAck, 5)})});

    // GSM applet upgrade: the module's image equal to the file, committed.
    ops.push_back({"GSM upgrade", "gsm",
                   [](Rig& r) {
                       r.file.resize(kAppletSize);
                       for (size_t i = 0; i < r.file.size(); ++i) r.file[i] = static_cast<uint8_t>((i * 2654435761u) >> 13);
                       r.path = bench::ScratchPath("faults", "_SiemensBridge.jar");
                       return bench::WriteWholeFile(r.path, r.file) && ConnectedAndRefreshed(r);
                   },
                   [](Rig& r) {
                       UpgradeProgress progress;
                       GsmUpgradeEngine engine(r.ma, progress, r.op, &r.link.Device(), &r.link.Clock(), &NullTrace());
                       const bool ok = engine.StartGsmUpgrade(r.path.c_str());
                       r.reason = engine.FailureReason();
                       return ok;
                   },
                   [](Rig& r) { return r.Gsm()->Committed() && r.Gsm()->Image() == r.file; },
                   [](Rig& r, size_t shownBefore) { return !r.reason.empty() || r.op.shown.size() > shownBefore; },
                   sim::Ms(2000),
                   With(frames, {kVanish, VanishLater("device vanishes while sending", 10),
                                 GsmFault("lost verify", sim::GsmModuleFault::LostVerify, 2),
                                 GsmFault("wrong-piece verify", sim::GsmModuleFault::WrongVerify, 2),
                                 GsmFault("error reply", sim::GsmModuleFault::ErrorReply, 2),
                                 GsmFault("no success after commit", sim::GsmModuleFault::NoSuccess)})});
    return ops;
}

struct PairResult {
    bool honest;
    std::string outcome, why;
};

PairResult RunPair(const Operation& operation, const Fault& fault) {
    std::unique_ptr<sim::SimUnit> unit = sim::MakePreset(operation.preset, 9600, "COM1", 0);
    if (fault.configure) fault.configure(*unit);
    Rig r(std::move(unit));
    if (operation.prepare && !operation.prepare(r)) return {false, "not run", "the clean steps before it failed"};
    const std::string before = Records(r);
    const size_t shownBefore = r.op.shown.size();
    const double start = r.Seconds();
    if (fault.arm) fault.arm(r, operation.vanishAfter);
    const bool ok = operation.run(r);
    const double seconds = r.Seconds() - start;
    // The simulated unit runs when the host reads: let it take in what was
    // sent last before its state is looked at.
    r.link.AdvanceTo(r.link.Virtual().Now() + sim::Ms(2000));

    char timing[32];
    std::snprintf(timing, sizeof timing, " (%.1f s)", seconds);
    PairResult result{true, std::string(ok ? "succeeded" : "failed") + timing, ""};
    const auto dishonest = [&result](const char* why) {
        if (result.honest) result.why = why;
        result.honest = false;
    };
    if (seconds > kBoundSeconds) dishonest("took too long");
    if (ok) {
        if (!operation.right(r)) dishonest("succeeded with a wrong result");
    } else {
        const bool told = operation.told ? operation.told(r, shownBefore) : r.op.shown.size() > shownBefore;
        if (!told) dishonest("failed without telling the operator");
        if (Records(r) != before) dishonest("failed with the records changed");
    }
    if (!r.path.empty()) bench::RemoveFile(r.path);
    if (std::getenv("QVR_FAULTS_VERBOSE")) {
        for (size_t i = shownBefore; i < r.op.shown.size(); ++i) result.why += "\n    shown: " + r.op.shown[i];
        if (!r.reason.empty()) result.why += "\n    reason: " + r.reason;
        if (!r.text.empty()) result.why += "\n    text: " + r.text;
        const std::string after = Records(r);
        if (after != before || ok) result.why += "\n    records before:\n" + before + "    records after:\n" + after;
    }
    return result;
}

} // namespace

int main() {
    const auto wallStart = std::chrono::steady_clock::now();
    int passed = 0, failed = 0;
    for (const Operation& operation : Operations()) {
        for (const Fault& fault : operation.faults) {
            const PairResult result = RunPair(operation, fault);
            std::printf("%s | %s | %s | %s%s%s\n", operation.name, fault.name, result.outcome.c_str(),
                        result.honest ? "honest" : "DISHONEST", result.why.empty() ? "" : ": ", result.why.c_str());
            std::fflush(stdout);
            (result.honest ? passed : failed)++;
        }
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    std::fprintf(stderr, "qvr-faults: %.2f s wall time\n", wall);
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed > 0 ? 1 : 0;
}
