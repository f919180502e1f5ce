// The GSM module: applet messages through "sendhex", replies from the
// pass-through log, identity, signal and registration, the connect-time
// detection and the TCP test, against the simulated module in virtual time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "Golden.h"
#include "GsmVocabulary.h"
#include "SimAuxPort.h"
#include "SimBench.h"
#include "SimGsmModule.h"

using namespace qvr;
using qvr::test::SimBench;

namespace {

std::string Hex(const std::vector<uint8_t>& bytes) {
    static const char* const kDigits = "0123456789abcdef";
    std::string text;
    for (uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
    }
    return text;
}

std::string SendHex(const std::vector<uint8_t>& bytes) {
    return "sendhex AUX " + std::to_string(bytes.size()) + " " + Hex(bytes) + "\r\n";
}

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// The sendhex line of a request header without payload.
std::string HeaderLine(uint32_t type) { return SendHex(sim::SimGsmModule::Message(type, 0, {})); }

struct GsmBench : SimBench {
    explicit GsmBench(sim::GsmModuleConfig config = {}, bool attach = true) : module(std::move(config)) {
        if (attach) aux.AttachDevice(&module);
        OpenLink();
    }
    // As the peripheral search leaves the receiver: pass-through log on,
    // the module in applet mode at 115200 baud.
    void AppletMode() {
        ma.SendCommand("log passauxb onnew\r\n");
        ma.SendCommand("com aux 115200\r\n");
        ma.Peripheral().kind = kPeripheralGsm;
    }
    double TimeOf(const std::string& line) const {
        for (const auto& e : link.Record().Entries())
            if (e.kind == sim::Transcript::Kind::HostSent && std::string(e.bytes.begin(), e.bytes.end()) == line)
                return static_cast<double>(e.at) / 1e9;
        return -1;
    }
    sim::SimAuxPort aux{receiver};
    sim::SimGsmModule module;
};

// A pass-through frame body carrying the bytes.
std::vector<uint8_t> PassBody(const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> body(4 + bytes.size());
    WriteLe32(body.data(), static_cast<uint32_t>(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), body.begin() + 4);
    return body;
}

} // namespace

TEST(AppletMessage, RequestLinesByteForByte) {
    struct Case {
        const char* name;
        uint32_t type;
        std::string payload;  // sent with BuildText unless empty
        std::vector<std::string> lines;
    } cases[] = {
        {"module information", 16, "", {"sendhex AUX 20 bb883311100000000000000000000000" "00000000\r\n"}},
        {"set default connection",
         37,
         "1\n",
         {"sendhex AUX 20 bb883311250000000300000000000000" "3b000000\r\n", "sendhex AUX 3 310a00\r\n"}},
        {"TCP test",
         39,
         "socket://a.b:80",
         {"sendhex AUX 20 bb883311270000001000000000000000" "b4040000\r\n",
          "sendhex AUX 16 736f636b65743a2f2f612e623a383000\r\n"}},
    };
    for (const Case& c : cases) {
        GsmBench b;
        b.AppletMode();
        AppletMessage message;
        if (c.payload.empty())
            message.Build(c.type);
        else
            message.BuildText(c.type, c.payload.c_str());
        const size_t before = b.LineCount();
        EXPECT_TRUE(b.ma.SendAppletMessage(message)) << c.name;
        EXPECT_EQ(b.Lines(before), c.lines) << c.name;
        b.Settle();
        // The module received exactly the header and the payload with its NUL.
        ASSERT_EQ(b.module.Requests().size(), 1u) << c.name;
        EXPECT_EQ(b.module.Requests()[0].type, c.type) << c.name;
        const std::vector<uint8_t> expected = c.payload.empty() ? std::vector<uint8_t>{}
                                                                : sim::SimGsmModule::TextPayload(c.payload);
        EXPECT_EQ(b.module.Requests()[0].payload, expected) << c.name;
    }
}

