#pragma once
#include <memory>
#include <string>
#include <vector>

#include "CliOperator.h"
#include "Json.h"
#include "MAReceiver.h"

namespace qvr::profile {
struct ApplyReport;
}

namespace qvr::cli {

// kExitDifferent: profile diff (and apply --check) found a difference.
enum Exit { kExitOk = 0, kExitFailed = 1, kExitUsage = 2, kExitDifferent = 3 };

struct Options {
    std::string port;
    std::vector<std::string> ports;  // every -p, in order (fleet)
    bool handheld = false;
    bool json = false;
    bool trace = false;
    bool remember = true;
    std::string command;
    std::vector<std::string> args;
};

// Everything a command works with: the options, the operator, the receiver
// object and the record the refresh filled, and the JSON being built.
struct Context {
    Options options;
    CliOperator op;
    std::unique_ptr<MAReceiver> receiver;
    ReceiverData record{};
    Json json;
    std::string error;  // why the command failed, for --json and stderr
};

// Why an operation failed when the port stopped working under it.
extern const char* const kLinkLostReason;

// A usage error naming the bad argument; returns kExitUsage.
int Usage(Context& c, const std::string& problem);
// Connects on the port and runs the full refresh, as the Connection page
// does; false (with its messages shown) when either fails.
bool ConnectReceiver(Context& c);

// The value of "--name VALUE" among the command's arguments; true when given.
bool TakeOption(std::vector<std::string>& args, const char* name, std::string* value);
// A whole decimal number, optionally negative, and nothing else; false
// for anything else, also for a number beyond the range of long long.
bool ParseInt(const std::string& text, long long* value);
// A number that must lie within [lowest, highest].
bool ParseIntIn(const std::string& text, long long lowest, long long highest, long long* value);

// Text from the command line (or a file name built from it) as it may be
// written to a terminal: control characters and bytes that are not UTF-8
// become \xNN escapes (\r, \n and \t as such), so that no argument can move
// the cursor or change the terminal. keepLineEnds leaves "\n" as it is, for
// messages of several lines.
std::string Printable(const std::string& text, bool keepLineEnds = false);

// Commands. Each returns the exit status and adds its members to c.json.
int CommandPorts(Context& c);
int CommandInfo(Context& c);
int CommandSerial(Context& c);
int CommandReceiver(Context& c);
int CommandPlay(Context& c);
int CommandDebugLog(Context& c);
int CommandUhf(Context& c);
int CommandUhfCenter(Context& c);
int CommandGsmBearer(Context& c);
int CommandGsmMrs(Context& c);
int CommandGsmAt(Context& c);
int CommandGsmTcp(Context& c);
int CommandUpgradeUhf(Context& c);
int CommandUpgradeGsm(Context& c);
int CommandProfile(Context& c);  // Profile.cpp
int CommandFleet(Context& c);    // Fleet.cpp

// An apply report's "settings" member: one object per setting.
void WriteSettingResultsJson(Json& json, const profile::ApplyReport& report);  // Profile.cpp

// The info members: receiver, audio, peripheral, link.
void WriteInfoJson(Context& c);
void PrintInfo(Context& c);

} // namespace qvr::cli
