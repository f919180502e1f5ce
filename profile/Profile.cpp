// Profiles: the table of settings, the JSON file, reading a receiver's
// settings and comparing them.
#include "Profile.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "PageActions.h"
#include "Preferences.h"
#include "RadioPageActions.h"
#include "TemporaryFiles.h"
#include "Text.h"
#include "platform/Files.h"

namespace qvr::profile {

namespace {

using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;

// How a setting is written in the file and what it may hold.
enum class Kind { Integer, Boolean, Frequency, Text, Choice };

struct SettingRule {
    Group group;
    const char* key;
    Kind kind;
    long long lowest, highest;  // Integer; Text: highest is the longest length
    bool secret;
};

constexpr long long kTimeoutMax = 2147483647;
// The GSM fields' room (127 and 254 characters and a NUL).
constexpr long long kBearerTextMax = sizeof(BearerRecord::gprsPppUserName) - 1;
constexpr long long kNtripTextMax = sizeof(NtripSourceRecord::casterAddress) - 1;

const SettingRule kRules[kSettingCount] = {
    {Group::Receiver, "language", Kind::Choice, 0, 0, false},
    {Group::Receiver, "volume", Kind::Integer, 0, 7, false},
    {Group::Receiver, "powerup", Kind::Text, 1, 64, false},
    {Group::Receiver, "timerMode", Kind::Integer, 0, 1, false},
    {Group::Uhf, "txPowerMilliwatts", Kind::Integer, 10, 1000, false},
    {Group::Uhf, "frequencyMHz", Kind::Frequency, 0, 0, false},
    {Group::Uhf, "errorCorrection", Kind::Boolean, 0, 0, false},
    {Group::Uhf, "protocolMode", Kind::Choice, 0, 0, false},
    {Group::GsmBearer, "bearer", Kind::Choice, 0, 0, false},
    {Group::GsmBearer, "user", Kind::Text, 0, kBearerTextMax, false},
    {Group::GsmBearer, "password", Kind::Text, 0, kBearerTextMax, true},
    {Group::GsmBearer, "accessPoint", Kind::Text, 0, kBearerTextMax, false},
    {Group::GsmBearer, "timeoutSeconds", Kind::Integer, 0, kTimeoutMax, false},
    {Group::Mrs, "startup", Kind::Boolean, 0, 0, false},
    {Group::Mrs, "address", Kind::Text, 0, kNtripTextMax, false},
    {Group::Mrs, "port", Kind::Integer, 1, 65535, false},
    {Group::Mrs, "mountPoint", Kind::Text, 0, kNtripTextMax, false},
    {Group::Mrs, "password", Kind::Text, 0, kNtripTextMax, true},
};

const char* const kGroupNames[kGroupCount] = {"receiver", "uhf", "gsmBearer", "mrs"};
const char* const kProtocolModes[] = {"3AS PT", "PCC-4FSK", "PCC-GMSK"};
const char* const kBearers[] = {"gprs", "none"};
constexpr int kLanguageCount = static_cast<int>(Language::Greek) + 1;
// The TX powers the UHF page offers, in milliwatts.
constexpr long long kPowers[] = {10, 20, 50, 100, 200, 500, 1000};

// The texts a Choice setting may hold.
std::vector<std::string> ChoicesOf(int setting) {
    std::vector<std::string> choices;
    if (setting == kLanguage)
        for (int i = 0; i < kLanguageCount; ++i) choices.push_back(LanguageName(static_cast<Language>(i)));
    if (setting == kProtocolMode) choices.assign(std::begin(kProtocolModes), std::end(kProtocolModes));
    if (setting == kBearer) choices.assign(std::begin(kBearers), std::end(kBearers));
    return choices;
}

std::string FrequencyText(int64_t hz) {
    char text[48];
    std::snprintf(text, sizeof text, "%" PRId64 ".%06" PRId64, hz / 1000000, hz % 1000000);
    std::string s = text;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s;
}

bool ValidUtf8(const std::string& text) {
    // The reader refuses text that is not UTF-8 before this; kept for the
    // values built from receiver texts.
    try {
        (void)Json(text).dump();
        return true;
    } catch (const Json::exception&) {
        return false;
    }
}

bool HasControl(const std::string& text) {
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F) return true;
    return false;
}

// One value of the file into its canonical text, or the reason it is refused.
bool ReadValue(int setting, const Json& value, std::string* text, std::string* error) {
    const SettingRule& rule = kRules[setting];
    const std::string name = SettingName(setting);
    switch (rule.kind) {
    case Kind::Integer: {
        if (!value.is_number_integer()) {
            *error = name + ": must be a whole number";
            return false;
        }
        const bool negative = value.is_number_integer() && !value.is_number_unsigned() && value.get<long long>() < 0;
        const long long n = negative ? value.get<long long>()
                                     : (value.get<unsigned long long>() > 9000000000000000000ULL
                                            ? 9000000000000000000LL
                                            : static_cast<long long>(value.get<unsigned long long>()));
        if (n < rule.lowest || n > rule.highest) {
            *error = name + ": " + std::to_string(n) + " is out of range (" + std::to_string(rule.lowest) + " to " +
                     std::to_string(rule.highest) + ")";
            return false;
        }
        if (setting == kTxPower && std::find(std::begin(kPowers), std::end(kPowers), n) == std::end(kPowers)) {
            *error = name + ": " + std::to_string(n) + " is not one of 10, 20, 50, 100, 200, 500, 1000";
            return false;
        }
        *text = std::to_string(n);
        return true;
    }
    case Kind::Boolean:
        if (!value.is_boolean()) {
            *error = name + ": must be true or false";
            return false;
        }
        *text = value.get<bool>() ? "on" : "off";
        return true;
    case Kind::Frequency: {
        if (!value.is_number()) {
            *error = name + ": must be a number of MHz";
            return false;
        }
        const double mhz = value.get<double>();
        if (!(mhz >= 1.0 && mhz <= 10000.0)) {
            *error = name + ": " + value.dump() + " is out of range (1 to 10000 MHz)";
            return false;
        }
        const int64_t hz = MAReceiver::FrequencyHz(mhz);
        if (std::fabs(mhz * 1e6 - static_cast<double>(hz)) > 1e-3) {
            *error = name + ": " + value.dump() + " is not a whole number of hertz";
            return false;
        }
        *text = FrequencyText(hz);
        return true;
    }
    case Kind::Text:
    case Kind::Choice: {
        if (!value.is_string()) {
            *error = name + ": must be a text";
            return false;
        }
        const std::string s = value.get<std::string>();
        if (HasControl(s)) {
            *error = name + ": holds a control character";
            return false;
        }
        if (rule.kind == Kind::Choice) {
            const std::vector<std::string> choices = ChoicesOf(setting);
            if (std::find(choices.begin(), choices.end(), s) == choices.end()) {
                std::string list;
                for (const std::string& c : choices) list += (list.empty() ? "" : ", ") + c;
                *error = name + ": \"" + s + "\" is not one of " + list;
                return false;
            }
        } else {
            if (static_cast<long long>(s.size()) < rule.lowest) {
                *error = name + ": must not be empty";
                return false;
            }
            if (static_cast<long long>(s.size()) > rule.highest) {
                *error = name + ": longer than " + std::to_string(rule.highest) + " characters";
                return false;
            }
            if (rule.group == Group::GsmBearer || rule.group == Group::Mrs) {
                // The module's requests carry them between quotes.
                if (s.find('"') != std::string::npos) {
                    *error = name + ": holds a double quote";
                    return false;
                }
            }
        }
        *text = s;
        return true;
    }
    }
    return false;
}

void WriteValue(OrderedJson& object, int setting, const std::string& text) {
    const SettingRule& rule = kRules[setting];
    switch (rule.kind) {
    case Kind::Integer: object[rule.key] = std::stoll(text); break;
    case Kind::Boolean: object[rule.key] = text == "on"; break;
    case Kind::Frequency: object[rule.key] = std::stod(text); break;
    default: object[rule.key] = text; break;
    }
}

} // namespace

