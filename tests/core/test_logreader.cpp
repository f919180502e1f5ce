// The binary log reader against scripted arrivals in virtual time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MAReceiver.h"
#include "RecordingTrace.h"
#include "ScriptedSerialDevice.h"

using namespace qvr;
using qvr::test::RecordingTrace;
using qvr::test::ScriptedSerialDevice;

namespace {

std::vector<uint8_t> Frame(uint16_t id, size_t bodyLength, uint8_t fill = 0x5A) {
    std::vector<uint8_t> frame(28 + bodyLength + 4, 0);
    frame[0] = 0xAA;
    frame[1] = 0x44;
    frame[2] = 0x12;
    frame[3] = 28;
    WriteLe16(&frame[4], id);
    WriteLe16(&frame[8], static_cast<uint16_t>(bodyLength));
    for (size_t i = 0; i < bodyLength; ++i) frame[28 + i] = static_cast<uint8_t>(fill + i);
    WriteLe32(&frame[28 + bodyLength], LogCrc32(frame.data(), 28 + bodyLength));
    return frame;
}

std::vector<uint8_t> Cat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

struct Fixture {
    sim::VirtualClock clock;
    ScriptedSerialDevice device{clock};
    RecordingTrace trace;
    MAReceiver ma{Variant::Desktop, PlatformServices{&clock, &device, &trace, nullptr}};
    Fixture() { ma.Port().Open("COM1", 9600); }
    std::vector<uint8_t> Buffered() {
        return {ma.Port().Buffer(), ma.Port().Buffer() + ma.Port().BufferedCount()};
    }
};

const char* kGarbage = "ReadLog - Error found garbage header, tossing.";

} // namespace

TEST(LogCrc32, KnownValues) {
    EXPECT_EQ(LogCrc32(nullptr, 0), 0u);
    EXPECT_EQ(LogCrc32(reinterpret_cast<const uint8_t*>("abc"), 3), 0xCA6598D0u);
    EXPECT_EQ(MAReceiver::LogCrc32(reinterpret_cast<const uint8_t*>("abc"), 3), 0xCA6598D0u);
}

// Each failure case of the reader: what it returns, what stays buffered and
// what it traces.
TEST(ReadLog, FailureTable) {
    const std::vector<uint8_t> good = Frame(37, 40);
    std::vector<uint8_t> badCrc = good;
    badCrc[40] ^= 0x01;
    std::vector<uint8_t> garbage = Frame(37, 40);
    WriteLe16(&garbage[8], 3000);
    const std::vector<uint8_t> oversized = Frame(37, 2020);  // 2052 bytes in all
    const std::vector<uint8_t> truncated(good.begin(), good.begin() + 50);

    struct Case {
        const char* name;
        std::vector<uint8_t> input;
        uint32_t timeout;
        bool result;
        std::vector<uint8_t> left;  // what stays in the receive buffer
        bool traced;
    } cases[] = {
        {"nothing", {}, 1000, false, {}, false},
        {"text only", Bytes("<OK\r\n[COM1]"), 500, false, Bytes("<OK\r\n[COM1]"), false},
        {"good frame", good, 1000, true, {}, false},
        {"ack before frame", Cat(Bytes("\r\n<OK\r\n[COM1]"), good), 1000, true, {}, false},
        {"bytes after the frame stay", Cat(good, Bytes("next")), 1000, true, Bytes("next"), false},
        {"three sync bytes only", {0xAA, 0x44, 0x12}, 1000, false, {0xAA, 0x44, 0x12}, false},
        {"incomplete", truncated, 1000, false, truncated, false},
        {"bad crc is consumed", Cat(Bytes("ack"), badCrc), 1000, false, {}, false},
        {"oversized stays", oversized, 1000, false, oversized, false},
        {"garbage length", Cat(Bytes("xy"), garbage), 1000, false, {}, true},
    };
    for (Case& c : cases) {
        Fixture f;
        f.device.Arrive(10, c.input);
        const bool result = f.ma.ReadLog(c.timeout);
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(f.Buffered(), c.left) << c.name;
        EXPECT_EQ(f.trace.Contains(kGarbage), c.traced) << c.name;
    }
}

TEST(ReadLog, GarbageHeaderDropsUpTo2048BytesAfterTheSync) {
    Fixture f;
    std::vector<uint8_t> garbage = Frame(37, 40);
    WriteLe16(&garbage[8], 3000);
    garbage.resize(3 + 2100, 0x33);  // sync and plenty after it
    f.device.Arrive(0, garbage);
    EXPECT_FALSE(f.ma.ReadLog(1000));
    EXPECT_EQ(f.ma.Port().BufferedCount(), 2100 - 2048);
}

TEST(ReadLog, ZeroTimeoutReadsABufferedFrameWithoutPausing) {
    Fixture f;
    f.device.Arrive(0, Frame(798, 64));
    f.ma.Port().UpdateReadBuffer();
    const sim::SimTime before = f.clock.Now();
    EXPECT_TRUE(f.ma.ReadLog(0));
    EXPECT_EQ(f.clock.Now() - before, sim::Ms(300)) << "one read pass and no 200 ms pause";
    EXPECT_EQ(f.ma.GetLogMessageId(), 798);
    EXPECT_EQ(f.ma.LogBodyLength(), 64u);
    EXPECT_EQ(f.ma.LogBody()[0], 0x5A);
}

TEST(ReadLog, NoSyncWaitsTheTimeoutInWholeReads) {
    struct Case {
        uint32_t timeout;
        uint64_t expectedMs;
    } cases[] = {{0, 300}, {100, 300}, {300, 300}, {500, 600}, {2000, 2100}};
    for (const Case& c : cases) {
        Fixture f;
        EXPECT_FALSE(f.ma.ReadLog(c.timeout));
        EXPECT_EQ(f.clock.Now(), sim::Ms(c.expectedMs)) << c.timeout;
    }
}

TEST(ReadLog, LateTailIsLeftForTheNextCall) {
    Fixture f;
    const std::vector<uint8_t> frame = Frame(37, 200);
    f.device.Arrive(0, std::vector<uint8_t>(frame.begin(), frame.begin() + 100));
    f.device.Arrive(2000, std::vector<uint8_t>(frame.begin() + 100, frame.end()));
    EXPECT_FALSE(f.ma.ReadLog(4000));
    EXPECT_EQ(f.clock.Now(), sim::Ms(800)) << "gives up about half a second after the sync";
    f.clock.AdvanceTo(sim::Ms(2100));
    EXPECT_TRUE(f.ma.ReadLog(4000));
    EXPECT_EQ(f.ma.GetLogMessageId(), 37);
}

TEST(ReadLog, OnlyTheFirstSyncCounts) {
    Fixture f;
    std::vector<uint8_t> bad = Frame(37, 10);
    bad.back() ^= 0xFF;
    f.device.Arrive(0, Cat(bad, Frame(798, 10)));
    EXPECT_FALSE(f.ma.ReadLog(1000));
    EXPECT_TRUE(f.ma.ReadLog(1000));
    EXPECT_EQ(f.ma.GetLogMessageId(), 798);
}

TEST(ReadLog, ShortHeaderWaitsForTheLengthField) {
    // A header length below 10 would otherwise make the reader judge a length
    // field that has not arrived yet.
    Fixture f;
    f.device.Arrive(0, std::vector<uint8_t>{0xAA, 0x44, 0x12, 4, 0x25, 0x00});
    EXPECT_FALSE(f.ma.ReadLog(500));
    EXPECT_EQ(f.ma.Port().BufferedCount(), 6);
    EXPECT_FALSE(f.trace.Contains(kGarbage));
}
