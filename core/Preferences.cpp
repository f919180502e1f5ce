#include "Preferences.h"

#include <cstdio>
#include <cstring>

#include "Records.h"

namespace qvr {

// ---------------------------------------------------------------- languages

const char* LanguageName(Language language) {
    switch (language) {
    case Language::English: return "English";
    case Language::Japanese: return "Japanese";
    case Language::French: return "French";
    case Language::Spanish: return "Spanish";
    case Language::Tonal: return "Tonal";
    case Language::Korean: return "Korean";
    case Language::Portuguese: return "Portuguese";
    case Language::Finnish: return "Finnish";
    case Language::Dutch: return "Dutch";
    case Language::Chinese: return "Chinese";
    case Language::Italian: return "Italian";
    case Language::Russian: return "Russian";
    case Language::DutchMale: return "Dutch Male";
    case Language::DutchFemale: return "Dutch Female";
    case Language::German: return "German";
    case Language::HungarianFemale: return "Hungarian Female";
    case Language::HungarianMale: return "Hungarian Male";
    case Language::Lithuanian: return "Lithuanian";
    case Language::Czech: return "Czech";
    case Language::Polish: return "Polish";
    case Language::Slovak: return "Slovak";
    case Language::Greek: return "Greek";
    }
    return "";
}

namespace {

using L = Language;

struct LanguageTable {
    int count;
    Language ids[kMaxLanguageList];
};

// The language files the receivers ship with, in their own numbering.
constexpr LanguageTable kListA = {5, {L::English, L::Japanese, L::French, L::Spanish, L::Tonal}};
constexpr LanguageTable kListB = {5, {L::English, L::French, L::Italian, L::Spanish, L::Russian}};
constexpr LanguageTable kListC = {5, {L::Tonal, L::Japanese, L::Korean, L::Portuguese, L::Chinese}};
constexpr LanguageTable kListD = {10, {L::English, L::French, L::Italian, L::Spanish, L::Russian, L::Tonal,
                                       L::Japanese, L::Korean, L::Portuguese, L::Chinese}};
constexpr LanguageTable kListE = {10, {L::Tonal, L::DutchFemale, L::DutchMale, L::German, L::HungarianFemale,
                                       L::HungarianMale, L::Italian, L::Lithuanian, L::Portuguese, L::Russian}};
constexpr LanguageTable kListF = {10, {L::English, L::Tonal, L::French, L::DutchFemale, L::DutchMale, L::Czech,
                                       L::Polish, L::Slovak, L::Greek, L::Russian}};

bool Contains(const char* text, const char* part) { return std::strstr(text, part) != nullptr; }
bool Equals(const char* text, const char* other) { return std::strcmp(text, other) == 0; }

const LanguageTable& ChooseLanguageTable(Variant variant, int32_t modelKind, const char* version,
                                         const char* file) {
    const VariantProfile& profile = Profile(variant);
    const bool lbx = modelKind == kModelQVR1500LBX;
    if (lbx && profile.lbxAlwaysListD) return kListD;
    if (!lbx) {
        if (Contains(version, "1.0")) return kListA;
        static constexpr const char* kFirstVersions[] = {"1.1", "1.2", "1.3", "1.4", "1.5",
                                                         "1.6", "1.7", "1.8", "1.9"};
        for (const char* v : kFirstVersions)
            if (Contains(version, v)) return Equals(file, "default") ? kListB : kListC;
    }
    if (profile.knowsLanguageListF && (Equals(file, "EXT2") || Equals(file, "ext2"))) return kListF;
    if (Equals(file, "EXT") || Equals(file, "ext")) return kListE;
    return kListD;
}

// Events in the receiver's numbering.
enum Event { kStartup = 0, kShutdown = 1, kLogEpoch = 13 };

} // namespace

int LanguageList(Variant variant, int32_t modelKind, const char* version, const char* languageFile,
                 Language (&ids)[kMaxLanguageList]) {
    const LanguageTable& table =
        ChooseLanguageTable(variant, modelKind, version ? version : "", languageFile ? languageFile : "");
    for (int i = 0; i < table.count; ++i) ids[i] = table.ids[i];
    return table.count;
}

const char* LanguageListName(const Language* ids, int count, int index) {
    if (index < 0 || index >= count || index >= kMaxLanguageList) return "N/A";
    return LanguageName(ids[index]);
}

// ---------------------------------------------------------------- prompt events

const PromptEvent kPromptEvents[kPromptEventCount] = {
    {"startup", "Startup"},
    {"shutdown", "Shutdown"},
    {"memfull", "Memory full"},
    {"memlow", "Memory low"},
    {"rtkfixed", "RTK fixed"},
    {"rtkfixlost", "RTK fix lost"},
    {"battlow", "Battery low"},
    {"btnpower", "Power off"},
    {"btnfreset", "Factory reset"},
    {"btnformat", "Delete files"},
    {"btnignore", "Continue operation"},
    {"connect", "Bluetooth connected"},
    {"disconnect", "Bluetooth lost"},
    {"logepoch", "Log epoch"},
    {"swapwarn", "Swap warning"},
    {"swapcrit", "Swap critical"},
};

int PromptEventCount(int32_t modelKind) { return modelKind == kModelQVR1500LBX ? 16 : 14; }

const PromptEvent* PromptEventAt(Variant variant, int index) {
    if (index < 0 || index >= kPromptEventCount) return nullptr;
    if (Profile(variant).startupPromptLast && index <= kLogEpoch)
        return &kPromptEvents[index == kLogEpoch ? kStartup : index + kShutdown];
    return &kPromptEvents[index];
}

int TestSampleCount(int32_t modelKind) {
    return modelKind == kModelQVR4100MA || modelKind == kModelQVR4100MAX ? 14 : 16;
}

// ---------------------------------------------------------------- POWERUP

float UserAppVersionNumber(const char* version) {
    // The text-to-number rule of the C library, without its locale: a
    // decimal comma locale must not turn 2.10 into 2.
    if (!version) return 0.0f;
    char text[5] = {};
    std::strncpy(text, version, 4);
    const char* p = text;
    while (*p == ' ' || *p == '\t') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    // At most four digits: the whole text as an integer and a power of ten
    // give the correctly rounded value, as the library conversion does.
    long digits = 0;
    long scale = 1;
    bool point = false;
    for (; *p; ++p) {
        if (*p >= '0' && *p <= '9') {
            digits = digits * 10 + (*p - '0');
            if (point) scale *= 10;
        } else if (*p == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    const double value = static_cast<double>(digits) / static_cast<double>(scale);
    return static_cast<float>(negative ? -value : value);
}

bool OffersRtcmV3(int32_t modelKind, float userAppVersion) {
    // The single-precision value is compared in double precision: 2.10 is
    // 2.0999999 and stays below 2.1.
    const double version = userAppVersion;
    if (modelKind == kModelQVR4100MAX) return version >= 2.1;
    if (modelKind == kModelQVR4100MA) return version >= 1.2;
    return false;
}

int PowerupList(Variant variant, int32_t modelKind, float userAppVersion,
                const char* (&entries)[kMaxPowerupEntries]) {
    int n = 0;
    entries[n++] = "NONE";
    entries[n++] = "Static Data Collection (15 secs)";
    if (modelKind == kModelQVR1500LBX) {
        entries[n++] = "Static Data Collection (10 secs)";
        if (Profile(variant).lbxPowerupRtkBases && static_cast<double>(userAppVersion) >= 1.1) {
            entries[n++] = "RTCMV3 RTK Base (10 secs)";
            entries[n++] = "RTCA RTK Base (10 secs)";
        }
        return n;
    }
    entries[n++] = "RTCM RTK Base (10 secs)";
    entries[n++] = "RTCA RTK Base (10 secs)";
    entries[n++] = "RTCA RTK Rapid Base (10 secs)";
    entries[n++] = "RTCA RTK Base (15 secs)";
    if (OffersRtcmV3(modelKind, userAppVersion)) entries[n++] = "RTCMV3 RTK Base (10 secs)";
    return n;
}

// ---------------------------------------------------------------- timer LED

bool HasTimerLed(int32_t modelKind) { return modelKind != kModelQVR4100MA; }

const char* TimerLedChoice(Variant variant, int mode) {
    static_assert(std::size(kDesktopProfile.timerLedChoices) == kTimerModeCount);
    if (mode < 0 || mode >= kTimerModeCount) return nullptr;
    return Profile(variant).timerLedChoices[mode];
}

// ---------------------------------------------------------------- preference text

bool FormatPreferenceText(char (&destination)[kPreferenceTextSize], int languageIndex, int powerupIndex,
                          int timerMode, bool withTimerMode) {
    destination[0] = '\0';
    if (languageIndex < 0 || languageIndex > 99 || powerupIndex < 0 || powerupIndex > 99) return false;
    char suffix[16] = "";
    if (withTimerMode) std::snprintf(suffix, sizeof suffix, "-%d", timerMode);
    char text[32];
    const int n = std::snprintf(text, sizeof text, "%02d-%02d%s", languageIndex, powerupIndex, suffix);
    if (n < 0 || static_cast<size_t>(n) >= kPreferenceTextSize) return false;
    std::memcpy(destination, text, static_cast<size_t>(n) + 1);
    return true;
}

} // namespace qvr
