// qvrctl: the command-line front end on the core, for scripting, fleets of
// receivers and service benches. Each device command connects, runs the
// full data refresh and then acts as the desktop pages would.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Cli.h"
#include "Interrupt.h"
#include "PageActions.h"
#include "QvrVersion.h"
#include "RateMemory.h"
#include "Terminal.h"
#include "platform/NetworkPort.h"

using namespace qvr;
using namespace qvr::cli;

namespace {

constexpr const char* kUsage =
    "usage: qvrctl [options] COMMAND [ARGS]\n"
    "options:\n"
    "  -p, --port NAME         a name from `qvrctl ports`, COMn, a device path, or a serial server:\n"
    "                          tcp://HOST:PORT (raw) or rfc2217://HOST:PORT\n"
    "  --handheld              use the handheld program's variant of the core\n"
    "  --json                  machine-readable output on stdout\n"
    "  -y, --yes               answer OK/Yes to every question (otherwise Cancel/No)\n"
    "  --enclosure-serial SN   what to type when the receiver asks for its enclosure serial number\n"
    "  --radio-removed         tick \"radio has been removed\" when a configured radio is not found\n"
    "  --trace                 diagnostic trace to stderr\n"
    "  --no-remember           search every rate; do not look first at, nor keep, the rate the receiver\n"
    "                          was last found at on this port\n"
    "  --version               print qvrctl's version and end\n"
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
    "  profile save|diff|apply FILE [--check] [--with-secrets]\n"
    "                                          settings to a file, compared, applied\n"
    "  fleet info|apply [FILE] -p PORT -p PORT ... [--ports-file F] [--csv]\n"
    "                                          every receiver at once\n"
    "An option's value may also follow an equals sign: --port=NAME, --volume=6.\n"
    "Use `qvrctl COMMAND --help` for a command's details.\n";

constexpr const char* kProfileHelp =
    "qvrctl -p PORT profile save FILE [--with-secrets]\n"
    "qvrctl -p PORT profile diff FILE [--with-secrets]\n"
    "qvrctl -p PORT profile apply FILE [--check] [--with-secrets]\n"
    "  save: reads every setting the pages set and writes them to FILE (JSON);\n"
    "  passwords only with --with-secrets (the file is then owner-only).\n"
    "  diff: lists, setting by setting, the receiver's value and the profile's.\n"
    "  apply: applies only the settings that differ, each group as its page's\n"
    "  Submit does, reads them back and reports each: applied and confirmed,\n"
    "  refused (why) or unchanged. --check shows what would change. The\n"
    "  profile's passwords are used only with --with-secrets.\n"
    "  Exit status: 0 same (diff, --check) or applied, 1 failed, 2 wrong usage,\n"
    "  3 different (diff, --check).\n";
constexpr const char* kFleetHelp =
    "qvrctl fleet info -p PORT -p PORT ... [--ports-file F] [--csv]\n"
    "qvrctl fleet apply FILE -p PORT -p PORT ... [--ports-file F] [--with-secrets]\n"
    "  Every receiver at once, each on its own: one that hangs, fails or\n"
    "  vanishes never holds up another. F: one port per line (# starts a comment).\n"
    "  info: the inventory (port, model, serial number, firmware, out of date,\n"
    "  radio); --csv as comma-separated values. apply: profile apply on each.\n"
    "  On a terminal a live table; --json: one JSON object per port, one per line.\n"
    "  Exit status: 0 when every receiver succeeded, 1 otherwise, 2 wrong usage.\n";

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
    {"profile", CommandProfile, true, kProfileHelp},
    {"fleet", CommandFleet, false, kFleetHelp},
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
    if (status != kExitOk && !c.error.empty() && !c.options.json)
        std::fprintf(stderr, "qvrctl: %s\n", Printable(c.error).c_str());
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
    const size_t nameLength = std::strlen(name);
    for (size_t i = 0; i < args.size(); ++i) {
        const auto at = args.begin() + static_cast<long>(i);
        // "--name=VALUE" as well as "--name VALUE".
        if (args[i].compare(0, nameLength, name) == 0 && args[i].size() > nameLength && args[i][nameLength] == '=') {
            *value = args[i].substr(nameLength + 1);
            args.erase(at);
            return true;
        }
        if (args[i] != name) continue;
        if (i + 1 >= args.size()) return false;
        *value = args[i + 1];
        args.erase(at, at + 2);
        return true;
    }
    return false;
}