Group GroupOf(int setting) { return kRules[setting].group; }
const char* GroupName(Group group) { return kGroupNames[static_cast<int>(group)]; }
const char* KeyOf(int setting) { return kRules[setting].key; }
std::string SettingName(int setting) { return std::string(GroupName(GroupOf(setting))) + "." + KeyOf(setting); }
bool IsSecret(int setting) { return kRules[setting].secret; }

bool Profile::HasGroup(Group group) const {
    for (int s = 0; s < kSettingCount; ++s)
        if (GroupOf(s) == group && values[s]) return true;
    return false;
}

bool Profile::HasSecrets() const {
    for (int s = 0; s < kSettingCount; ++s)
        if (IsSecret(s) && values[s]) return true;
    return false;
}

void Profile::DropSecrets() {
    for (int s = 0; s < kSettingCount; ++s)
        if (IsSecret(s)) values[s].reset();
}

std::string ToJson(const Profile& profile) {
    OrderedJson root;
    root["format"] = kFormatName;
    root["version"] = kFormatVersion;
    if (!profile.model.empty()) root["model"] = profile.model;
    if (!profile.radio.empty()) root["radio"] = profile.radio;
    for (int g = 0; g < kGroupCount; ++g) {
        if (!profile.HasGroup(static_cast<Group>(g))) continue;
        OrderedJson group = OrderedJson::object();
        for (int s = 0; s < kSettingCount; ++s)
            if (static_cast<int>(GroupOf(s)) == g && profile.values[s]) WriteValue(group, s, *profile.values[s]);
        root[kGroupNames[g]] = group;
    }
    // Receiver texts are bytes: what is not UTF-8 becomes U+FFFD.
    return root.dump(2, ' ', false, OrderedJson::error_handler_t::replace) + "\n";
}

