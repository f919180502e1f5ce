// The data refresh after a connect, against a whole simulated unit in
// virtual time: the radio search steered by the stored peripheral name, the
// user-info record kept in step with what was found, the operator's prompts
// and messages, the serial number and GSM registration steps, and the
// handheld program's differences.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "SimGsmModule.h"
#include "SimUhfRadio.h"
#include "UnitBench.h"

using namespace qvr;
using qvr::test::UnitBench;

namespace {

constexpr const char* kDesktop = "QVR Family Config Tool";
constexpr const char* kHandheld = "QVR Config Tool";
constexpr const char* kNewUhf = "A new UHF radio has been detected and automatically configured.";
constexpr const char* kNewGsm = "A new GSM radio has been detected and automatically configured.";
constexpr const char* kNoPeripheral =
    "No peripheral device was found. Configuration has been automatically updated to reflect this.";
constexpr const char* kCorrected = "Incorrect radio settings were detected and have been automatically corrected.";
constexpr const char* kBusy =
    "A UHF radio was detected in the receiver, however it is currently receiving data which impedes the ability of "
    "this tool to detect its settings. As a result please note the 'Current Frequency' could not be read.\r\n\r\n"
    "If it is desired to read this information, find the source of the transmission and temporarily disable it, "
    "then re-run this tool.";
constexpr const char* kRegistration =
    "Warning: There appears to be a problem with your GSM's network registration. Please check the field "
    "'Network status' in the 'GSM Settings' page for details.";
constexpr const char* kUhfBox = "Update configuration: A UHF radio has been removed from this receiver.";
constexpr const char* kGsmBox = "Update configuration: A GSM radio has been removed from this receiver.";
constexpr const char* kSearching = "Searching for installed radio...";
constexpr const char* kXcomLog = "log xcom1_28 versionb once\r\n";

enum class Fitted { Nothing, Uhf, BusyUhf, Tc65, OtherGsm };

// Texts 3 to 6 of the user-info record: peripheral name, version, flags and
// AUX settings.
using Peripheral = std::array<std::string, 4>;
const Peripheral kEmpty = {"", "", "", ""};
const Peripheral kNone = {"NONE", "", "", ""};
const Peripheral kUhf = {"3AS/PT", "V1.07*", "0000000000000001", "0096N81NNNNN"};
const Peripheral kUhfWrongAux = {"3AS/PT", "V1.07*", "0000000000000001", "1152N81NNNNN"};
const Peripheral kSiemens = {"Siemens", "3.002", "0000000000000000", "1152N81NNNNN"};
const Peripheral kAplicom = {"Aplicom12", "3.001", "0000000000000000", "1152N81NNNNN"};
const Peripheral kOther = {"XDL/PT", "2.0", "0000000000000010", "0384N81NNNNN"};

const char* const kMax = "QVR4100 MAX";
const char* const kMa = "QVR4100 MA";
const char* const kLbx = "QVR1500 LBX";

// A unit of the model, its user-info record holding the stored peripheral
// texts (texts 1, 2 and 7 filled, so that their preservation shows), and
// the radio fitted to its AUX port.
std::unique_ptr<sim::SimUnit> MakeUnit(const std::string& model, const Peripheral& stored, Fitted fitted,
                                       const std::string& serial = "QV410002317") {
    sim::ReceiverConfig config;
    for (sim::VersionComponent& c : config.components) {
        if (c.type == sim::component::Enclosure) {
            c.texts[0] = model;
            c.texts[1] = serial;
        }
        if (c.type == sim::component::UserAppAuto) c.texts[0] = model;
        if (c.type == sim::component::UserInfo)
            c.texts = {"Surveyor", "Site 7", stored[0], stored[1], stored[2], stored[3], "00-02-1"};
    }
    auto unit = std::make_unique<sim::SimUnit>(config);
    sim::UhfRadioConfig busy;
    busy.busy = true;
    sim::GsmModuleConfig other;
    other.productName = "RX-9";
    other.appletVersion = "3.001";
    switch (fitted) {
    case Fitted::Nothing: break;
    case Fitted::Uhf: unit->Fit(std::make_unique<sim::SimUhfRadio>()); break;
    case Fitted::BusyUhf: unit->Fit(std::make_unique<sim::SimUhfRadio>(busy)); break;
    case Fitted::Tc65: unit->Fit(std::make_unique<sim::SimGsmModule>()); break;
    case Fitted::OtherGsm: unit->Fit(std::make_unique<sim::SimGsmModule>(other)); break;
    }
    return unit;
}

std::string UserInfoLine(const Peripheral& p) {
    return "setversioninfo userinfo \"Surveyor\" \"Site 7\" \"" + p[0] + "\" \"" + p[1] + "\" \"" + p[2] + "\" \"" +
           p[3] + "\" \"00-02-1\"\r\n";
}

using Msg = test::ShownMessage;
std::vector<Msg> Messages(const test::RecordingOperator& op) { return op.Shown(); }

Peripheral Stored(const UnitBench& b) {
    const sim::VersionComponent* c = b.Component(sim::component::UserInfo);
    return {c->texts[2], c->texts[3], c->texts[4], c->texts[5]};
}

std::vector<std::string> Starting(const std::vector<std::string>& lines, const std::string& head) {
    std::vector<std::string> out;
    for (const std::string& l : lines)
        if (l.rfind(head, 0) == 0) out.push_back(l);
    return out;
}

// Which radio the search asked for first: 'U' the UHF radio (user output 1
// high), 'G' the GSM module's applet (low), '-' none.
char FirstSearch(const std::vector<std::string>& lines) {
    for (const std::string& l : lines) {
        if (l == "appcontrol USERGPIO 1 1\r\n") return 'U';
        if (l == "appcontrol USERGPIO 1 0\r\n") return 'G';
    }
    return '-';
}

bool Has(const std::vector<std::string>& list, const std::string& text) {
    return std::find(list.begin(), list.end(), text) != list.end();
}

} // namespace

