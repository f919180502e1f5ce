// The AUX pass-through channel against the simulated receiver and a device
// on its AUX port, in virtual time.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Golden.h"
#include "SimAuxPort.h"
#include "SimBench.h"

using namespace qvr;
using qvr::test::SimBench;

namespace {

struct AuxBench : SimBench {
    explicit AuxBench(int deviceBaud = 9600) : device(deviceBaud) {
        aux.AttachDevice(&device);
        OpenLink();
    }
    sim::SimAuxPort aux{receiver};
    sim::ScriptedAuxDevice device;
};


} // namespace

TEST(FormatSendHex, LinesAndTheLimitOfOneCommandBuffer) {
    struct Case {
        std::vector<uint8_t> data;
        bool ok;
        std::string line;
    } cases[] = {
        {{0x00, 0x0A, 0xFF}, true, "sendhex AUX 3 000aff\r\n"},
        {{'S', 'L', '%', 'V', '?', '\r', '\n'}, true, "sendhex AUX 7 534c25563f0d0a\r\n"},
        {{}, true, "sendhex AUX 0 \r\n"},
        {std::vector<uint8_t>(246, 0xAB), true, "sendhex AUX 246 " + std::string(492, 'a').replace(1, 0, "") + "\r\n"},
        {std::vector<uint8_t>(247, 0xAB), false, ""},
    };
    // 246 bytes of 0xAB: "abab...ab".
    cases[3].line = "sendhex AUX 246 ";
    for (int i = 0; i < 246; ++i) cases[3].line += "ab";
    cases[3].line += "\r\n";
    for (const Case& c : cases) {
        char line[MAReceiver::kCommandSize];
        std::memset(line, 'x', sizeof line);
        EXPECT_EQ(MAReceiver::FormatSendHex(line, "AUX", c.data.data(), static_cast<int>(c.data.size())), c.ok)
            << c.data.size();
        EXPECT_EQ(std::string(line), c.line) << c.data.size();
    }
}

TEST(AuxExchange, TranscriptOfAnAtCommand) {
    AuxBench b;
    b.device.On("AT+CSQ", {{"\r\n+CSQ: 17,99\r\n", "\r\nOK\r\n"}});
    char request[32] = "AT+CSQ";
    char reply[256];
    const size_t before = b.LineCount();
    const double start = b.Seconds();
    b.ma.AuxExchange(request, sizeof request, reply, sizeof reply);
    EXPECT_STREQ(reply, "\r\n+CSQ: 17,99\r\n\r\nOK\r\n");
    EXPECT_STREQ(request, "AT+CSQ\r\n");
    EXPECT_EQ(b.Lines(before), (std::vector<std::string>{
                                   "log passauxb onnew\r\n", "appcontrol USERGPIO 1 1\r\n", "com aux 9600\r\n",
                                   "sendhex AUX 8 41542b4353510d0a\r\n", "appcontrol USERGPIO 1 0\r\n",
                                   "com aux 115200\r\n", "unlog passauxb\r\n"}));
    // Six commands and the sendhex line of 200 ms, the purge, 3 s and 4 s of
    // pauses, three reads of 300 ms (two portions and the empty one).
    EXPECT_NEAR(b.Seconds() - start, 10.0, 0.05);
    b.Settle();
    EXPECT_FALSE(b.aux.PassThroughOn());
    EXPECT_FALSE(b.aux.Lines().gpio1);
    EXPECT_EQ(b.aux.Lines().rate, 115200);
    EXPECT_EQ(qvr::test::CompareGolden("aux_exchange_at.txt", b.link.Record().Render()), "");
}

TEST(AuxExchange, ReplyAssembly) {
    struct Case {
        const char* name;
        std::vector<std::string> portions;
        size_t replySize;
        std::string expected;  // the whole reply buffer
    } cases[] = {
        {"cut to size - 1", {std::string(40, 'r')}, 16, std::string(15, 'r') + '\0'},
        {"portions joined", {"abc", "def"}, 8, std::string("abcdef\0\0", 8)},
        {"cut across portions", {"abcd", "efgh"}, 6, std::string("abcde\0", 6)},
        {"NUL inside a portion", {std::string("AB\0CD", 5), "EF"}, 10, std::string("AB\0\0\0EF\0\0\0", 10)},
        {"no answer", {}, 4, std::string(4, '\0')},
    };
    for (const Case& c : cases) {
        AuxBench b;
        if (!c.portions.empty()) b.device.On("Q", {c.portions});
        char request[8] = "Q";
        std::vector<char> reply(c.replySize, 'x');
        b.ma.AuxExchange(request, sizeof request, reply.data(), reply.size());
        EXPECT_EQ(std::string(reply.begin(), reply.end()), c.expected) << c.name;
    }
}

