// Finding the receiver, the command channel and the link rate, against the
// simulated receiver in virtual time.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "Golden.h"
#include "MAReceiver.h"
#include "RecordingTrace.h"
#include "SimReceiver.h"
#include "VirtualLink.h"

using namespace qvr;
using qvr::test::RecordingTrace;

namespace {

struct Bench {
    explicit Bench(sim::ReceiverConfig config = {}, Variant variant = Variant::Desktop, IRateMemory* rates = nullptr)
        : receiver(std::move(config)), link(receiver),
          ma(variant, PlatformServices{&link.Clock(), &link.Device(), &trace, nullptr, nullptr, nullptr, rates}) {}
    double Seconds() const { return static_cast<double>(link.Virtual().Now()) / 1e9; }
    int Opens() const { return link.OpenCount(); }
    // The rates the port was opened at, in order.
    std::vector<int> OpenRates() const {
        std::vector<int> rates;
        for (const auto& e : link.Record().Entries())
            if (e.kind == sim::Transcript::Kind::HostOpen) rates.push_back(e.baud);
        return rates;
    }

    sim::SimReceiver receiver;
    sim::VirtualLink link;
    RecordingTrace trace;
    MAReceiver ma;
};

sim::ReceiverConfig AtRate(int baud, const char* port = "COM1") {
    sim::ReceiverConfig config;
    config.baud = baud;
    config.port = port;
    return config;
}

struct MemoryRates final : IRateMemory {
    int Recall(const char* port) override { return rates.count(port) ? rates[port] : 0; }
    void Remember(const char* port, int rate) override { rates[port] = rate; }
    std::map<std::string, int> rates;
};

} // namespace

TEST(Connect, TriesTheRememberedRateFirstThenTheListWithoutIt) {
    struct Case {
        int remembered;  // 0: nothing remembered
        int receiverBaud;
        int tries;
        int rememberedAfter;
    } cases[] = {
        {0, 57600, 6, 57600},
        {57600, 57600, 1, 57600},
        {12345, 57600, 6, 57600},     // not a rate of the list: ignored
        {9600, 57600, 6, 57600},      // 9600, then the list without its first 9600
        {57600, 230400, 7, 57600},    // nothing found: the memory stays
        {115200, 9600, 2, 9600},
    };
    for (const Case& c : cases) {
        MemoryRates memory;
        if (c.remembered) memory.rates["COM1"] = c.remembered;
        Bench b(AtRate(c.receiverBaud), Variant::Desktop, &memory);
        EXPECT_EQ(b.ma.Connect("COM1"), c.receiverBaud != 230400) << c.remembered << " " << c.receiverBaud;
        EXPECT_EQ(b.Opens(), c.tries) << c.remembered << " " << c.receiverBaud;
        EXPECT_EQ(memory.rates["COM1"], c.rememberedAfter) << c.remembered << " " << c.receiverBaud;
        const std::string told =
            "Trying " + std::to_string(c.remembered) + " baud first: the receiver on COM1 was last found at that rate.";
        EXPECT_EQ(b.trace.Contains(told), c.remembered != 0 && c.remembered != 12345) << c.remembered;
    }
}

TEST(Connect, RememberedRateKeepsTheLastTryAt9600ForADamagedFirstFrame) {
    // A receiver at 9600 whose first version log arrives with a bad CRC is
    // found by the list's second try at 9600, remembered rate or not.
    using V = std::vector<int>;
    struct Case {
        Variant variant;
        const char* pcPort;
        int remembered;
        V rates;
    } cases[] = {
        {Variant::Desktop, "COM1", 0, {9600, 115200, 38400, 4800, 19200, 57600, 9600}},
        {Variant::Desktop, "COM1", 9600, {9600, 115200, 38400, 4800, 19200, 57600, 9600}},
        {Variant::Desktop, "COM1", 57600, {57600, 9600, 115200, 38400, 4800, 19200, 9600}},
        {Variant::Handheld, "COM6", 9600, {9600, 115200, 38400, 4800, 19200, 57600, 9600}},
        {Variant::Handheld, "COM6", 57600, {57600, 115200, 38400, 4800, 19200, 9600}},
    };
    for (const Case& c : cases) {
        MemoryRates memory;
        if (c.remembered) memory.rates[c.pcPort] = c.remembered;
        // The fast port's list has one try at 9600 only, as without memory.
        const bool secondChance = std::count(c.rates.begin(), c.rates.end(), 9600) == 2;
        Bench b(AtRate(9600), c.variant, &memory);
        b.receiver.InjectFault(sim::FrameFault::BadCrc, 1, 100);
        EXPECT_EQ(b.ma.Connect(c.pcPort), secondChance) << c.pcPort << " " << c.remembered;
        EXPECT_EQ(b.OpenRates(), c.rates) << c.pcPort << " " << c.remembered;
        EXPECT_EQ(memory.rates[c.pcPort], secondChance ? 9600 : c.remembered);
    }
}