TEST(AppletMessage, HeaderFieldsAreLittleEndian) {
    AppletMessage message;
    const uint8_t data[] = {0xFF, 0x01, 0x80};
    ASSERT_TRUE(message.Build(applet::UpgradeData, data, sizeof data, 0x01020304));
    uint8_t header[kAppletHeaderSize];
    message.WriteHeader(header);
    EXPECT_EQ(Hex({header, header + 20}), "bb8833110d0000000300000004030201" "80010000");
    EXPECT_FALSE(message.Build(applet::UpgradeData, std::vector<uint8_t>(251).data(), 251));
    EXPECT_EQ(message.length, 0u);
    EXPECT_EQ(message.checksum, 0u);
}

TEST(AppletMessage, PayloadBeyondOneSendhexLineIsRefused) {
    for (size_t size : {246u, 247u, 250u}) {
        GsmBench b;
        b.AppletMode();
        AppletMessage message;
        ASSERT_TRUE(message.Build(applet::WriteGprs, std::vector<uint8_t>(size, 'a').data(), size));
        const size_t before = b.LineCount();
        const bool fits = size <= MAReceiver::kMaxSendHexData;
        EXPECT_EQ(b.ma.SendAppletMessage(message), fits) << size;
        EXPECT_EQ(b.Lines(before).size(), fits ? 2u : 0u) << size << ": a refused message sends not even its header";
    }
}

TEST(ReadAppletReply, AssemblyAndFailures) {
    const std::vector<uint8_t> reply = sim::SimGsmModule::Message(21, 0, sim::SimGsmModule::TextPayload("-87"));
    std::vector<uint8_t> big = sim::SimGsmModule::Message(16, 0, std::vector<uint8_t>(40, 'x'));
    struct Case {
        const char* name;
        std::vector<std::vector<uint8_t>> portions;  // one pass-through frame each
        size_t capacity;
        bool ok;
        uint32_t type;
        std::string payload;
        uint16_t firstId = logid::PassAux;
    } cases[] = {
        {"one frame", {reply}, 1024, true, 21, std::string("-87\0", 4)},
        {"three frames",
         {{reply.begin(), reply.begin() + 7}, {reply.begin() + 7, reply.begin() + 21}, {reply.begin() + 21, reply.end()}},
         1024, false, 0, ""},
        {"header then payload", {{reply.begin(), reply.begin() + 20}, {reply.begin() + 20, reply.end()}}, 1024, true, 21,
         std::string("-87\0", 4)},
        {"exactly the capacity", {big}, 40, true, 16, std::string(40, 'x')},
        {"longer than the capacity", {big}, 39, false, 16, ""},
        {"incomplete payload", {{big.begin(), big.begin() + 50}}, 1024, true, 16, std::string(30, 'x')},
        {"bytes after the message", {[&] { auto r = reply; r.push_back('!'); return r; }()}, 1024, true, 21,
         std::string("-87\0", 4)},
        {"shorter than a header", {{reply.begin(), reply.begin() + 19}}, 1024, false, 0, ""},
        {"no magic", {Bytes("+CREG: 0,1\r\n\r\nOK\r\n and more text")}, 1024, false, 0, ""},
        {"first log is another", {reply}, 1024, false, 0, "", logid::ExtLevels},
        {"nothing", {}, 1024, false, 0, ""},
    };
    for (const Case& c : cases) {
        GsmBench b({}, false);
        sim::SimTime at = sim::Ms(30);
        for (const auto& portion : c.portions) {
            const uint16_t id = &portion == &c.portions.front() ? c.firstId : logid::PassAux;
            b.receiver.ScheduleAt(at, [&b, id, body = PassBody(portion)](sim::SimTime now) {
                b.receiver.SendLogToHost(id, body, now);
            });
            at += sim::Ms(40);
        }
        std::vector<uint8_t> buffer(c.capacity + 1, 0xEE);
        uint32_t type = 99;
        size_t received = 99;
        EXPECT_EQ(b.ma.ReadAppletReply(buffer.data(), c.capacity, &type, &received, 2000), c.ok) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
        EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + static_cast<long>(received)), c.payload) << c.name;
        EXPECT_EQ(buffer[c.capacity], 0xEE) << c.name << ": nothing written beyond the capacity";
    }
}

