// The UHF radio's command set against the simulated receiver with the
// simulated radio on its AUX port, in virtual time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Golden.h"
#include "SimAuxPort.h"
#include "SimBench.h"
#include "SimUhfRadio.h"

using namespace qvr;
using qvr::test::SimBench;

namespace {

// The "sendhex" line that carries a radio text.
std::string Hex(const std::string& text) {
    std::string line = "sendhex AUX " + std::to_string(text.size()) + " ";
    char digits[3];
    for (unsigned char c : text) {
        std::snprintf(digits, sizeof digits, "%02x", c);
        line += digits;
    }
    return line + "\r\n";
}

const std::string kRtsLow = "comcontrol aux rts forcelow\r\n";
const std::string kRtsHigh = "comcontrol aux rts forcehigh\r\n";
const std::string kCommandMode = "appcontrol USERGPIO 2 1\r\n";
const std::string kMenuMode = "appcontrol USERGPIO 2 0\r\n";

struct UhfBench : SimBench {
    explicit UhfBench(sim::UhfRadioConfig config = {}, Variant variant = Variant::Desktop)
        : SimBench({}, variant), radio(std::move(config)) {
        aux.AttachDevice(&radio);
        EXPECT_TRUE(ma.Connect("COM1"));
        // What the peripheral search does before it looks for a radio, and
        // the radio selected in command mode at 9600 as a retrieval leaves it.
        for (const char* line : {"comvout aux on\r\n", "log passauxb onnew\r\n", "appcontrol USERGPIO 1 1\r\n",
                                 "appcontrol USERGPIO 2 1\r\n", "com aux 9600\r\n"})
            ma.SendCommand(line);
    }
    // A radio found and read, the bench ready for the page operations.
    void Detected() {
        ASSERT_TRUE(ma.DetectUhfRadio());
        ASSERT_EQ(ma.Peripheral().kind, kPeripheralUhf);
    }
    const UhfBlock& Uhf() { return ma.Peripheral().uhf; }

    sim::SimAuxPort aux{receiver};
    sim::SimUhfRadio radio;
};

// Pass-through logs (690) the receiver sent to the host.
int PassThroughFrames(const sim::Transcript& record) {
    int frames = 0;
    for (const auto& e : record.Entries())
        if (e.kind == sim::Transcript::Kind::ReceiverSent && e.bytes.size() > 6 && e.bytes[0] == 0xAA &&
            e.bytes[4] == (logid::PassAux & 0xFF) && e.bytes[5] == (logid::PassAux >> 8))
            ++frames;
    return frames;
}

sim::UhfRadioConfig Radio(void (*change)(sim::UhfRadioConfig&)) {
    sim::UhfRadioConfig config;
    change(config);
    return config;
}

} // namespace

TEST(UhfNumbers, BandLimitsSnapToAWholeKilohertz) {
    struct Case {
        double read, stored;
    } cases[] = {
        {403.99375, 404.0},    // one step up
        {449.99375, 450.0},    //
        {450.00625, 450.025},  // on the 250 Hz grid: three steps up
        {450.0125, 450.025},     // two steps up
        {430.05, 430.05},        // a whole kilohertz already
        {430.0501, 430.0501},    // off the 250 Hz grid: as read
        {512.29375, 512.3},      // 512.29375 x 1000000 is 512293749.99.. in binary
        {0.0, 0.0},
    };
    for (const Case& c : cases) {
        // Exactly the value a limit typed as text reads as.
        EXPECT_EQ(MAReceiver::SnapBandLimit(c.read), c.stored) << c.read;
    }
}

