// The version log, the identity record and the records written into it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SimBench.h"

using namespace qvr;
using qvr::test::SimBench;
namespace component = qvr::sim::component;

namespace {

sim::ReceiverConfig WithComponents(std::vector<sim::VersionComponent> list) {
    sim::ReceiverConfig config;
    config.components = std::move(list);
    return config;
}

sim::VersionComponent Component(uint32_t type, std::array<std::string, 7> texts) { return {type, texts}; }

const sim::VersionComponent kGps = Component(component::GpsCard, {"OEM7", "GPS-SN-1", "HW", "OEM070610RN0000", "", "", ""});
const sim::VersionComponent kGps2 = Component(component::GpsCard, {"OEM6", "GPS-SN-2", "HW", "OEM060600RN0000", "", "", ""});
const sim::VersionComponent kEnclosure = Component(component::Enclosure, {"QVR4100 MAX", "QV410002317", "REV C", "0", "0", "D", "T"});
const sim::VersionComponent kUserApp = Component(component::UserAppAuto, {"QVR4100 MAX", "", "", "2.11", "", "", ""});
const sim::VersionComponent kUserInfo =
    Component(component::UserInfo, {"M", "S", "3AS/PT", "V1.2*", "0000000000000001", "0096N81NNNNN", "02-03-1"});

} // namespace

TEST(UpdateReceiverInfo, ComponentOrderDuplicatesAndMissingEntries) {
    struct Case {
        const char* name;
        std::vector<sim::VersionComponent> components;
        bool ok;
        const char* message;  // the one message shown, or nullptr
        const char* gpsVersion;
    } cases[] = {
        {"usual order", {kGps, kEnclosure, kUserApp, kUserInfo}, true, nullptr, "OEM070610RN0000"},
        {"user info first", {kUserInfo, kUserApp, kEnclosure, kGps}, true, nullptr, "OEM070610RN0000"},
        {"two GPS cards: the first counts", {kGps2, kEnclosure, kGps, kUserApp, kUserInfo}, true, nullptr, "OEM060600RN0000"},
        {"no GPS card", {kEnclosure, kUserApp, kUserInfo}, false, "Version Log is missing DB_VLOG_GPSCARD entry.", ""},
        {"no enclosure", {kGps, kUserApp, kUserInfo}, false, "Version Log is missing ENCLOSURE entry!", "OEM070610RN0000"},
        {"no user application", {kGps, kEnclosure, kUserInfo}, false, "Version Log is missing DB_VLOG_USERAPPAUTO entry.", "OEM070610RN0000"},
        {"no user info", {kGps, kEnclosure, kUserApp}, false, "Version Log is missing DB_VLOG_USERINFO entry.", "OEM070610RN0000"},
        {"only the first missing entry is told", {kUserInfo}, false, "Version Log is missing DB_VLOG_GPSCARD entry.", ""},
        {"an entry beyond the sixth is not seen", {kGps, kGps, kGps, kGps, kEnclosure, kUserApp, kUserInfo}, false,
         "Version Log is missing DB_VLOG_USERINFO entry.", "OEM070610RN0000"},
    };
    for (const Case& c : cases) {
        SimBench b(WithComponents(c.components));
        b.OpenLink();
        EXPECT_EQ(b.ma.UpdateReceiverInfo(), c.ok) << c.name;
        const std::vector<std::string> expected = c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{};
        EXPECT_EQ(b.op.Texts(), expected) << c.name;
        if (!b.op.messages.empty()) {
            EXPECT_EQ(b.op.messages[0].caption, "QVR Family Config Tool");
            EXPECT_EQ(b.op.messages[0].icon, MessageIcon::Warning);
        }
        EXPECT_STREQ(b.ma.Info().gpsCardVersion, c.gpsVersion) << c.name;
        if (c.ok) {
            EXPECT_STREQ(b.ma.Info().serialNumber, "QV410002317");
            EXPECT_STREQ(b.ma.Info().userAppVersion, "2.11");
            EXPECT_STREQ(b.ma.Info().modelName, "QVR4100 MAX");
            EXPECT_EQ(b.ma.Info().modelKind, kModelQVR4100MAX);
            EXPECT_STREQ(b.ma.Info().peripheralName, "3AS/PT");
            EXPECT_STREQ(b.ma.Info().auxSettings, "0096N81NNNNN");
            EXPECT_EQ(b.ma.Info().powerupIndex, 3);
        }
    }
}