TEST(UpdateAllData, PeripheralSearchAndUserInfoRecord) {
    struct Scenario {
        const char* name;
        const char* model;
        Peripheral stored;
        Fitted fitted;
        std::vector<bool> removed;  // the radio-not-found check box, per prompt
        int32_t kind;
        char first;
        std::vector<std::string> prompts;
        std::vector<std::string> auxRestore;  // "com aux" lines with the stored AUX text
        std::vector<Peripheral> writes;       // user-info records written, in order
        Peripheral after;
        int xcomLogs;
        std::vector<Msg> messages;
    } scenarios[] = {
        {"Siemens stored, a UHF radio fitted", kMax, kSiemens, Fitted::Uhf, {},
         1, 'G', {}, {}, {kUhf}, kUhf, 0, {{kNewUhf, kDesktop, MessageIcon::None}}},
        {"3AS/PT stored and found", kMax, kUhf, Fitted::Uhf, {},
         1, 'U', {}, {}, {kUhf}, kUhf, 0, {}},
        {"3AS/PT stored with the GSM rate", kMax, kUhfWrongAux, Fitted::Uhf, {},
         1, 'U', {}, {}, {kUhf}, kUhf, 0, {{kCorrected, kDesktop, MessageIcon::None}}},
        {"3AS/PT stored, radio busy receiving", kMax, kUhf, Fitted::BusyUhf, {},
         1, 'U', {}, {}, {kUhf}, kUhf, 0, {{kBusy, kDesktop, MessageIcon::Exclamation}}},
        {"3AS/PT stored, nothing, box left empty", kMax, kUhf, Fitted::Nothing, {false},
         0, 'U', {kUhfBox}, {"com aux 0096N81NNNNN\r\n"}, {}, kUhf, 0, {}},
        {"3AS/PT stored, nothing, box ticked", kMax, kUhf, Fitted::Nothing, {true},
         0, 'U', {kUhfBox}, {"com aux 0096N81NNNNN\r\n"}, {kEmpty}, kEmpty, 0,
         {{kNoPeripheral, kDesktop, MessageIcon::None}}},
        {"3AS/PT stored, a TC65 fitted", kMax, kUhf, Fitted::Tc65, {},
         2, 'U', {}, {}, {kSiemens}, kSiemens, 0, {{kNewGsm, kDesktop, MessageIcon::None}}},
        {"Siemens stored and found", kMax, kSiemens, Fitted::Tc65, {},
         2, 'G', {}, {}, {kSiemens}, kSiemens, 0, {}},
        {"Siemens stored, the other GSM module fitted", kMax, kSiemens, Fitted::OtherGsm, {},
         2, 'G', {}, {}, {kAplicom}, kAplicom, 0, {{kNewGsm, kDesktop, MessageIcon::None}}},
        {"Aplicom12 stored, nothing, box left empty", kMax, kAplicom, Fitted::Nothing, {false},
         0, 'G', {kGsmBox}, {"com aux 1152N81NNNNN\r\n"}, {}, kAplicom, 0, {}},
        {"Aplicom12 stored, nothing, box ticked", kMax, kAplicom, Fitted::Nothing, {true},
         0, 'G', {kGsmBox}, {"com aux 1152N81NNNNN\r\n"}, {kEmpty}, kEmpty, 0,
         {{kNoPeripheral, kDesktop, MessageIcon::None}}},
        {"another radio stored, nothing", kMax, kOther, Fitted::Nothing, {},
         0, 'U', {}, {"com aux 0384N81NNNNN\r\n"}, {}, kOther, 0, {}},
        {"empty name, a UHF radio found", kMax, kEmpty, Fitted::Uhf, {},
         1, 'U', {}, {}, {kNone, kUhf}, kUhf, 1, {{kNewUhf, kDesktop, MessageIcon::None}}},
        {"empty name, nothing", kMax, kEmpty, Fitted::Nothing, {},
         0, 'U', {}, {}, {kNone, kEmpty}, kEmpty, 2, {}},
        {"QVR1500 LBX, empty name", kLbx, kEmpty, Fitted::Uhf, {},
         0, '-', {}, {}, {kNone, kEmpty}, kEmpty, 2, {}},
        {"QVR1500 LBX, 3AS/PT stored", kLbx, kUhf, Fitted::Uhf, {},
         0, '-', {}, {}, {}, kUhf, 0, {}},
    };
    for (const Scenario& s : scenarios) {
        SCOPED_TRACE(s.name);
        UnitBench b(MakeUnit(s.model, s.stored, s.fitted));
        b.op.radioRemovedAnswers.assign(s.removed.begin(), s.removed.end());
        b.OpenLink();
        ReceiverData record{};
        ASSERT_TRUE(b.ma.UpdateAllData(record, nullptr));
        b.Settle();

        const std::vector<std::string> lines = b.Lines();
        std::vector<std::string> writes;
        for (const Peripheral& p : s.writes) writes.push_back(UserInfoLine(p));
        EXPECT_EQ(Starting(lines, "setversioninfo userinfo"), writes);
        std::vector<std::string> restore;
        for (const std::string& l : Starting(lines, "com aux "))
            if (l != "com aux 9600\r\n" && l != "com aux 115200\r\n") restore.push_back(l);
        EXPECT_EQ(restore, s.auxRestore);
        EXPECT_EQ(b.Count(kXcomLog), s.xcomLogs);
        EXPECT_EQ(FirstSearch(lines), s.first);
        EXPECT_EQ(Has(b.op.statusTexts, kSearching), s.first != '-');
        EXPECT_EQ(b.op.prompts, s.prompts);
        EXPECT_EQ(Messages(b.op), s.messages);
        EXPECT_EQ(Stored(b), s.after);
        EXPECT_EQ(b.ma.Peripheral().kind, s.kind);
        EXPECT_EQ(record.peripheral.kind, s.kind);
        EXPECT_EQ(record.info.peripheralName, s.stored[0]);  // as read at the start
        EXPECT_TRUE(Has(lines, "unlog passauxb\r\n"));
    }
}