TEST(UhfNumbers, TheRadioNumberFormat) {
    struct Case {
        const char* text;
        size_t maxChars;
        double decimal;
        long integer;
    } cases[] = {
        {"450.012500\r\n", SIZE_MAX, 450.0125, 450},
        {"  -12.5kHz", SIZE_MAX, -12.5, -12},
        {"+7", SIZE_MAX, 7, 7},
        {"1e5", SIZE_MAX, 1, 1},          // no exponent
        {"0x10", SIZE_MAX, 0, 0},         // no hexadecimal
        {"ERROR", SIZE_MAX, 0, 0},
        {"", SIZE_MAX, 0, 0},
        {"403.9937500001", 10, 403.99375, 403},  // the first 10 characters
        {"12.5 ", 4, 12.5, 12},
        {"1.2.3", SIZE_MAX, 1.2, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MAReceiver::ReadDecimal(c.text, c.maxChars), c.decimal) << c.text;
        EXPECT_EQ(MAReceiver::ReadInteger(c.text, c.maxChars), c.integer) << c.text;
    }
    EXPECT_EQ(MAReceiver::FrequencyHz(512.1125), 512112500);
    EXPECT_EQ(MAReceiver::FrequencyHz(450.00625), 450006250);
}

TEST(DetectUhfRadio, TranscriptOfARetrieval) {
    UhfBench b;
    b.Settle();
    b.link.Record().Clear();
    const size_t before = b.LineCount();
    const double start = b.Seconds();
    ASSERT_TRUE(b.ma.DetectUhfRadio());
    EXPECT_EQ(b.Lines(before),
              (std::vector<std::string>{
                  "appcontrol USERGPIO 1 1\r\n", kCommandMode, "com aux 9600\r\n", kRtsLow,
                  "sendhex AUX 7 534c25563f0d0a\r\n",                                    // SL%V?
                  kMenuMode, "sendhex AUX 3 370d0a\r\n", kCommandMode,                   // error correction
                  Hex("SL&C?\r\n"), Hex("SL&F?\r\n"), Hex("SL@P?\r\n"), Hex("SL!V?\r\n"),  //
                  Hex("SL!D?\r\n"), Hex("SL!U?\r\n"), Hex("SL!W?\r\n"), Hex("SL!Y?\r\n"), Hex("SL@R?\r\n"),
                  kRtsHigh}));
    const UhfBlock& u = b.Uhf();
    EXPECT_STREQ(u.firmwareVersion, "V1.07");
    EXPECT_STREQ(u.txPower, "500\r\n");  // the reply keeps its line end
    EXPECT_STREQ(u.moduleName, "SL 450 MHz\r\n");
    EXPECT_EQ(u.centerFrequency, 450.0);
    EXPECT_EQ(u.currentFrequency, 450.0125);
    EXPECT_EQ(u.range1Lower, 403.0);
    EXPECT_EQ(u.range1Upper, 430.0);
    EXPECT_EQ(u.range2Lower, 430.0);
    EXPECT_EQ(u.range2Upper, 473.0);
    EXPECT_EQ(u.errorCorrection, 1);
    EXPECT_STREQ(u.deviceText, "");  // desktop: handheld fields untouched
    EXPECT_EQ(b.ma.Peripheral().kind, kPeripheralUhf);
    EXPECT_EQ(b.op.statusTexts, std::vector<std::string>{"Retrieving UHF settings..."});
    EXPECT_TRUE(b.op.messages.empty());
    b.Settle();
    EXPECT_TRUE(b.aux.Lines().rtsHigh);
    EXPECT_TRUE(b.aux.Lines().gpio2) << "back in command mode";
    // 9 questions of about 1.3 s (purge, command, one log read), the menu
    // read of 3.3 s, 5 more commands and a purge.
    EXPECT_NEAR(b.Seconds() - start, 18.5, 0.05);
    EXPECT_EQ(qvr::test::CompareGolden("uhf_detect.txt", b.link.Record().Render()), "");
}

