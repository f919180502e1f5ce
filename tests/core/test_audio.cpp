// Voice prompts, timer LED and the POWERUP choice: the shared lists, and the
// receiver operations against the simulated receiver in virtual time.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Preferences.h"
#include "SimAudio.h"
#include "SimBench.h"
#include "Text.h"

using namespace qvr;
using qvr::test::SimBench;
namespace component = qvr::sim::component;

namespace {

struct AudioBench : SimBench {
    explicit AudioBench(sim::ReceiverConfig config = {}, Variant variant = Variant::Desktop)
        : SimBench(std::move(config), variant) {
        OpenLink();
    }
    explicit AudioBench(Variant variant) : AudioBench(sim::ReceiverConfig{}, variant) {}
    // Closing the port lets the receiver handle the last command: that must
    // happen while the audio feature still exists.
    ~AudioBench() { ma.Disconnect(); }

    // The identity the operations look at, without reading it.
    void Identify(int32_t kind, const char* version) {
        ma.Info().modelKind = kind;
        CopyCut(ma.Info().userAppVersion, version);
    }
    sim::SimTime Now() const { return link.Virtual().Now(); }
    // What the host wrote from `since` on, each write as "+S.SSS TEXT" with
    // its time after `since`.
    std::vector<std::string> SentSince(sim::SimTime since) {
        std::vector<std::string> out;
        for (const sim::Transcript::Entry& e : link.Record().Entries()) {
            if (e.kind != sim::Transcript::Kind::HostSent || e.at < since) continue;
            char at[32];
            std::snprintf(at, sizeof at, "+%.3f ", static_cast<double>(e.at - since) / 1e9);
            out.push_back(at + std::string(e.bytes.begin(), e.bytes.end()));
        }
        return out;
    }
    sim::SimAudio::State& Sim() { return audio.Audio(); }

    sim::SimAudio audio{receiver};
};

std::vector<std::string> Names(const Language* ids, int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.emplace_back(LanguageName(ids[i]));
    return names;
}

using List = std::vector<std::string>;
const List kA = {"English", "Japanese", "French", "Spanish", "Tonal"};
const List kB = {"English", "French", "Italian", "Spanish", "Russian"};
const List kC = {"Tonal", "Japanese", "Korean", "Portuguese", "Chinese"};
const List kD = {"English", "French", "Italian", "Spanish", "Russian",
                   "Tonal", "Japanese", "Korean", "Portuguese", "Chinese"};
const List kE = {"Tonal", "Dutch Female", "Dutch Male", "German", "Hungarian Female",
                   "Hungarian Male", "Italian", "Lithuanian", "Portuguese", "Russian"};
const List kF = {"English", "Tonal", "French", "Dutch Female", "Dutch Male",
                   "Czech", "Polish", "Slovak", "Greek", "Russian"};

constexpr Variant kDesk = Variant::Desktop;
constexpr Variant kHand = Variant::Handheld;

sim::VersionComponent UserInfo(std::array<std::string, 7> texts) { return {component::UserInfo, texts}; }

sim::ReceiverConfig WithUserInfo(const sim::VersionComponent& info, const char* model = "QVR4100 MAX") {
    sim::ReceiverConfig config;
    config.components[1].texts[0] = model;
    config.components[2].texts[0] = model;
    config.components[3] = info;
    return config;
}

} // namespace

// ---------------------------------------------------------------- shared lists

