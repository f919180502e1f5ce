// Applying a profile: the compatibility check before anything is sent, the
// pages' Submit for each group that differs, the read-back.
#include <algorithm>
#include <cmath>
#include <string>

#include "PageActions.h"
#include "Preferences.h"
#include "Profile.h"
#include "RadioPageActions.h"
#include "Text.h"

namespace qvr::profile {

namespace {

const char* const kModes[] = {"3AS PT", "PCC-4FSK", "PCC-GMSK"};

std::string Join(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& s : items) out += (out.empty() ? "" : ", ") + s;
    return out;
}

std::vector<std::string> Languages(MAReceiver& r) {
    Language ids[MAReceiver::kMaxLanguages];
    int count = 0;
    r.GetLanguageList(ids, &count);
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back(LanguageName(ids[i]));
    return names;
}

std::vector<std::string> Powerups(MAReceiver& r) {
    const char* entries[kMaxPowerupEntries];
    const int count = PowerupList(r.GetVariant(), r.Info().modelKind, r.GetUserAppVersionNumber(), entries);
    return std::vector<std::string>(entries, entries + count);
}

int IndexOf(const std::vector<std::string>& list, const std::string& item) {
    const auto at = std::find(list.begin(), list.end(), item);
    return at == list.end() ? -1 : static_cast<int>(at - list.begin());
}

int ModeIndex(const std::string& text) {
    for (int i = 0; i < 3; ++i)
        if (text == kModes[i]) return i;
    return -1;
}

std::string Mhz(double mhz) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", mhz);
    return text;
}

// The profile's values over what the receiver holds.
Profile Effective(const Profile& wanted, const Profile& held) {
    Profile e = held;
    for (int s = 0; s < kSettingCount; ++s)
        if (wanted.values[s]) e.values[s] = wanted.values[s];
    return e;
}

const std::string& Value(const Profile& p, int setting) {
    static const std::string empty;
    return p.values[setting] ? *p.values[setting] : empty;
}

} // namespace

std::vector<std::string> CompatibilityProblems(const Profile& wanted, MAReceiver& r, const ReceiverData& record) {
    std::vector<std::string> problems;
    const Profile held = ReadProfile(r, record, true);
    const Profile eff = Effective(wanted, held);
    const auto& v = wanted.values;
    // A value the receiver already holds is never a problem: a profile
    // saved from a receiver applies to it.
    const auto changes = [&](int s) { return v[s] && v[s] != held.values[s]; };
    const auto say = [&problems](int s, const std::string& text) { problems.push_back(SettingName(s) + ": " + text); };

    if (changes(kLanguage)) {
        const std::vector<std::string> list = Languages(r);
        if (IndexOf(list, *v[kLanguage]) < 0)
            say(kLanguage, "\"" + *v[kLanguage] + "\" is not among this receiver's languages (" + Join(list) + ")");
    }
    if (changes(kPowerup)) {
        const std::vector<std::string> list = Powerups(r);
        if (IndexOf(list, *v[kPowerup]) < 0)
            say(kPowerup, "\"" + *v[kPowerup] + "\" is not among this receiver's POWERUP choices (" + Join(list) + ")");
    }
    if (v[kTimerMode] && !HasTimerLed(r.Info().modelKind))
        say(kTimerMode, std::string("a ") + r.Info().modelName + " has no timer mode");

    const int kind = record.peripheral.kind;
    const char* radio = RadioKindText(kind) ? RadioKindText(kind) : "unknown";
    if (wanted.HasGroup(Group::Uhf)) {
        if (kind != kPeripheralUhf) {
            problems.push_back(std::string("uhf: this receiver has no UHF radio (its radio: ") + radio + ")");
        } else {
            const UhfBlock& u = record.peripheral.uhf;
            const bool handheld = r.GetVariant() == Variant::Handheld;
            if (changes(kFrequency)) {
                const double mhz = std::stod(*v[kFrequency]);
                const int64_t hz = MAReceiver::FrequencyHz(mhz);
                if (!FrequencyInRanges(u, mhz))
                    say(kFrequency, *v[kFrequency] + " MHz is outside this radio's ranges (" + Mhz(u.range1Lower) +
                                        " to " + Mhz(u.range1Upper) + ", " + Mhz(u.range2Lower) + " to " +
                                        Mhz(u.range2Upper) + " MHz)");
                else if ((MAReceiver::FrequencyHz(u.centerFrequency) - hz) % 12500 != 0)
                    say(kFrequency, *v[kFrequency] + " MHz is not a multiple of 12500 Hz from the centre frequency (" +
                                        Mhz(u.centerFrequency) + " MHz)");
            }
            if (changes(kProtocolMode)) {
                if (!handheld) say(kProtocolMode, "only the handheld variant sets the protocol mode (--handheld)");
                else if (u.protocolMode == kUhfModeNotSupported) say(kProtocolMode, "this radio has no protocol mode");
            }
            if (handheld && changes(kTxPower)) say(kTxPower, "the handheld variant does not set the TX power");
            const int mode = ModeIndex(Value(eff, kProtocolMode));
            if (handheld && (mode == kUhfModePcc4Fsk || mode == kUhfModePccGmsk) && Value(eff, kErrorCorrection) == "on" &&
                v[kErrorCorrection])
                say(kErrorCorrection, "the PCC modes run without error correction");
        }
    }
    for (const Group g : {Group::GsmBearer, Group::Mrs}) {
        if (!wanted.HasGroup(g) || kind == kPeripheralGsm) continue;
        problems.push_back(std::string(GroupName(g)) + ": this receiver has no GSM module (its radio: " + radio + ")");
    }
    if (kind == kPeripheralGsm) {
        char message[200];
        if (wanted.HasGroup(Group::GsmBearer)) {
            const std::string& bearer = Value(eff, kBearer);
            if (bearer.empty())
                say(kBearer, "needed: the module's connection is neither GPRS nor none");
            else if (bearer == "gprs" &&
                     !CheckGprsFields(Value(eff, kGprsUser).c_str(), Value(eff, kGprsPassword).c_str(),
                                      Value(eff, kAccessPoint).c_str(), Value(eff, kGprsTimeout).c_str(), message,
                                      sizeof message))
                problems.push_back(std::string("gsmBearer: ") + message);
        }
        if (wanted.HasGroup(Group::Mrs)) {
            if (!MrsAvailable(record))
                problems.push_back(std::string("mrs: MRS needs a GSM applet of version 3.002 or later (this module: ") +
                                   record.peripheral.gsm.appletVersion + ")");
            else if (!CheckMrsFields(Value(eff, kMrsPort).c_str(), Value(eff, kMrsAddress).c_str(),
                                     Value(eff, kMrsMountPoint).c_str(), Value(eff, kMrsPassword).c_str(), message,
                                     sizeof message))
                problems.push_back(std::string("mrs: ") + message);
        }
    }
    return problems;
}