TEST(UpdateAllData, StatusTextsAndTrace) {
    struct Case {
        const char* model;
        Fitted fitted;
        std::vector<std::string> statuses;
    } cases[] = {
        {kMax, Fitted::Uhf,
         {"Retrieving receiver settings...", "Retrieving audio settings...", "Retrieving device settings...",
          kSearching, "Retrieving UHF settings..."}},
        {kMax, Fitted::Tc65,
         {"Retrieving receiver settings...", "Retrieving audio settings...", "Retrieving device settings...",
          kSearching, "Retrieving GSM settings..."}},
        {kLbx, Fitted::Uhf,
         {"Retrieving receiver settings...", "Retrieving audio settings...", "Retrieving device settings..."}},
    };
    for (const Case& c : cases) {
        UnitBench b(MakeUnit(c.model, kEmpty, c.fitted));
        b.OpenLink();
        ReceiverData record{};
        test::RecordingOperator status;  // a status window of the caller's own
        ASSERT_TRUE(b.ma.UpdateAllData(record, &status));
        EXPECT_EQ(status.statusTexts, c.statuses) << c.model;
        EXPECT_TRUE(b.op.statusTexts.empty());
        EXPECT_EQ(b.trace.Count("MAReceiver::UpdateAllData succeeded\r\n"), 1);
    }
}