bool ParseInt(const std::string& text, long long* value) {
    // strtoll alone takes leading blanks and a plus sign, and clamps
    // numbers out of range; a number here is what it looks like.
    const size_t start = !text.empty() && text[0] == '-' ? 1 : 0;
    if (text.size() == start) return false;
    for (size_t i = start; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    errno = 0;
    const long long v = std::strtoll(text.c_str(), nullptr, 10);
    if (errno == ERANGE) return false;
    *value = v;
    return true;
}

bool ParseIntIn(const std::string& text, long long lowest, long long highest, long long* value) {
    long long v = 0;
    if (!ParseInt(text, &v) || v < lowest || v > highest) return false;
    *value = v;
    return true;
}

std::string Printable(const std::string& text, bool keepLineEnds) {
    std::string out;
    const auto escape = [&out](unsigned char byte) {
        char code[8];
        std::snprintf(code, sizeof code, "\\x%02X", byte);
        out += code;
    };
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        const unsigned char b = p[i];
        if (b == '\n' && keepLineEnds) {
            out += '\n';
            ++i;
        } else if (b == '\n' || b == '\r' || b == '\t') {
            out += b == '\n' ? "\\n" : b == '\r' ? "\\r" : "\\t";
            ++i;
        } else if (b < 0x20 || b == 0x7F) {
            escape(b);
            ++i;
        } else if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
        } else {
            // A whole UTF-8 sequence passes, except the C1 controls
            // (U+0080..U+009F), which some terminals obey.
            size_t length = Utf8Length(p + i, n - i);
            if (length == 2 && b == 0xC2 && p[i + 1] < 0xA0) length = 0;
            if (length == 0) {
                escape(b);
                ++i;
            } else {
                out.append(text, i, length);
                i += length;
            }
        }
    }
    return out;
}
const char* const kLinkLostReason = "the receiver stopped answering";

bool ConnectReceiver(Context& c) {
    const ConnectResult result = ConnectAndRefresh(*c.receiver, c.options.port.c_str(), c.record, &c.op);
    if (result == ConnectResult::NoReceiver) {
        // The port itself may have failed to open: say why, which tells
        // the operator what to do about it.
        const int openError = c.receiver->Port().OpenError();
        if (openError != 0)
            c.error = "cannot open " + c.options.port + ": " + DescribeOpenError(openError, c.options.port.c_str());
        else
            c.error = "no receiver found on " + c.options.port + ": nothing answered at any baud rate";
    }
    if (result == ConnectResult::RefreshFailed) c.error = "the receiver's data could not be read";
    return result == ConnectResult::Connected;
}

} // namespace qvr::cli

// The parsing is qvrctl's own rather than a library's: the options of qvrctl
// may stand before or after the command while "--port" after it is the
// command's own (gsm-mrs), a usage error is reported inside the --json object
// with exit status 2, and the program builds for Windows without extra
// headers.
namespace {

int RunQvrctl(int argc, char** argv);

} // namespace

int main(int argc, char** argv) {
    const bool stdoutClosed = GuardStandardStreams();
    int status = RunQvrctl(argc, argv);
    // Output that could not be written (a full disk, a closed pipe or
    // stdout) is a failure, whatever the command made of it.
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0 && !std::ferror(stdout);
    const int error = errno;
    if (!flushed || std::fclose(stdout) != 0) {
        std::fprintf(stderr, "qvrctl: the output could not be written: %s\n",
                     stdoutClosed ? "standard output is closed" : std::strerror(flushed ? errno : error));
        if (status == kExitOk) status = kExitFailed;
    }
    return status;
}

