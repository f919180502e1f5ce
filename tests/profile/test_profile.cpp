// Profiles against whole simulated units in virtual time: saved from one
// receiver, applied to another set differently, read back; nothing sent to
// a receiver that already matches; hand-edited mistakes refused by name.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "PageActions.h"
#include "Profile.h"
#include "SimGsmModule.h"
#include "SimUhfRadio.h"
#include "TestFiles.h"
#include "UnitBench.h"

using namespace qvr;
using namespace qvr::profile;
using qvr::test::UnitBench;

namespace {

using Profile = qvr::profile::Profile;

// A preset unit, changed before it starts, connected and refreshed.
struct Connected : UnitBench {
    Connected(const std::string& preset, const std::function<void(sim::SimUnit&)>& change = nullptr,
              Variant variant = Variant::Desktop)
        : UnitBench(Made(preset, change), variant) {
        refreshed = ma.Connect("COM1") && ma.UpdateAllData(record, nullptr);
        Settle();
        mark = LineCount();
    }
    static std::unique_ptr<sim::SimUnit> Made(const std::string& preset,
                                              const std::function<void(sim::SimUnit&)>& change) {
        auto unit = sim::MakePreset(preset);
        if (change) change(*unit);
        return unit;
    }
    std::vector<std::string> Sent() const { return Lines(mark); }
    sim::SimUhfRadio& Radio() { return static_cast<sim::SimUhfRadio&>(*unit->radio); }
    sim::SimGsmModule& Module() { return static_cast<sim::SimGsmModule&>(*unit->radio); }

