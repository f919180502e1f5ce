// qvrctl: the command-line front end on the core, for scripting, fleets of
// receivers and service benches. Each device command connects, runs the
// full data refresh and then acts as the desktop pages would.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Cli.h"
#include "Terminal.h"
#include "PageActions.h"

using namespace qvr;
using namespace qvr::cli;

namespace {

constexpr const char* kUsage =
    "usage: qvrctl [options] COMMAND [ARGS]\n"
    "options:\n"
    "  -p, --port NAME         a name from `qvrctl ports`, COMn, or a device path\n"
    "  --handheld              use the handheld program's variant of the core\n"
    "  --json                  machine-readable output on stdout\n"
    "  -y, --yes               answer OK/Yes to every question (otherwise Cancel/No)\n"
    "  --enclosure-serial SN   what to type when the receiver asks for its enclosure serial number\n"
    "  --radio-removed         tick \"radio has been removed\" when a configured radio is not found\n"
    "  --trace                 diagnostic trace to stderr\n"
    "commands:\n"
    "  ports                                   list serial ports, one per line\n"
    "  info                                    identity, firmware, audio, peripheral and radio data\n"
    "  serial SN                               change the serial number\n"
    "  receiver [--language I] [--volume V] [--powerup P] [--timer T]\n"
    "  play EVENT LEVEL                        play a sample prompt (EVENT: index or keyword)\n"
    "  uhf [--power MW] [--frequency MHZ] [--fec on|off]\n"
    "  uhf-center MHZ                          centre-frequency change\n"
    "  gsm-bearer none | gprs --user U --password P --apn A --timeout T\n"
    "  gsm-mrs --startup on|off --address A --port N --mount M --password P\n"
    "  gsm-at COMMAND                          one AT command\n"
    "  gsm-tcp SITE                            TCP test\n"
    "  debuglog enable | disable | delete | get PATH\n"
    "  upgrade-uhf FILE                        UHF firmware upgrade\n"
    "  upgrade-gsm FILE                        GSM applet upgrade\n"
    "Use `qvrctl COMMAND --help` for a command's details.\n";

struct Command {
    const char* name;
    int (*run)(Context&);
    bool needsPort;
    const char* help;
};

const Command kCommands[] = {
    {"ports", CommandPorts, false, "qvrctl ports\n  Lists the computer's serial ports, one per line, in enumeration order.\n"},
    {"info", CommandInfo, true, "qvrctl -p PORT info\n  Connects, reads everything and prints the receiver's identity, firmware,\n  audio settings, radio and link.\n"},
    {"serial", CommandSerial, true, "qvrctl -p PORT serial SN\n  Changes the serial number: 3 letters then 8 digits (a to z are taken as A to Z).\n"},
    {"receiver", CommandReceiver, true, "qvrctl -p PORT receiver [--language I] [--volume V] [--powerup P] [--timer T]\n  Receiver Settings Submit; an option left out keeps the receiver's value.\n  I: index into the receiver's language list; V: 0..7; P: index into the\n  POWERUP list; T: 0 baseline length, 1 elapsed time (not on a QVR4100 MA).\n"},
    {"play", CommandPlay, true, "qvrctl -p PORT play EVENT LEVEL\n  Plays the prompt of an event (index in the Test sample list, or keyword\n  such as battlow) at volume LEVEL 0..7.\n"},
    {"uhf", CommandUhf, true, "qvrctl -p PORT uhf [--power MW] [--frequency MHZ] [--fec on|off]\n  UHF Settings Submit. MW: 10 20 50 100 200 500 1000.\n"},
    {"uhf-center", CommandUhfCenter, true, "qvrctl -p PORT uhf-center MHZ\n  Moves the UHF radio's centre frequency; restart the receiver afterwards.\n"},
    {"gsm-bearer", CommandGsmBearer, true, "qvrctl -p PORT gsm-bearer none | gprs --user U --password P --apn A --timeout T\n"},
    {"gsm-mrs", CommandGsmMrs, true, "qvrctl -p PORT gsm-mrs --startup on|off --address A --port N --mount M --password P\n"},
    {"gsm-at", CommandGsmAt, true, "qvrctl -p PORT gsm-at COMMAND\n  Sends one AT command to the GSM module and prints its answer.\n"},
    {"gsm-tcp", CommandGsmTcp, true, "qvrctl -p PORT gsm-tcp SITE\n  Asks the GSM module to open a TCP connection to SITE port 80.\n"},
    {"debuglog", CommandDebugLog, true, "qvrctl -p PORT debuglog enable | disable | delete | get PATH\n  Switches the receiver's debug recording on or off, deletes its debug file,\n  or downloads it to PATH. delete and get ask first (answer with --yes).\n"},
    {"upgrade-uhf", CommandUpgradeUhf, true, "qvrctl -p PORT upgrade-uhf FILE\n  Reprograms the UHF radio from an .sfo file.\n"},
    {"upgrade-gsm", CommandUpgradeGsm, true, "qvrctl -p PORT upgrade-gsm FILE\n  Replaces the GSM module's applet with a .jar file.\n"},
};

int Finish(Context& c, int status) {
    c.op.EndProgress();
    // Whatever the command made of it, an operation during which the
    // receiver stopped answering has failed, and this is why.
    if (c.receiver && c.receiver->LinkLost()) {
        status = kExitFailed;
        c.error = kLinkLostReason;
    }
    if (status != kExitOk && !c.error.empty() && !c.options.json) std::fprintf(stderr, "qvrctl: %s\n", c.error.c_str());
    if (c.options.json) {
        c.json.MemberBool("ok", status == kExitOk);
        if (!c.error.empty()) c.json.Member("error", c.error.c_str());
        c.json.Key("messages").OpenArray();
        for (const auto& m : c.op.Messages()) {
            c.json.Open()
                .Member("caption", m.caption.c_str())
                .Member("text", m.text.c_str())
                .Member("icon", m.icon.c_str())
                .Member("buttons", m.buttons.c_str())
                .Member("answer", m.answer.c_str())
                .Close();
        }
        c.json.CloseArray().Close();
        std::printf("%s\n", c.json.Text().c_str());
    }
    return status;
}

} // namespace

