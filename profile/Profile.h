#pragma once
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "MAReceiver.h"

// Configuration profiles: what an operator can set on a receiver's pages,
// saved to a JSON file, compared with a receiver and applied to it, only the
// settings that differ, each group through its page's Submit, then read
// back. Between the core and the front ends; the core knows nothing of it.
namespace qvr::profile {

inline constexpr const char* kFormatName = "qvr-profile";
inline constexpr int kFormatVersion = 1;

// The groups, as the pages are, in the order they are applied.
enum class Group { Receiver, Uhf, GsmBearer, Mrs };
inline constexpr int kGroupCount = 4;

// Every setting a profile can hold.
enum Setting : int {
    kLanguage, kVolume, kPowerup, kTimerMode,
    kTxPower, kFrequency, kErrorCorrection, kProtocolMode,
    kBearer, kGprsUser, kGprsPassword, kAccessPoint, kGprsTimeout,
    kMrsStartup, kMrsAddress, kMrsPort, kMrsMountPoint, kMrsPassword,
    kSettingCount
};

Group GroupOf(int setting);
const char* GroupName(Group group);  // the JSON object's name: "receiver", "uhf", "gsmBearer", "mrs"
const char* KeyOf(int setting);      // its key within the group
std::string SettingName(int setting);  // "receiver.volume"
bool IsSecret(int setting);

// A profile: each setting given, as its canonical text (the language's
// name, "on"/"off", a frequency in MHz, milliwatts...). A setting that is
// not given is neither compared nor changed.
struct Profile {
    std::string model;  // what it was saved from: information, and for the compatibility check
    std::string radio;  // "None", "UHF", "GSM/GPRS"
    std::array<std::optional<std::string>, kSettingCount> values;

    bool HasGroup(Group group) const;
    bool HasSecrets() const;
    // Leaves the passwords out.
    void DropSecrets();
};

// The JSON text of a profile (texts that are not UTF-8 have the
// replacement character in their place) and its reading. A reading that
// fails names the key and the rule: unknown key, wrong type, value out of
// range, control character, other format or later version.
std::string ToJson(const Profile& profile);
bool FromJson(const std::string& text, Profile* profile, std::string* error);
// The same with a file. The file is written whole or not at all (a
// temporary file beside it, then renamed); a profile with passwords is
// owner-only (0600).
bool LoadFile(const std::string& path, Profile* profile, std::string* error);
bool SaveFile(const std::string& path, const Profile& profile, std::string* error);
// Whether a profile could be written there (a file or nothing, in a folder
// that exists), checked before a receiver is connected: nullptr or the reason.
const char* SavePathProblem(const std::string& path);

// What the receiver holds, from the receiver object and the record its
// refresh filled. Passwords only with withSecrets.
Profile ReadProfile(MAReceiver& receiver, const ReceiverData& record, bool withSecrets);

// Why the profile cannot be applied to this receiver, one line per problem
// naming the key or group; empty when it can. Nothing is sent.
std::vector<std::string> CompatibilityProblems(const Profile& wanted, MAReceiver& receiver,
                                               const ReceiverData& record);

// Setting by setting, what the receiver holds and what the profile says
// (settings the profile gives; the passwords masked in the texts).
struct Difference {
    int setting;
    std::string held, wanted;
    bool differs;
};
std::vector<Difference> Compare(const Profile& wanted, const Profile& held);
bool AnyDifference(const std::vector<Difference>& differences);
// A value as shown to the operator: passwords as "(set)"/"(empty)".
std::string Shown(int setting, const std::optional<std::string>& value);

enum class Outcome { Unchanged, Applied, Refused };
const char* OutcomeText(Outcome outcome);  // "unchanged", "applied and confirmed", "refused"

struct SettingResult {
    int setting;
    std::string held, wanted, readBack;  // as shown
    Outcome outcome;
    std::string reason;  // why it was refused
};

struct ApplyReport {
    std::vector<std::string> problems;  // refused before anything was sent
    std::vector<SettingResult> results;
    bool linkLost = false;
    // Every setting unchanged or applied and confirmed.
    bool Succeeded() const;
    int Count(Outcome outcome) const;
};

// Phases an apply goes through, for a front end's progress.
class IApplyProgress {
public:
    virtual ~IApplyProgress() = default;
    virtual void Phase(const char* text) = 0;
};

// Compares, applies the groups that differ through their pages' Submit
// (SubmitReceiverSettings, SubmitUhfSettings or, for the handheld variant,
// SubmitHandheldRadio, SubmitGsmBearer, SubmitMrs), then reads those groups
// back from the receiver and reports each setting. A group the receiver
// already matches sends nothing. The record takes what was read back.
ApplyReport Apply(MAReceiver& receiver, ReceiverData& record, const Profile& wanted,
                  IApplyProgress* progress = nullptr);

} // namespace qvr::profile