TEST(DetectUhfRadio, FirmwareAnswersAndDevicesThatAreNoRadio) {
    struct Case {
        const char* name;
        sim::UhfRadioConfig radio;
        bool found;
        const char* firmware;
    } cases[] = {
        {"plain", {}, true, "V1.07"},
        {"doubled", Radio([](auto& r) { r.firmwareAnswer = sim::FirmwareAnswer::Doubled; }), true, "V1.07"},
        {"trailing blank", Radio([](auto& r) { r.firmwareAnswer = sim::FirmwareAnswer::TrailingBlank; }), true,
         "V1.07"},
        {"two characters", Radio([](auto& r) { r.firmware = "AB"; }), true, "AB"},
        {"every answer doubled", Radio([](auto& r) { r.doubledAnswers = true; }), true, "V1.07"},
        {"echo only", Radio([](auto& r) { r.echoOnly = true; }), false, "SL%V?\r\n"},
        {"silent", Radio([](auto& r) { r.firmware = ""; }), false, ""},
    };
    for (const Case& c : cases) {
        UhfBench b(c.radio);
        EXPECT_EQ(b.ma.DetectUhfRadio(), c.found) << c.name;
        EXPECT_EQ(b.ma.Peripheral().kind, c.found ? kPeripheralUhf : kPeripheralNone) << c.name;
        if (c.found) {
            EXPECT_STREQ(b.Uhf().firmwareVersion, c.firmware) << c.name;
        } else {
        // Without a radio: nothing after the first question but RTS high.
            EXPECT_EQ(b.Lines(b.LineCount() - 2), (std::vector<std::string>{Hex("SL%V?\r\n"), kRtsHigh})) << c.name;
        }
    }
}

TEST(DetectUhfRadio, BusyRadioIsInterruptedWarnedAboutAndPowerCycled) {
    for (Variant variant : {Variant::Desktop, Variant::Handheld}) {
        UhfBench b(Radio([](auto& r) { r.busy = true; }), variant);
        const size_t before = b.LineCount();
        ASSERT_TRUE(b.ma.DetectUhfRadio());
        const UhfBlock& u = b.Uhf();
        EXPECT_EQ(u.centerFrequency, 450.0) << "read again after the interrupt";
        EXPECT_EQ(u.currentFrequency, 0.0) << "not read again";
        EXPECT_STREQ(u.firmwareVersion, "V1.07");
        EXPECT_EQ(u.range2Upper, 473.0);
        ASSERT_EQ(b.op.messages.size(), 1u);
        const auto& m = b.op.messages[0];
        EXPECT_EQ(m.icon, MessageIcon::Exclamation);
        EXPECT_EQ(m.caption, variant == Variant::Desktop ? "QVR Family Config Tool" : "QVR Config Tool");
        EXPECT_EQ(m.text.rfind("A UHF radio was detected in the receiver, however it is currently receiving data", 0),
                  0u);
        EXPECT_NE(m.text.find("'Current Frequency' could not be read.\r\n\r\nIf it is desired"), std::string::npos);

        const std::vector<std::string> lines = b.Lines(before);
        const std::string interrupt = Hex("SL&+=29\r\n");
        EXPECT_EQ(std::count(lines.begin(), lines.end(), interrupt), 5);
        // The interrupt follows the unanswered current-frequency question;
        // the power cycle comes after the last question, before RTS high.
        auto at = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) - lines.begin(); };
        EXPECT_LT(at(Hex("SL&F?\r\n")), at(interrupt));
        const std::vector<std::string> tail(lines.end() - 4, lines.end());
        EXPECT_EQ(tail, (std::vector<std::string>{Hex("SL@R?\r\n"), "comvout aux off\r\n", "comvout aux on\r\n",
                                                  kRtsHigh}));
        b.Settle();
        EXPECT_EQ(b.radio.PowerUps(), 1);
    }
}