TEST(LookupValue, ItemsAndTerminators) {
    struct Case {
        const char* name;
        std::string reply;
        const char* key;
        char terminator;
        size_t valueSize;
        bool found;
        const char* value;
    } cases[] = {
        {"applet version after the hardware version", "hwVersion:HW 2+Version:3.002+", "Version:", '+', 128, true,
         "3.002"},
        {"hardware version itself", "hwVersion:HW 2+Version:3.002+", "hwVersion:", '+', 128, true, "HW 2"},
        {"key at the start", "Version:3.001+Free Memory:10+", "Version:", '+', 128, true, "3.001"},
        {"blank after the terminator", "hwVersion:HW 2+ Version:3.002+", "Version:", '+', 128, true, "3.002"},
        {"line end after the terminator", "\r\nhwVersion:HW 2+\r\nVersion:3.002+", "Version:", '+', 128, true,
         "3.002"},
        {"only inside another key", "hwVersion:HW 2+", "Version:", '+', 128, false, ""},
        {"missing key", "A:1+B:2+", "C", '+', 128, false, ""},
        {"no terminator", "A:1+B:2", "B", '+', 128, false, ""},
        {"empty value", "GPRSPPPUsername:+X:1+", "GPRSPPPUsername", '+', 128, false, ""},
        {"cut to the buffer", "K:abcdef+", "K", '+', 4, true, "abc"},
        {"the text ends at a NUL", std::string("A:1+\0B:2+", 9), "B", '+', 128, false, ""},
        {"line feed items", "NS_CASTERADDR:caster\nNS_PORT:2101\n", "NS_PORT", '\n', 128, true, "2101"},
        {"last item without its line feed", "NS_PORT:2101\nNS_ONSTARTUP:1", "NS_ONSTARTUP", '\n', 128, false, ""},
    };
    for (const Case& c : cases) {
        char value[128];
        std::memset(value, 'z', sizeof value);
        EXPECT_EQ(MAReceiver::LookupValue(c.reply.data(), c.reply.size(), c.key, c.terminator, value, c.valueSize),
                  c.found)
            << c.name;
        EXPECT_STREQ(value, c.value) << c.name;
    }
}

TEST(QueryModuleInfo, ProductNamesAndReplyShapes) {
    struct Case {
        const char* name;
        std::string product;
        std::vector<sim::GsmModuleFault> faults;
        bool ok;
        const char* moduleType;
        const char* gap = "";
    } cases[] = {
        {"items a line apart", "TC65", {}, true, "TC65", "\r\n"},
        {"items a blank apart", "RX-2", {}, true, "EGSM 900/GSM 1800", " "},
        {"TC65", "TC65", {}, true, "TC65"},
        {"RX-9", "Nokia RX-9 12", {}, true, "GSM 850/GSM 1900"},
        {"RX-2", "RX-2", {}, true, "EGSM 900/GSM 1800"},
        {"other", "XT65 R3", {}, true, "XT65 R3"},
        {"split over frames", "TC65", {sim::GsmModuleFault::SplitReply}, true, "TC65"},
        {"longer than the buffer", "TC65", {sim::GsmModuleFault::OversizeReply}, false, ""},
        {"no answer", "TC65", {sim::GsmModuleFault::SlowStart}, false, ""},
    };
    for (const Case& c : cases) {
        sim::GsmModuleConfig config;
        config.productName = c.product;
        config.infoItemGap = c.gap;
        GsmBench b(config);
        for (auto fault : c.faults) b.module.InjectFault({fault});
        b.AppletMode();
        GsmBlock block;
        std::memset(&block, 'q', sizeof block);
        EXPECT_EQ(b.ma.QueryModuleInfo(&block), c.ok) << c.name;
        EXPECT_STREQ(block.moduleType, c.moduleType) << c.name;
        EXPECT_STREQ(block.appletVersion, c.ok ? "3.002" : "") << c.name;
        EXPECT_STREQ(block.hardwareVersion, c.ok ? "HW 02.100" : "") << c.name;
        EXPECT_STREQ(block.firmwareVersion, c.ok ? "SW 03.010" : "") << c.name;
        EXPECT_STREQ(block.freeMemory, c.ok ? "1578432" : "") << c.name;
        EXPECT_STREQ(block.totalMemory, c.ok ? "1700000" : "") << c.name;
    }
}