TEST(LanguageList, ChosenByModelVersionAndLanguageFile) {
    struct Case {
        Variant variant;
        int32_t kind;
        const char* version;
        const char* file;
        const List& expected;
    } cases[] = {
        {kDesk, kModelQVR4100MAX, "1.00", "default", kA},
        {kDesk, kModelQVR4100MAX, "11.0", "ext", kA},  // "1.0" anywhere
        {kDesk, kModelQVR4100MAX, "1.20", "default", kB},
        {kDesk, kModelQVR4100MAX, "1.20", "DEFAULT", kC},  // exact comparison
        {kDesk, kModelQVR4100MAX, "21.3", "default", kB},  // contains "1.3"
        {kDesk, kModelQVR4100MAX, "21.3", "ext", kC},
        {kDesk, kModelQVR4100MAX, "2.05", "ext", kE},
        {kDesk, kModelQVR4100MAX, "2.05", "EXT", kE},
        {kDesk, kModelQVR4100MAX, "2.05", "Ext", kD},
        {kDesk, kModelQVR4100MAX, "2.10", "default", kD},
        {kDesk, kModelQVR4100MAX, "2.11", "EXT2", kD},  // list F is the handheld's
        {kDesk, kModelUnknown, "", "", kD},
        {kDesk, kModelQVR1500LBX, "1.00", "default", kD},
        {kDesk, kModelQVR1500LBX, "2.05", "EXT", kD},
        {kHand, kModelQVR4100MAX, "2.05", "EXT2", kF},
        {kHand, kModelQVR4100MAX, "2.05", "ext2", kF},
        {kHand, kModelQVR4100MAX, "2.05", "Ext2", kD},
        {kHand, kModelQVR4100MAX, "1.20", "EXT2", kC},
        {kHand, kModelQVR4100MAX, "1.00", "EXT2", kA},
        {kHand, kModelQVR1500LBX, "1.00", "EXT2", kF},  // the LBX skips the version tests
        {kHand, kModelQVR1500LBX, "1.20", "ext", kE},
        {kHand, kModelQVR1500LBX, "1.20", "default", kD},
    };
    for (const Case& c : cases) {
        Language ids[kMaxLanguageList];
        const int count = LanguageList(c.variant, c.kind, c.version, c.file, ids);
        EXPECT_EQ(Names(ids, count), c.expected)
            << (c.variant == kHand ? "handheld " : "desktop ") << c.kind << " " << c.version << " " << c.file;
    }
}

TEST(LanguageList, NamesAndIndexOutsideTheList) {
    // "Finnish" and "Dutch" are named but in no list.
    EXPECT_STREQ(LanguageName(Language::Finnish), "Finnish");
    EXPECT_STREQ(LanguageName(Language::Dutch), "Dutch");
    Language ids[kMaxLanguageList];
    const int count = LanguageList(kDesk, kModelQVR4100MAX, "1.20", "default", ids);
    ASSERT_EQ(count, 5);
    EXPECT_STREQ(LanguageListName(ids, count, 4), "Russian");
    EXPECT_STREQ(LanguageListName(ids, count, 5), "N/A");
    EXPECT_STREQ(LanguageListName(ids, count, -1), "N/A");
}

TEST(UserAppVersionNumber, FirstFourCharactersInSinglePrecision) {
    struct Case {
        const char* text;
        float expected;
    } cases[] = {
        {"2.10", 2.1f}, {"2.11", 2.11f}, {"1.2", 1.2f}, {"21.3", 21.3f}, {"1.205", 1.2f}, {"2.1.3", 2.1f},
        {" 2.1", 2.1f}, {"2", 2.0f},     {".5", 0.5f},  {"", 0.0f},      {"abc", 0.0f},   {"V2.1", 0.0f},
        {"12345", 1234.0f}, {"-1.50", -1.5f},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UserAppVersionNumber(c.text), c.expected) << c.text;
        // The same value as the C library's conversion of the first four characters.
        char first[5] = {};
        std::strncpy(first, c.text, 4);
        EXPECT_EQ(UserAppVersionNumber(c.text), static_cast<float>(std::atof(first))) << c.text;
    }
    EXPECT_EQ(UserAppVersionNumber("1e5"), 1.0f) << "digits and one point, no exponent";
    EXPECT_LT(static_cast<double>(UserAppVersionNumber("2.10")), 2.1);
    EXPECT_GE(static_cast<double>(UserAppVersionNumber("1.2")), 1.2);

    // A decimal-comma locale does not change it.
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
        EXPECT_EQ(UserAppVersionNumber("2.11"), 2.11f);
        std::setlocale(LC_NUMERIC, "C");
    }
}