TEST(UpdateReceiverInfo, FullWidthTextsAndBlankInTheAuxText) {
    sim::VersionComponent enclosure = kEnclosure;
    enclosure.texts[1] = "ABCDEFGHIJKLMNOP";  // 16 characters, no NUL in the log
    sim::VersionComponent info = kUserInfo;
    info.texts[2] = "0123456789abcdef";
    info.texts[5] = "9600 N81";
    SimBench b(WithComponents({kGps, enclosure, kUserApp, info}));
    b.OpenLink();
    ASSERT_TRUE(b.ma.UpdateReceiverInfo());
    EXPECT_STREQ(b.ma.Info().serialNumber, "ABCDEFGHIJKLMNOP");
    EXPECT_STREQ(b.ma.Info().peripheralName, "0123456789abcdef");
    EXPECT_STREQ(b.ma.Info().auxSettings, "9600");
}

TEST(UpdateReceiverInfo, HandheldKeepsTheGpsCardFieldsAndShowsNoIcon) {
    SimBench b(WithComponents({kGps, kUserApp, kUserInfo}), Variant::Handheld);
    b.OpenLink();
    EXPECT_FALSE(b.ma.UpdateReceiverInfo());
    ASSERT_EQ(b.op.messages.size(), 1u);
    EXPECT_EQ(b.op.messages[0].caption, "QVR Config Tool");
    EXPECT_EQ(b.op.messages[0].icon, MessageIcon::None);
    EXPECT_STREQ(b.ma.Info().gpsCardSerialNumber, "GPS-SN-1");
    EXPECT_STREQ(b.ma.Info().gpsCardModel, "OEM7");
}

TEST(UpdateReceiverInfo, NoVersionLogIsOnlyTraced) {
    SimBench b;
    b.OpenLink();
    b.receiver.InjectFault(sim::FrameFault::LostFrame);
    EXPECT_FALSE(b.ma.UpdateReceiverInfo());
    EXPECT_TRUE(b.op.messages.empty());
    ASSERT_FALSE(b.trace.lines.empty());
    EXPECT_EQ(b.trace.lines.back().rfind("UpdateReceiverInfo failed. File: ", 0), 0u);
}

TEST(IdentifyModel, ExactNamesOnly) {
    struct Case {
        const char* name;
        int kind;
    } cases[] = {{"QVR4100 MA", 1}, {"QVR4100 MAX", 2}, {"QVR1500 LBX", 3}, {"qvr4100 max", 0},
                 {"QVR4100 MA ", 0}, {"", 0}, {"QVR4100", 0}};
    SimBench b;
    for (const Case& c : cases) {
        b.ma.IdentifyModel(c.name);
        EXPECT_EQ(b.ma.Info().modelKind, c.kind) << c.name;
    }
}

TEST(ReadPowerupConfig, PreferenceTexts) {
    struct Case {
        const char* text;
        int index;
    } cases[] = {{"02-03-1", 3}, {"02-03", 3}, {"", 0}, {"7", 0}, {"02-1", 1}, {"00-12-0", 12}, {"01-x", 0}};
    for (const Case& c : cases) {
        sim::VersionComponent info = kUserInfo;
        info.texts[6] = c.text;
        SimBench b(WithComponents({kGps, kEnclosure, kUserApp, info}));
        b.OpenLink();
        int index = -1;
        EXPECT_TRUE(b.ma.ReadPowerupConfig(&index));
        EXPECT_EQ(index, c.index) << c.text;
    }
    SimBench none(WithComponents({kGps, kEnclosure, kUserApp}));
    none.OpenLink();
    int index = -1;
    EXPECT_FALSE(none.ma.ReadPowerupConfig(&index));
    EXPECT_EQ(index, 0);
}