namespace qvr::cli {

int Usage(Context& c, const std::string& problem) {
    c.error = problem;
    return kExitUsage;
}

bool TakeOption(std::vector<std::string>& args, const char* name, std::string* value) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != name) continue;
        if (i + 1 >= args.size()) return false;
        *value = args[i + 1];
        args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
        return true;
    }
    return false;
}

bool ParseInt(const std::string& text, long long* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (*end != '\0') return false;
    *value = v;
    return true;
}

const char* const kLinkLostReason = "the receiver stopped answering";

bool ConnectReceiver(Context& c) {
    const ConnectResult result = ConnectAndRefresh(*c.receiver, c.options.port.c_str(), c.record, &c.op);
    if (result == ConnectResult::NoReceiver) c.error = "no receiver found on " + c.options.port;
    if (result == ConnectResult::RefreshFailed) c.error = "the receiver's data could not be read";
    return result == ConnectResult::Connected;
}

} // namespace qvr::cli

int main(int argc, char** argv) {
    Context c;
    Options& o = c.options;
    bool help = false;
    std::string usageError;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (!o.command.empty() && arg != "--json" && arg != "--trace" && arg != "--handheld" && arg != "-y" &&
            arg != "--yes" && arg != "--radio-removed" && arg != "-p" && arg != "--enclosure-serial") {
            // After the command, "--port" is the command's own (gsm-mrs).
            if (arg == "--help" || arg == "-h") help = true;
            else o.args.push_back(arg);
            continue;
        }
        if (arg == "-p" || arg == "--port") {
            if (!hasValue) { usageError = arg + " needs a port name"; break; }
            o.port = argv[++i];
        } else if (arg == "--enclosure-serial") {
            if (!hasValue) { usageError = "--enclosure-serial needs a serial number"; break; }
            c.op.enclosureSerial = argv[++i];
        } else if (arg == "--handheld") o.handheld = true;
        else if (arg == "--json") o.json = true;
        else if (arg == "-y" || arg == "--yes") c.op.yes = true;
        else if (arg == "--radio-removed") c.op.radioRemoved = true;
        else if (arg == "--trace") o.trace = true;
        else if (arg == "--help" || arg == "-h") help = true;
        else if (!arg.empty() && arg[0] == '-') { usageError = "unknown option " + arg; break; }
        else o.command = arg;
    }
    if (help && o.command.empty()) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (o.json) c.json.Open();
    const Command* command = nullptr;
    for (const Command& candidate : kCommands)
        if (o.command == candidate.name) command = &candidate;
    if (usageError.empty() && o.command.empty()) usageError = "no command given";
    if (usageError.empty() && !command) usageError = "unknown command " + o.command;
    if (!usageError.empty()) {
        if (!o.json) std::fputs(kUsage, stderr);
        return Finish(c, Usage(c, usageError));
    }
    if (help) {
        std::fputs(command->help, stdout);
        return kExitOk;
    }
    if (command->needsPort && o.port.empty()) return Finish(c, Usage(c, "no port given: use -p NAME"));
    c.op.showStatus = !o.json;
    c.op.showProgress = StderrIsTerminal();
    PlatformServices services;
    if (o.trace) services.trace = &StderrTrace();
    services.ui = &c.op;
    services.status = &c.op;
    c.receiver = std::make_unique<MAReceiver>(o.handheld ? Variant::Handheld : Variant::Desktop, services);
    return Finish(c, command->run(c));
}