TEST(DetectUhfRadio, HandheldReadsSpacingProtocolModeAndDeviceText) {
    struct Case {
        sim::UhfRadioConfig radio;
        int spacing;
        int mode;
    } cases[] = {
        {{}, 12500, 0},
        {Radio([](auto& r) { r.channelSpacingHz = 25000; r.protocolMode = 2; }), 25000, 2},
        {Radio([](auto& r) { r.channelSpacingHz = 6250; r.protocolMode = -1; }), 6250, 3},  // "ERROR"
    };
    for (const Case& c : cases) {
        UhfBench b(c.radio, Variant::Handheld);
        const size_t before = b.LineCount();
        ASSERT_TRUE(b.ma.DetectUhfRadio());
        EXPECT_EQ(b.Uhf().channelSpacing, c.spacing);
        EXPECT_EQ(b.Uhf().protocolMode, c.mode);
        EXPECT_STREQ(b.Uhf().deviceText, "3AS PT RADIO\r\n");
        EXPECT_EQ(b.Uhf().errorCorrection, 1);
        const std::vector<std::string> lines = b.Lines(before);
        const std::vector<std::string> head(lines.begin() + 5, lines.begin() + 13);
        EXPECT_EQ(head, (std::vector<std::string>{kMenuMode, Hex("7\r\n"), kCommandMode,  // error correction
                                                  kMenuMode, Hex("\x1b"), kCommandMode,   // channel spacing
                                                  Hex("SL@S?\r\n"), Hex("SL&C?\r\n")}));
        EXPECT_EQ(std::count(lines.begin(), lines.end(), Hex("SL%D?\r\n")), 1);
    }
}

TEST(UhfQueries, AnswersFailuresAndTheirDefaults) {
    UhfBench b(Radio([](auto& r) {
        r.range1Lower = 403.99375;
        r.range1Upper = 449.99375;
        r.range2Lower = 450.00625;
        r.range2Upper = 470.0;
    }));
    double mhz = -1;
    EXPECT_TRUE(b.ma.QueryLowerLimit(1, &mhz));
    EXPECT_EQ(mhz, 404.0);
    EXPECT_TRUE(b.ma.QueryUpperLimit(1, &mhz));
    EXPECT_EQ(mhz, 450.0);
    EXPECT_TRUE(b.ma.QueryLowerLimit(2, &mhz));
    EXPECT_EQ(mhz, 450.025);
    EXPECT_TRUE(b.ma.QueryUpperLimit(2, &mhz));
    EXPECT_EQ(mhz, 470.0);

    // A range that does not exist fails before anything is sent.
    const size_t before = b.LineCount();
    mhz = -1;
    EXPECT_FALSE(b.ma.QueryLowerLimit(3, &mhz));
    EXPECT_FALSE(b.ma.QueryUpperLimit(0, &mhz));
    EXPECT_EQ(mhz, 0.0);
    EXPECT_EQ(b.LineCount(), before);

    // With the radio switched off nothing answers.
    b.ma.SendCommand("comvout aux off\r\n");
    char text[64] = "junk";
    int mode = 7;
    EXPECT_FALSE(b.ma.QueryCenterFrequency(&mhz));
    EXPECT_EQ(mhz, 0.0);
    EXPECT_FALSE(b.ma.QueryFirmwareVersion(text, sizeof text));
    EXPECT_STREQ(text, "");
    EXPECT_FALSE(b.ma.QueryProtocolMode(&mode));
    EXPECT_EQ(mode, 0);
}

TEST(ReadFecSetting, MenuTextOnOffAndSplitAcrossLogs) {
    struct Case {
        bool fec;
        bool split;
        Variant variant;
    } cases[] = {
        {true, false, Variant::Desktop},  {false, false, Variant::Desktop}, {true, true, Variant::Desktop},
        {false, true, Variant::Desktop},  {true, true, Variant::Handheld},  {false, false, Variant::Handheld},
    };
    for (const Case& c : cases) {
        sim::UhfRadioConfig config;
        config.fec = c.fec;
        config.splitMenuText = c.split;
        UhfBench b(config, c.variant);
        b.Settle();
        b.link.Record().Clear();
        const size_t before = b.LineCount();
        EXPECT_EQ(b.ma.ReadFecSetting(), c.fec) << c.fec << c.split;
        EXPECT_EQ(PassThroughFrames(b.link.Record()), c.split ? 2 : 1);
        EXPECT_EQ(b.Lines(before), (std::vector<std::string>{kMenuMode, Hex("7\r\n"), kCommandMode}));
    }
}