TEST(EnclosureRecord, SerialNumberAndModelWrites) {
    const std::string enclosureLine =
        "setversioninfo ENCLOSURE \"QVR4100 MAX\" \"QV410009999\" \"REV C\" \"0\" \"0\" \"D\" \"T\"\r\n";
    struct Case {
        const char* name;
        std::vector<sim::VersionComponent> components;
        const char* serial;
        bool ok;
        std::string written;  // the record line, or empty when nothing may be written
    } cases[] = {
        {"11 characters", {kGps, kEnclosure, kUserApp, kUserInfo}, "QV410009999", true, enclosureLine},
        {"10 characters", {kGps, kEnclosure, kUserApp, kUserInfo}, "QV41000999", false, ""},
        {"12 characters", {kGps, kEnclosure, kUserApp, kUserInfo}, "QV4100099999", false, ""},
        {"a double quote", {kGps, kEnclosure, kUserApp, kUserInfo}, "QV41\"009999", false, ""},
        {"a line end", {kGps, kEnclosure, kUserApp, kUserInfo}, "QV41000999\n", false, ""},
        {"no enclosure entry: defaults", {kGps, kUserApp, kUserInfo}, "QV410009999", true,
         "setversioninfo ENCLOSURE \"QVR4100 MA\" \"QV410009999\" \"0\" \"0\" \"0\" \"0\" \"0\"\r\n"},
    };
    for (const Case& c : cases) {
        SimBench b(WithComponents(c.components));
        b.OpenLink();
        EXPECT_EQ(b.ma.SetSerialNumber(c.serial), c.ok) << c.name;
        const std::vector<std::string> lines = b.Lines();
        std::vector<std::string> records;
        for (const std::string& line : lines)
            if (line.rfind("setversioninfo", 0) == 0) records.push_back(line);
        if (c.written.empty()) {
            EXPECT_TRUE(lines.empty()) << c.name << ": nothing at all is sent";
        } else {
            EXPECT_EQ(records, std::vector<std::string>{c.written}) << c.name;
            EXPECT_EQ(lines.front(), "log versionb\r\n");
        }
    }
}

TEST(EnclosureRecord, ModelWriteNeedsAnEnclosureEntryAndIsReadBack) {
    SimBench without(WithComponents({kGps, kUserApp, kUserInfo}));
    without.OpenLink();
    EXPECT_FALSE(without.ma.WriteEnclosureModel("QVR4100 MA"));
    EXPECT_EQ(without.Lines(), std::vector<std::string>{"log versionb\r\n"});

    SimBench b(WithComponents({kGps, kEnclosure, kUserApp, kUserInfo}));
    b.OpenLink();
    ASSERT_TRUE(b.ma.WriteEnclosureModel("QVR1500 LBX with a long name"));
    EXPECT_EQ(b.Lines().back(),
              "setversioninfo ENCLOSURE \"QVR1500 LBX with\" \"QV410002317\" \"REV C\" \"0\" \"0\" \"D\" \"T\"\r\n");
    b.Settle();
    EXPECT_EQ(b.receiver.Components()[1].texts[0], "QVR1500 LBX with");
}

TEST(UserInfoRecord, SurvivesAWriteAndARead) {
    SimBench b(WithComponents({kGps, kEnclosure, kUserApp, Component(component::UserInfo, {})}));
    b.OpenLink();
    const char* const texts[7] = {"", "", "Siemens", "3.002", "0000000000000000", "1152N81NNNNN", "01-02-0"};
    const size_t before = b.LineCount();
    ASSERT_TRUE(b.ma.SendVersionInfo("userinfo", texts));
    const sim::SimTime sent = b.link.Virtual().Now();
    EXPECT_EQ(b.Lines(before), std::vector<std::string>{"setversioninfo userinfo \"\" \"\" \"Siemens\" \"3.002\" "
                                                        "\"0000000000000000\" \"1152N81NNNNN\" \"01-02-0\"\r\n"});
    ASSERT_TRUE(b.ma.UpdateReceiverInfo());
    EXPECT_STREQ(b.ma.Info().peripheralName, "Siemens");
    EXPECT_STREQ(b.ma.Info().auxSettings, "1152N81NNNNN");
    EXPECT_EQ(b.ma.Info().powerupIndex, 2);
    EXPECT_GT(b.link.Virtual().Now(), sent);
}

TEST(VersionLog, WrongIdOrNothingFails) {
    SimBench b;
    b.OpenLink();
    b.receiver.InjectFault(sim::FrameFault::BadCrc);
    uint8_t log[MAReceiver::kVersionLogSize];
    EXPECT_FALSE(b.ma.GetVersionLog(log));
    EXPECT_TRUE(b.ma.GetVersionLog(log));
    EXPECT_EQ(ReadLe32(log), 4u);
    int index = -1;
    EXPECT_TRUE(MAReceiver::FindVersionComponent(log, component::UserInfo, &index));
    EXPECT_EQ(index, 3);
    EXPECT_FALSE(MAReceiver::FindVersionComponent(log, 99, &index));
    EXPECT_EQ(index, 0);
}