namespace {

int RunQvrctl(int argc, char** argv) {
    Context c;
    Options& o = c.options;
    bool help = false;
    bool version = false;
    std::string usageError;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        // "--option=VALUE" as well as "--option VALUE".
        const size_t equals = arg.rfind("--", 0) == 0 ? arg.find('=') : std::string::npos;
        const bool hasInlineValue = equals != std::string::npos;
        const std::string name = hasInlineValue ? arg.substr(0, equals) : arg;
        const bool global = name == "--json" || name == "--trace" || name == "--no-remember" || name == "--handheld" || name == "-y" ||
                            name == "--yes" || name == "--radio-removed" || name == "-p" ||
                            name == "--enclosure-serial" || (o.command.empty() && name == "--port");
        if (!o.command.empty() && !global) {
            // After the command, "--port" is the command's own (gsm-mrs).
            if (arg == "--help" || arg == "-h") help = true;
            else o.args.push_back(arg);
            continue;
        }
        const bool takesValue = name == "-p" || name == "--port" || name == "--enclosure-serial";
        if (hasInlineValue && !takesValue) {
            usageError = global ? name + " takes no value: " + arg : "unknown option " + name;
            break;
        }
        std::string value;
        if (takesValue) {
            if (hasInlineValue) value = arg.substr(equals + 1);
            else if (i + 1 < argc) value = argv[++i];
            else { usageError = name + (name == "--enclosure-serial" ? " needs a serial number" : " needs a port name"); break; }
        }
        if (takesValue && name == "--enclosure-serial") c.op.enclosureSerial = value;
        else if (takesValue) {
            o.port = value;
            o.ports.push_back(value);
        }
        else if (arg == "--handheld") o.handheld = true;
        else if (arg == "--json") o.json = true;
        else if (arg == "-y" || arg == "--yes") c.op.yes = true;
        else if (arg == "--radio-removed") c.op.radioRemoved = true;
        else if (arg == "--trace") o.trace = true;
        else if (arg == "--no-remember") o.remember = false;
        else if (arg == "--help" || arg == "-h") help = true;
        else if (arg == "--version") version = true;
        else if (!arg.empty() && arg[0] == '-') { usageError = "unknown option " + arg; break; }
        else o.command = arg;
    }
    if (help && o.command.empty()) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (version && usageError.empty()) {
        std::printf("qvrctl %s\n", QVR_VERSION);
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
    // Checked before anything is opened: a name cut to fit would open
    // another port.
    if (command->needsPort && !MAReceiver::PortNameFits(o.port.c_str()))
        return Finish(c, Usage(c, "the port name is too long (at most " +
                                      std::to_string(MAReceiver::kPortNameSize - 1) + " characters)"));
    NetworkPortAddress networkAddress;
    if (command->needsPort && IsNetworkPortName(o.port.c_str()) &&
        !ParseNetworkPortName(o.port.c_str(), &networkAddress))
        return Finish(c, Usage(c, "a serial server is named tcp://HOST:PORT or rfc2217://HOST:PORT (PORT 1 to 65535): " +
                                      o.port));
    // The receiver takes an enclosure serial number of exactly 11 characters,
    // written between quotes: anything else would be ignored or refused
    // after a 40-second connect.
    if (!c.op.enclosureSerial.empty() &&
        (c.op.enclosureSerial.size() != 11 || !MAReceiver::IsQuotable(c.op.enclosureSerial.c_str())))
        return Finish(c, Usage(c, "--enclosure-serial must be 11 characters without quotes or control characters: " +
                                      c.op.enclosureSerial));
    c.op.showStatus = !o.json;
    c.op.showProgress = StderrIsTerminal();
    PlatformServices services;
    if (o.trace) services.trace = &StderrTrace();
    services.ui = &c.op;
    services.status = &c.op;
    static RateFile rates = RateFile::ForUser();
    if (o.remember) services.rates = &rates;
    if (command->needsPort && IsRawNetworkPortName(o.port.c_str()))
        std::fputs("qvrctl: notice: a raw TCP port cannot pass rate changes to the serial server; the receiver is "
                   "reached only at the rate the server's port is set to\n",
                   stderr);
    c.receiver = std::make_unique<MAReceiver>(o.handheld ? Variant::Handheld : Variant::Desktop, services);
    InstallInterruptHandler();
    const int status = Finish(c, command->run(c));
    // An interruption held off while a radio was programmed ends the
    // program now that the programming is over.
    if (InterruptPending()) {
        std::fputs("qvrctl: interrupted\n", stderr);
        return kExitInterrupted;
    }
    return status;
}

} // namespace
