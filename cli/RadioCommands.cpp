// qvrctl commands for the radio on the AUX port and the two upgrades.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "Cli.h"
#include "GsmUpgrade.h"
#include "GsmVocabulary.h"
#include "Interrupt.h"
#include "PageActions.h"
#include "RadioPageActions.h"
#include "Text.h"
#include "UhfUpgrade.h"
#include "UpgradeFile.h"

namespace qvr::cli {

namespace {

// Whether the port has gone (unplugged, the receiver's end hung up): a
// short read fails at once then.
bool LinkGone(Context& c) {
    ISerialDevice& device = c.receiver->Port().Device();
    uint8_t byte = 0;
    size_t received = 0;
    return !device.IsOpen() || !device.Read(&byte, 1, 50, &received);
}

bool NeedPeripheral(Context& c, int32_t kind, const char* what) {
    if (c.record.peripheral.kind == kind) return true;
    // A radio search that ended with the link finds no radio: that is not
    // a receiver without one.
    if (LinkGone(c)) c.error = "the receiver stopped answering: the link to it was lost";
    else c.error = std::string("this receiver has no ") + what;
    return false;
}

// The radio's programming holds Ctrl+C off (the progress record tells
// when it starts and ends, on the engine's thread).
void HoldWhileProgramming(bool programming) { HoldInterrupt(programming); }

// Runs an upgrade engine on a worker while this thread shows its progress,
// as the upgrade pages poll theirs.
template <typename Run>
void RunWatched(Context& c, UpgradeProgress& progress, Run run, bool statusLine) {
    std::thread worker(run);
    c.op.SetRange(0, 100);
    std::string lastStatus;
    for (;;) {
        const UpgradeProgressRecord r = progress.Snapshot();
        c.op.SetPosition(r.percent);
        if (statusLine && lastStatus != r.statusText && r.statusText[0]) {
            lastStatus = r.statusText;
            if (!c.op.showProgress && !c.options.json) std::fprintf(stderr, "%s\n", r.statusText);
        }
        if (r.engineEnded) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    worker.join();
    c.op.EndProgress();
}

} // namespace

int CommandUhf(Context& c) {
    std::vector<std::string>& args = c.options.args;
    std::string power, frequency, fec;
    const bool hasPower = TakeOption(args, "--power", &power);
    const bool hasFrequency = TakeOption(args, "--frequency", &frequency);
    const bool hasFec = TakeOption(args, "--fec", &fec);
    if (!args.empty()) return Usage(c, "uhf: unknown or incomplete argument " + args[0]);
    long long milliwatts = 0;
    if (hasPower && (!ParseInt(power, &milliwatts) || UhfPowerChoiceForMilliwatts(static_cast<long>(milliwatts)) < 0))
        return Usage(c, "--power must be 10, 20, 50, 100, 200, 500 or 1000: " + power);
    if (hasFec && fec != "on" && fec != "off") return Usage(c, "--fec must be on or off: " + fec);
    // The raster around the centre frequency is checked after the connect;
    // the number is checked now.
    if (hasFrequency && (!MAReceiver::IsPlainDecimal(frequency.c_str(), 63) ||
                         MAReceiver::ReadDecimal(frequency.c_str(), 63) == 0))
        return Usage(c, "--frequency must be a frequency in MHz: " + frequency);
    if (!ConnectReceiver(c)) return kExitFailed;
    if (!NeedPeripheral(c, kPeripheralUhf, "UHF radio")) return kExitFailed;
    const UhfBlock& uhf = c.record.peripheral.uhf;
    const int choice = hasPower ? UhfPowerChoiceForMilliwatts(static_cast<long>(milliwatts))
                                : UhfPowerChoiceIndex(uhf.txPower);
    char current[64];
    std::snprintf(current, sizeof current, "%f", uhf.currentFrequency);
    const bool fecOn = hasFec ? fec == "on" : uhf.errorCorrection == 1;
    const bool ok = SubmitUhfSettings(*c.receiver, c.record, choice, hasFrequency ? frequency.c_str() : current, fecOn);
    if (!ok) c.error = "the UHF settings were not all changed";
    return ok ? kExitOk : kExitFailed;
}

int CommandUhfCenter(Context& c) {
    if (c.options.args.size() != 1) return Usage(c, "uhf-center needs the new centre frequency in MHz");
    // What needs no radio is checked before the connect and its writes.
    if (const char* problem = CenterFrequencyTextProblem(c.options.args[0].c_str())) {
        if (MAReceiver::ReadDecimal(c.options.args[0].c_str()) == 0 ||
            !MAReceiver::IsPlainDecimal(c.options.args[0].c_str()))
            return Usage(c, "not a frequency: " + c.options.args[0]);
        return Usage(c, problem);
    }
    if (!ConnectReceiver(c)) return kExitFailed;
    switch (ChangeCenterFrequency(*c.receiver, c.record, c.options.args[0].c_str())) {
    case CenterChangeResult::Succeeded: return kExitOk;
    case CenterChangeResult::InvalidNumber: return Usage(c, "not a frequency: " + c.options.args[0]);
    case CenterChangeResult::Declined: c.error = "not confirmed (use --yes)"; return kExitFailed;
    case CenterChangeResult::NotUhf: c.error = "this receiver has no UHF radio"; return kExitFailed;
    case CenterChangeResult::Failed: c.error = "the centre frequency was not changed"; return kExitFailed;
    }
    return kExitFailed;
}

int CommandGsmBearer(Context& c) {
    std::vector<std::string>& args = c.options.args;
    if (args.empty()) return Usage(c, "gsm-bearer needs none or gprs");
    const std::string type = args[0];
    args.erase(args.begin());
    std::string user, password, apn, timeout;
    if (type == "gprs") {
        if (!TakeOption(args, "--user", &user) || !TakeOption(args, "--password", &password) ||
            !TakeOption(args, "--apn", &apn) || !TakeOption(args, "--timeout", &timeout))
            return Usage(c, "gsm-bearer gprs needs --user, --password, --apn and --timeout");
        // The page's checks, before the connect: no character that would
        // shift the module's fields, lengths, a time-out it can store.
        char problem[200];
        if (!CheckGprsFields(user.c_str(), password.c_str(), apn.c_str(), timeout.c_str(), problem, sizeof problem))
            return Usage(c, problem);
        if (timeout.empty()) return Usage(c, "--timeout needs digits");
    } else if (type != "none") {
        return Usage(c, "gsm-bearer: unknown bearer " + type);
    }
    if (!args.empty()) return Usage(c, "gsm-bearer: unknown or incomplete argument " + args[0]);
    if (!ConnectReceiver(c)) return kExitFailed;
    if (!NeedPeripheral(c, kPeripheralGsm, "GSM module")) return kExitFailed;
    const bool ok = SubmitGsmBearer(*c.receiver, c.record, type == "gprs" ? kBearerGprs : kBearerNone, user.c_str(),
                                    password.c_str(), apn.c_str(), timeout.c_str());
    if (!ok) c.error = "the bearer settings were not written";
    return ok ? kExitOk : kExitFailed;
}

int CommandGsmMrs(Context& c) {
    std::vector<std::string>& args = c.options.args;
    std::string startup, address, port, mount, password;
    if (!TakeOption(args, "--startup", &startup) || !TakeOption(args, "--address", &address) ||
        !TakeOption(args, "--port", &port) || !TakeOption(args, "--mount", &mount) ||
        !TakeOption(args, "--password", &password))
        return Usage(c, "gsm-mrs needs --startup, --address, --port, --mount and --password");
    if (startup != "on" && startup != "off") return Usage(c, "--startup must be on or off: " + startup);
    if (!args.empty()) return Usage(c, "gsm-mrs: unknown or incomplete argument " + args[0]);
    char problem[200];
    if (!CheckMrsFields(port.c_str(), address.c_str(), mount.c_str(), password.c_str(), problem, sizeof problem))
        return Usage(c, problem);
    if (!ConnectReceiver(c)) return kExitFailed;
    if (!NeedPeripheral(c, kPeripheralGsm, "GSM module")) return kExitFailed;
    switch (SubmitMrs(*c.receiver, c.record, startup == "on", port.c_str(), address.c_str(), mount.c_str(),
                      password.c_str())) {
    case MrsResult::Succeeded: return kExitOk;
    case MrsResult::Declined: c.error = "not confirmed (use --yes)"; return kExitFailed;
    case MrsResult::Invalid: c.error = "the NTRIP source settings were refused"; return kExitFailed;
    case MrsResult::NotAvailable: c.error = "the GSM applet is too old for MRS"; return kExitFailed;
    case MrsResult::Failed: c.error = "the NTRIP source settings were not written"; return kExitFailed;
    }
    return kExitFailed;
}

int CommandGsmAt(Context& c) {
    if (c.options.args.size() != 1 || c.options.args[0].empty())
        return Usage(c, "gsm-at needs one AT command (quote it)");
    const std::string& at = c.options.args[0];
    if (HasControlCharacter(at.c_str()))
        return Usage(c, "The AT command contains a line break or control character. Please remove it.");
    if (at.size() > MAReceiver::kMaxAtCommandLength) {
        char message[160];
        FormatFieldTooLong(message, GsmField::AtCommand);
        return Usage(c, message);
    }
    // Refused by the tool whatever the module: said before the connect.
    if (!AtCommandAllowed(at.c_str())) {
        c.error = "ATZ, ATF, and ATW commands not allowed in tool.";
        return kExitFailed;
    }
    if (!ConnectReceiver(c)) return kExitFailed;
    if (!NeedPeripheral(c, kPeripheralGsm, "GSM module")) return kExitFailed;
    char command[1024 + 2];
    std::snprintf(command, sizeof command, "%s", at.c_str());
    char result[2048];
    const AtTestResult outcome = RunAtTestCommand(*c.receiver, command, sizeof command, result, sizeof result);
    if (c.options.json) c.json.Member("command", command).Member("result", result);
    else {
        // The command on a line of its own, then what the module said
        // (its echo of the command first, then its answer), each line
        // ended; "\r\n" and a lone "\r" end a line.
        std::string said;
        for (const char* p = result; *p; ++p) {
            if (*p == '\r') {
                said += '\n';
                if (p[1] == '\n') ++p;
            } else {
                said += *p;
            }
        }
        if (!said.empty() && said.back() != '\n') said += '\n';
        std::printf("%s\n%s", Printable(c.options.args[0]).c_str(), Printable(said, true).c_str());
    }
    switch (outcome) {
    case AtTestResult::Answered: return kExitOk;
    case AtTestResult::NotAnswered: c.error = "the GSM module did not answer"; break;
    case AtTestResult::LinkLost: break;  // said by the caller
    case AtTestResult::Refused:
    case AtTestResult::TooLong: c.error = "the AT command was not sent"; break;
    }
    return kExitFailed;
}

int CommandGsmTcp(Context& c) {
    if (c.options.args.size() != 1) return Usage(c, "gsm-tcp needs a web site");
    // The site the page would test, checked before the connect.
    if (c.options.args[0].size() >= 255) return Usage(c, "Error: Website name or IP Address too long!");
    char site[255];
    TcpTestSite(c.options.args[0].c_str(), site, sizeof site);
    if (const char* problem = MAReceiver::TcpTestSiteProblem(site)) return Usage(c, problem);
    if (!ConnectReceiver(c)) return kExitFailed;
    if (!NeedPeripheral(c, kPeripheralGsm, "GSM module")) return kExitFailed;
    char output[5000];
    const bool ok = c.receiver->TestTcpConnection(site, output, sizeof output);
    if (c.options.json) c.json.Member("site", site).Member("output", output);
    else std::printf("%s\n", output);
    if (!ok) c.error = "the module did not answer the TCP test";
    return ok ? kExitOk : kExitFailed;
}

int CommandUpgradeUhf(Context& c) {
    if (c.options.args.size() != 1) return Usage(c, "upgrade-uhf needs the .sfo file");
    const char* path = c.options.args[0].c_str();
    IOperator& ui = c.op;
    // The page's file checks, before anything else: a folder, a pipe, an
    // oversized or odd file never gets as far as the connect.
    if (const char* problem = CheckUhfUpgradeFile(path)) {
        ui.ShowMessage(problem, kDesktopCaption, MessageIcon::None, MessageButtons::Ok);
        c.error = problem;
        return kExitFailed;
    }
    if (!ConnectReceiver(c)) return kExitFailed;
    if (!NeedPeripheral(c, kPeripheralUhf, "UHF radio")) return kExitFailed;
    if (!ConfirmUpgradeStart(ui, false)) {
        c.error = "not confirmed (use --yes)";
        return kExitFailed;
    }
    UpgradeProgress progress;
    progress.SetProgrammingObserver(&HoldWhileProgramming);
    UhfUpgradeEngine engine(*c.receiver, progress);
    RunWatched(c, progress, [&] { engine.StartUhfUpgrade(path); }, false);
    const UpgradeProgressRecord r = progress.Snapshot();
    if (r.state == kUpgradeDone && !r.failed) {
        ui.ShowMessage("Upgrade Successful!", "Success", MessageIcon::None, MessageButtons::Ok);
        return kExitOk;
    }
    if (r.state == kUpgradeDone) {
        ui.ShowMessage("Upgrade was not successful. Verify radio operation and contact a service depot for "
                       "assistance.",
                       "Failure", MessageIcon::None, MessageButtons::Ok);
    }
    c.error = engine.FailureReason()[0] ? engine.FailureReason() : "the upgrade did not succeed";
    return kExitFailed;
}

int CommandUpgradeGsm(Context& c) {
    if (c.options.args.size() != 1) return Usage(c, "upgrade-gsm needs the .jar file");
    const char* path = c.options.args[0].c_str();
    IOperator& ui = c.op;
    // What needs no module is checked before the connect: the file, and
    // that it is an applet file at all. The module's own kind comes after.
    const char* early = UpgradeFileProblemText(CheckUpgradeFile(path, UpgradeFileKind::GsmApplet),
                                               UpgradeFileKind::GsmApplet);
    if (!early && !std::strstr(path, ".jar") && !std::strstr(path, ".JAR"))
        early = "You must select a valid GSM applet upgrade file.";
    if (early) {
        ui.ShowMessage(early, kDesktopCaption, MessageIcon::None, MessageButtons::Ok);
        c.error = early;
        return kExitFailed;
    }
    if (!ConnectReceiver(c)) return kExitFailed;
    if (!NeedPeripheral(c, kPeripheralGsm, "GSM module")) return kExitFailed;
    const char* problem = nullptr;
    if (!GsmUpgradeEngine::CheckAppletFile(path, c.record.peripheral.gsm.moduleKind, &problem)) {
        if (problem) ui.ShowMessage(problem, kDesktopCaption, MessageIcon::None, MessageButtons::Ok);
        c.error = problem ? problem : "the applet file cannot be used";
        return kExitFailed;
    }
    if (!ConfirmUpgradeStart(ui, true)) {
        c.error = "not confirmed (use --yes)";
        return kExitFailed;
    }
    UpgradeProgress progress;
    GsmUpgradeEngine engine(*c.receiver, progress, ui);
    bool result = false;
    RunWatched(c, progress, [&] { result = engine.StartGsmUpgrade(path); }, true);
    if (!result) c.error = engine.FailureReason()[0] ? engine.FailureReason() : "the applet upgrade did not succeed";
    return result ? kExitOk : kExitFailed;
}

} // namespace qvr::cli
