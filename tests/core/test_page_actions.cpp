// What the pages do with the receiver when the operator presses their
// buttons: connect, receiver settings, the UHF radio and its centre
// frequency, the GSM bearer and MRS settings, the AT command filter and the
// upgrade file check. Against a whole simulated unit in virtual time.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Golden.h"
#include "PageActions.h"
#include "RadioPageActions.h"
#include "UpgradeFile.h"
#include "SimGsmModule.h"
#include "SimUhfRadio.h"
#include "TestFiles.h"
#include "UnitBench.h"

using namespace qvr;
using qvr::test::UnitBench;

namespace {

constexpr const char* kDesktop = "QVR Family Config Tool";
constexpr const char* kHandheld = "QVR Config Tool";

using Msg = test::ShownMessage;
std::vector<Msg> Messages(const test::RecordingOperator& op) { return op.Shown(); }

// A preset unit, changed before it starts.
std::unique_ptr<sim::SimUnit> Unit(const std::string& preset,
                                   const std::function<void(sim::SimUnit&)>& change = nullptr) {
    auto unit = sim::MakePreset(preset);
    if (change) change(*unit);
    return unit;
}

void SetComponentText(sim::SimUnit& unit, uint32_t type, size_t text, const std::string& value) {
    for (sim::VersionComponent& c : unit.receiver.Components())
        if (c.type == type) c.texts[text] = value;
}

void SetModel(sim::SimUnit& unit, const std::string& model) {
    SetComponentText(unit, sim::component::Enclosure, 0, model);
    SetComponentText(unit, sim::component::UserAppAuto, 0, model);
}

// A unit after the connect-time refresh, with what the pages read, and
// the operator's messages and the lines sent from then on.
struct Connected : UnitBench {
    explicit Connected(std::unique_ptr<sim::SimUnit> simUnit, Variant variant = Variant::Desktop)
        : UnitBench(std::move(simUnit), variant) {
        refreshed = ma.Connect("COM1") && ma.UpdateAllData(record, nullptr);
        Settle();
        op.messages.clear();
        mark = LineCount();
    }
    std::vector<std::string> Sent() const { return Lines(mark); }
    sim::SimUhfRadio& Radio() { return static_cast<sim::SimUhfRadio&>(*unit->radio); }
    sim::SimGsmModule& Module() { return static_cast<sim::SimGsmModule&>(*unit->radio); }

    ReceiverData record{};
    bool refreshed = false;
    size_t mark = 0;
};

std::string PayloadText(const std::vector<uint8_t>& payload) {
    std::string text(payload.begin(), payload.end());
    return text.substr(0, text.find('\0'));
}

} // namespace

// ---------------------------------------------------------------- Connection page

TEST(ConnectAndRefresh, OutcomesStatusTextsAndMessages) {
    const std::string failed =
        "Unable to establish connection to receiver. \r\n\r\nPlease verify the following and try again:\r\n\r\n1) "
        "You have selected the correct PC COM port.\r\n2) Ensure the receiver is powered on and ready.\r\n3) The "
        "selected PC COM port is not currently in use by another application.";
    const std::string outOfDate =
        "The firmware (OEM and/or UserApp) for this receiver is out of date.\r\nPlease contact your Brenor dealer "
        "for upgrade details.";
    const std::vector<std::string> refresh = {"Retrieving receiver settings...", "Retrieving audio settings...",
                                              "Retrieving device settings..."};
    enum class Setup { PortBusy, NoUserInfo, Max3100, Max3110, Ma3100 };
    struct Case {
        Setup setup;
        ConnectResult result;
        std::vector<std::string> statuses;  // the first and the last three
        std::vector<Msg> messages;
        Variant variant = Variant::Desktop;
    } cases[] = {
        {Setup::PortBusy, ConnectResult::NoReceiver, {"Connecting...", "Not Connected."},
         {{failed, "QVR Family Config Tool.", MessageIcon::None}}},
        {Setup::PortBusy, ConnectResult::NoReceiver, {"Connecting...", "Not Connected."},
         {{failed, kHandheld, MessageIcon::None}}, Variant::Handheld},
        {Setup::NoUserInfo, ConnectResult::RefreshFailed,
         {"Connecting...", "Collecting Data...", "Retrieving receiver settings...", "Not Connected."},
         {{"Version Log is missing DB_VLOG_USERINFO entry.", kDesktop, MessageIcon::Warning}}},
        {Setup::Max3100, ConnectResult::Connected,
         {"Connecting...", "Retrieving device settings...", "Searching for installed radio...", "Connected."},
         {{outOfDate, kDesktop, MessageIcon::Exclamation}}},
        {Setup::Max3100, ConnectResult::Connected,
         {"Connecting...", "Retrieving device settings...", "Searching for installed radio...", "Connected."},
         {{outOfDate, kHandheld, MessageIcon::Exclamation}}, Variant::Handheld},
        {Setup::Max3110, ConnectResult::Connected,
         {"Connecting...", "Retrieving device settings...", "Searching for installed radio...", "Connected."}, {}},
        {Setup::Ma3100, ConnectResult::Connected,
         {"Connecting...", "Retrieving device settings...", "Searching for installed radio...", "Connected."}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.setup));
        UnitBench b(Unit("none", [&c](sim::SimUnit& u) {
            SetModel(u, c.setup == Setup::Ma3100 ? "QVR4100 MA" : "QVR4100 MAX");
            SetComponentText(u, sim::component::GpsCard, 3, c.setup == Setup::Max3110 ? "3.110" : "3.100");
            if (c.setup == Setup::NoUserInfo) u.receiver.Components().pop_back();
        }),
                   c.variant);
        if (c.setup == Setup::PortBusy) b.link.FailOpen("COM1");
        test::RecordingOperator status;
        ReceiverData record{};
        EXPECT_EQ(ConnectAndRefresh(b.ma, "COM1", record, &status), c.result);
        std::vector<std::string> statuses = status.statusTexts;
        if (statuses.size() > 4) statuses.erase(statuses.begin() + 1, statuses.end() - 3);
        EXPECT_EQ(statuses, c.statuses);
        EXPECT_EQ(Messages(b.op), c.messages);
        if (c.setup == Setup::NoUserInfo) {
            // The next connect on the same port works.
            b.unit->receiver.Components().push_back({sim::component::UserInfo, {}});
            EXPECT_EQ(ConnectAndRefresh(b.ma, "COM1", record, &status), ConnectResult::Connected);
            EXPECT_EQ(status.statusTexts.back(), "Connected.");
        }
    }
}