bool FromJson(const std::string& text, Profile* profile, std::string* error) {
    *profile = Profile{};
    Json root;
    // A key given twice in one object would silently take the last value:
    // in a file edited by hand that is a mistake to point at.
    std::vector<std::vector<std::string>> keys;
    std::string duplicate;
    const Json::parser_callback_t noteKeys = [&keys, &duplicate](int, Json::parse_event_t event, Json& parsed) {
        if (event == Json::parse_event_t::object_start) keys.emplace_back();
        if (event == Json::parse_event_t::object_end && !keys.empty()) keys.pop_back();
        if (event == Json::parse_event_t::key && !keys.empty()) {
            const std::string key = parsed.get<std::string>();
            if (std::find(keys.back().begin(), keys.back().end(), key) != keys.back().end() && duplicate.empty())
                duplicate = key;
            keys.back().push_back(key);
        }
        return true;
    };
    try {
        root = Json::parse(text, noteKeys);
    } catch (const Json::parse_error& e) {
        // "[json.exception.parse_error.101] parse error at line 2, column 3: ..."
        std::string what = e.what();
        const size_t at = what.find("] ");
        *error = "not a JSON file: " + (at == std::string::npos ? what : what.substr(at + 2));
        return false;
    }
    if (!duplicate.empty()) {
        *error = duplicate + ": given twice";
        return false;
    }
    if (!root.is_object()) {
        *error = "not a profile: the file is not a JSON object";
        return false;
    }
    if (!root.contains("format") || !root["format"].is_string() || root["format"].get<std::string>() != kFormatName) {
        *error = std::string("format: not a profile (\"format\" must be \"") + kFormatName + "\")";
        return false;
    }
    if (!root.contains("version") || !root["version"].is_number_integer()) {
        *error = "version: must be a whole number";
        return false;
    }
    const long long version = root["version"].is_number_unsigned() && root["version"].get<unsigned long long>() > 1000000
                                  ? 1000000
                                  : root["version"].get<long long>();
    if (version > kFormatVersion) {
        *error = "version: " + std::to_string(version) + " is later than this program reads (" +
                 std::to_string(kFormatVersion) + ")";
        return false;
    }
    if (version < 1) {
        *error = "version: " + std::to_string(version) + " is not a profile version";
        return false;
    }
    for (auto it = root.begin(); it != root.end(); ++it) {
        const std::string& key = it.key();
        if (key == "format" || key == "version") continue;
        if (key == "model" || key == "radio") {
            if (!it->is_string() || HasControl(it->get<std::string>())) {
                *error = key + ": must be a text without control characters";
                return false;
            }
            (key == "model" ? profile->model : profile->radio) = it->get<std::string>();
            continue;
        }
        int group = -1;
        for (int g = 0; g < kGroupCount; ++g)
            if (key == kGroupNames[g]) group = g;
        if (group < 0) {
            *error = key + ": unknown key";
            return false;
        }
        if (!it->is_object()) {
            *error = key + ": must be an object";
            return false;
        }
        for (auto member = it->begin(); member != it->end(); ++member) {
            int setting = -1;
            for (int s = 0; s < kSettingCount; ++s)
                if (static_cast<int>(GroupOf(s)) == group && member.key() == KeyOf(s)) setting = s;
            if (setting < 0) {
                *error = key + "." + member.key() + ": unknown key";
                return false;
            }
            std::string value;
            if (!ReadValue(setting, *member, &value, error)) return false;
            profile->values[setting] = value;
        }
    }
    return true;
}

