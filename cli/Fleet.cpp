// qvrctl fleet info|apply: every receiver of a bench at once, each with its
// own receiver object and port on its own thread, so that one that hangs,
// fails or vanishes never holds up another.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <thread>

#include "Cli.h"
#include "PageActions.h"
#include "Profile.h"
#include "Terminal.h"
#include "platform/NetworkPort.h"

namespace qvr::cli {

void ReportProblems(Context& c, const std::vector<std::string>& problems);

namespace {

using Clock = std::chrono::steady_clock;
using namespace qvr::profile;

// One receiver of the fleet: what its thread is doing and how it ended.
struct Slot {
    std::string port;
    Clock::time_point start, end;
    std::atomic<bool> done{false};
    bool ok = false;
    mutable std::mutex mutex;
    std::string phase = "waiting";  // under mutex
    std::string outcome;            // written by the thread before done
    // info
    std::string model, serial, userApp, gpsCard, radio, radioFirmware;
    bool outOfDate = false;
    ApplyReport report;
    std::vector<std::string> messages;

    void SetPhase(const std::string& text) {
        std::lock_guard<std::mutex> lock(mutex);
        phase = text;
    }
    std::string Phase() const {
        std::lock_guard<std::mutex> lock(mutex);
        return phase;
    }
    double Seconds() const {
        const Clock::time_point until = done ? end : Clock::now();
        return std::chrono::duration<double>(until - start).count();
    }
};

// The operator of one receiver: questions answered as --yes says, messages
// kept for the report, status texts shown as the phase.
class FleetOperator : public IOperator, public IStatusSink, public IApplyProgress {
public:
    FleetOperator(Slot& slot, bool yes) : m_slot(slot), m_yes(yes) {}
    MessageAnswer ShowMessage(const char* text, const char* caption, MessageIcon, MessageButtons buttons) override {
        MessageAnswer answer = MessageAnswer::Ok;
        if (buttons == MessageButtons::OkCancel) answer = m_yes ? MessageAnswer::Ok : MessageAnswer::Cancel;
        if (buttons == MessageButtons::YesNo) answer = m_yes ? MessageAnswer::Yes : MessageAnswer::No;
        std::string line = std::string(caption ? caption : "") + ": " + text;
        if (buttons != MessageButtons::Ok) line += std::string(" [") + AnswerName(answer) + "]";
        std::string clean;
        for (char ch : line)
            if (ch != '\r') clean += ch == '\n' ? ' ' : ch;
        m_slot.messages.push_back(clean);
        return answer;
    }
    bool AskEnclosureSerial(char*, size_t) override { return false; }
    bool ConfirmRadioNotFound(const char*, const char*, bool* removed) override {
        *removed = false;
        return true;
    }
    void SetStatusText(const char* text) override { m_slot.SetPhase(text); }
    void Phase(const char* text) override { m_slot.SetPhase(text); }

private:
    Slot& m_slot;
    bool m_yes;
};

struct FleetJob {
    bool apply = false;
    const profile::Profile* wanted = nullptr;
    bool yes = false;
    Variant variant = Variant::Desktop;
};

void RunReceiver(Slot& slot, const FleetJob& job) {
    FleetOperator op(slot, job.yes);
    PlatformServices services;
    services.ui = &op;
    services.status = &op;
    MAReceiver r(job.variant, services);
    ReceiverData record{};
    slot.SetPhase("connecting");
    const ConnectResult result = ConnectAndRefresh(r, slot.port.c_str(), record, &op, false);
    if (result != ConnectResult::Connected) {
        const int openError = r.Port().OpenError();
        if (result == ConnectResult::RefreshFailed) slot.outcome = "the receiver's data could not be read";
        else if (openError != 0) slot.outcome = "cannot open: " + DescribeOpenError(openError, slot.port.c_str());
        else slot.outcome = "no receiver found: nothing answered at any baud rate";
    } else {
        const ReceiverInfo& info = r.Info();
        slot.model = info.modelName;
        slot.serial = info.serialNumber;
        slot.userApp = info.userAppVersion;
        slot.gpsCard = info.gpsCardVersion;
        slot.outOfDate = FirmwareOutOfDate(record);
        slot.radio = RadioKindText(record.peripheral.kind) ? RadioKindText(record.peripheral.kind) : "";
        if (record.peripheral.kind == kPeripheralUhf) slot.radioFirmware = record.peripheral.uhf.firmwareVersion;
        if (record.peripheral.kind == kPeripheralGsm) slot.radioFirmware = record.peripheral.gsm.appletVersion;
        if (!job.apply) {
            slot.ok = true;
            slot.outcome = "read";
        } else {
            slot.SetPhase("comparing");
            slot.report = Apply(r, record, *job.wanted, &op);
            const ApplyReport& report = slot.report;
            slot.ok = report.Succeeded();
            if (!report.problems.empty()) {
                slot.outcome = "does not fit: " + report.problems[0];
                if (report.problems.size() > 1) slot.outcome += " (and " + std::to_string(report.problems.size() - 1) + " more)";
            } else if (report.linkLost) {
                slot.outcome = std::string(kLinkLostReason) + "; " + std::to_string(report.Count(Outcome::Applied)) +
                               " applied and confirmed";
            } else {
                slot.outcome = std::to_string(report.Count(Outcome::Applied)) + " applied and confirmed, " +
                               std::to_string(report.Count(Outcome::Refused)) + " refused, " +
                               std::to_string(report.Count(Outcome::Unchanged)) + " unchanged";
            }
        }
    }
    if (r.LinkLost() && slot.ok) {
        slot.ok = false;
        slot.outcome = kLinkLostReason;
    }
    slot.SetPhase(slot.ok ? "done" : "failed");
    slot.end = Clock::now();
    slot.done = true;
}

std::string Cut(const std::string& text, size_t width) {
    const std::string p = Printable(text);
    return p.size() <= width ? p : p.substr(0, width - 3) + "...";
}

std::string Csv(const std::string& text) {
    if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
    std::string out = "\"";
    for (char ch : text) out += ch == '"' ? std::string("\"\"") : std::string(1, ch);
    return out + "\"";
}

void SlotJson(Json& json, const Slot& s, bool apply) {
    json.Open().Member("port", s.port.c_str()).MemberBool("ok", s.ok).Member("outcome", s.outcome.c_str());
    json.MemberReal("seconds", s.Seconds());
    if (!s.model.empty()) {
        json.Member("model", s.model.c_str())
            .Member("serialNumber", s.serial.c_str())
            .Member("userAppVersion", s.userApp.c_str())
            .Member("gpsCardVersion", s.gpsCard.c_str())
            .MemberBool("outOfDate", s.outOfDate)
            .Member("radio", s.radio.c_str())
            .Member("radioFirmware", s.radioFirmware.c_str());
    }
    if (apply) {
        json.Key("problems").OpenArray();
        for (const std::string& p : s.report.problems) json.String(p.c_str());
        json.CloseArray();
        WriteSettingResultsJson(json, s.report);
    }
    json.Key("messages").OpenArray();
    for (const std::string& m : s.messages) json.String(m.c_str());
    json.CloseArray().Close();
}

bool ReadPortsFile(const std::string& path, std::vector<std::string>* ports, std::string* error) {
    std::ifstream in(path);
    if (!in) {
        *error = "cannot read the ports file " + path;
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        ports->push_back(line.substr(first));
    }
    return true;
}

} // namespace

int CommandFleet(Context& c) {
    std::vector<std::string>& args = c.options.args;
    std::vector<std::string> ports = c.options.ports;
    std::string portsFile;
    while (TakeOption(args, "--ports-file", &portsFile)) {
        std::string error;
        if (!ReadPortsFile(portsFile, &ports, &error)) return Usage(c, error);
    }
    bool csv = false, withSecrets = false;
    for (auto it = args.begin(); it != args.end();) {
        if (*it == "--csv") csv = true;
        else if (*it == "--with-secrets") withSecrets = true;
        else { ++it; continue; }
        it = args.erase(it);
    }
    if (args.empty() || (args[0] != "info" && args[0] != "apply")) return Usage(c, "fleet needs info or apply");
    const bool apply = args[0] == "apply";
    if (apply ? args.size() != 2 : args.size() != 1)
        return Usage(c, apply ? "fleet apply needs one profile FILE" : "fleet info takes no FILE: " + args[1]);
    for (const std::string& a : args)
        if (a.size() > 1 && a[0] == '-') return Usage(c, "fleet: unknown option " + a);
    if (csv && apply) return Usage(c, "--csv goes with fleet info");
    if (ports.empty()) return Usage(c, "no port given: use -p PORT (once per receiver) or --ports-file FILE");
    for (size_t i = 0; i < ports.size(); ++i) {
        NetworkPortAddress address;
        if (!MAReceiver::PortNameFits(ports[i].c_str())) return Usage(c, "the port name is too long: " + ports[i]);
        if (IsNetworkPortName(ports[i].c_str()) && !ParseNetworkPortName(ports[i].c_str(), &address))
            return Usage(c, "a serial server is named tcp://HOST:PORT or rfc2217://HOST:PORT: " + ports[i]);
        for (size_t j = 0; j < i; ++j)
            if (ports[j] == ports[i]) return Usage(c, "port " + ports[i] + " is given twice");
    }
    profile::Profile wanted;
    if (apply) {
        std::string error;
        if (!LoadFile(args[1], &wanted, &error)) {
            c.error = "profile " + args[1] + ": " + error;
            return kExitFailed;
        }
        if (!withSecrets && wanted.HasSecrets()) {
            wanted.DropSecrets();
            std::fprintf(stderr, "qvrctl: the profile's passwords are left out (use --with-secrets to use them)\n");
        }
    }
    FleetJob job;
    job.apply = apply;
    job.wanted = &wanted;
    job.yes = c.op.yes;
    job.variant = c.options.handheld ? Variant::Handheld : Variant::Desktop;

    std::vector<std::unique_ptr<Slot>> slots;
    for (const std::string& p : ports) {
        slots.push_back(std::make_unique<Slot>());
        slots.back()->port = p;
    }
    std::vector<std::thread> threads;
    const Clock::time_point start = Clock::now();
    for (auto& s : slots) {
        s->start = start;
        threads.emplace_back(RunReceiver, std::ref(*s), std::cref(job));
    }

    // A live table on a terminal; otherwise a line per receiver as it ends.
    const bool live = !c.options.json && StderrIsTerminal();
    std::vector<bool> told(slots.size(), false);
    bool drawn = false;
    for (;;) {
        bool all = true;
        for (auto& s : slots) all = all && s->done;
        if (live) {
            std::string table;
            if (drawn) table += "\x1b[" + std::to_string(slots.size()) + "A";
            for (auto& s : slots) {
                char line[512];
                std::snprintf(line, sizeof line, "\r\x1b[K%-24s %-34s %6.1f s  %s\n", Cut(s->port, 24).c_str(),
                              Cut(s->Phase(), 34).c_str(), s->Seconds(),
                              s->done ? Cut(s->outcome, 60).c_str() : "");
                table += line;
            }
            std::fputs(table.c_str(), stderr);
            std::fflush(stderr);
            drawn = true;
        }
        for (size_t i = 0; i < slots.size(); ++i) {
            Slot& s = *slots[i];
            if (!s.done || told[i]) continue;
            told[i] = true;
            if (c.options.json) {
                Json line;
                SlotJson(line, s, apply);
                std::printf("%s\n", line.Text().c_str());
                std::fflush(stdout);
            } else if (!live) {
                std::fprintf(stderr, "%s: %s\n", Printable(s.port).c_str(), Printable(s.outcome).c_str());
            }
        }
        if (all) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(live ? 250 : 50));
    }
    for (std::thread& t : threads) t.join();
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();

