// The simulated receiver and the virtual link on their own: the line model
// and the named faults the protocol tests rely on.
#include <gtest/gtest.h>

#include <string>

#include "LogFrame.h"
#include "SimReceiver.h"
#include "VirtualLink.h"

using namespace qvr;
using namespace qvr::sim;

namespace {

ReceiverConfig Config(int baud, const char* port = "COM1") {
    ReceiverConfig config;
    config.baud = baud;
    config.port = port;
    return config;
}

struct Line {
    explicit Line(ReceiverConfig config = {}) : receiver(std::move(config)), link(receiver) {}
    void Open(int baud) {
        ASSERT_TRUE(link.Device().Open("COM1"));
        ASSERT_TRUE(link.Device().ApplyLineSettings(baud));
    }
    void Send(const std::string& text) {
        size_t written = 0;
        link.Device().Write(reinterpret_cast<const uint8_t*>(text.data()), text.size(), &written);
    }
    std::string ReadFor(uint32_t ms) {
        std::string out(8192, '\0');
        size_t n = 0;
        link.Device().Read(reinterpret_cast<uint8_t*>(out.data()), out.size(), ms, &n);
        out.resize(n);
        return out;
    }
    SimReceiver receiver;
    VirtualLink link;
};

} // namespace

TEST(VirtualLine, ByteTimesFollowTheRate) {
    // The receiver acts on the "\r" of "unlogall\r\n": 9 characters of 10 bit times, the 2 ms reply delay,
    // then the acknowledgement of 14 characters.
    for (int baud : {4800, 9600, 115200}) {
        Line line(Config(baud));
        line.Open(baud);
        line.Send("unlogall\r\n");
        const std::string ack = "\r\n<OK\r\n[COM1]";
        std::string got(ack.size(), '\0');
        size_t n = 0;
        line.link.Device().Read(reinterpret_cast<uint8_t*>(got.data()), got.size(), 5000, &n);
        EXPECT_EQ(got, ack);
        const SimTime expected = 9 * ByteTime(baud) + Ms(2) + ack.size() * ByteTime(baud);
        EXPECT_EQ(line.link.Virtual().Now(), expected) << baud;
    }
}

TEST(VirtualLine, WrongRateIsGarbageBothWays) {
    Line line(Config(57600));
    line.Open(9600);
    line.Send("log versionb\r\nlog versionb\r\n");
    const std::string reply = line.ReadFor(2000);
    EXPECT_TRUE(line.receiver.CommandsReceived().empty());
    EXPECT_EQ(reply.find('\xAA'), std::string::npos);
    EXPECT_EQ(reply.find("OK"), std::string::npos);

    // The receiver's answers are garbage to a host at another rate too.
    Line other(Config(9600));
    other.Open(9600);
    other.Send("log versionb\r\n");
    other.link.AdvanceTo(Ms(5));
    other.link.Device().Close();
    other.Open(19200);
    const std::string garbled = other.ReadFor(2000);
    EXPECT_FALSE(garbled.empty());
    EXPECT_EQ(garbled.find("\xAA\x44\x12"), std::string::npos);
}

TEST(VirtualLine, ComCommandSwitchesAfterTheAcknowledgement) {
    Line line(Config(9600, "COM2"));
    line.Open(9600);
    line.Send("com COM2 115200\r\n");
    EXPECT_NE(line.ReadFor(100).find("<OK"), std::string::npos) << "acknowledged at the old rate";
    EXPECT_EQ(line.receiver.Baud(), 115200);
    line.Send("com COM1 4800\r\n");  // another port: this one keeps its rate
    line.ReadFor(100);
    EXPECT_EQ(line.receiver.Baud(), 115200);
}

TEST(VirtualLine, VersionLogFrameIsWellFormed) {
    Line line;
    line.Open(9600);
    line.Send("log versionb\r\n");
    const std::string reply = line.ReadFor(2000);
    const size_t at = reply.find("\xAA\x44\x12");
    ASSERT_NE(at, std::string::npos);
    const auto* frame = reinterpret_cast<const uint8_t*>(reply.data() + at);
    EXPECT_EQ(frame[3], 28);
    EXPECT_EQ(ReadLe16(frame + 4), 37);
    const size_t length = ReadLe16(frame + 8);
    EXPECT_EQ(length, 4u + 108u * 4u);
    ASSERT_EQ(reply.size() - at, 28 + length + 4);
    EXPECT_EQ(ReadLe32(frame + 28 + length), LogCrc32(frame, 28 + length));
    EXPECT_EQ(ReadLe32(frame + 28), 4u);
}

TEST(VirtualLine, FaultsShapeTheNextFrames) {
    struct Case {
        FrameFault fault;
        size_t frameBytes;  // bytes from the sync on, in the reply
        int chunks;         // receiver transmissions after the acknowledgement
    } cases[] = {
        {FrameFault::LostFrame, 0, 0},
        {FrameFault::BadCrc, 468, 1},
        {FrameFault::SplitFrame, 468, 2},
        {FrameFault::ChunkedReply, 468, 4},
        {FrameFault::Oversized, 2052, 1},
        {FrameFault::TextBefore, 468, 2},
    };
    for (const Case& c : cases) {
        Line line;
        line.receiver.InjectFault(c.fault, 1, 100);
        line.Open(9600);
        line.Send("log versionb\r\n");
        const std::string reply = line.ReadFor(5000);
        const size_t at = reply.find("\xAA\x44\x12");
        EXPECT_EQ(at == std::string::npos ? 0 : reply.size() - at, c.frameBytes) << static_cast<int>(c.fault);
        int chunks = 0;
        for (const auto& e : line.link.Record().Entries())
            if (e.kind == Transcript::Kind::ReceiverSent) ++chunks;
        EXPECT_EQ(chunks - 1, c.chunks) << static_cast<int>(c.fault);
        // The fault is used up: the next frame is clean.
        line.Send("log versionb\r\n");
        const std::string next = line.ReadFor(5000);
        const size_t a2 = next.find("\xAA\x44\x12");
        ASSERT_NE(a2, std::string::npos);
        const auto* frame = reinterpret_cast<const uint8_t*>(next.data() + a2);
        EXPECT_EQ(ReadLe32(frame + 28 + 436), LogCrc32(frame, 28 + 436)) << static_cast<int>(c.fault);
    }
}

TEST(VirtualLine, TokenizerKeepsQuotedTexts) {
    EXPECT_EQ(SimReceiver::Tokenize("setversioninfo userinfo \"a b\" \"\" x"),
              (SimReceiver::Tokens{"setversioninfo", "userinfo", "a b", "", "x"}));
}