TEST(ToggleFec, MenuKeysThenPowerCycleKeepTheChange) {
    UhfBench b;
    const size_t before = b.LineCount();
    const double start = b.Seconds();
    EXPECT_TRUE(b.ma.ToggleFec());
    EXPECT_EQ(b.Lines(before), (std::vector<std::string>{kMenuMode, Hex("7\r\n"), Hex("1\r\n"), Hex("\x1b"),
                                                         "sendhex AUX 1 65\r\n", "sendhex AUX 1 65\r\n", kCommandMode,
                                                         "comvout aux off\r\n", "comvout aux on\r\n"}));
    // 7 s of pauses, 9 commands and 4 purges (two of them of menu text).
    EXPECT_NEAR(b.Seconds() - start, 11.6, 0.05);
    b.Settle();
    EXPECT_EQ(b.radio.Keystrokes(), "7\r\n1\r\n\x1b" "ee");
    EXPECT_EQ(b.radio.PowerUps(), 1);
    EXPECT_FALSE(b.radio.Live().fec) << "stored by the menu, so the power cycle keeps it";
    EXPECT_FALSE(b.ma.ReadFecSetting());
}

TEST(SetCurrentFrequency, AcceptedRefusedAndUnanswered) {
    struct Case {
        double mhz;
        bool radioOn;
        bool accepted;
        const char* radioText;
    } cases[] = {
        {450.0125, true, true, "SL&F=450.012500\r\n"},
        {480.0, true, false, "SL&F=480.000000\r\n"},     // "ERROR": outside the bands
        {450.00625, true, false, "SL&F=450.006250\r\n"},  // "ERROR": off the channel raster
        {450.0125, false, false, "SL&F=450.012500\r\n"},  // no answer
    };
    for (const Case& c : cases) {
        UhfBench b;
        if (!c.radioOn) b.ma.SendCommand("comvout aux off\r\n");
        const size_t before = b.LineCount();
        EXPECT_EQ(b.ma.SetCurrentFrequency(c.mhz), c.accepted) << c.mhz;
        EXPECT_EQ(b.Lines(before), (std::vector<std::string>{kRtsLow, "log passauxb onnew\r\n", Hex(c.radioText),
                                                             "unlog passauxb\r\n", kRtsHigh}));
        EXPECT_EQ(b.radio.Live().currentHz, c.accepted ? sim::SimUhfRadio::Hz(c.mhz) : 450012500);
    }
    UhfBench b;
    b.ma.SetCurrentFrequency(450.0125);
    EXPECT_EQ(b.Lines(b.LineCount() - 3)[0], "sendhex AUX 17 534c26463d3435302e3031323530300d0a\r\n");
}

TEST(RadioSettings, TxPowerStoreAndProtocolMode) {
    UhfBench b;
    size_t before = b.LineCount();
    EXPECT_TRUE(b.ma.SetTxPower("200"));
    EXPECT_TRUE(b.ma.StoreRadioSettings());
    EXPECT_TRUE(b.ma.SetProtocolMode(1));
    EXPECT_EQ(b.Lines(before), (std::vector<std::string>{kRtsLow, "sendhex AUX 10 534c40503d3230300d0a\r\n", kRtsHigh,
                                                         Hex("SL**>\r\n"), kRtsLow, Hex("SL@S=1\r\n"), kRtsHigh}));
    b.Settle();
    EXPECT_EQ(b.radio.Stored().txPowerMw, 200);
    EXPECT_EQ(b.radio.Live().protocolMode, 1);

    // A power text that cannot travel in one line is not sent at all.
    before = b.LineCount();
    EXPECT_FALSE(b.ma.SetTxPower(std::string(300, '5').c_str()));
    EXPECT_EQ(b.LineCount(), before);
    EXPECT_TRUE(b.trace.Contains("SetTxPower - power text too long for one sendhex line, not sent."));
}