TEST(Connect, SecondConnectFindsA57600ReceiverInOneProbe) {
    MemoryRates memory;
    Bench b(AtRate(57600), Variant::Desktop, &memory);
    ASSERT_TRUE(b.ma.Connect("COM1"));
    const double first = b.Seconds();
    ASSERT_TRUE(b.ma.Connect("COM1"));
    EXPECT_EQ(b.Opens(), 6 + 1);
    EXPECT_TRUE(b.trace.Contains("Trying 57600 baud first: the receiver on COM1 was last found at that rate."));
    EXPECT_LT(b.Seconds() - first, 7.0);
    // A rate change moves the memory with the receiver.
    b.ma.ChangeBaudRate(115200);
    EXPECT_EQ(memory.rates["COM1"], 115200);
}

TEST(Connect, FindsTheReceiverAtEachRateOnTheExpectedTry) {
    struct Case {
        int baud;
        bool found;
        int tries;
    } cases[] = {
        {9600, true, 1}, {115200, true, 2}, {38400, true, 3}, {4800, true, 4},
        {19200, true, 5}, {57600, true, 6}, {230400, false, 7},
    };
    for (const Case& c : cases) {
        Bench b(AtRate(c.baud));
        EXPECT_EQ(b.ma.Connect("COM1"), c.found) << c.baud;
        EXPECT_EQ(b.Opens(), c.tries) << c.baud;
        EXPECT_EQ(b.ma.Port().IsOpen(), c.found) << c.baud;
        if (c.found) {
            EXPECT_EQ(b.ma.Port().BaudRate(), c.baud);
            EXPECT_EQ(b.ma.ReceiverPortNumber(), 1);
        } else {
            EXPECT_TRUE(b.trace.Contains("Did not find reciever at any baud rate."));
            EXPECT_TRUE(b.trace.Contains("Error in GetCurrentBaudRateAndPort"));
            // Each try: 2 s pause, 5 commands of 200 ms, a 300 ms purge, 2.1 s of waiting.
            EXPECT_NEAR(b.Seconds(), 7 * 5.4, 0.01);
        }
    }
}

TEST(Connect, PortThatCannotBeOpenedEndsAfterTheFirstOpen) {
    Bench b;
    b.link.FailOpen("COM4", 5);
    EXPECT_FALSE(b.ma.Connect("COM4"));
    EXPECT_TRUE(b.trace.Contains("Error while opening COM4! LastError = 5\n\n"));
    EXPECT_TRUE(b.trace.Contains("Failed to open COM port. Already open."));
    EXPECT_TRUE(b.trace.Contains("Error in GetCurrentBaudRateAndPort"));
    EXPECT_LT(b.Seconds(), 0.001);
    EXPECT_TRUE(b.receiver.CommandsReceived().empty());
}

TEST(Connect, LearnsTheReceiverPortFromTheAsciiVersionLog) {
    struct Case {
        Variant variant;
        const char* port;
        const char* extra;
        bool ok;
        int number;
    } cases[] = {
        {Variant::Desktop, "COM1", "", true, 1},
        {Variant::Desktop, "COM2", "", true, 2},
        {Variant::Desktop, "COM3", "", true, 3},
        // COM1 wins wherever it stands, then COM2.
        {Variant::Desktop, "COM3", "\"SEE COM2 AND COM1\"", true, 1},
        {Variant::Desktop, "COM3", "\"COM2\"", true, 2},
        {Variant::Desktop, "USB1", "", false, 0},
        {Variant::Handheld, "XCOM2", "", true, 3},
        {Variant::Handheld, "XCOM3", "", true, 3},
        {Variant::Handheld, "COM2", "", true, 2},
        {Variant::Handheld, "COM3", "\"XCOM2 COM1\"", true, 3},
    };
    for (const Case& c : cases) {
        sim::ReceiverConfig config = AtRate(9600, c.port);
        config.versionaExtra = c.extra;
        Bench b(config, c.variant);
        EXPECT_EQ(b.ma.Connect("COM1"), c.ok) << c.port << " " << c.extra;
        EXPECT_EQ(b.ma.ReceiverPortNumber(), c.number) << c.port << " " << c.extra;
        EXPECT_TRUE(b.ma.Port().IsOpen()) << "the port stays open once the receiver answered";
    }
}

TEST(Connect, HandheldStartsAt115200OnCom6AndSendsExtcontrol) {
    struct Case {
        const char* pcPort;
        int receiverBaud;
        int tries;
    } cases[] = {
        {"COM6", 115200, 1}, {"COM6", 9600, 6}, {"COM1", 115200, 2}, {"COM6", 4800, 3},
    };
    for (const Case& c : cases) {
        Bench b(AtRate(c.receiverBaud), Variant::Handheld);
        EXPECT_TRUE(b.ma.Connect(c.pcPort)) << c.pcPort << " " << c.receiverBaud;
        EXPECT_EQ(b.Opens(), c.tries) << c.pcPort << " " << c.receiverBaud;
        EXPECT_TRUE(b.receiver.ExtControl());
    }
    Bench b(AtRate(230400), Variant::Handheld);
    EXPECT_FALSE(b.ma.Connect("COM6"));
    EXPECT_EQ(b.Opens(), 6) << "the list from 115200 on, 9600 last";
}