ApplyReport Apply(MAReceiver& r, ReceiverData& record, const Profile& wanted, IApplyProgress* progress) {
    ApplyReport report;
    const auto phase = [progress](const char* text) {
        if (progress) progress->Phase(text);
    };
    report.problems = CompatibilityProblems(wanted, r, record);
    if (!report.problems.empty()) return report;
    const Profile held = ReadProfile(r, record, true);
    const Profile eff = Effective(wanted, held);
    const std::vector<Difference> differences = Compare(wanted, held);
    bool differs[kGroupCount] = {};
    for (const Difference& d : differences)
        if (d.differs) differs[static_cast<int>(GroupOf(d.setting))] = true;

    // Each group through its page's Submit, on a copy of the record: the
    // record takes only what is read back.
    ReceiverData work = record;
    std::string why[kGroupCount];
    const bool handheld = r.GetVariant() == Variant::Handheld;
    for (int g = 0; g < kGroupCount; ++g) {
        if (!differs[g]) continue;
        if (r.LinkLost()) {
            why[g] = "not sent: the receiver stopped answering";
            continue;
        }
        switch (static_cast<Group>(g)) {
        case Group::Receiver: {
            phase("applying receiver settings");
            int language = IndexOf(Languages(r), Value(eff, kLanguage));
            if (language < 0) language = record.audio.languageIndex;
            int powerup = IndexOf(Powerups(r), Value(eff, kPowerup));
            if (powerup < 0) powerup = record.info.powerupIndex;
            const int timer = eff.values[kTimerMode] ? std::stoi(*eff.values[kTimerMode]) : r.GetTimerMode();
            if (!SubmitReceiverSettings(r, work, language, std::stoi(Value(eff, kVolume)), powerup, timer))
                why[g] = "the receiver did not take every setting";
            break;
        }
        case Group::Uhf: {
            phase("applying UHF settings");
            const std::string& frequency = Value(eff, kFrequency);
            const bool fec = Value(eff, kErrorCorrection) == "on";
            if (handheld) {
                const int mode = eff.values[kProtocolMode] ? ModeIndex(*eff.values[kProtocolMode])
                                                           : record.peripheral.uhf.protocolMode;
                if (SubmitHandheldRadio(r, work, mode, fec, frequency.c_str()) != HandheldRadioResult::Updated)
                    why[g] = "the radio did not accept the frequency";
            } else {
                int choice = UhfPowerChoiceForMilliwatts(std::stol(Value(eff, kTxPower)));
                if (choice < 0) choice = UhfPowerChoiceIndex(record.peripheral.uhf.txPower);
                if (!SubmitUhfSettings(r, work, choice, frequency.c_str(), fec))
                    why[g] = "the radio did not accept the frequency";
            }
            break;
        }
        case Group::GsmBearer: {
            phase("applying GSM bearer settings");
            const int type = Value(eff, kBearer) == "gprs" ? kBearerGprs : kBearerNone;
            if (!SubmitGsmBearer(r, work, type, Value(eff, kGprsUser).c_str(), Value(eff, kGprsPassword).c_str(),
                                 Value(eff, kAccessPoint).c_str(), Value(eff, kGprsTimeout).c_str()))
                why[g] = "the GSM module did not confirm every write";
            break;
        }
        case Group::Mrs: {
            phase("applying MRS settings");
            const MrsResult result =
                SubmitMrs(r, work, Value(eff, kMrsStartup) == "on", Value(eff, kMrsPort).c_str(),
                          Value(eff, kMrsAddress).c_str(), Value(eff, kMrsMountPoint).c_str(),
                          Value(eff, kMrsPassword).c_str());
            if (result == MrsResult::Declined) why[g] = "not sent: the question about connecting at every power-up was answered No";
            else if (result != MrsResult::Succeeded) why[g] = "the GSM module did not confirm the write";
            break;
        }
        }
    }

    // What the receiver holds now, group by group.
    ReceiverData back = record;
    bool readBack[kGroupCount] = {};
    for (int g = 0; g < kGroupCount; ++g) {
        if (!differs[g] || r.LinkLost()) continue;
        phase("reading back");
        bool ok = false;
        switch (static_cast<Group>(g)) {
        case Group::Receiver: {
            int powerup = 0;
            ok = r.UpdateAudioInfo() && r.ReadPowerupConfig(&powerup) && r.RereadTimerMode();
            if (ok) {
                back.audio = r.Audio();
                back.info.powerupIndex = powerup;
            }
            break;
        }
        case Group::Uhf: {
            UhfBlock uhf = back.peripheral.uhf;
            ok = r.ReadBackUhfSettings(&uhf);
            if (ok) back.peripheral.uhf = uhf;
            break;
        }
        case Group::GsmBearer: {
            BearerRecord bearer{};
            ok = r.ReadBackGsmSettings(&bearer, nullptr);
            if (ok) back.peripheral.bearer = bearer;
            break;
        }
        case Group::Mrs: {
            NtripSourceRecord ntrip{};
            ok = r.ReadBackGsmSettings(nullptr, &ntrip);
            if (ok) back.peripheral.gsm.ntrip = ntrip;
            break;
        }
        }
        readBack[g] = ok && !r.LinkLost();
    }
    report.linkLost = r.LinkLost();
    const Profile after = ReadProfile(r, back, true);
    for (const Difference& d : differences) {
        const int g = static_cast<int>(GroupOf(d.setting));
        SettingResult result{d.setting, d.held, d.wanted, d.held, Outcome::Unchanged, ""};
        if (differs[g]) {
            if (!readBack[g]) {
                result.readBack = "(not read)";
                // A setting that was to stay as it was stays "unchanged",
                // with the reason it could not be confirmed.
                result.outcome = d.differs ? Outcome::Refused : Outcome::Unchanged;
                result.reason = why[g].empty() ? "could not be read back" : why[g] + "; could not be read back";
            } else {
                result.readBack = Shown(d.setting, after.values[d.setting]);
                if (after.values[d.setting] == wanted.values[d.setting]) {
                    result.outcome = d.differs ? Outcome::Applied : Outcome::Unchanged;
                } else {
                    result.outcome = Outcome::Refused;
                    result.reason = (why[g].empty() ? std::string("the receiver holds another value") : why[g]) +
                                    " (reads " + result.readBack + ")";
                }
            }
        }
        report.results.push_back(result);
    }
    record = back;
    return report;
}

} // namespace qvr::profile