TEST(PowerupList, EntriesByProgramModelAndVersion) {
    const char* n = "NONE";
    const char* s15 = "Static Data Collection (15 secs)";
    const char* s10 = "Static Data Collection (10 secs)";
    const char* rtcm = "RTCM RTK Base (10 secs)";
    const char* rtca = "RTCA RTK Base (10 secs)";
    const char* rapid = "RTCA RTK Rapid Base (10 secs)";
    const char* rtca15 = "RTCA RTK Base (15 secs)";
    const char* v3 = "RTCMV3 RTK Base (10 secs)";
    const List six = {n, s15, rtcm, rtca, rapid, rtca15};
    const List seven = {n, s15, rtcm, rtca, rapid, rtca15, v3};
    struct Case {
        Variant variant;
        int32_t kind;
        const char* version;
        List expected;
    } cases[] = {
        {kDesk, kModelQVR4100MAX, "2.10", six},  // 2.0999999 < 2.1
        {kDesk, kModelQVR4100MAX, "2.11", seven},
        {kDesk, kModelQVR4100MAX, "1.20", six},
        {kDesk, kModelQVR4100MA, "1.2", seven},
        {kDesk, kModelQVR4100MA, "1.19", six},
        {kDesk, kModelQVR1500LBX, "2.11", {n, s15, s10}},
        {kDesk, kModelUnknown, "9.99", six},
        {kHand, kModelQVR1500LBX, "1.10", {n, s15, s10, v3, rtca}},
        {kHand, kModelQVR1500LBX, "1.09", {n, s15, s10}},
        {kHand, kModelQVR1500LBX, "1.00", {n, s15, s10}},
        {kHand, kModelQVR4100MAX, "2.10", six},
        {kHand, kModelQVR4100MAX, "2.11", seven},
        {kHand, kModelQVR4100MA, "1.20", seven},
    };
    for (const Case& c : cases) {
        // Through the receiver object, as the pages get the version number.
        AudioBench b(c.variant);
        b.Identify(c.kind, c.version);
        const char* entries[kMaxPowerupEntries] = {};
        const int count = PowerupList(c.variant, c.kind, b.ma.GetUserAppVersionNumber(), entries);
        EXPECT_EQ(List(entries, entries + count), c.expected)
            << (c.variant == kHand ? "handheld " : "desktop ") << c.kind << " " << c.version;
    }
}

TEST(Preferences, TimerLedPromptEventsAndTestSamples) {
    EXPECT_STREQ(TimerLedChoice(kDesk, 0), "Baseline Length");
    EXPECT_STREQ(TimerLedChoice(kDesk, 1), "Elapsed Time");
    EXPECT_STREQ(TimerLedChoice(kHand, 0), "Baseline length");
    EXPECT_STREQ(TimerLedChoice(kHand, 1), "Elapsed time");
    EXPECT_EQ(TimerLedChoice(kDesk, 2), nullptr);
    EXPECT_FALSE(HasTimerLed(kModelQVR4100MA));
    EXPECT_TRUE(HasTimerLed(kModelQVR4100MAX));

    struct Case {
        int32_t kind;
        int events, samples;
    } cases[] = {{kModelQVR4100MA, 14, 14}, {kModelQVR4100MAX, 14, 14}, {kModelQVR1500LBX, 16, 16}, {kModelUnknown, 14, 16}};
    for (const Case& c : cases) {
        EXPECT_EQ(PromptEventCount(c.kind), c.events) << c.kind;
        EXPECT_EQ(TestSampleCount(c.kind), c.samples) << c.kind;
    }
    // Both numberings name every event once.
    for (Variant v : {kDesk, kHand}) {
        std::vector<std::string> keywords;
        for (int i = 0; i < kPromptEventCount; ++i) keywords.emplace_back(PromptEventAt(v, i)->keyword);
        std::sort(keywords.begin(), keywords.end());
        EXPECT_EQ(std::unique(keywords.begin(), keywords.end()), keywords.end());
        EXPECT_EQ(PromptEventAt(v, -1), nullptr);
        EXPECT_EQ(PromptEventAt(v, 16), nullptr);
    }
    EXPECT_STREQ(PromptEventAt(kHand, kHandheldSampleEvent)->keyword, "btnignore");
    EXPECT_STREQ(kPromptEvents[10].displayName, "Continue operation");
}