TEST(SetCenterFrequency, RulesInOrder) {
    const std::string kZero =
        "One or more of upper/lower frequency limits was read as 0. Please re-connect the configuration tool and "
        "ensure no radios are broadcasting in the vicinity of this receiver!";
    struct Case {
        const char* text;
        int32_t kind;
        double limits[4];
        bool ok;
        std::string message;
    } cases[] = {
        {"450.0", kPeripheralGsm, {403, 430, 430, 473}, false, "Receiver does not contain an Internal UHF radio!"},
        {"450.0\r\n1\r\n", kPeripheralUhf, {403, 430, 430, 473}, false,
         "Frequency does not appear to be a valid number?"},
        {"450.003", kPeripheralUhf, {403, 430, 430, 473}, false,
         "New center frequency must be a multiple of 6250 hertz!"},
        {"450.003", kPeripheralUhf, {0, 0, 0, 0}, false, "New center frequency must be a multiple of 6250 hertz!"},
        {"450.00625", kPeripheralUhf, {403, 430, 430, 473}, true, "No Error"},
        {"512.1125", kPeripheralUhf, {403, 430, 500, 520}, true, "No Error"},  // binary: 512112499.99.. Hz
        {"460.0125", kPeripheralUhf, {403, 430, 430, 473}, true, "No Error"},
        {"473.0", kPeripheralUhf, {403, 430, 430, 473}, true, "No Error"},  // equal to a bound
        {"403", kPeripheralUhf, {403, 430, 430, 473}, true, "No Error"},
        {"450.0", kPeripheralUhf, {403, 430, 0, 473}, false, kZero},
        {"420.0", kPeripheralUhf, {403, 430, 430, 0}, false, kZero},  // in range 1, range 2 unread
        {"480.0", kPeripheralUhf, {403, 430, 430, 473}, false, "Specified center frequency is outside defined ranges!"},
        {"402.99375", kPeripheralUhf, {403, 430, 430, 473}, false,
         "Specified center frequency is outside defined ranges!"},
    };
    for (const Case& c : cases) {
        UhfBench b;
        b.ma.Peripheral().kind = c.kind;
        UhfBlock& u = b.ma.Peripheral().uhf;
        u.range1Lower = c.limits[0];
        u.range1Upper = c.limits[1];
        u.range2Lower = c.limits[2];
        u.range2Upper = c.limits[3];
        char message[MAReceiver::kCenterMessageSize] = "junk";
        const size_t before = b.LineCount();
        EXPECT_EQ(b.ma.SetCenterFrequency(c.text, message), c.ok) << c.text;
        EXPECT_EQ(message, c.message) << c.text;
        if (!c.ok) {
            EXPECT_EQ(b.LineCount(), before) << c.text << ": nothing sent";
        } else {
            EXPECT_EQ(b.Lines(b.LineCount() - 1)[0], "e") << c.text;
        }
    }
    // The message is cut to its buffer.
    UhfBench b;
    char small[8];
    EXPECT_FALSE(b.ma.SetCenterFrequency("450.0", small, sizeof small));
    EXPECT_STREQ(small, "Receive");
}