bool LoadFile(const std::string& path, Profile* profile, std::string* error) {
    if (GetPathKind(path.c_str()) != PathKind::RegularFile) {
        *error = GetPathKind(path.c_str()) == PathKind::Missing ? "no such file" : "not a regular file";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "cannot be read";
        return false;
    }
    // A profile is a few hundred bytes; anything far larger is not one.
    constexpr std::streamsize kLargest = 1 << 20;
    std::string text(static_cast<size_t>(kLargest) + 1, '\0');
    in.read(text.data(), kLargest + 1);
    if (in.bad()) {
        *error = "cannot be read";
        return false;
    }
    if (in.gcount() > kLargest) {
        *error = "too large for a profile (more than 1 MiB)";
        return false;
    }
    text.resize(static_cast<size_t>(in.gcount()));
    return FromJson(text, profile, error);
}

const char* SavePathProblem(const std::string& path) {
    if (path.empty()) return "no file name given";
    const PathKind kind = GetPathKind(path.c_str());
    if (kind == PathKind::Other) return "not a regular file";
    std::error_code ec;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty() && !std::filesystem::is_directory(parent, ec)) return "its folder does not exist";
    return nullptr;
}

bool SaveFile(const std::string& path, const Profile& profile, std::string* error) {
    if (const char* problem = SavePathProblem(path)) {
        *error = problem;
        return false;
    }
    const std::string text = ToJson(profile);
    const std::string temporary = path + ".tmp" + std::to_string(CurrentProcessId());
    std::error_code ec;
    std::filesystem::remove(temporary, ec);
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        *error = std::string("cannot be written: ") + std::strerror(errno);
        return false;
    }
    RegisterTemporaryFile(temporary.c_str());
    bool ok = true;
    // Owner-only before a password is in it.
    if (profile.HasSecrets()) {
        std::filesystem::permissions(temporary,
                                     std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::replace, ec);
        ok = !ec;
    }
    ok = ok && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    ok = std::fflush(file) == 0 && ok;
    ok = std::fclose(file) == 0 && ok;
    ok = ok && ReplaceFile(temporary.c_str(), path.c_str());
    if (!ok) {
        *error = "cannot be written";
        std::filesystem::remove(temporary, ec);
    }
    UnregisterTemporaryFile(temporary.c_str());
    return ok;
}