TEST(Preferences, PreferenceTextFitsTheRecordAndReadsBack) {
    struct Case {
        int language, powerup, timer;
        bool withTimer;
        const char* expected;  // nullptr: refused
    } cases[] = {
        {2, 3, 1, true, "02-03-1"}, {2, 3, 1, false, "02-03"}, {0, 0, 0, true, "00-00-0"},
        {12, 6, 0, true, "12-06-0"}, {99, 99, -1, true, "99-99--1"},
        {2, -1, 1, true, nullptr},    // no selection: "02--1-1" would read back as 0
        {2, 100, 1, true, nullptr},   // "02-100-1" would read back as 10
        {100, 3, 1, true, nullptr},   // "100-03-1" would read back as 0
        {2, 3, INT_MIN, true, nullptr},  // longer than 12 characters
    };
    for (const Case& c : cases) {
        char text[kPreferenceTextSize] = "x";
        const bool ok = FormatPreferenceText(text, c.language, c.powerup, c.timer, c.withTimer);
        EXPECT_EQ(ok, c.expected != nullptr) << c.language << " " << c.powerup << " " << c.timer;
        EXPECT_STREQ(text, c.expected ? c.expected : "");
    }
}

// ---------------------------------------------------------------- operations

TEST(AudioCommands, LinesAndPacing) {
    AudioBench b;
    b.Identify(kModelQVR1500LBX, "2.11");
    const sim::SimTime start = b.Now();
    EXPECT_TRUE(b.ma.SetAudioLanguage(2));
    EXPECT_TRUE(b.ma.SetAudioVolume(5));
    b.ma.SetTimerMode(1);
    EXPECT_TRUE(b.ma.PlayAudioPrompt(6, 5));
    EXPECT_TRUE(b.ma.PlayAudioPrompt(14, 3));
    EXPECT_EQ(b.SentSince(start), (std::vector<std::string>{
                                       "+0.000 audiocfgindex 2\r\n",
                                       "+0.200 audiocfg set 5\r\n",
                                       "+0.400 audiocfg set logepoch 0\r\n",
                                       "+0.600 appcontrol timermode 1\r\n",
                                       "+0.800 audiocfg send battlow 5\r\n",
                                       "+1.000 audiocfg send swapwarn 3\r\n",
                                   }));
    EXPECT_EQ(b.Now() - start, sim::Ms(1200));

    // Stored at once, and the receiver took every command.
    EXPECT_EQ(b.ma.Audio().languageIndex, 2);
    EXPECT_EQ(b.ma.Audio().volume, 5);
    EXPECT_EQ(b.ma.GetTimerMode(), 1);
    b.Settle();
    EXPECT_EQ(b.Sim().languageIndex, 2);
    EXPECT_EQ(b.Sim().volume, 5);
    EXPECT_EQ(b.Sim().eventLevels.at("logepoch"), 0);
    EXPECT_EQ(b.Sim().timerMode, 1.0f);
    ASSERT_EQ(b.Sim().played.size(), 2u);
    EXPECT_EQ(b.Sim().played[0].event, "battlow");
    EXPECT_EQ(b.Sim().played[1].event, "swapwarn");
    EXPECT_EQ(b.Sim().played[1].level, 3);
}

TEST(AudioCommands, VolumeAboveSevenIsRefused) {
    struct Case {
        unsigned int level;
        bool ok;
    } cases[] = {{0, true}, {7, true}, {8, false}, {static_cast<unsigned int>(-1), false}};
    for (const Case& c : cases) {
        AudioBench b;
        const sim::SimTime start = b.Now();
        EXPECT_EQ(b.ma.SetAudioVolume(c.level), c.ok) << c.level;
        if (c.ok) {
            const std::string set = "+0.000 audiocfg set " + std::to_string(c.level) + "\r\n";
            EXPECT_EQ(b.SentSince(start), (std::vector<std::string>{set, "+0.200 audiocfg set logepoch 0\r\n"}));
            EXPECT_EQ(b.ma.Audio().volume, static_cast<int32_t>(c.level));
        } else {
            EXPECT_TRUE(b.SentSince(start).empty()) << c.level;
            EXPECT_EQ(b.Now(), start);
            EXPECT_EQ(b.ma.Audio().volume, 0);
        }
    }
}