TEST(SetCenterFrequency, KeystrokesTheRadioReceivesOverTheBridge) {
    UhfBench b;
    b.Detected();
    b.Settle();
    b.link.Record().Clear();
    const size_t before = b.LineCount();
    const double start = b.Seconds();
    char message[MAReceiver::kCenterMessageSize];
    ASSERT_TRUE(b.ma.SetCenterFrequency("450.00625", message));
    EXPECT_STREQ(message, "No Error");
    // 11 s of pauses after the keys, 23 commands, 12 purges of menu text.
    EXPECT_NEAR(b.Seconds() - start, 24.0, 0.05);
    EXPECT_EQ(b.Lines(before),
              (std::vector<std::string>{kMenuMode, "comvout aux on\r\n", "appcontrol USERGPIO 1 1\r\n", kMenuMode,
                                        "com AUX 9600\r\n", "com COM1 9600\r\n", "INTERFACEMODE AUX TCOM1 NONE OFF\r\n",
                                        "INTERFACEMODE COM1 TAUX NONE OFF\r\n", "*!", "1", "1", "450.00625\r\n",
                                        "\x1b", "4", "403.000000\r\n", "5", "430.000000\r\n", "6", "430.000000\r\n",
                                        "7", "473.000000\r\n", "\x1b", "e"}));
    b.Settle();
    EXPECT_TRUE(b.aux.BridgeOpen());
    const std::string keys = b.radio.Keystrokes();
    const std::string typed = "*!11450.00625\r\n\x1b" "4403.000000\r\n5430.000000\r\n6430.000000\r\n7473.000000\r\n\x1b" "e";
    ASSERT_GE(keys.size(), typed.size());
    EXPECT_EQ(keys.substr(keys.size() - typed.size()), typed);
    EXPECT_EQ(b.radio.Stored().centerHz, 450006250) << "saved by the menu's e";
    EXPECT_EQ(b.radio.Stored().limitsHz[3], 473000000);
    EXPECT_EQ(qvr::test::CompareGolden("uhf_center_frequency.txt", b.link.Record().Render()), "");
}

TEST(EnterFlashLoader, GreetingOpensTheBridgeAt38400) {
    UhfBench b;
    b.Detected();
    const size_t before = b.LineCount();
    ASSERT_TRUE(b.ma.EnterFlashLoader());
    EXPECT_EQ(b.Lines(before),
              (std::vector<std::string>{
                  "comvout aux on\r\n", "log passauxb onnew\r\n", "appcontrol USERGPIO 1 1\r\n", kCommandMode,
                  "interfacemode aux none none off\r\n", kMenuMode, "interfacemode aux vestral vestral off\r\n",
                  "sendhex AUX 9 534c464c4f454d0d0a\r\n",
                  // OpenAuxBridge (38400)
                  "comvout aux on\r\n", "appcontrol USERGPIO 1 1\r\n", kMenuMode, "com AUX 38400\r\n",
                  "com COM1 38400\r\n", "INTERFACEMODE AUX TCOM1 NONE OFF\r\n", "INTERFACEMODE COM1 TAUX NONE OFF\r\n"}));
    b.Settle();
    EXPECT_TRUE(b.radio.InLoader());
    EXPECT_TRUE(b.aux.BridgeOpen());
    EXPECT_EQ(b.ma.Port().BaudRate(), 38400);
}

TEST(EnterFlashLoader, EveryStepBeforeTheLoaderCounts) {
    // The loader entry done by hand, one step left out at a time: the
    // greeting must reach the host as a pass-through log.
    const std::string kNone = "interfacemode aux none none off\r\n";
    const std::string kOwn = "interfacemode aux vestral vestral off\r\n";
    struct Case {
        const char* what;
        std::vector<std::string> steps;  // "wait" pauses 2000 ms
        bool greeted;
    } cases[] = {
        {"all steps", {kNone, kMenuMode, "wait", kOwn}, true},
        {"AUX input left on", {kMenuMode, "wait", kOwn}, false},
        {"no wait for the menu", {kNone, kMenuMode, kOwn}, false},
        {"AUX input left off", {kNone, kMenuMode, "wait"}, false},
        {"RTS high does not matter to the menu", {kRtsHigh, kNone, kMenuMode, "wait", kOwn}, true},
    };
    for (const Case& c : cases) {
        UhfBench b;
        for (const std::string& step : c.steps)
            step == "wait" ? b.ma.Pause(2000) : static_cast<void>(b.ma.SendCommand(step.c_str()));
        b.ma.Port().Purge();
        b.ma.SendCommand(Hex("SLFLOEM\r\n").c_str());
        bool greeted = false;
        while (b.ma.ReadLog(1000))
            if (b.ma.GetLogMessageId() == logid::PassAux &&
                std::string(reinterpret_cast<const char*>(b.ma.LogBody()), b.ma.LogBodyLength()).find("H8OEM") !=
                    std::string::npos)
                greeted = true;
        EXPECT_EQ(greeted, c.greeted) << c.what;
    }
}