TEST(ConnectAndRefresh, ReceiverThatVanishesMidwayIsAFailureNeverNoRadio) {
    const std::string lost =
        "The receiver stopped answering while its data were being read. Check the cable and the receiver's power, "
        "then connect again.";
    for (const char* preset : {"uhf", "gsm"}) {
        UnitBench whole(preset);
        ReceiverData record{};
        ASSERT_EQ(ConnectAndRefresh(whole.ma, "COM1", record, nullptr), ConnectResult::Connected) << preset;
        const int total = static_cast<int>(whole.Seconds() * 1000);
        // Pulled at moments all through the connect and the refresh (the
        // radio search included).
        for (int at = 500; at < total; at += total / 16) {
            SCOPED_TRACE(std::string(preset) + " pulled at " + std::to_string(at) + " ms");
            UnitBench b(preset);
            b.link.VanishAt(sim::Ms(static_cast<uint64_t>(at)));
            const ConnectResult result = ConnectAndRefresh(b.ma, "COM1", record, nullptr);
            EXPECT_NE(result, ConnectResult::Connected);
            EXPECT_TRUE(b.ma.LinkLost());
            EXPECT_LE(b.Seconds() * 1000 - at, 5000.0) << "ended within 5 s of the loss";
            EXPECT_LE(b.link.CallsSinceVanished(), 2) << "a dead port is not read again and again";
            EXPECT_TRUE(b.op.prompts.empty()) << "no radio-not-found or serial-number prompt";
            const std::vector<std::string> texts = b.op.Texts();
            EXPECT_LE(texts.size(), 1u);
            if (result == ConnectResult::RefreshFailed) {
                EXPECT_EQ(texts, std::vector<std::string>{lost});
            }
        }
    }
}

TEST(ConnectAndRefresh, OutOfDateFirmwareReadsTheFirstFiveCharacters) {
    struct Case {
        int32_t model;
        const char* version;
        double number;
        bool outOfDate;
    } cases[] = {
        {kModelQVR4100MAX, "3.100", 3.1, true},   {kModelQVR4100MAX, "3.1099", 3.109, true},
        {kModelQVR4100MAX, "3.110", 3.11, false}, {kModelQVR4100MAX, "3.2", 3.2, false},
        {kModelQVR4100MAX, "3.11", 3.11, false},  {kModelQVR4100MAX, "OEM070610RN0000", 0, true},
        {kModelQVR4100MAX, "", 0, true},          {kModelQVR4100MAX, "10.0", 10, false},
        {kModelQVR4100MA, "3.100", 3.1, false},   {kModelQVR1500LBX, "1.0", 1, false},
        {kModelUnknown, "3.100", 3.1, false},
    };
    for (const Case& c : cases) {
        ReceiverData record{};
        record.info.modelKind = c.model;
        std::snprintf(record.info.gpsCardVersion, sizeof record.info.gpsCardVersion, "%s", c.version);
        EXPECT_DOUBLE_EQ(GpsFirmwareNumber(c.version), c.number) << c.version;
        EXPECT_EQ(FirmwareOutOfDate(record), c.outOfDate) << c.model << " " << c.version;
    }
}

TEST(ConnectionPage, IdentityTexts) {
    ReceiverData record{};
    std::snprintf(record.info.gpsCardVersion, sizeof record.info.gpsCardVersion, "3.100");
    std::snprintf(record.info.userAppVersion, sizeof record.info.userAppVersion, "1.20");
    char text[64];
    FirmwareText(record, text, sizeof text);
    EXPECT_STREQ(text, "3.100 / 1.20");
    char shortText[6];
    FirmwareText(record, shortText, sizeof shortText);
    EXPECT_STREQ(shortText, "3.100");

    struct Case {
        int32_t kind;
        const char* text;
    } cases[] = {{0, "None"}, {1, "UHF"}, {2, "GSM/GPRS"}, {3, nullptr}, {-1, nullptr}};
    for (const Case& c : cases) {
        if (c.text) {
            EXPECT_STREQ(RadioKindText(c.kind), c.text);
        } else {
            EXPECT_EQ(RadioKindText(c.kind), nullptr) << c.kind;
        }
    }
}