TEST(Connect, TranscriptAt9600MatchesGolden) {
    Bench b(AtRate(9600, "COM2"));
    ASSERT_TRUE(b.ma.Connect("COM1"));
    EXPECT_EQ(qvr::test::CompareGolden("connect_9600_com2.txt", b.link.Record().Render()), "");
}

TEST(Connect, TranscriptAt4800MatchesGolden) {
    // A version log of about 470 bytes needs about 1 s at 4800 baud, longer
    // than one read of the log reader waits after its sync bytes.
    Bench b(AtRate(4800));
    ASSERT_TRUE(b.ma.Connect("COM1"));
    EXPECT_EQ(b.Opens(), 4);
    EXPECT_EQ(qvr::test::CompareGolden("connect_4800.txt", b.link.Record().Render()), "");
}

TEST(Connect, AnyLogCountsAndABadOneDoesNot) {
    struct Case {
        sim::FrameFault fault;
        int count;
        bool foundFirstTry;
    } cases[] = {
        {sim::FrameFault::TextBefore, 1, true},
        {sim::FrameFault::ChunkedReply, 1, true},
        {sim::FrameFault::BadCrc, 1, false},
        {sim::FrameFault::LostFrame, 1, false},
        {sim::FrameFault::Oversized, 1, false},
        {sim::FrameFault::GarbageLength, 1, false},
    };
    for (const Case& c : cases) {
        Bench b(AtRate(9600));
        b.receiver.InjectFault(c.fault, c.count, 100);
        EXPECT_TRUE(b.ma.Connect("COM1"));
        EXPECT_EQ(b.Opens(), c.foundFirstTry ? 1 : 7) << static_cast<int>(c.fault);
    }
}

TEST(SendCommand, WritesTheTextAndPauses200ms) {
    Bench b;
    ASSERT_TRUE(b.ma.Port().Open("COM1", 9600));
    sim::SimTime before = b.link.Virtual().Now();
    EXPECT_TRUE(b.ma.SendCommand("unlogall\r\n"));
    EXPECT_EQ(b.link.Virtual().Now() - before, sim::Ms(200));
    before = b.link.Virtual().Now();
    EXPECT_TRUE(b.ma.SendCommand(""));
    EXPECT_EQ(b.link.Virtual().Now() - before, sim::Ms(200));
    EXPECT_EQ(b.link.Record().HostLines(), std::vector<std::string>{"\"unlogall\\r\\n\""});

    b.ma.Disconnect();
    before = b.link.Virtual().Now();
    EXPECT_FALSE(b.ma.SendCommand("unlogall\r\n"));
    EXPECT_EQ(b.link.Virtual().Now() - before, sim::Ms(200));
}

TEST(ChangeBaudRate, MovesBothEnds) {
    Bench b(AtRate(9600, "COM2"));
    ASSERT_TRUE(b.ma.Connect("COM1"));
    EXPECT_TRUE(b.ma.ChangeBaudRate(115200));
    EXPECT_EQ(b.ma.Port().BaudRate(), 115200);
    b.link.AdvanceTo(b.link.Virtual().Now() + sim::Ms(50));
    EXPECT_EQ(b.receiver.Baud(), 115200);
    EXPECT_EQ(b.receiver.CommandsReceived().back(), "com COM2 115200");
    // The link works at the new rate.
    b.ma.Port().Purge();
    b.ma.SendCommand("log versionb\r\n");
    EXPECT_TRUE(b.ma.ReadLog(500));
    EXPECT_EQ(b.ma.GetLogMessageId(), 37);
}

TEST(ChangeBaudRate, WhileClosedSendsNothingAndOpens) {
    Bench b;
    EXPECT_TRUE(b.ma.ChangeBaudRate(57600));
    EXPECT_TRUE(b.ma.Port().IsOpen());
    EXPECT_EQ(b.ma.Port().BaudRate(), 57600);
    EXPECT_TRUE(b.link.Record().HostLines().empty());
    EXPECT_TRUE(b.trace.Contains("Error in 'CComPort::Write'. Invalid Handle."));
}

TEST(GetPortName, CopiesAndCuts) {
    Bench b;
    b.link.FailOpen("COM9");
    b.ma.Connect("COM9");
    char name[128];
    b.ma.GetPortName(name);
    EXPECT_STREQ(name, "COM9");
    char small[3];
    b.ma.GetPortName(small, sizeof small);
    EXPECT_STREQ(small, "CO");
}