TEST(QuerySignalLevel, ValueOrZero) {
    for (bool answers : {true, false}) {
        sim::GsmModuleConfig config;
        config.signalLevel = -87;
        GsmBench b(config, answers);
        b.AppletMode();
        char level[64] = "junk";
        const double start = b.Seconds();
        EXPECT_EQ(b.ma.QuerySignalLevel(level, sizeof level), answers);
        EXPECT_STREQ(level, answers ? "-87" : "0");
        if (!answers) {
            EXPECT_NEAR(b.Seconds() - start, 6.0 + 0.5, 0.5) << "the 6000 ms limit";
        }
    }
}

TEST(QueryRegistration, AnswersOfTheModule) {
    struct Case {
        const char* name;
        std::string cregLine;  // empty: "+CREG: 0,1"
        int32_t peripheral;
        bool attached;
        int expected;
    } cases[] = {
        {"home", "", kPeripheralGsm, true, 1},
        {"roaming", "+CREG: 0,5", kPeripheralGsm, true, 5},
        {"no comma", "+CREG: 0", kPeripheralGsm, true, 6},
        {"not a digit", "+CREG: 0,x", kPeripheralGsm, true, 0},
        {"no answer", "", kPeripheralGsm, false, 6},
        {"no GSM module", "", kPeripheralUhf, true, 6},
    };
    for (const Case& c : cases) {
        sim::GsmModuleConfig config;
        config.cregLine = c.cregLine;
        GsmBench b(config, c.attached);
        b.ma.Peripheral().kind = c.peripheral;
        const size_t before = b.LineCount();
        EXPECT_EQ(b.ma.QueryRegistration(), c.expected) << c.name;
        if (c.peripheral != kPeripheralGsm) {
            EXPECT_TRUE(b.Lines(before).empty()) << c.name;
            continue;
        }
        EXPECT_EQ(b.Lines(before), (std::vector<std::string>{
                                       "log passauxb onnew\r\n", "appcontrol USERGPIO 1 1\r\n", "com aux 9600\r\n",
                                       "sendhex AUX 10 41542b435245473f0d0a\r\n", "appcontrol USERGPIO 1 0\r\n",
                                       "com aux 115200\r\n", "unlog passauxb\r\n"}))
            << c.name;
        if (c.attached) {
            EXPECT_EQ(b.module.AtLines(), std::vector<std::string>{"AT+CREG?"}) << c.name;
        }
    }
}

TEST(GsmVocabulary, RegistrationTextsAndSignalClasses) {
    const char* const texts[] = {"Not registered (no SIM?)", "Registered (home)", "Not registered (but searching)",
                                 "Registration denied", "Unknown", "Registered (roaming)", "Could not retrieve"};
    for (int state = 0; state <= 6; ++state) EXPECT_STREQ(RegistrationText(state), texts[state]) << state;
    EXPECT_STREQ(RegistrationText(-1), "Could not retrieve");
    EXPECT_STREQ(RegistrationText(7), "Could not retrieve");

    struct Level {
        const char* text;
        const char* shown;
    } levels[] = {
        {"-101", "-101 (unacceptable)"}, {"-100", "-100 (weak)"}, {"-95", "-95 (weak)"},
        {"-90", "-90 (moderate)"},       {"-80", "-80 (good)"},   {"-1", "-1 (good)"},
        {"0", "0 (not detectable)"},     {"", "0 (not detectable)"}, {"12", "12 (not detectable)"},
        {"junk", "0 (not detectable)"},
    };
    for (const Level& l : levels) {
        char shown[32];
        FormatSignalLevel(shown, l.text);
        EXPECT_STREQ(shown, l.shown) << l.text;
    }
}