TEST(AuxExchange, FramesOfOtherLogsAreSkipped) {
    AuxBench b;
    b.device.On("Q", {{"one", "two"}, sim::Ms(50), sim::Ms(500)});
    // Another log arrives between the two answer portions.
    b.receiver.ScheduleAt(sim::Ms(3300 + 1400), [&](sim::SimTime at) {
        b.receiver.SendLogToHost(logid::ExtLevels, std::vector<uint8_t>(64, 0), at);
    });
    char request[8] = "Q";
    char reply[32];
    b.ma.AuxExchange(request, sizeof request, reply, sizeof reply);
    EXPECT_STREQ(reply, "onetwo");
}

TEST(AuxExchange, RefusedRequestsSendNothing) {
    struct Case {
        const char* name;
        std::string request;
        size_t bufferSize;
    } cases[] = {
        {"no room for the line end", "AT", 4},
        {"longer than one sendhex line", std::string(245, 'A'), 300},
    };
    for (const Case& c : cases) {
        AuxBench b;
        std::vector<char> request(c.bufferSize, '\0');
        std::memcpy(request.data(), c.request.data(), c.request.size());
        char reply[8] = "junk";
        b.ma.AuxExchange(request.data(), request.size(), reply, sizeof reply);
        EXPECT_TRUE(b.Lines().empty()) << c.name;
        EXPECT_STREQ(reply, "") << c.name;
        EXPECT_EQ(std::string(request.data()), c.request) << c.name << ": the request is left as it was";
    }
    AuxBench fits;
    std::vector<char> request(300, '\0');
    std::memset(request.data(), 'A', 244);
    char reply[8];
    fits.ma.AuxExchange(request.data(), request.size(), reply, sizeof reply);
    EXPECT_EQ(fits.Lines().size(), 7u) << "244 characters and the line end fit one line";
}

TEST(InterruptUhfRadio, FiveInterruptsWithoutPauses) {
    AuxBench b;
    const size_t before = b.LineCount();
    EXPECT_TRUE(b.ma.InterruptUhfRadio());
    const std::string hex = "sendhex AUX 9 534c262b3d32390d0a\r\n";
    EXPECT_EQ(b.Lines(before), (std::vector<std::string>{"unlog passauxb\r\n", hex, hex, hex, hex, hex,
                                                         "log passauxb onnew\r\n"}));
    std::vector<sim::SimTime> times;
    for (const auto& e : b.link.Record().Entries())
        if (e.kind == sim::Transcript::Kind::HostSent && std::string(e.bytes.begin(), e.bytes.end()) == hex)
            times.push_back(e.at);
    ASSERT_EQ(times.size(), 5u);
    EXPECT_EQ(times.front(), times.back()) << "written back to back";
    b.Settle();
    EXPECT_EQ(b.device.LinesReceived(), std::vector<std::string>(5, "SL&+=29"));
}

TEST(OpenAuxBridge, CommandsPerRadioAndBytesPassStraightThrough) {
    struct Case {
        int32_t kind;
        bool ok;
        std::vector<std::string> lines;
    } cases[] = {
        {kPeripheralNone, false, {}},
        {kPeripheralUhf, true,
         {"comvout aux on\r\n", "appcontrol USERGPIO 1 1\r\n", "appcontrol USERGPIO 2 0\r\n", "com AUX 115200\r\n",
          "com COM2 115200\r\n", "INTERFACEMODE AUX TCOM2 NONE OFF\r\n", "INTERFACEMODE COM2 TAUX NONE OFF\r\n"}},
        {kPeripheralGsm, true,
         {"comvout aux on\r\n", "appcontrol USERGPIO 1 0\r\n", "com AUX 115200\r\n", "com COM2 115200\r\n",
          "INTERFACEMODE AUX TCOM2 NONE OFF\r\n", "INTERFACEMODE COM2 TAUX NONE OFF\r\n"}},
    };
    for (const Case& c : cases) {
        SimBench b(qvr::test::ReceiverAt(9600, "COM2"));
        sim::SimAuxPort aux(b.receiver);
        sim::EchoDevice echo;
        aux.AttachDevice(&echo);
        ASSERT_TRUE(b.ma.Connect("COM1"));
        b.ma.Peripheral().kind = c.kind;
        const size_t before = b.LineCount();
        EXPECT_EQ(b.ma.OpenAuxBridge(115200), c.ok);
        EXPECT_EQ(b.Lines(before), c.lines);
        if (!c.ok) continue;
        EXPECT_EQ(b.ma.Port().BaudRate(), 115200);
        b.ma.Port().Purge();
        // The radio's own protocol now runs over the PC port.
        const std::string probe = "\x7f\x01raw bytes\x00\xff";
        b.ma.Port().Write(reinterpret_cast<const uint8_t*>(probe.data()), static_cast<int>(probe.size()));
        b.ma.Port().UpdateReadBuffer();
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.ma.Port().Buffer()), b.ma.Port().BufferedCount()), probe);
        EXPECT_TRUE(aux.BridgeOpen());
    }
}