    ReceiverData record{};
    bool refreshed = false;
    size_t mark = 0;
};

Profile Parsed(const std::string& text) {
    Profile p;
    std::string error;
    EXPECT_TRUE(FromJson(text, &p, &error)) << error;
    return p;
}

TEST(Profile, UhfRoundTripAppliesOnlyTheDifferencesAndReadsThemBack) {
    Connected source("uhf", [](sim::SimUnit& u) {
        sim::UhfRadioConfig radio;
        radio.current = 451.0;
        radio.txPowerMw = 200;
        radio.fec = false;
        u.Fit(std::make_unique<sim::SimUhfRadio>(radio));
        u.audio.Audio().volume = 6;
    });
    ASSERT_TRUE(source.refreshed);
    const Profile saved = ReadProfile(source.ma, source.record, false);
    // Through the file's text, as it would travel.
    const Profile wanted = Parsed(ToJson(saved));
    EXPECT_EQ(*wanted.values[kFrequency], "451");
    EXPECT_EQ(*wanted.values[kTxPower], "200");

    Connected target("uhf");
    ASSERT_TRUE(target.refreshed);
    const ApplyReport report = Apply(target.ma, target.record, wanted);
    EXPECT_TRUE(report.Succeeded());
    EXPECT_EQ(report.Count(Outcome::Applied), 4);  // volume, power, frequency, error correction
    for (const SettingResult& r : report.results) {
        if (r.outcome == Outcome::Applied) {
            EXPECT_EQ(r.readBack, r.wanted) << SettingName(r.setting);
        }
    }
    // The simulated unit holds every value, the radio's stored as well.
    target.Settle();
    EXPECT_EQ(target.unit->audio.Audio().volume, 6);
    EXPECT_EQ(target.Radio().Stored().currentHz, 451000000);
    EXPECT_EQ(target.Radio().Live().txPowerMw, 200);
    EXPECT_FALSE(target.Radio().Live().fec);
    // And a diff now says "same".
    EXPECT_FALSE(AnyDifference(Compare(wanted, ReadProfile(target.ma, target.record, false))));

    // Applying again sends nothing at all.
    const size_t before = target.LineCount();
    const ApplyReport again = Apply(target.ma, target.record, wanted);
    EXPECT_TRUE(again.Succeeded());
    EXPECT_EQ(again.Count(Outcome::Unchanged), static_cast<int>(again.results.size()));
    EXPECT_EQ(target.Lines(before), std::vector<std::string>{});
}

TEST(Profile, GsmRoundTripWithSecrets) {
    Connected source("gsm", [](sim::SimUnit& u) {
        auto& m = static_cast<sim::SimGsmModule&>(*u.radio).Config();
        m.bearer.gprsUserName = "surveyor";
        m.bearer.gprsPassword = "s3cret";
        m.bearer.gprsAccessPointName = "internet.example";
        m.bearer.gprsTimeout = 120;
        m.ntrip.casterAddress = "caster.example";
        m.ntrip.mountPoint = "RTCM3";
        m.ntrip.password = "mrs-pass";
        m.ntrip.port = "2101";
        m.ntrip.onStartup = "1";
    });
    ASSERT_TRUE(source.refreshed);
    const Profile withSecrets = ReadProfile(source.ma, source.record, true);
    EXPECT_TRUE(withSecrets.HasSecrets());
    EXPECT_FALSE(ReadProfile(source.ma, source.record, false).HasSecrets());

    Connected target("gsm");
    ASSERT_TRUE(target.refreshed);
    // What a module never set up holds reads back as a profile too.
    Profile fresh;
    std::string error;
    EXPECT_TRUE(FromJson(ToJson(ReadProfile(target.ma, target.record, true)), &fresh, &error)) << error;
    const ApplyReport report = Apply(target.ma, target.record, Parsed(ToJson(withSecrets)));
    EXPECT_TRUE(report.Succeeded()) << (report.problems.empty() ? "" : report.problems[0]);
    for (const SettingResult& r : report.results) {
        EXPECT_NE(r.outcome, Outcome::Refused) << SettingName(r.setting) << ": " << r.reason;
    }
    const sim::SimBearerSettings& b = target.Module().Bearer();
    EXPECT_EQ(b.gprsUserName, "surveyor");
    EXPECT_EQ(b.gprsPassword, "s3cret");
    EXPECT_EQ(b.gprsAccessPointName, "internet.example");
    EXPECT_EQ(b.gprsTimeout, 120);
    const sim::SimNtripSettings& n = target.Module().Ntrip();
    EXPECT_EQ(n.casterAddress, "caster.example");
    EXPECT_EQ(n.password, "mrs-pass");
    EXPECT_EQ(n.port, "2101");
    EXPECT_EQ(n.onStartup, "1");
    EXPECT_FALSE(AnyDifference(Compare(withSecrets, ReadProfile(target.ma, target.record, true))));
}

// Every kind of hand-edited mistake, refused with the key named: in the file
// (before a port is opened) or against the receiver (before anything is sent).
TEST(Profile, MistakesAreRefusedWithTheKeyNamed) {
    const std::string head = R"({"format": "qvr-profile", "version": 1, )";
    const struct {
        std::string text;
        std::string named;
    } files[] = {
        {head + R"("receiver": {"volume": 5, "colour": "red"}})", "receiver.colour: unknown key"},
        {head + R"("uhfx": {}})", "uhfx: unknown key"},
        {head + R"("receiver": {"volume": "5"}})", "receiver.volume: must be a whole number"},
        {head + R"("uhf": {"errorCorrection": 1}})", "uhf.errorCorrection: must be true or false"},
        {head + R"("receiver": {"volume": 8}})", "receiver.volume: 8 is out of range"},
        {head + R"("uhf": {"txPowerMilliwatts": 300}})", "uhf.txPowerMilliwatts: 300 is not one of"},
        {head + R"("mrs": {"port": 70000}})", "mrs.port: 70000 is out of range"},
        {head + R"("gsmBearer": {"accessPoint": "a\u0007b"}})", "gsmBearer.accessPoint: holds a control character"},
        {head + R"("gsmBearer": {"user": "a\"b"}})", "gsmBearer.user: holds a double quote"},
        {head + R"("receiver": {"language": "Klingon"}})", "receiver.language: \"Klingon\" is not one of"},
        {R"({"format": "qvr-profile", "version": 2})", "version: 2 is later than this program reads (1)"},
        {R"({"format": "other", "version": 1})", "format: not a profile"},
        {R"({"format": "qvr-profile", "version": 1, )", "not a JSON file"},
        {head + R"("receiver": {"volume": 5, "volume": 6}})", "volume: given twice"},
    };
    for (const auto& f : files) {
        Profile p;
        std::string error;
        EXPECT_FALSE(FromJson(f.text, &p, &error)) << f.text;
        EXPECT_NE(error.find(f.named), std::string::npos) << error;
    }

    const struct {
        const char* preset;
        std::string text;
        std::string named;
    } receivers[] = {
        {"gsm", head + R"("uhf": {"frequencyMHz": 450.0125}})", "uhf: this receiver has no UHF radio (its radio: GSM/GPRS)"},
        {"uhf", head + R"("mrs": {"startup": false}})", "mrs: this receiver has no GSM module"},
        {"uhf", head + R"("uhf": {"frequencyMHz": 480}})", "uhf.frequencyMHz: 480 MHz is outside this radio's ranges"},
        {"uhf", head + R"("uhf": {"frequencyMHz": 450.006}})", "uhf.frequencyMHz: 450.006 MHz is not a multiple of 12500 Hz"},
        {"ma", head + R"("receiver": {"timerMode": 1}})", "receiver.timerMode: a QVR4100 MA has no timer mode"},
        {"uhf", head + R"("receiver": {"powerup": "SOMETHING"}})", "receiver.powerup: \"SOMETHING\" is not among"},
        {"uhf", head + R"("uhf": {"protocolMode": "PCC-4FSK"}})", "uhf.protocolMode: only the handheld variant"},
        {"gsm-nokia", head + R"("mrs": {"startup": false}})", "mrs: MRS needs a GSM applet of version 3.002"},
    };
    for (const auto& r : receivers) {
        Connected unit(r.preset);
        ASSERT_TRUE(unit.refreshed) << r.preset;
        const ApplyReport report = Apply(unit.ma, unit.record, Parsed(r.text));
        ASSERT_FALSE(report.problems.empty()) << r.text;
        EXPECT_NE(report.problems[0].find(r.named), std::string::npos) << report.problems[0];
        EXPECT_FALSE(report.Succeeded());
        EXPECT_EQ(unit.Sent(), std::vector<std::string>{}) << r.text;
    }
}