TEST(UhfQueries, TheRadioAnswersOnlyWithRtsLow) {
    for (bool high : {false, true}) {
        UhfBench b;
        b.ma.SendCommand((high ? kRtsHigh : kRtsLow).c_str());
        char text[64];
        EXPECT_EQ(b.ma.QueryFirmwareVersion(text, sizeof text), !high);
        EXPECT_EQ(std::string(text), high ? "" : "V1.07") << high;
    }
}

TEST(EnterFlashLoader, NoGreetingOrNoRadio) {
    UhfBench b(Radio([](auto& r) { r.echoOnly = true; }));
    b.ma.Peripheral().kind = kPeripheralUhf;
    const double start = b.Seconds();
    EXPECT_FALSE(b.ma.EnterFlashLoader());
    EXPECT_FALSE(b.aux.BridgeOpen());
    EXPECT_TRUE(b.trace.Contains("EnterFlashLoader - no answer from the radio's flash loader."));
    EXPECT_GT(b.Seconds() - start, 4.0 + 3.4);

    // Without a radio detected the loader may greet, but no bridge opens.
    UhfBench none;
    const size_t before = none.LineCount();
    EXPECT_FALSE(none.ma.EnterFlashLoader());
    EXPECT_EQ(none.Lines(before), std::vector<std::string>{Hex("SLFLOEM\r\n")});
    EXPECT_FALSE(none.aux.BridgeOpen());
}

TEST(UhfMenu, ARadioThatKeepsTalkingDoesNotKeepTheReadsGoing) {
    struct Case {
        const char* what;
        bool echoOnly;  // and so no loader greeting
        double maxSeconds;
    } cases[] = {
        {"menu read", false, 1 + 10 + 2 * 2.4 + 1},  // two purges against a talking radio
        {"loader greeting", true, 3 + 15 + 4.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UhfBench b(Radio(c.echoOnly ? +[](sim::UhfRadioConfig& r) { r.chatter = r.echoOnly = true; }
                                    : +[](sim::UhfRadioConfig& r) { r.chatter = true; }));
        b.ma.Peripheral().kind = kPeripheralUhf;
        const double start = b.Seconds();
        if (c.echoOnly) EXPECT_FALSE(b.ma.EnterFlashLoader());
        else b.ma.ReadChannelSpacing();
        EXPECT_LT(b.Seconds() - start, c.maxSeconds);
        EXPECT_GT(b.Seconds() - start, c.maxSeconds - 5) << "read on while the radio talked";
    }
}

TEST(QueryProtocolMode, ErrorWithOrWithoutItsLineEnd) {
    struct Case {
        const char* answer;
        int mode;
    } cases[] = {{"ERROR\r\n", kUhfModeNotSupported}, {"ERROR", kUhfModeNotSupported}, {"2\r\n", 2}};
    for (const Case& c : cases) {
        SimBench b;
        sim::SimAuxPort aux{b.receiver};
        sim::ScriptedAuxDevice radio;
        radio.On("SL@S?", {{c.answer}});
        aux.AttachDevice(&radio);
        b.OpenLink();
        b.ma.SendCommand("log passauxb onnew\r\n");
        int mode = -7;
        EXPECT_TRUE(b.ma.QueryProtocolMode(&mode)) << c.answer;
        EXPECT_EQ(mode, c.mode) << c.answer;
    }
}