TEST(UpdateAllData, FailuresKeepThePreviousRecord) {
    enum class Fault { VersionLog, Audio };
    struct Case {
        Fault fault;
        Variant variant;
        bool infoRead;
        const char* trace;
        bool infoCopied;  // the handheld still copies the identity
    } cases[] = {
        {Fault::VersionLog, Variant::Desktop, false, "UpdateReceiverInfo failed: Returning UpdateAllData false\r\n", false},
        {Fault::VersionLog, Variant::Handheld, false, "UpdateReceiverInfo failed: Returning UpdateAllData false\r\n", false},
        {Fault::Audio, Variant::Desktop, true, "UpdateAudioInfo failed: Returning UpdateAllData false\r\n", false},
        {Fault::Audio, Variant::Handheld, true, "UpdateAudioInfo failed: Returning UpdateAllData false\r\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.trace);
        UnitBench b(MakeUnit(kMax, kUhf, Fitted::Uhf), c.variant);
        if (c.fault == Fault::VersionLog) b.unit->receiver.InjectFault(sim::FrameFault::LostFrame, 10);
        else b.unit->audio.Audio().audioDefaultsId = 999;  // another firmware's log
        b.OpenLink();
        ReceiverData record{};
        std::snprintf(record.info.serialNumber, sizeof record.info.serialNumber, "OLD00000000");
        record.peripheral.kind = kPeripheralGsm;
        record.audio.volume = 6;
        bool infoRead = !c.infoRead;
        EXPECT_FALSE(b.ma.UpdateAllData(record, nullptr, &infoRead));
        EXPECT_EQ(infoRead, c.infoRead);
        EXPECT_EQ(b.trace.Count(c.trace), 1);
        EXPECT_STREQ(record.info.serialNumber, c.infoCopied ? "QV410002317" : "OLD00000000");
        EXPECT_EQ(record.peripheral.kind, kPeripheralGsm);
        EXPECT_EQ(record.audio.volume, 6);
        EXPECT_FALSE(Has(b.Lines(), "comvout aux on\r\n")) << "no radio search";
    }
}

TEST(UpdateAllData, SerialNumberStep) {
    struct Case {
        const char* name;
        const char* model;
        Variant variant;
        const char* read;
        std::vector<std::string> entered;  // none: the prompt is cancelled
        bool prompted;
        const char* written;  // into the enclosure entry, or nullptr
        const char* kept;     // the identity's and the record's number afterwards
    } cases[] = {
        {"5 characters, a number entered", kMax, Variant::Desktop, "QV410", {"QV410009999"}, true, "QV410009999",
         "QV410009999"},
        {"any 11 characters", kMa, Variant::Desktop, "QV410", {"qv4100 9999"}, true, "qv4100 9999", "qv4100 9999"},
        {"prompt cancelled", kMax, Variant::Desktop, "QV410", {}, true, nullptr, "QV410"},
        {"12 characters returned", kMax, Variant::Desktop, "QV410", {"QV4100099999"}, true, nullptr, "QV410"},
        // The write is refused (a quote cannot be sent): the number read
        // from this receiver stays, not the previous record's.
        {"write fails", kMax, Variant::Desktop, "QV410", {"QV41\"009999"}, true, nullptr, "QV410"},
        {"empty", kMax, Variant::Desktop, "", {"QV410009999"}, true, "QV410009999", "QV410009999"},
        {"12 characters read", kMax, Variant::Desktop, "QV4100023170", {}, true, nullptr, "QV4100023170"},
        {"11 characters read", kMax, Variant::Desktop, "QV410002317", {"QV410009999"}, false, nullptr,
         "QV410002317"},
        {"handheld", kMax, Variant::Handheld, "QV410", {"QV410009999"}, false, nullptr, "QV410"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UnitBench b(MakeUnit(c.model, kUhf, Fitted::Uhf, c.read), c.variant);
        b.op.enclosureSerials.assign(c.entered.begin(), c.entered.end());
        b.OpenLink();
        ReceiverData record{};
        std::snprintf(record.info.serialNumber, sizeof record.info.serialNumber, "OLD00000000");
        ASSERT_TRUE(b.ma.UpdateAllData(record, nullptr));
        b.Settle();

        EXPECT_EQ(b.op.prompts, c.prompted ? std::vector<std::string>{"enclosure"} : std::vector<std::string>{});
        const std::string serial = c.written ? c.written : c.read;
        std::vector<std::string> enclosure;
        const std::string rest = "\" \"REV C\" \"0\" \"0\" \"2025/Mar/14\" \"08:15:00\"\r\n";
        if (c.written) enclosure.push_back("setversioninfo ENCLOSURE \"" + std::string(c.model) + "\" \"" + serial + rest);
        // Every refresh of a QVR4100 MAX writes its model.
        if (c.model == kMax) enclosure.push_back("setversioninfo ENCLOSURE \"QVR4100 MAX\" \"" + serial + rest);
        EXPECT_EQ(Starting(b.Lines(), "setversioninfo ENCLOSURE"), enclosure);
        EXPECT_EQ(b.Component(sim::component::Enclosure)->texts[1], serial);
        EXPECT_STREQ(b.ma.Info().serialNumber, c.kept);
        EXPECT_STREQ(record.info.serialNumber, c.kept);
    }
}

TEST(UpdateAllData, GsmRegistration) {
    // The module's answers to the first and to any later "AT+CREG?".
    struct Case {
        Variant variant;
        std::string first, later;
        int32_t state;
        int questions;
        bool warned;
    } cases[] = {
        {Variant::Desktop, "+CREG: 0,0", "+CREG: 0,1", 0, 1, true},
        {Variant::Desktop, "ERROR", "ERROR", 6, 2, false},  // not read twice: 6
        {Variant::Desktop, "ERROR", "+CREG: 0,3", 3, 2, true},
        {Variant::Desktop, "ERROR", "+CREG: 0,5", 5, 2, false},
        {Variant::Desktop, "+CREG: 0,1", "+CREG: 0,3", 1, 1, false},
        {Variant::Desktop, "+CREG: 0,5", "+CREG: 0,3", 5, 1, false},
        {Variant::Desktop, "+CREG: 0,2", "+CREG: 0,1", 2, 1, true},
        {Variant::Handheld, "+CREG: 0,3", "+CREG: 0,3", 3, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first + " then " + c.later);
        auto unit = MakeUnit(kMax, kSiemens, Fitted::Nothing);
        sim::GsmModuleConfig config;
        config.cregLine = c.first;
        sim::SimGsmModule& module = unit->Fit(std::make_unique<sim::SimGsmModule>(config));
        const auto asked = [&module] {
            const auto& lines = module.AtLines();
            return static_cast<int>(std::count(lines.begin(), lines.end(), "AT+CREG?"));
        };
        // Once the first question is answered, the module answers differently.
        unit->receiver.OnAnyCommand([&module, &c, asked](const sim::SimReceiver::Tokens&) {
            if (asked() >= 1) module.Config().cregLine = c.later;
        });
        UnitBench b(std::move(unit), c.variant);
        b.OpenLink();
        ReceiverData record{};
        ASSERT_TRUE(b.ma.UpdateAllData(record, nullptr));
        EXPECT_EQ(asked(), c.questions);
        EXPECT_EQ(b.ma.Peripheral().gsm.registrationState, c.state);
        EXPECT_EQ(record.peripheral.gsm.registrationState, c.state);
        const char* caption = c.variant == Variant::Handheld ? kHandheld : kDesktop;
        std::vector<Msg> expected;
        if (c.warned) expected.push_back({kRegistration, caption, MessageIcon::Warning});
        EXPECT_EQ(Messages(b.op), expected);
    }
}

TEST(UpdateAllData, HandheldSendsExtControlAfterALongerPause) {
    for (Variant variant : {Variant::Desktop, Variant::Handheld}) {
        UnitBench b(MakeUnit(kMax, kUhf, Fitted::Uhf), variant);
        b.OpenLink();
        ReceiverData record{};
        ASSERT_TRUE(b.ma.UpdateAllData(record, nullptr));
        const bool handheld = variant == Variant::Handheld;
        std::vector<std::string> start = b.TimedLines();
        start.resize(2);
        EXPECT_EQ(start[0], "+0 unlogall\r\n");
        EXPECT_EQ(start[1] == "+400 extcontrol\r\n", handheld) << start[1];
        EXPECT_EQ(b.Count("extcontrol\r\n"), handheld ? 1 : 0);
    }
}

TEST(UpdateAllData, HandheldTellsInsteadOfAskingAndNeverClears) {
    struct Case {
        Peripheral stored;
        Fitted fitted;
        int32_t kind;
        std::vector<Peripheral> writes;
        std::vector<Msg> messages;
    } cases[] = {
        {kUhf, Fitted::Nothing, 0, {},
         {{"A UHF radio is reported to be in this receiver, however the config tool was unable to find it.",
           kSearching, MessageIcon::Warning}}},
        {kSiemens, Fitted::Nothing, 0, {},
         {{"Receiver configuration indicates the presence of a GSM radio, however none was detected.", kSearching,
           MessageIcon::Warning}}},
        {kEmpty, Fitted::Uhf, 1, {kNone, kUhf}, {{kNewUhf, kHandheld, MessageIcon::None}}},
        {kUhfWrongAux, Fitted::Uhf, 1, {kUhf}, {{kCorrected, kHandheld, MessageIcon::None}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored[0]);
        UnitBench b(MakeUnit(kMax, c.stored, c.fitted, "QV410"), Variant::Handheld);
        b.op.radioRemovedAnswers = {true, true};  // would clear, if asked
        b.OpenLink();
        ReceiverData record{};
        ASSERT_TRUE(b.ma.UpdateAllData(record, nullptr));
        EXPECT_TRUE(b.op.prompts.empty());
        EXPECT_FALSE(b.ma.RadioRemovalConfirmed());
        std::vector<std::string> writes;
        for (const Peripheral& p : c.writes) writes.push_back(UserInfoLine(p));
        EXPECT_EQ(Starting(b.Lines(), "setversioninfo userinfo"), writes);
        EXPECT_EQ(Messages(b.op), c.messages);
        EXPECT_EQ(record.peripheral.kind, c.kind);
    }
}

TEST(UpdateAllData, ARemovalConfirmedForOneReceiverClearsNoOther) {
    // The operator confirms that the UHF radio of the first receiver was
    // removed; the same program then connects to a receiver configured for
    // a radio the tool does not know, with nothing answering on its AUX port.
    UnitBench b(MakeUnit(kMax, kUhf, Fitted::Nothing));
    b.op.radioRemovedAnswers = {true};
    b.OpenLink();
    ReceiverData record{};
    ASSERT_TRUE(b.ma.UpdateAllData(record, nullptr));
    b.Settle();
    ASSERT_EQ(Stored(b), kEmpty);
    ASSERT_TRUE(b.ma.RadioRemovalConfirmed());

    b.unit->receiver.Components()[3].texts = {"Surveyor", "Site 7", kOther[0], kOther[1], kOther[2], kOther[3],
                                              "00-02-1"};
    b.op.messages.clear();
    const size_t from = b.LineCount();
    ASSERT_TRUE(b.ma.UpdateAllData(record, nullptr));
    b.Settle();
    EXPECT_EQ(Stored(b), kOther);
    EXPECT_TRUE(Starting(b.Lines(from), "setversioninfo userinfo").empty());
    EXPECT_TRUE(b.op.messages.empty());
    EXPECT_FALSE(b.ma.RadioRemovalConfirmed());
}

TEST(WritePeripheralPlaceholder, RecordLogAndSupplyWithTheirPauses) {
    struct Case {
        bool placeholder;
        std::vector<std::string> lines;  // from the record write on
        double seconds;                  // from the record write to the return
    } cases[] = {
        {true,
         {"+0 " + UserInfoLine({"NONE", kUhf[1], kUhf[2], kUhf[3]}), "+200 " + std::string(kXcomLog),
          "+1400 comvout aux on\r\n"},
         4.6},
        {false, {"+0 " + UserInfoLine({"", kUhf[1], kUhf[2], kUhf[3]}), "+200 " + std::string(kXcomLog)}, 1.4},
    };
    for (const Case& c : cases) {
        UnitBench b(MakeUnit(kMax, kUhf, Fitted::Nothing));
        b.OpenLink();
        EXPECT_TRUE(b.ma.WritePeripheralPlaceholder(c.placeholder));
        ASSERT_EQ(b.Lines().front(), "log versionb\r\n");
        EXPECT_EQ(b.TimedLines(1), c.lines);
        const auto& entries = b.link.Record().Entries();
        const auto write = std::find_if(entries.begin(), entries.end(), [](const sim::Transcript::Entry& e) {
            return e.kind == sim::Transcript::Kind::HostSent && e.bytes[0] == 's';
        });
        EXPECT_DOUBLE_EQ(b.Seconds() - static_cast<double>(write->at) / 1e9, c.seconds);
    }
}

TEST(WriteUserInfoPeripheral, NothingWithoutAUserInfoEntry) {
    for (int op = 0; op < 3; ++op) {
        UnitBench b(MakeUnit(kMax, kUhf, Fitted::Nothing));
        auto& list = b.unit->receiver.Components();
        list.erase(list.begin() + 3);  // the user-info entry
        b.OpenLink();
        b.ma.Peripheral().kind = kPeripheralUhf;
        const bool ok = op == 0 ? b.ma.WriteUserInfoPeripheral() : b.ma.WritePeripheralPlaceholder(op == 1);
        EXPECT_FALSE(ok);
        EXPECT_EQ(b.Lines(), std::vector<std::string>{"log versionb\r\n"});
        EXPECT_TRUE(b.op.messages.empty());
    }
}

TEST(WriteUserInfoPeripheral, NoRadioWritesOnlyAfterAConfirmedRemoval) {
    for (bool confirmed : {false, true}) {
        UnitBench b(MakeUnit(kMax, kUhf, Fitted::Nothing));
        b.OpenLink();
        b.ma.SetRadioRemovalConfirmed(confirmed);
        EXPECT_EQ(b.ma.WriteUserInfoPeripheral(), confirmed);
        EXPECT_EQ(Starting(b.Lines(), "setversioninfo"),
                  confirmed ? std::vector<std::string>{UserInfoLine(kEmpty)} : std::vector<std::string>{});
    }
}

TEST(WriteUserInfoPeripheral, UnquotableRadioAndRecordTextsAreCleanedNotRefused) {
    struct Case {
        int kind;
        const char* version;  // as the radio supplied it
        const char* peripheral;
        const char* written;  // the version text as written
    } cases[] = {
        {kPeripheralUhf, "V1.\"07\r", "3AS/PT", "V1.07*"},
        {kPeripheralGsm, "3.\x01" "001\"", "Aplicom12", "3.001"},
    };
    for (const Case& c : cases) {
        UnitBench b(MakeUnit(kMax, kEmpty, Fitted::Nothing));
        for (sim::VersionComponent& v : b.unit->receiver.Components())
            if (v.type == sim::component::UserInfo) v.texts[0] = "Sur\"vey\tor";
        b.OpenLink();
        b.ma.Peripheral().kind = c.kind;
        if (c.kind == kPeripheralUhf)
            std::snprintf(b.ma.Peripheral().uhf.firmwareVersion, sizeof b.ma.Peripheral().uhf.firmwareVersion, "%s",
                          c.version);
        else
            std::snprintf(b.ma.Peripheral().gsm.appletVersion, sizeof b.ma.Peripheral().gsm.appletVersion, "%s",
                          c.version);
        EXPECT_TRUE(b.ma.WriteUserInfoPeripheral()) << c.peripheral;
        const std::string flags = c.kind == kPeripheralUhf ? "0000000000000001" : "0000000000000000";
        const std::string aux = c.kind == kPeripheralUhf ? "0096N81NNNNN" : "1152N81NNNNN";
        EXPECT_EQ(Starting(b.Lines(), "setversioninfo"),
                  std::vector<std::string>{"setversioninfo userinfo \"Surveyor\" \"Site 7\" \"" +
                                           std::string(c.peripheral) + "\" \"" + c.written + "\" \"" + flags +
                                           "\" \"" + aux + "\" \"00-02-1\"\r\n"})
            << c.peripheral;
        EXPECT_TRUE(b.trace.Contains("WriteUserInfoPeripheral - removed quotes or control characters: Surveyor"))
            << c.peripheral;
    }
}
