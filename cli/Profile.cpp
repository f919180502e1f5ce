// qvrctl profile save|diff|apply: a receiver's settings to a file, the file
// compared with a receiver, the differences applied.
#include <cstdio>

#include "Cli.h"
#include "Profile.h"

namespace qvr::cli {

namespace {

using namespace qvr::profile;

// The key of a setting, what the receiver holds and what the profile says.
void PrintDifferences(const std::vector<Difference>& differences) {
    std::printf("%-28s %-22s %-22s\n", "setting", "receiver", "profile");
    for (const Difference& d : differences)
        std::printf("%-28s %-22s %-22s %s\n", SettingName(d.setting).c_str(), Printable(d.held).c_str(),
                    Printable(d.wanted).c_str(), d.differs ? "differs" : "same");
}

void DifferencesJson(Json& json, const std::vector<Difference>& differences) {
    json.Key("settings").OpenArray();
    for (const Difference& d : differences)
        json.Open()
            .Member("key", SettingName(d.setting).c_str())
            .Member("receiver", d.held.c_str())
            .Member("profile", d.wanted.c_str())
            .MemberBool("same", !d.differs)
            .Close();
    json.CloseArray();
    json.MemberBool("same", !AnyDifference(differences));
}

} // namespace

void ReportProblems(Context& c, const std::vector<std::string>& problems) {
    if (c.options.json) {
        c.json.Key("problems").OpenArray();
        for (const std::string& p : problems) c.json.String(p.c_str());
        c.json.CloseArray();
    } else {
        for (const std::string& p : problems) std::fprintf(stderr, "qvrctl: %s\n", Printable(p).c_str());
    }
}

void ReportApply(Context& c, const ApplyReport& report) {
    if (c.options.json) {
        WriteSettingResultsJson(c.json, report);
        c.json.Member("applied", report.Count(Outcome::Applied))
            .Member("refused", report.Count(Outcome::Refused))
            .Member("unchanged", report.Count(Outcome::Unchanged));
        return;
    }
    for (const SettingResult& r : report.results) {
        std::string line = SettingName(r.setting) + ": ";
        line += r.held == r.wanted ? r.held : r.held + " -> " + r.wanted;
        line += std::string(": ") + OutcomeText(r.outcome);
        if (!r.reason.empty()) line += ": " + r.reason;
        std::printf("%s\n", Printable(line).c_str());
    }
    std::printf("%d applied and confirmed, %d refused, %d unchanged\n", report.Count(Outcome::Applied),
                report.Count(Outcome::Refused), report.Count(Outcome::Unchanged));
}

bool LoadProfileArgument(Context& c, const std::string& path, bool withSecrets, profile::Profile* profile) {
    std::string error;
    if (!LoadFile(path, profile, &error)) {
        c.error = "profile " + path + ": " + error;
        return false;
    }
    if (!withSecrets && profile->HasSecrets()) {
        profile->DropSecrets();
        std::fprintf(stderr, "qvrctl: the profile's passwords are left out (use --with-secrets to use them)\n");
    }
    return true;
}

int CommandProfile(Context& c) {
    std::vector<std::string>& args = c.options.args;
    bool withSecrets = false, check = false;
    for (auto it = args.begin(); it != args.end();) {
        if (*it == "--with-secrets") withSecrets = true;
        else if (*it == "--check") check = true;
        else { ++it; continue; }
        it = args.erase(it);
    }
    if (args.size() != 2 || (args[0] != "save" && args[0] != "diff" && args[0] != "apply"))
        return Usage(c, "profile needs save, diff or apply and a FILE");
    for (const std::string& a : args)
        if (a.size() > 1 && a[0] == '-') return Usage(c, "profile: unknown option " + a);
    const std::string action = args[0], path = args[1];
    if (check && action != "apply") return Usage(c, "--check goes with profile apply");

    // The file is checked before the port is opened.
    profile::Profile wanted;
    if (action == "save") {
        if (const char* problem = SavePathProblem(path)) {
            c.error = "profile " + path + ": " + problem;
            return kExitFailed;
        }
    } else if (!LoadProfileArgument(c, path, withSecrets, &wanted)) {
        return kExitFailed;
    }
    if (!ConnectReceiver(c)) return kExitFailed;
    MAReceiver& r = *c.receiver;

    if (action == "save") {
        const profile::Profile held = ReadProfile(r, c.record, withSecrets);
        std::string error;
        if (!SaveFile(path, held, &error)) {
            c.error = "profile " + path + ": " + error;
            return kExitFailed;
        }
        if (c.options.json) c.json.Member("path", path.c_str());
        else std::printf("Saved the settings of %s to %s\n", Printable(r.Info().serialNumber).c_str(),
                         Printable(path).c_str());
        return kExitOk;
    }
    // A profile the receiver cannot take is refused before anything is sent.
    const std::vector<std::string> problems = CompatibilityProblems(wanted, r, c.record);
    const profile::Profile held = ReadProfile(r, c.record, withSecrets);
    const std::vector<Difference> differences = Compare(wanted, held);
    if (action == "diff" || check) {
        if (c.options.json) DifferencesJson(c.json, differences);
        else PrintDifferences(differences);
        if (!problems.empty()) {
            ReportProblems(c, problems);
            c.error = "the profile does not fit this receiver";
            return kExitFailed;
        }
        return AnyDifference(differences) ? kExitDifferent : kExitOk;
    }
    if (!problems.empty()) {
        ReportProblems(c, problems);
        c.error = "the profile does not fit this receiver; nothing was sent";
        return kExitFailed;
    }
    const ApplyReport report = Apply(r, c.record, wanted);
    ReportApply(c, report);
    if (report.Succeeded()) return kExitOk;
    c.error = report.linkLost ? kLinkLostReason : "not every setting was applied";
    return kExitFailed;
}

void WriteSettingResultsJson(Json& json, const ApplyReport& report) {
    json.Key("settings").OpenArray();
    for (const SettingResult& r : report.results)
        json.Open()
            .Member("key", SettingName(r.setting).c_str())
            .Member("before", r.held.c_str())
            .Member("profile", r.wanted.c_str())
            .Member("readBack", r.readBack.c_str())
            .Member("outcome", OutcomeText(r.outcome))
            .Member("reason", r.reason.c_str())
            .Close();
    json.CloseArray();
}

} // namespace qvr::cli