TEST(AudioCommands, PromptEventsByProgramAndModel) {
    struct Case {
        Variant variant;
        int32_t kind;
        int index, level;
        const char* sent;  // nullptr: refused, nothing sent
    } cases[] = {
        {kDesk, kModelQVR4100MAX, 0, 7, "audiocfg send startup 7\r\n"},
        {kDesk, kModelQVR4100MAX, 13, 1, "audiocfg send logepoch 1\r\n"},
        {kDesk, kModelQVR4100MAX, 14, 3, nullptr},
        {kDesk, kModelQVR4100MA, 6, 5, "audiocfg send battlow 5\r\n"},
        {kDesk, kModelQVR1500LBX, 14, 3, "audiocfg send swapwarn 3\r\n"},
        {kDesk, kModelQVR1500LBX, 15, 0, "audiocfg send swapcrit 0\r\n"},
        {kDesk, kModelQVR1500LBX, 16, 3, nullptr},
        {kDesk, kModelQVR1500LBX, -1, 3, nullptr},
        {kDesk, kModelUnknown, 13, 2, "audiocfg send logepoch 2\r\n"},
        {kDesk, kModelUnknown, 14, 2, nullptr},  // offered by the page, played by no one
        {kHand, kModelQVR4100MAX, 0, 4, "audiocfg send shutdown 4\r\n"},
        {kHand, kModelQVR4100MAX, 9, 4, "audiocfg send btnignore 4\r\n"},
        {kHand, kModelQVR4100MAX, 12, 4, "audiocfg send logepoch 4\r\n"},
        {kHand, kModelQVR4100MAX, 13, 4, "audiocfg send startup 4\r\n"},
        {kHand, kModelQVR4100MAX, 14, 4, nullptr},
        {kHand, kModelQVR1500LBX, 14, 4, "audiocfg send swapwarn 4\r\n"},
    };
    for (const Case& c : cases) {
        AudioBench b(c.variant);
        b.Identify(c.kind, "2.11");
        EXPECT_EQ(b.ma.PlayAudioPrompt(c.index, c.level), c.sent != nullptr) << c.index;
        const std::vector<std::string> expected =
            c.sent ? std::vector<std::string>{std::string("+0.000 ") + c.sent} : std::vector<std::string>{};
        EXPECT_EQ(b.SentSince(0), expected) << c.index;
        b.Settle();
        EXPECT_EQ(b.Sim().played.size(), c.sent ? 1u : 0u) << "the receiver knows the keyword";
    }
}

TEST(UpdateAudioInfo, ReadsTheAudioDefaults) {
    struct Case {
        const char* file;
        uint16_t index;
        int32_t volume;
    } cases[] = {{"ext", 3, 6}, {"default", 0, 0}, {"EXTENDED", 9, 7}};  // 8 characters, no NUL
    for (const Case& c : cases) {
        AudioBench b;
        b.Identify(kModelQVR4100MAX, "2.05");
        b.Sim().languageFile = c.file;
        b.Sim().languageIndex = c.index;
        b.Sim().volume = c.volume;
        const sim::SimTime start = b.Now();
        ASSERT_TRUE(b.ma.UpdateAudioInfo()) << c.file;
        EXPECT_EQ(b.SentSince(start).front(), "+0.300 log audiocfgdefb\r\n") << "after the purge";
        EXPECT_STREQ(b.ma.Audio().languageFile, c.file);
        EXPECT_EQ(b.ma.Audio().languageIndex, c.index);
        EXPECT_EQ(b.ma.Audio().volume, c.volume);
        EXPECT_TRUE(b.op.messages.empty());
    }
    // The language list follows the file read.
    AudioBench b;
    b.Identify(kModelQVR4100MAX, "2.05");
    b.Sim().languageFile = "ext";
    ASSERT_TRUE(b.ma.UpdateAudioInfo());
    Language ids[MAReceiver::kMaxLanguages];
    int count = 0;
    EXPECT_TRUE(b.ma.GetLanguageList(ids, &count));
    EXPECT_EQ(Names(ids, count), kE);
}