TEST(DetectGsmModule, TranscriptTimesAndWhatItFills) {
    sim::GsmModuleConfig config;
    config.signalLevel = -71;
    config.bearer.gprsAccessPointName = "internet";
    config.bearer.gprsTimeout = 30;
    config.ntrip.casterAddress = "caster.example.net";
    config.ntrip.port = "2101";
    config.ntrip.onStartup = "1";
    GsmBench b(config);
    b.ma.SendCommand("comvout aux on\r\n");
    b.ma.SendCommand("log passauxb onnew\r\n");
    b.ma.Peripheral().kind = kPeripheralUhf;  // left over from before: cleared
    const size_t before = b.LineCount();
    const double start = b.Seconds();
    EXPECT_TRUE(b.ma.DetectGsmModule());
    EXPECT_EQ(b.Lines(before),
              (std::vector<std::string>{"appcontrol USERGPIO 1 0\r\n", "com aux 115200\r\n", HeaderLine(16),
                                        HeaderLine(21), HeaderLine(25), HeaderLine(30)}));
    // 10 s before anything is sent, 2 s after the user output.
    EXPECT_NEAR(b.TimeOf("appcontrol USERGPIO 1 0\r\n") - start, 10.0, 1e-6);
    EXPECT_NEAR(b.TimeOf("com aux 115200\r\n") - start, 12.2, 1e-6);
    EXPECT_GE(b.TimeOf(HeaderLine(16)) - start, 12.4);

    const PeripheralBlock& p = b.ma.Peripheral();
    EXPECT_EQ(p.kind, kPeripheralGsm);
    EXPECT_EQ(p.gsm.moduleKind, kGsmModuleSiemens);
    EXPECT_STREQ(p.gsm.moduleType, "TC65");
    EXPECT_STREQ(p.gsm.appletVersion, "3.002");
    EXPECT_STREQ(p.gsm.signalLevel, "-71");
    EXPECT_EQ(p.gsm.registrationState, kRegistrationNotRead);
    EXPECT_STREQ(p.bearer.gprsAccessPointName, "internet");
    EXPECT_EQ(p.bearer.gprsTimeout, 30);
    EXPECT_STREQ(p.gsm.ntrip.casterAddress, "caster.example.net");
    EXPECT_EQ(p.gsm.ntrip.port, 2101);
    EXPECT_EQ(p.gsm.ntrip.enabledOnStartup, 1);
    EXPECT_EQ(b.op.statusTexts, std::vector<std::string>{"Retrieving GSM settings..."});
    EXPECT_EQ(qvr::test::CompareGolden("gsm_detect.txt", b.link.Record().Render()), "");
}

TEST(DetectGsmModule, SecondTryOnlyForAConfiguredModule) {
    struct Case {
        const char* name;
        const char* peripheralName;
        std::string product;
        bool slow;
        bool attached;
        bool found;
        int requests;  // module-information requests sent
        int32_t moduleKind;
    } cases[] = {
        {"Nokia module", "", "RX-9", false, true, true, 1, kGsmModuleNokia},
        {"slow, configured Siemens", "Siemens", "TC65", true, true, true, 2, kGsmModuleSiemens},
        {"slow, configured Aplicom", "Aplicom12", "RX-2", true, true, true, 2, kGsmModuleNokia},
        {"slow, configured UHF radio", "3AS/PT", "TC65", true, true, false, 1, 0},
        {"empty product name, configured", "Siemens", "", false, true, true, 2, kGsmModuleNokia},
        {"empty product name, not configured", "", "", false, true, false, 1, 0},
        {"no module, configured", "Siemens", "", false, false, false, 2, 0},
    };
    for (const Case& c : cases) {
        sim::GsmModuleConfig config;
        config.productName = c.product;
        GsmBench b(config, c.attached);
        if (c.slow) b.module.InjectFault({sim::GsmModuleFault::SlowStart});
        std::strcpy(b.ma.Info().peripheralName, c.peripheralName);
        b.ma.SendCommand("log passauxb onnew\r\n");
        const size_t before = b.LineCount();
        EXPECT_EQ(b.ma.DetectGsmModule(), c.found) << c.name;
        int requests = 0;
        for (const std::string& line : b.Lines(before)) requests += line == HeaderLine(16);
        EXPECT_EQ(requests, c.requests) << c.name;
        EXPECT_EQ(b.ma.Peripheral().kind, c.found ? kPeripheralGsm : kPeripheralNone) << c.name;
        EXPECT_EQ(b.ma.Peripheral().gsm.moduleKind, c.moduleKind) << c.name;
    }
}