TEST(Profile, FilesAreWrittenWholeAndSecretsOwnerOnly) {
    const std::filesystem::path folder = test::MakeTempFolder("profile");
    Profile p;
    p.model = "QVR4100 MAX";
    p.values[kVolume] = "3";
    p.values[kGprsPassword] = "pw";
    const std::string path = (folder / "a.json").string();
    std::string error;
    ASSERT_TRUE(SaveFile(path, p, &error)) << error;
#ifndef _WIN32  // Windows keeps no owner, group and other bits
    using std::filesystem::perms;
    EXPECT_EQ(std::filesystem::status(path).permissions() & perms::all, perms::owner_read | perms::owner_write);
#endif
    Profile back;
    ASSERT_TRUE(LoadFile(path, &back, &error)) << error;
    EXPECT_EQ(back.values, p.values);
    // Nothing beside it, and an unwritable place leaves no file.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
    EXPECT_FALSE(SaveFile((folder / "missing" / "b.json").string(), p, &error));
    EXPECT_FALSE(SaveFile(folder.string(), p, &error));
    // A receiver text that is not UTF-8 is written with U+FFFD.
    p.values[kGprsUser] = std::string("a\xff") + "b";
    const std::string text = ToJson(p);
    EXPECT_NE(text.find("a\xef\xbf\xbd" "b"), std::string::npos);
    std::filesystem::remove_all(folder);
}

} // namespace