TEST(UpdateAudioInfo, FailuresKeepThePreviousSettings) {
    enum class Fault { Lost, BadCrc, OtherId, ShortBody, Late };
    struct Case {
        const char* name;
        Variant variant;
        Fault fault;
        bool ok;
        const char* caption;  // of the one message, nullptr for none
    } cases[] = {
        {"no log", kDesk, Fault::Lost, false, "QVR Family Config Tool"},
        {"no log, handheld", kHand, Fault::Lost, false, "QVR Config Tool"},
        {"bad CRC", kDesk, Fault::BadCrc, false, "QVR Family Config Tool"},
        {"another log", kDesk, Fault::OtherId, false, nullptr},
        {"body too short for the volume", kDesk, Fault::ShortBody, false, nullptr},
        // Arriving about 0.9 s after the request: past the desktop's 500 ms
        // of reading (which start after the command's 200 ms pause), within
        // the handheld's 750 ms.
        {"late log", kDesk, Fault::Late, false, "QVR Family Config Tool"},
        {"late log, handheld", kHand, Fault::Late, true, nullptr},
    };
    for (const Case& c : cases) {
        AudioBench b(c.variant);
        b.Sim().languageFile = "default";
        b.Sim().languageIndex = 4;
        b.Sim().volume = 3;
        ASSERT_TRUE(b.ma.UpdateAudioInfo());
        b.Sim().languageFile = "EXT";
        b.Sim().languageIndex = 1;
        b.Sim().volume = 7;
        switch (c.fault) {
        case Fault::Lost: b.receiver.InjectFault(sim::FrameFault::LostFrame); break;
        case Fault::BadCrc: b.receiver.InjectFault(sim::FrameFault::BadCrc); break;
        case Fault::OtherId: b.Sim().audioDefaultsId = 798; break;
        case Fault::ShortBody: b.Sim().audioDefaultsLength = 23; break;
        case Fault::Late: b.Sim().audioDefaultsDelay = sim::Ms(850); break;
        }
        EXPECT_EQ(b.ma.UpdateAudioInfo(), c.ok) << c.name;
        if (c.caption) {
            ASSERT_EQ(b.op.messages.size(), 1u) << c.name;
            EXPECT_EQ(b.op.messages[0].text, "Could not call 'audiocfgdef'?");
            EXPECT_EQ(b.op.messages[0].caption, c.caption);
            EXPECT_EQ(b.op.messages[0].icon, MessageIcon::Exclamation);
            EXPECT_EQ(b.op.messages[0].buttons, MessageButtons::Ok);
        } else {
            EXPECT_TRUE(b.op.messages.empty()) << c.name;
        }
        EXPECT_STREQ(b.ma.Audio().languageFile, c.ok ? "EXT" : "default") << c.name;
        EXPECT_EQ(b.ma.Audio().languageIndex, c.ok ? 1 : 4) << c.name;
        EXPECT_EQ(b.ma.Audio().volume, c.ok ? 7 : 3) << c.name;
    }
}

TEST(TimerMode, ReadFromTheExtendedLevels) {
    struct Case {
        float stored;
        size_t length;
        int mode;
    } cases[] = {{1.0f, 64, 1}, {0.0f, 64, 0}, {0.5f, 64, 0}, {2.0f, 64, 0}, {1.0f, 56, 1}, {1.0f, 55, 0}};
    for (const Case& c : cases) {
        AudioBench b;
        b.Sim().timerMode = c.stored;
        b.Sim().extLevelsLength = c.length;
        uint8_t levels[MAReceiver::kExtLevelsSize];
        EXPECT_TRUE(b.ma.ReadExtLevels(levels));
        ASSERT_TRUE(b.ma.UpdateReceiverInfo());  // keeps the levels in the receiver object
        EXPECT_EQ(b.ma.GetTimerMode(), c.mode) << c.stored << " " << c.length;
    }
}

TEST(WritePowerupConfig, PreferenceTextByModelAndReadBack) {
    struct Case {
        const char* model;
        const char* text;
    } cases[] = {{"QVR4100 MAX", "02-03-1"}, {"QVR4100 MA", "02-03"}, {"QVR1500 LBX", "02-03-1"}};
    for (const Case& c : cases) {
        // Full-width texts (no NUL in the log) go back whole.
        AudioBench b(WithUserInfo(
            UserInfo({"QVR4100 MAX", "QV410002317", "0123456789abcdef", "V1.2*", "0000000000000001", "0096N81NNNNN", "00-00-0"}),
            c.model));
        ASSERT_TRUE(b.ma.UpdateReceiverInfo());
        ASSERT_TRUE(b.ma.UpdateAudioInfo());
        ASSERT_TRUE(b.ma.SetAudioLanguage(2));
        const sim::SimTime start = b.Now();
        ASSERT_TRUE(b.ma.WritePowerupConfig(3, 1)) << c.model;
        // The purge drains the language command's acknowledgement first; the
        // version log takes a read of 300 ms, 200 ms for the rest and another read.
        EXPECT_EQ(b.SentSince(start),
                  (std::vector<std::string>{
                      "+0.700 log versionb\r\n",
                      "+1.700 appcontrol timermode 1\r\n",
                      std::string("+1.900 setversioninfo userinfo \"QVR4100 MAX\" \"QV410002317\" \"0123456789abcdef\" "
                                  "\"V1.2*\" \"0000000000000001\" \"0096N81NNNNN\" \"") +
                          c.text + "\"\r\n",
                  }))
            << c.model;
        EXPECT_EQ(b.ma.GetTimerMode(), 1);

        // The next connection reads the choice back from the receiver.
        ASSERT_TRUE(b.ma.UpdateReceiverInfo());
        EXPECT_EQ(b.ma.Info().powerupIndex, 3) << c.model;
        EXPECT_EQ(b.ma.GetTimerMode(), 1) << c.model;
        EXPECT_STREQ(b.ma.Info().peripheralName, "0123456789abcdef");
        EXPECT_STREQ(b.ma.Info().auxSettings, "0096N81NNNNN");
        EXPECT_EQ(b.receiver.Components()[3].texts[6], c.text);
    }
}