TEST(ChangeSerialDialog, NewSerialRule) {
    struct Case {
        const char* typed;
        bool accepted;
        const char* normalized;
    } cases[] = {
        {"abc12345678", true, "ABC12345678"}, {"ABC12345678", true, "ABC12345678"},
        {"AB312345678", false, nullptr},     {"ABC1234567", false, nullptr},
        {"ABC123456789", false, nullptr},    {"ABC1234567A", false, nullptr},
        {"ABC 2345678", false, nullptr},     {"", false, nullptr},
        {"\xC4" "BC12345678", false, nullptr},
    };
    for (const Case& c : cases) {
        char normalized[12];
        EXPECT_EQ(NormalizeNewSerial(c.typed, normalized), c.accepted) << c.typed;
        if (c.normalized) {
            EXPECT_STREQ(normalized, c.normalized);
        }
    }
}

// ---------------------------------------------------------------- Receiver Settings page

TEST(SubmitReceiverSettings, OrderShortCircuitAndMessages) {
    const Msg success = {"Receiver Settings successfully updated.", kDesktop, MessageIcon::Information};
    const Msg errors = {"Errors occurred while adjusting new settings.", kDesktop, MessageIcon::Error};
    const Msg reset = {"You must factory reset the receiver before changes to the Factory POWERUP settings will "
                       "take effect.",
                       kHandheld, MessageIcon::Error};
    const auto handheld = [](Msg m) {
        m.caption = kHandheld;
        return m;
    };
    const std::string userInfo = "setversioninfo userinfo \"\" \"\" \"\" \"\" \"\" \"\" ";
    struct Case {
        const char* name;
        const char* model;
        Variant variant;
        int language, volume, powerup, timer;
        bool ok;
        std::vector<std::string> sent;
        std::vector<Msg> messages;
    } cases[] = {
        {"desktop", "QVR4100 MAX", Variant::Desktop, 1, 5, 3, 1, true,
         {"audiocfgindex 1\r\n", "audiocfg set 5\r\n", "audiocfg set logepoch 0\r\n", "log versionb\r\n",
          "appcontrol timermode 1\r\n", userInfo + "\"01-03-1\"\r\n"},
         {success}},
        {"QVR4100 MA: timer mode 0", "QVR4100 MA", Variant::Desktop, 1, 5, 3, 1, true,
         {"audiocfgindex 1\r\n", "audiocfg set 5\r\n", "audiocfg set logepoch 0\r\n", "log versionb\r\n",
          "appcontrol timermode 0\r\n", userInfo + "\"01-03\"\r\n"},
         {success}},
        {"handheld, new POWERUP choice", "QVR4100 MAX", Variant::Handheld, 0, 4, 2, 0, true,
         {"audiocfgindex 0\r\n", "audiocfg set 4\r\n", "audiocfg set logepoch 0\r\n", "log versionb\r\n",
          "appcontrol timermode 0\r\n", userInfo + "\"00-02-0\"\r\n"},
         {reset, handheld(success)}},
        {"handheld, same POWERUP choice", "QVR4100 MAX", Variant::Handheld, 0, 4, 0, 0, true,
         {"audiocfgindex 0\r\n", "audiocfg set 4\r\n", "audiocfg set logepoch 0\r\n", "log versionb\r\n",
          "appcontrol timermode 0\r\n", userInfo + "\"00-00-0\"\r\n"},
         {handheld(success)}},
        {"volume refused", "QVR4100 MAX", Variant::Desktop, 1, 8, 3, 1, false, {"audiocfgindex 1\r\n"}, {errors}},
        {"POWERUP refused", "QVR4100 MAX", Variant::Handheld, 1, 5, 100, 1, false,
         {"audiocfgindex 1\r\n", "audiocfg set 5\r\n", "audiocfg set logepoch 0\r\n"}, {handheld(errors)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Connected b(Unit("none", [&c](sim::SimUnit& u) { SetModel(u, c.model); }), c.variant);
        ASSERT_TRUE(b.refreshed);
        ASSERT_EQ(b.record.info.powerupIndex, 0);
        EXPECT_EQ(SubmitReceiverSettings(b.ma, b.record, c.language, c.volume, c.powerup, c.timer), c.ok);
        EXPECT_EQ(b.Sent(), c.sent);
        EXPECT_EQ(Messages(b.op), c.messages);
        // The record takes the chosen values either way.
        EXPECT_EQ(b.record.audio.languageIndex, c.language);
        EXPECT_EQ(b.record.audio.volume, c.volume);
        EXPECT_EQ(b.record.info.powerupIndex, c.powerup);
    }
}

// ---------------------------------------------------------------- UHF Settings page

TEST(UhfSettingsPage, PowerChoiceForTheTxPowerText) {
    struct Case {
        const char* text;
        const char* choice;
    } cases[] = {{"10", ".010"}, {"20", ".020"}, {"50", ".050"},   {"100", ".100"}, {"200", ".200"},
                 {"500", ".500"}, {"1000", "1.000"}, {"250", "1.000"}, {"", "1.000"}, {"500\r\n", ".500"}};
    for (const Case& c : cases) EXPECT_STREQ(kUhfPowerChoices[UhfPowerChoiceIndex(c.text)], c.choice) << c.text;
}

TEST(SubmitUhfSettings, PowerFirstThenChecksFecFrequencyAndStore) {
    const Msg changed = {"Changes were successful.", kDesktop, MessageIcon::Information};
    const Msg invalid = {"Invalid entry for new frequency.", kDesktop, MessageIcon::None};
    const Msg raster = {"New current frequency must be a multiple of 12500 Hz from the center frequency.", kDesktop,
                        MessageIcon::None};
    const Msg failed = {"Errors were detected during frequency change.", kDesktop, MessageIcon::Error};
    struct Case {
        int power;
        const char* frequency;
        bool fec;
        bool ok;
        std::vector<std::string> radio;  // command lines the radio got
        bool menu;                       // error correction toggled in the radio's menu
        std::vector<Msg> messages;
        double current;                  // the record's current frequency afterwards
    } cases[] = {
        {5, "450.0125", true, true, {"SL@P=500", "SL&F=450.012500", "SL**>"}, false, {changed}, 450.0125},
        {0, "450.025", true, true, {"SL@P=10", "SL&F=450.025000", "SL**>"}, false, {changed}, 450.025},
        {6, "", true, false, {"SL@P=1000"}, false, {invalid}, 450.0125},
        {6, "0", true, false, {"SL@P=1000"}, false, {invalid}, 450.0125},
        {6, "abc", false, false, {"SL@P=1000"}, false, {invalid}, 450.0125},
        {2, "450.00625", false, false, {"SL@P=50"}, false, {raster}, 450.0125},
        {1, "449.9875", false, true, {"SL@P=20", "SL&F=449.987500", "SL**>"}, true, {changed}, 449.9875},
        // Outside the radio's ranges: not checked here, the radio refuses it.
        {5, "480.0", true, false, {"SL@P=500", "SL&F=480.000000"}, false, {failed}, 450.0125},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frequency);
        Connected b(Unit("uhf"));
        ASSERT_EQ(b.record.peripheral.kind, kPeripheralUhf);
        ASSERT_EQ(b.record.peripheral.uhf.errorCorrection, 1);
        const size_t commands = b.Radio().Commands().size();
        const size_t keys = b.Radio().Keystrokes().size();
        EXPECT_EQ(SubmitUhfSettings(b.ma, b.record, c.power, c.frequency, c.fec), c.ok);
        b.Settle();
        const std::vector<std::string> radio(b.Radio().Commands().begin() + static_cast<long>(commands),
                                             b.Radio().Commands().end());
        EXPECT_EQ(radio, c.radio);
        EXPECT_EQ(b.Radio().Keystrokes().size() > keys, c.menu);
        EXPECT_EQ(Messages(b.op), c.messages);
        const UhfBlock& uhf = b.record.peripheral.uhf;
        EXPECT_EQ(std::string(uhf.txPower), std::to_string(b.Radio().Live().txPowerMw));
        EXPECT_EQ("SL@P=" + std::string(uhf.txPower), c.radio.front());
        // Toggled only when the box differs from the flag, and only after
        // the frequency checks passed.
        EXPECT_EQ(uhf.errorCorrection, c.menu ? 0 : 1);
        EXPECT_EQ(b.Radio().Stored().fec, !c.menu);
        EXPECT_DOUBLE_EQ(uhf.currentFrequency, c.current);
        if (c.ok) {
            // Stored in the radio, with the power chosen.
            EXPECT_EQ(b.Radio().Stored().currentHz, sim::SimUhfRadio::Hz(c.current));
            EXPECT_EQ(b.Radio().Stored().txPowerMw, b.Radio().Live().txPowerMw);
        }
    }
}

TEST(ChangeCenterFrequency, ChecksQuestionDialogAndClosingMessage) {
    const Msg question = {"You are attempting to change the UHF Center frequency. Do you wish to proceed?",
                          "Warning!", MessageIcon::Exclamation};
    const Msg notNumber = {"Frequency does not appear to be a valid number?", "Error", MessageIcon::Error};
    const Msg success = {"Change was successful. Application will terminate, please restart receiver.", "Success!",
                         MessageIcon::None};
    const Msg failure = {"Change was was not successful. Application will terminate, please restart receiver.",
                         "Failure!", MessageIcon::None};
    const auto rejected = [](const std::string& reason) {
        return Msg{"The center frequency change request was rejected for the following reason:\r\n\r\n" + reason +
                       "\r\n\r\nPlease restart receiver and retry.",
                   "Error setting center frequency.", MessageIcon::Error};
    };
    struct Case {
        const char* text;
        int32_t kind;                 // the record's peripheral kind
        MessageAnswer answer;         // to the question
        CenterChangeResult result;
        std::vector<Msg> messages;
        bool sent;                    // anything sent to the receiver
        double center;                // the radio's stored centre afterwards
    } cases[] = {
        {"445.0", kPeripheralNone, MessageAnswer::Ok, CenterChangeResult::NotUhf,
         {{"Feature only applicable for receivers with UHF radios.", "Error", MessageIcon::Exclamation}}, false,
         450.0},
        {"445.0", kPeripheralUhf, MessageAnswer::Cancel, CenterChangeResult::Declined, {question}, false, 450.0},
        {"0", kPeripheralUhf, MessageAnswer::Ok, CenterChangeResult::InvalidNumber, {question, notNumber}, false,
         450.0},
        {"letters", kPeripheralUhf, MessageAnswer::Ok, CenterChangeResult::InvalidNumber, {question, notNumber},
         false, 450.0},
        // Typed into the radio's menu as it is: a line end would press keys.
        {"445.0\r\n4\r\n", kPeripheralUhf, MessageAnswer::Ok, CenterChangeResult::InvalidNumber,
         {question, notNumber}, false, 450.0},
        {"445.0 MHz", kPeripheralUhf, MessageAnswer::Ok, CenterChangeResult::InvalidNumber, {question, notNumber},
         false, 450.0},
        {"445.003", kPeripheralUhf, MessageAnswer::Ok, CenterChangeResult::Failed,
         {question, rejected("New center frequency must be a multiple of 6250 hertz!"), failure}, false, 450.0},
        {"500.0", kPeripheralUhf, MessageAnswer::Ok, CenterChangeResult::Failed,
         {question, rejected("Specified center frequency is outside defined ranges!"), failure}, false, 450.0},
        {"445.0", kPeripheralUhf, MessageAnswer::Ok, CenterChangeResult::Succeeded, {question, success}, true,
         445.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Connected b(Unit("uhf"));
        b.record.peripheral.kind = c.kind;
        b.op.answers = {c.answer};
        EXPECT_EQ(ChangeCenterFrequency(b.ma, b.record, c.text), c.result);
        b.Settle();
        EXPECT_EQ(Messages(b.op), c.messages);
        EXPECT_EQ(!b.Sent().empty(), c.sent);
        EXPECT_EQ(b.Radio().Stored().centerHz, sim::SimUhfRadio::Hz(c.center));
    }
}

// ---------------------------------------------------------------- GSM pages

TEST(GsmSettingsPage, TcpTestSite) {
    struct Case {
        const char* text;
        size_t size;
        const char* site;
    } cases[] = {
        {"www.example.com", 255, "example.com"},
        {"example.com", 255, "example.com"},
        {"http://www.example.com/www.x", 255, "example.com/www.x"},
        {"www.", 255, ""},
        {"", 255, ""},
        {"www.example.com", 8, "example"},
    };
    for (const Case& c : cases) {
        char site[255];
        TcpTestSite(c.text, site, c.size);
        EXPECT_STREQ(site, c.site) << c.text;
    }
}

TEST(SubmitGsmBearer, RequestsRecordAndMessage) {
    const std::string longName(200, 'a');
    const std::string gprs = "user\nsecret\ninternet.apn\n30\n";
    const Msg updated{"GSM Settings successfully updated.", kDesktop, MessageIcon::Information};
    // What the record takes from the submit: nothing, what the module
    // confirmed before it refused a write, or everything.
    enum class Kept { Before, Gprs, GprsAndAuthentication, All };
    struct Case {
        const char* name;
        Variant variant;
        int bearer;
        std::string user, password, apn, timeout;
        uint32_t refusedType;  // the module answers this request with an error
        bool ok;
        std::vector<std::pair<uint32_t, std::string>> requests;  // type and text payload
        Msg message;
        Kept kept;
    } cases[] = {
        {"GPRS", Variant::Desktop, kBearerGprs, "user", "secret", "internet.apn", "30", 0, true,
         {{23, gprs}, {38, "0\n0\n\n\n"}, {37, "0\n"}}, updated, Kept::All},
        {"GPRS, empty time-out", Variant::Desktop, kBearerGprs, "", "", "apn", "", 0, true,
         {{23, "\n\napn\n0\n"}, {38, "0\n0\n\n\n"}, {37, "0\n"}}, updated, Kept::All},
        {"NO BEARER", Variant::Desktop, kBearerNone, "user", "secret", "internet.apn", "30", 0, true, {{40, ""}},
         updated, Kept::All},
        // The handheld page shows the desktop caption here.
        {"handheld", Variant::Handheld, kBearerNone, "", "", "", "", 0, true, {{40, ""}}, updated, Kept::All},
        // Longer than the field: refused, not cut.
        {"APN too long", Variant::Desktop, kBearerGprs, "user", "secret", longName, "30", 0, false, {},
         {"The GPRS access point name is too long to be sent to the GSM module. Please shorten it.", kDesktop,
          MessageIcon::Error},
         Kept::Before},
        // Each fits its field, together they do not fit one request.
        {"together too long", Variant::Desktop, kBearerGprs, std::string(100, 'u'), std::string(120, 'p'),
         std::string(110, 'n'), "30", 0, false, {},
         {"The GPRS password is too long to be sent to the GSM module. Please shorten it.", kDesktop,
          MessageIcon::Error},
         Kept::Before},
        // A write the module refuses ends the submit there.
        {"GPRS settings refused", Variant::Desktop, kBearerGprs, "user", "secret", "internet.apn", "30", 23, false,
         {{23, gprs}},
         {"The GPRS settings could not be written to the GSM module.", kDesktop, MessageIcon::Error}, Kept::Before},
        {"authentication refused", Variant::Desktop, kBearerGprs, "user", "secret", "internet.apn", "30", 38, false,
         {{23, gprs}, {38, "0\n0\n\n\n"}},
         {"The authentication settings could not be written to the GSM module.", kDesktop, MessageIcon::Error},
         Kept::Gprs},
        {"default connection refused", Variant::Desktop, kBearerGprs, "user", "secret", "internet.apn", "30", 37,
         false, {{23, gprs}, {38, "0\n0\n\n\n"}, {37, "0\n"}},
         {"The default connection could not be set to GPRS on the GSM module.", kDesktop, MessageIcon::Error},
         Kept::GprsAndAuthentication},
        {"clear refused", Variant::Desktop, kBearerNone, "", "", "", "", 40, false, {{40, ""}},
         {"The bearer could not be cleared on the GSM module.", kDesktop, MessageIcon::Error}, Kept::Before},
        // A line end or quote would shift the module's fields; refused
        // before anything is sent, naming the field.
        {"line end in the APN", Variant::Desktop, kBearerGprs, "user", "secret", "internet\napn", "30", 0, false, {},
         {"The GPRS access point name contains a line break, quote or control character, which the GSM module "
          "cannot store. Please remove it.",
          kDesktop, MessageIcon::Error},
         Kept::Before},
        {"quote in the password", Variant::Desktop, kBearerGprs, "user", "se\"cret", "apn", "30", 0, false, {},
         {"The GPRS password contains a line break, quote or control character, which the GSM module cannot "
          "store. Please remove it.",
          kDesktop, MessageIcon::Error},
         Kept::Before},
        // Stored as 32 bits: 4294967297 would be kept as 1.
        {"time-out beyond 32 bits", Variant::Desktop, kBearerGprs, "user", "secret", "apn", "4294967297", 0, false,
         {}, {"The connection timeout must be a whole number from 0 to 2147483647.", kDesktop, MessageIcon::Error},
         Kept::Before},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Connected b(Unit("gsm", [](sim::SimUnit& u) {
                        // Settings a GPRS write must reset: incoming CHAP
                        // and CSD number authentication.
                        auto& bearer = static_cast<sim::SimGsmModule&>(*u.radio).Config().bearer;
                        bearer.incomingChapUserName = "chapuser";
                        bearer.incomingChapPassword = "chappass";
                        bearer.incomingChapEnabled = true;
                        bearer.csdNumberAuthentication = true;
                        bearer.gprsAccessPointName = "old.apn";
                        bearer.gprsTimeout = 12;
                        bearer.defaultConnection = kBearerCsd;
                    }),
                    c.variant);
        ASSERT_EQ(b.record.peripheral.kind, kPeripheralGsm);
        if (c.refusedType) b.Module().InjectFault({sim::GsmModuleFault::ErrorReply, 0, 1, c.refusedType});
        const BearerRecord before = b.record.peripheral.bearer;
        const size_t from = b.Module().Requests().size();
        EXPECT_EQ(SubmitGsmBearer(b.ma, b.record, c.bearer, c.user.c_str(), c.password.c_str(), c.apn.c_str(),
                                  c.timeout.c_str()),
                  c.ok);
        b.Settle();
        std::vector<std::pair<uint32_t, std::string>> requests;
        for (size_t i = from; i < b.Module().Requests().size(); ++i)
            requests.push_back({b.Module().Requests()[i].type, PayloadText(b.Module().Requests()[i].payload)});
        EXPECT_EQ(requests, c.requests);
        EXPECT_EQ(Messages(b.op), std::vector<Msg>{c.message});
        if (c.requests.empty()) {
            EXPECT_TRUE(b.Sent().empty());
        }
        const BearerRecord& r = b.record.peripheral.bearer;
        if (c.kept == Kept::Before) {
            EXPECT_EQ(std::memcmp(&r, &before, sizeof r), 0) << "the record is left as it was";
        } else if (c.bearer == kBearerNone) {
            const BearerRecord zero{};
            EXPECT_EQ(std::memcmp(&r, &zero, sizeof r), 0);
            EXPECT_EQ(b.Module().Bearer().gprsAccessPointName, "");
        } else {
            EXPECT_EQ(r.gprsEntered, 1);
            EXPECT_STREQ(r.gprsAccessPointName, c.apn.c_str());
            EXPECT_EQ(r.gprsTimeout, std::atoi(c.timeout.c_str()));
            EXPECT_EQ(r.defaultConnection, c.kept == Kept::All ? kBearerGprs : kBearerCsd);
            EXPECT_EQ(r.csdNumberAuthenticationEnabled, c.kept == Kept::Gprs ? 1 : 0);
        }
        if (c.kept == Kept::All && c.bearer == kBearerGprs) {
            EXPECT_FALSE(b.Module().Bearer().incomingChapEnabled);
            EXPECT_FALSE(b.Module().Bearer().csdNumberAuthentication);
            EXPECT_EQ(b.Module().Bearer().incomingChapUserName, "");
            EXPECT_EQ(b.Module().Bearer().defaultConnection, kBearerGprs);
        }
    }
}

TEST(MrsPage, AvailableFromApplet3002) {
    struct Case {
        const char* applet;
        bool available;
    } cases[] = {{"3.001", false}, {"3.002", true}, {"3.1", true},        {"4", true},
                 {"", false},      {"x", false},    {"3.0019", false},    {"3.00199999", true}};  // single precision
    for (const Case& c : cases) {
        ReceiverData record{};
        std::snprintf(record.peripheral.gsm.appletVersion, sizeof record.peripheral.gsm.appletVersion, "%s",
                      c.applet);
        EXPECT_EQ(MrsAvailable(record), c.available) << c.applet;
    }
}

TEST(SubmitMrs, AvailabilityQuestionChecksWriteAndMessages) {
    const Msg question = {"You are configuring the GSM module to connect to an NTRIP caster and stream corrections "
                          "everytime the receiver is powered on. This can result in large wireless service fees "
                          "over time.\r\n\r\nDo you wish to continue? ",
                          kDesktop, MessageIcon::None};
    const auto error = [](const char* text) { return Msg{text, kDesktop, MessageIcon::Error}; };
    const Msg port = error("Port number appears invalid. Please check.");
    const Msg address = error("Address appears invalid. Please check.");
    const Msg mount = error("Mount point name appears invalid. Please check.");
    const Msg password = error("Password apears invalid. Please check.");
    const Msg done = {"MRS settings update was successful.", kDesktop, MessageIcon::None};
    const Msg notDone = error("MRS settings update was not successful.");
    const Msg unavailable = error("MRS is only available for GSM modules with an applet version of 3.002 or higher.");
    struct Case {
        const char* name;
        const char* applet;  // as the record holds it
        bool enabled;
        MessageAnswer answer;
        const char *port, *address, *mount, *password;
        bool writeFails;
        MrsResult result;
        std::vector<Msg> messages;
    } cases[] = {
        {"disabled: no question", "3.002", false, MessageAnswer::Yes, "2101", "1.2.3.4", "MP", "pw", false,
         MrsResult::Succeeded, {done}},
        {"enabled", "3.002", true, MessageAnswer::Yes, "2101", "1.2.3.4", "MP", "pw", false, MrsResult::Succeeded,
         {question, done}},
        {"cost declined", "3.002", true, MessageAnswer::No, "2101", "1.2.3.4", "MP", "pw", false,
         MrsResult::Declined, {question}},
        {"old applet", "3.001", true, MessageAnswer::Yes, "2101", "1.2.3.4", "MP", "pw", false,
         MrsResult::NotAvailable, {unavailable}},
        {"port too long", "3.002", false, MessageAnswer::Yes, "123456", "1.2.3.4", "MP", "pw", false,
         MrsResult::Invalid, {port}},
        {"port empty, all wrong", "3.002", false, MessageAnswer::Yes, "", "", "", "", false, MrsResult::Invalid,
         {port}},
        {"short address", "3.002", false, MessageAnswer::Yes, "2101", "1.2.", "", "", false, MrsResult::Invalid,
         {address}},
        {"no mount point", "3.002", false, MessageAnswer::Yes, "2101", "1.2.3.4", "", "", false,
         MrsResult::Invalid, {mount}},
        {"no password", "3.002", true, MessageAnswer::Yes, "2101", "1.2.3.4", "MP", "", false, MrsResult::Invalid,
         {question, password}},
        {"write refused", "3.002", false, MessageAnswer::Yes, "2101", "1.2.3.4", "MP", "pw", true,
         MrsResult::Failed, {notDone}},
        {"port beyond 65535", "3.002", false, MessageAnswer::Yes, "99999", "1.2.3.4", "MP", "pw", false,
         MrsResult::Invalid, {port}},
        {"port 0", "3.002", false, MessageAnswer::Yes, "0", "1.2.3.4", "MP", "pw", false, MrsResult::Invalid, {port}},
        {"line end in the mount point", "3.002", false, MessageAnswer::Yes, "2101", "1.2.3.4", "MP\nNS_PORT:1", "pw",
         false, MrsResult::Invalid,
         {error("The mount point name contains a line break, quote or control character, which the GSM module "
                "cannot store. Please remove it.")}},
        {"escape in the address", "3.002", false, MessageAnswer::Yes, "2101", "1.2.3.4\x1b", "MP", "pw", false,
         MrsResult::Invalid,
         {error("The IP address contains a line break, quote or control character, which the GSM module cannot "
                "store. Please remove it.")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Connected b(Unit("gsm"));
        ASSERT_EQ(b.record.peripheral.kind, kPeripheralGsm);
        std::snprintf(b.record.peripheral.gsm.appletVersion, sizeof b.record.peripheral.gsm.appletVersion, "%s",
                      c.applet);
        if (c.writeFails) b.Module().InjectFault({sim::GsmModuleFault::ErrorReply, 0, 1, applet::WriteNtrip});
        b.op.answers = {c.answer};
        EXPECT_EQ(SubmitMrs(b.ma, b.record, c.enabled, c.port, c.address, c.mount, c.password), c.result);
        b.Settle();
        EXPECT_EQ(Messages(b.op), c.messages);
        const bool written = c.result == MrsResult::Succeeded || c.result == MrsResult::Failed;
        EXPECT_EQ(!b.Sent().empty(), written);
        if (c.result == MrsResult::Succeeded) {
            const sim::SimNtripSettings& n = b.Module().Ntrip();
            EXPECT_EQ(n.casterAddress + " " + n.port + " " + n.mountPoint + " " + n.password + " " + n.onStartup,
                      std::string("1.2.3.4 2101 MP pw ") + (c.enabled ? "1" : "0"));
        }
        if (written) {
            const NtripSourceRecord& r = b.record.peripheral.gsm.ntrip;
            EXPECT_EQ(r.port, 2101);
            EXPECT_STREQ(r.casterAddress, "1.2.3.4");
            EXPECT_EQ(r.enabledOnStartup, c.enabled ? 1 : 0);
        }
    }
}

// The receiver lines and the pass-through traffic of each page's Submit,
// after the connect-time refresh, with their times from the Submit on.
TEST(PageSubmits, TranscriptsMatchGolden) {
    struct Case {
        const char* golden;
        const char* preset;
        std::function<bool(Connected&)> submit;
    } cases[] = {
        // The power, error correction switched off in the radio's menu, the
        // frequency and storing.
        {"uhf_settings_submit.txt", "uhf",
         [](Connected& b) { return SubmitUhfSettings(b.ma, b.record, 5, "450.025", false); }},
        {"gsm_bearer_submit.txt", "gsm",
         [](Connected& b) {
             return SubmitGsmBearer(b.ma, b.record, kBearerGprs, "user", "pw", "internet.apn", "30");
         }},
        {"mrs_submit.txt", "gsm",
         [](Connected& b) {
             return SubmitMrs(b.ma, b.record, true, "2101", "caster.example.com", "MP", "secret") ==
                    MrsResult::Succeeded;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.golden);
        Connected b(Unit(c.preset));
        ASSERT_TRUE(b.refreshed);
        b.link.Record().Clear();
        const sim::SimTime start = b.link.Virtual().Now();
        EXPECT_TRUE(c.submit(b));
        b.link.AdvanceTo(b.link.Virtual().Now() + sim::Ms(500));  // the last answers arrive
        sim::Transcript submit;
        for (const sim::Transcript::Entry& e : b.link.Record().Entries())
            submit.Add(e.at - start, e.kind, e.baud, e.text, e.bytes.data(), e.bytes.size());
        EXPECT_EQ(test::CompareGolden(c.golden, submit.Render()), "");
    }
}

TEST(AtTestMode, CommandFilter) {
    struct Case {
        const char* command;
        bool allowed;
    } cases[] = {
        {"AT&F1", false}, {"at&w", false},     {"ATZ", false},   {"AtF", false},       {"AT&Z0", false},
        {"ATW", false},   {"AT+CSQ", true},    {"AT&V", true},   {"AT+CREG?", true},   {"", true},
        {"ATE0;ATZ", false},
    };
    for (const Case& c : cases) EXPECT_EQ(AtCommandAllowed(c.command), c.allowed) << c.command;
}

TEST(AtTestMode, ALineEndInsideIsNeverSent) {
    Connected b(Unit("gsm"));
    ASSERT_EQ(b.record.peripheral.kind, kPeripheralGsm);
    const size_t before = b.Sent().size();
    char command[1026] = "AT+CSQ\rAT+CFUN=0";
    char result[2048] = "junk";
    RunAtTestCommand(b.ma, command, sizeof command, result, sizeof result);
    b.Settle();
    EXPECT_STREQ(result, "The AT command contains a line break or control character. Please remove it.\r\n");
    EXPECT_EQ(b.Sent().size(), before);
}

TEST(AtTestMode, OutcomeOfASubmit) {
    enum class Module { Answers, Silent, Vanishes };
    struct Case {
        std::string command;
        Module module;
        AtTestResult result;
        bool sent;
    } cases[] = {
        {"AT+CSQ", Module::Answers, AtTestResult::Answered, true},
        {"ATZ", Module::Answers, AtTestResult::Refused, false},
        {"at&w", Module::Answers, AtTestResult::Refused, false},
        {"AT" + std::string(MAReceiver::kMaxAtCommandLength - 1, 'E'), Module::Answers, AtTestResult::TooLong, false},
        {"AT+CSQ", Module::Silent, AtTestResult::NotAnswered, true},
        {"AT+CSQ", Module::Vanishes, AtTestResult::LinkLost, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command + " " + std::to_string(static_cast<int>(c.module)));
        Connected b(sim::MakePreset("gsm"));
        ASSERT_TRUE(b.refreshed);
        if (c.module == Module::Silent) b.Module().Config().atDelay = sim::Ms(20000);
        if (c.module == Module::Vanishes) b.link.VanishAt(b.link.Virtual().Now() + sim::Ms(3500));
        char command[1026];
        std::snprintf(command, sizeof command, "%s", c.command.c_str());
        char result[2048];
        EXPECT_EQ(RunAtTestCommand(b.ma, command, sizeof command, result, sizeof result), c.result);
        EXPECT_EQ(!b.Sent().empty(), c.sent);
        // No answer leaves the reply empty; a lost receiver is said there.
        if (c.result == AtTestResult::NotAnswered) {
            EXPECT_STREQ(result, "");
        }
        if (c.result == AtTestResult::LinkLost) {
            EXPECT_NE(std::string(result).find("stopped answering"), std::string::npos);
        }
    }
}

// ---------------------------------------------------------------- UHF Upgrade page

TEST(UhfUpgradePage, FileChecks) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("qvr_page_actions_" + std::to_string(::getpid()));
    fs::create_directories(dir / "fw.sfo");
    fs::create_directories(dir / "folder.sfo");
    for (const char* name : {"radio.SFO", "radio.Sfo", "radio.sfo", "fw.sfo/radio.bin"})
        std::ofstream(dir / name) << std::string(264, 'i');
    std::ofstream(dir / "empty.sfo");
    std::ofstream(dir / "odd.sfo") << std::string(133, 'i');
    std::ofstream(dir / "huge.sfo");
    fs::resize_file(dir / "huge.sfo", kMaxUhfUpgradeFileBytes + 132);  // sparse: takes no room
    const bool pipes = test::MakeFifo((dir / "pipe.sfo").string());
    const char* missing = "The specified upgrade file does not seem to exist. Please reselect and try again.";
    const char* invalid = "You must select a valid UHF upgrade file.";
    struct Case {
        std::string path;
        const char* message;
    } cases[] = {
        {(dir / "radio.SFO").string(), nullptr},
        {(dir / "radio.sfo").string(), nullptr},
        {(dir / "radio.Sfo").string(), invalid},
        {(dir / "fw.sfo" / "radio.bin").string(), nullptr},  // a substring test on the whole path
        {(dir / "other.sfo").string(), missing},
        {"", missing},
        // Looked at before it is opened: a pipe would block the open for ever.
        {(dir / "pipe.sfo").string(),
         "The specified upgrade file is not a regular file (a pipe or a device?). Please reselect and try again."},
        {(dir / "folder.sfo").string(),
         "The specified upgrade file is a folder, not a file. Please reselect and try again."},
        {(dir / "empty.sfo").string(), "The specified upgrade file is empty. Please reselect and try again."},
        {(dir / "huge.sfo").string(),
         "The specified upgrade file is larger than 1 MB, too large for a UHF radio firmware file. Please reselect "
         "and try again."},
        {(dir / "odd.sfo").string(),
         "The specified upgrade file is not a UHF radio firmware file: its size is not a multiple of 132 bytes. "
         "Please reselect and try again."},
    };
    for (const Case& c : cases) {
        if (!pipes && c.path == (dir / "pipe.sfo").string()) continue;
        const char* message = CheckUhfUpgradeFile(c.path.c_str());
        EXPECT_STREQ(message ? message : "", c.message ? c.message : "") << c.path;
    }
    fs::remove_all(dir);
}