    int failed = 0;
    for (auto& s : slots) failed += !s->ok;
    if (c.options.json) {
        c.json.Member("receivers", static_cast<long long>(slots.size()))
            .Member("succeeded", static_cast<long long>(slots.size()) - failed)
            .Member("failed", failed)
            .MemberReal("seconds", wall);
    } else if (csv) {
        std::printf("port,model,serialNumber,userAppVersion,gpsCardVersion,outOfDate,radio,radioFirmware,outcome\n");
        for (auto& s : slots)
            std::printf("%s,%s,%s,%s,%s,%s,%s,%s,%s\n", Csv(s->port).c_str(), Csv(s->model).c_str(),
                        Csv(s->serial).c_str(), Csv(s->userApp).c_str(), Csv(s->gpsCard).c_str(),
                        s->model.empty() ? "" : s->outOfDate ? "yes" : "no", Csv(s->radio).c_str(),
                        Csv(s->radioFirmware).c_str(), Csv(s->outcome).c_str());
    } else {
        if (apply)
            std::printf("%-24s %-8s %8s  %s\n", "port", "result", "time", "outcome");
        else
            std::printf("%-24s %-12s %-12s %-14s %-10s %-9s %-9s %s\n", "port", "model", "serial", "firmware",
                        "gps card", "outdated", "radio", "radio fw");
        for (auto& s : slots) {
            if (apply || s->model.empty())
                std::printf("%-24s %-8s %7.1fs  %s\n", Cut(s->port, 24).c_str(), s->ok ? "ok" : "FAILED", s->Seconds(),
                            Printable(s->outcome).c_str());
            else
                std::printf("%-24s %-12s %-12s %-14s %-10s %-9s %-9s %s\n", Cut(s->port, 24).c_str(),
                            Cut(s->model, 12).c_str(), Cut(s->serial, 12).c_str(), Cut(s->userApp, 14).c_str(),
                            Cut(s->gpsCard, 10).c_str(), s->outOfDate ? "yes" : "no", Cut(s->radio, 9).c_str(),
                            Printable(s->radioFirmware).c_str());
        }
        std::printf("%zu receivers: %zu succeeded, %d failed (%.1f s)\n", slots.size(), slots.size() - failed, failed,
                    wall);
    }
    if (failed == 0) return kExitOk;
    c.error = std::to_string(failed) + " of " + std::to_string(slots.size()) + " receivers failed";
    return kExitFailed;
}

} // namespace qvr::cli