TEST(TestTcpConnection, AnswerTimeoutAndRefusals) {
    const std::string timeout =
        "Error: TCP connection timed out waiting for a response.\r\nModule may be unresponsive until connection "
        "times out.";
    struct Case {
        const char* name;
        std::string site;
        bool answers;
        bool ok;
        std::string output;
        bool sends;
    } cases[] = {
        {"answered", "example.com", true, true, "HTTP/1.1 200 OK", true},
        {"no answer", "example.com", false, false, timeout, true},
        {"empty site", "", true, false, "Error: Need website name or IP Address!", false},
        {"longest site", std::string(233, 's'), true, true, "HTTP/1.1 200 OK", true},
        {"site too long", std::string(234, 's'), true, false, "Error: Website name or IP Address too long!", false},
        {"line end in the site", "example.com\r\nAT+CFUN=0", true, false,
         "Error: Website name or IP Address contains a line break, quote or control character!", false},
    };
    for (const Case& c : cases) {
        sim::GsmModuleConfig config;
        config.tcpAnswers = c.answers;
        GsmBench b(config);
        b.AppletMode();
        const size_t before = b.LineCount();
        char output[5000];
        EXPECT_EQ(b.ma.TestTcpConnection(c.site.c_str(), output, sizeof output), c.ok) << c.name;
        EXPECT_EQ(std::string(output), c.output) << c.name;
        const std::vector<std::string> lines = b.Lines(before);
        if (!c.sends) {
            EXPECT_TRUE(lines.empty()) << c.name;
            continue;
        }
        const std::string payload = "socket://" + c.site + ":80";
        const auto bytes = sim::SimGsmModule::TextPayload(payload);
        const std::vector<uint8_t> message = sim::SimGsmModule::Message(39, 0, bytes);
        const std::vector<uint8_t> header(message.begin(), message.begin() + 20);
        EXPECT_EQ(lines, (std::vector<std::string>{"log passauxb onnew\r\n", SendHex(header), SendHex(bytes),
                                                   "unlog passauxb\r\n"}))
            << c.name;
    }
}

TEST(ExchangeAtCommand, ModuleAnswersAndTooLongCommands) {
    struct Case {
        std::string command;
        bool sent;
        std::string reply;  // what the reply must contain
    } cases[] = {
        {"AT", true, "AT\r\r\nOK\r\n"},
        {"at+csq", true, "at+csq\r\r\n+CSQ: 19,99\r\n\r\nOK\r\n"},
        {"AT&V", true, "ACTIVE PROFILE:"},
        {"AT+NOPE", true, "AT+NOPE\r\r\nERROR\r\n"},
        {"AT" + std::string(242, 'E'), true, "\r\nERROR\r\n"},
        {"AT" + std::string(243, 'E'), false, ""},
    };
    for (const Case& c : cases) {
        sim::GsmModuleConfig config;
        config.signalLevel = -75;
        GsmBench b(config);
        char command[1024] = {};
        std::memcpy(command, c.command.data(), c.command.size());
        char reply[2048] = "junk";
        GsmField field = GsmField::GprsPassword;
        const size_t before = b.LineCount();
        EXPECT_EQ(b.ma.ExchangeAtCommand(command, sizeof command, reply, sizeof reply, &field), c.sent) << c.command;
        EXPECT_EQ(field, c.sent ? GsmField::None : GsmField::AtCommand);
        if (!c.sent) {
            EXPECT_STREQ(reply, "");
            EXPECT_TRUE(b.Lines(before).empty());
            char message[128];
            FormatFieldTooLong(message, field);
            EXPECT_STREQ(message, "The AT command is too long to be sent to the GSM module. Please shorten it.");
            continue;
        }
        EXPECT_NE(std::string(reply).find(c.reply), std::string::npos) << c.command << ": " << reply;
        EXPECT_EQ(std::string(command), c.command + "\r\n");
    }
}