TEST(WritePowerupConfig, RefusedWritesSendNothingButTheVersionRequest) {
    const sim::VersionComponent plain = UserInfo({"", "", "3AS/PT", "", "", "", "01-02-0"});
    const sim::VersionComponent quoted = UserInfo({"", "", "3AS\"PT", "", "", "", "01-02-0"});
    struct Case {
        const char* name;
        sim::ReceiverConfig config;
        bool loseVersionLog;
        int language, powerup, timer;
        bool asksForLog;  // "log versionb" is sent
    } cases[] = {
        {"no user-info entry", [] {
             sim::ReceiverConfig config;
             config.components.pop_back();
             return config;
         }(), false, 2, 3, 1, true},
        {"no version log", WithUserInfo(plain), true, 2, 3, 1, true},
        {"a text that cannot be written back", WithUserInfo(quoted), false, 2, 3, 1, true},
        {"no POWERUP selection", WithUserInfo(plain), false, 2, -1, 1, false},
        {"POWERUP index of three digits", WithUserInfo(plain), false, 2, 100, 1, false},
        {"language index of three digits", WithUserInfo(plain), false, 100, 3, 1, false},
    };
    for (const Case& c : cases) {
        AudioBench b(c.config);
        b.Identify(kModelQVR4100MAX, "2.11");
        b.ma.SetAudioLanguage(c.language);
        if (c.loseVersionLog) b.receiver.InjectFault(sim::FrameFault::LostFrame);
        const sim::SimTime start = b.Now();
        EXPECT_FALSE(b.ma.WritePowerupConfig(c.powerup, c.timer)) << c.name;
        const std::vector<std::string> expected =
            c.asksForLog ? std::vector<std::string>{"+0.700 log versionb\r\n"} : std::vector<std::string>{};
        EXPECT_EQ(b.SentSince(start), expected) << c.name;
        EXPECT_EQ(b.ma.GetTimerMode(), 0) << c.name << ": the timer mode is left alone";
        b.Settle();
        EXPECT_EQ(b.receiver.Components().back().texts[6], c.config.components.back().texts[6]) << c.name;
    }
}

TEST(SimAudio, SharesAppcontrolWithOtherFeatures) {
    AudioBench b;
    std::vector<std::string> gpio;
    b.receiver.OnSubCommand("appcontrol", "USERGPIO", [&](const sim::SimReceiver::Tokens& t, sim::Reply&) {
        gpio.push_back(t.size() > 2 ? t[2] : "");
        return true;
    });
    b.ma.SendCommand("appcontrol USERGPIO 5\r\n");
    b.ma.SetTimerMode(1);
    b.ma.SendCommand("appcontrol timermode 2\r\n");  // not a mode
    b.ma.SendCommand("appcontrol other 1\r\n");
    b.ma.Port().UpdateReadBuffer();
    const std::string answers(reinterpret_cast<const char*>(b.ma.Port().Buffer()),
                              static_cast<size_t>(b.ma.Port().BufferedCount()));
    EXPECT_EQ(answers, "\r\n<OK\r\n[COM1]\r\n<OK\r\n[COM1]"
                       "\r\n<ERROR:Invalid Command Option\r\n[COM1]\r\n<ERROR:Invalid Command Option\r\n[COM1]");
    EXPECT_EQ(gpio, std::vector<std::string>{"5"});
    EXPECT_EQ(b.Sim().timerMode, 1.0f);
}