Profile ReadProfile(MAReceiver& receiver, const ReceiverData& record, bool withSecrets) {
    Profile p;
    const ReceiverInfo& info = receiver.Info();
    p.model = info.modelName;
    if (const char* radio = RadioKindText(record.peripheral.kind)) p.radio = radio;
    if (!ValidUtf8(p.model)) p.model = Json(p.model).dump(-1, ' ', false, Json::error_handler_t::replace);

    Language ids[MAReceiver::kMaxLanguages];
    int languages = 0;
    receiver.GetLanguageList(ids, &languages);
    const int language = record.audio.languageIndex;
    p.values[kLanguage] = language < languages ? std::string(LanguageName(ids[language]))
                                               : "index " + std::to_string(language);
    p.values[kVolume] = std::to_string(record.audio.volume);
    const char* entries[kMaxPowerupEntries];
    const int powerups = PowerupList(receiver.GetVariant(), info.modelKind, receiver.GetUserAppVersionNumber(), entries);
    const int powerup = record.info.powerupIndex;
    p.values[kPowerup] = powerup >= 0 && powerup < powerups ? std::string(entries[powerup])
                                                           : "index " + std::to_string(powerup);
    if (HasTimerLed(info.modelKind)) p.values[kTimerMode] = std::to_string(receiver.GetTimerMode());

    const PeripheralBlock& per = record.peripheral;
    if (per.kind == kPeripheralUhf) {
        const UhfBlock& uhf = per.uhf;
        const double mw = MAReceiver::ReadDecimal(uhf.txPower);
        p.values[kTxPower] = std::fabs(mw) < 1e9 ? std::to_string(static_cast<long>(mw)) : std::string(uhf.txPower);
        p.values[kFrequency] = FrequencyText(MAReceiver::FrequencyHz(uhf.currentFrequency));
        p.values[kErrorCorrection] = uhf.errorCorrection == 1 ? "on" : "off";
        if (receiver.GetVariant() == Variant::Handheld && uhf.protocolMode >= kUhfMode3asPt &&
            uhf.protocolMode <= kUhfModePccGmsk)
            p.values[kProtocolMode] = kProtocolModes[uhf.protocolMode];
    }
    if (per.kind == kPeripheralGsm) {
        const BearerRecord& b = per.bearer;
        // A CSD connection is not what the bearer page sets: left out.
        if (b.defaultConnection == kBearerGprs) {
            p.values[kBearer] = "gprs";
            p.values[kGprsUser] = b.gprsPppUserName;
            if (withSecrets) p.values[kGprsPassword] = b.gprsPppPassword;
            p.values[kAccessPoint] = b.gprsAccessPointName;
            p.values[kGprsTimeout] = std::to_string(b.gprsTimeout);
        } else if (b.defaultConnection == kBearerNone) {
            p.values[kBearer] = "none";
        }
        // An NTRIP source never set up (port 0) is not a setting to copy.
        if (MrsAvailable(record) && per.gsm.ntrip.port >= 1 && per.gsm.ntrip.port <= 65535) {
            const NtripSourceRecord& n = per.gsm.ntrip;
            p.values[kMrsStartup] = n.enabledOnStartup ? "on" : "off";
            p.values[kMrsAddress] = n.casterAddress;
            p.values[kMrsPort] = std::to_string(n.port);
            p.values[kMrsMountPoint] = n.mountPoint;
            if (withSecrets) p.values[kMrsPassword] = n.password;
        }
    }
    // Receiver texts are bytes; in a profile they are UTF-8 with U+FFFD
    // where a byte was not.
    for (auto& v : p.values)
        if (v && !ValidUtf8(*v)) {
            const std::string quoted = Json(*v).dump(-1, ' ', false, Json::error_handler_t::replace);
            v = Json::parse(quoted).get<std::string>();
        }
    return p;
}

std::string Shown(int setting, const std::optional<std::string>& value) {
    if (!value) return "(not set)";
    if (value->empty()) return "(empty)";
    if (IsSecret(setting)) return "(set)";
    return *value;
}

std::vector<Difference> Compare(const Profile& wanted, const Profile& held) {
    std::vector<Difference> out;
    const bool noBearer = wanted.values[kBearer] && *wanted.values[kBearer] == "none";
    for (int s = 0; s < kSettingCount; ++s) {
        if (!wanted.values[s]) continue;
        // With no bearer the GPRS fields mean nothing.
        if (noBearer && GroupOf(s) == Group::GsmBearer && s != kBearer) continue;
        out.push_back({s, Shown(s, held.values[s]), Shown(s, wanted.values[s]), held.values[s] != wanted.values[s]});
    }
    return out;
}

bool AnyDifference(const std::vector<Difference>& differences) {
    for (const Difference& d : differences)
        if (d.differs) return true;
    return false;
}

const char* OutcomeText(Outcome outcome) {
    switch (outcome) {
    case Outcome::Unchanged: return "unchanged";
    case Outcome::Applied: return "applied and confirmed";
    case Outcome::Refused: return "refused";
    }
    return "";
}

bool ApplyReport::Succeeded() const { return problems.empty() && Count(Outcome::Refused) == 0 && !linkLost; }

int ApplyReport::Count(Outcome outcome) const {
    int n = 0;
    for (const SettingResult& r : results) n += r.outcome == outcome;
    return n;
}

} // namespace qvr::profile
