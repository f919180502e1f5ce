// qvrctl commands on the receiver itself: ports, info, serial number,
// receiver settings, prompt samples and the debug log file.
#include <cstdio>
#include <cstring>

#include "Cli.h"
#include "DebugFileActions.h"
#include "PageActions.h"
#include "Preferences.h"
#include "platform/RegularFile.h"

namespace qvr::cli {

int CommandPorts(Context& c) {
    CComPort port;
    const int count = port.EnumeratePorts();
    if (c.options.json) c.json.Key("ports").OpenArray();
    for (int i = 0; i < count; ++i) {
        char name[CComPort::kPortNameSize];
        if (!port.GetComPortName(name, i)) continue;
        if (c.options.json) c.json.String(name);
        else std::printf("%s\n", name);
    }
    if (c.options.json) c.json.CloseArray();
    return kExitOk;
}

int CommandInfo(Context& c) {
    if (!c.options.args.empty()) return Usage(c, "info takes no arguments: " + c.options.args[0]);
    if (!ConnectReceiver(c)) return kExitFailed;
    if (c.options.json) WriteInfoJson(c);
    else PrintInfo(c);
    return kExitOk;
}

int CommandSerial(Context& c) {
    if (c.options.args.size() != 1) return Usage(c, "serial needs exactly one serial number");
    char serial[12];
    if (!NormalizeNewSerial(c.options.args[0].c_str(), serial))
        return Usage(c, "serial number " + c.options.args[0] + " is not 3 letters and 8 digits");
    if (!ConnectReceiver(c)) return kExitFailed;
    // The service dialog's caller shows nothing; a failed write is only
    // reported by the exit status here.
    if (!ChangeSerialNumber(*c.receiver, c.record, serial)) {
        c.error = "the serial number could not be written";
        return kExitFailed;
    }
    if (c.options.json) c.json.Member("serialNumber", serial);
    else std::printf("Serial number: %s\n", serial);
    return kExitOk;
}

int CommandReceiver(Context& c) {
    std::vector<std::string>& args = c.options.args;
    std::string language, volume, powerup, timer;
    const bool hasLanguage = TakeOption(args, "--language", &language);
    const bool hasVolume = TakeOption(args, "--volume", &volume);
    const bool hasPowerup = TakeOption(args, "--powerup", &powerup);
    const bool hasTimer = TakeOption(args, "--timer", &timer);
    if (!args.empty()) return Usage(c, "receiver: unknown or incomplete argument " + args[0]);
    long long languageIndex = 0, level = 0, powerupIndex = 0, timerMode = 0;
    // Within what any receiver offers before connecting; within this
    // receiver's lists after.
    if (hasLanguage && !ParseIntIn(language, 0, MAReceiver::kMaxLanguages - 1, &languageIndex))
        return Usage(c, "--language must be 0 to " + std::to_string(MAReceiver::kMaxLanguages - 1) + ": " + language);
    if (hasVolume && !ParseIntIn(volume, 0, 7, &level)) return Usage(c, "--volume must be 0 to 7: " + volume);
    if (hasPowerup && !ParseIntIn(powerup, 0, kMaxPowerupEntries - 1, &powerupIndex))
        return Usage(c, "--powerup must be 0 to " + std::to_string(kMaxPowerupEntries - 1) + ": " + powerup);
    if (hasTimer && !ParseIntIn(timer, 0, 1, &timerMode)) return Usage(c, "--timer must be 0 or 1: " + timer);
    if (!ConnectReceiver(c)) return kExitFailed;

    MAReceiver& r = *c.receiver;
    const Variant variant = r.GetVariant();
    Language ids[MAReceiver::kMaxLanguages];
    int languages = 0;
    r.GetLanguageList(ids, &languages);
    const char* entries[kMaxPowerupEntries];
    const int powerups = PowerupList(variant, r.Info().modelKind, r.GetUserAppVersionNumber(), entries);
    if (!hasLanguage) languageIndex = c.record.audio.languageIndex;
    if (!hasVolume) level = c.record.audio.volume;
    if (!hasPowerup) powerupIndex = c.record.info.powerupIndex;
    if (!hasTimer) timerMode = r.GetTimerMode();
    // The page offers only the entries of its lists.
    if (hasLanguage && (languageIndex < 0 || languageIndex >= languages))
        return Usage(c, "--language must be 0 to " + std::to_string(languages - 1) + " for this receiver");
    if (hasPowerup && (powerupIndex < 0 || powerupIndex >= powerups))
        return Usage(c, "--powerup must be 0 to " + std::to_string(powerups - 1) + " for this receiver");
    if (hasTimer && !HasTimerLed(r.Info().modelKind)) return Usage(c, "--timer: this receiver has no timer LED");
    const bool ok = SubmitReceiverSettings(r, c.record, static_cast<int>(languageIndex), static_cast<int>(level),
                                           static_cast<int>(powerupIndex), static_cast<int>(timerMode));
    if (!ok) c.error = "the receiver settings could not all be changed";
    return ok ? kExitOk : kExitFailed;
}

int CommandPlay(Context& c) {
    if (c.options.args.size() != 2) return Usage(c, "play needs EVENT and LEVEL");
    long long level = 0;
    if (!ParseIntIn(c.options.args[1], 0, 7, &level)) return Usage(c, "LEVEL must be 0 to 7: " + c.options.args[1]);
    const Variant variant = c.options.handheld ? Variant::Handheld : Variant::Desktop;
    long long index = -1;
    if (ParseInt(c.options.args[0], &index)) {
        // A number beyond the list would be taken as another event.
        if (index < 0 || index >= kPromptEventCount)
            return Usage(c, "EVENT must be 0 to " + std::to_string(kPromptEventCount - 1) + " or a keyword: " +
                                c.options.args[0]);
    } else {
        for (int i = 0; i < kPromptEventCount; ++i) {
            const PromptEvent* event = PromptEventAt(variant, i);
            if (event && (c.options.args[0] == event->keyword || c.options.args[0] == event->displayName)) index = i;
        }
        if (index < 0) return Usage(c, "unknown event " + c.options.args[0]);
    }
    if (!ConnectReceiver(c)) return kExitFailed;
    // Like the page: the result is not shown, only reflected in the status.
    if (!c.receiver->PlayAudioPrompt(static_cast<int>(index), static_cast<int>(level))) {
        c.error = "this receiver has no such prompt event";
        return kExitFailed;
    }
    return kExitOk;
}

int CommandDebugLog(Context& c) {
    const std::vector<std::string>& args = c.options.args;
    if (args.empty()) return Usage(c, "debuglog needs enable, disable, delete or get PATH");
    const std::string& action = args[0];
    if (action == "get" ? args.size() != 2 : args.size() != 1) return Usage(c, "debuglog: wrong arguments");
    if (action != "enable" && action != "disable" && action != "delete" && action != "get")
        return Usage(c, "debuglog: unknown action " + action);
    const Variant variant = c.options.handheld ? Variant::Handheld : Variant::Desktop;
    // As the dialog: a save path that is empty or cannot be written is
    // refused before anything is sent.
    if (action == "get" && !DebugSavePathGiven(c.op, args[1].c_str(), variant)) {
        c.error = args[1].empty() ? "no save path given" : "the debug file cannot be saved as " + args[1];
        return kExitFailed;
    }
    if (!ConnectReceiver(c)) return kExitFailed;
    MAReceiver& r = *c.receiver;
    if (action == "enable" || action == "disable") {
        r.SetDebugFileEnabled(action == "enable");
        return kExitOk;
    }
    if (action == "delete") {
        switch (DeleteDebugFileAsked(r)) {
        case DebugDeleteResult::Deleted: return kExitOk;
        case DebugDeleteResult::Declined: c.error = "not confirmed (use --yes)"; break;
        case DebugDeleteResult::Failed: c.error = "the delete command could not be sent"; break;
        }
        return kExitFailed;
    }
    // The download writes beside the target and registers that file, so an
    // interrupted download leaves the target as it was.
    const char* path = args[1].c_str();
    const DebugDownloadResult result = GetDebugFile(r, path, &c.op);
    switch (result) {
    case DebugDownloadResult::Succeeded:
        if (c.options.json) c.json.Member("path", args[1].c_str());
        return kExitOk;
    case DebugDownloadResult::EmptyPath: c.error = "no save path given"; break;
    case DebugDownloadResult::PathRefused: c.error = "the debug file cannot be saved as " + args[1]; break;
    case DebugDownloadResult::Declined: c.error = "not confirmed (use --yes)"; break;
    case DebugDownloadResult::Failed: c.error = "the debug file could not be downloaded"; break;
    }
    return kExitFailed;
}

} // namespace qvr::cli
