// CComPort against a scripted device in virtual time.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ComPort.h"
#include "RecordingTrace.h"
#include "ScriptedSerialDevice.h"

using namespace qvr;
using qvr::test::RecordingTrace;
using qvr::test::ScriptedSerialDevice;

namespace {

class FakePorts : public IPortEnumerator {
public:
    bool Enumerate(Visitor visit, void* context) override {
        if (!available) return false;
        for (const std::string& name : names) visit(context, name.c_str());
        return true;
    }
    std::vector<std::string> names;
    bool available = true;
};

struct Fixture {
    sim::VirtualClock clock;
    ScriptedSerialDevice device{clock};
    RecordingTrace trace;
    FakePorts ports;
    CComPort port{PlatformServices{&clock, &device, &trace, &ports}};

    void Fill(const std::string& bytes) {
        device.Arrive(0, bytes);
        port.Open("COM1", 9600);
        port.UpdateReadBuffer();
    }
    std::string Buffered() const {
        return std::string(reinterpret_cast<const char*>(port.Buffer()), static_cast<size_t>(port.BufferedCount()));
    }
};

const char* kInsufficient = "Error in 'CComPort::Find'. Insufficent bytes in read buffer to match pattern.";
const char* kBadStart = "Error in 'CComPort::Read'. Requested StartIndex is greater than available bytes.";

} // namespace

TEST(ComPortFind, Table) {
    struct Case {
        const char* buffered;
        int start;
        const char* pattern;
        int length;
        int expected;
        bool traced;
    } cases[] = {
        {"abcdef", 0, "def", 3, 3, false},       // ends exactly at the last byte
        {"abcdef", 0, "abcdef", 6, 0, false},    // the whole buffer
        {"abcabc", 1, "abc", 3, 3, false},       // search starts at the start index
        {"abcdef", 0, "xyz", 3, -1, false},      // not there
        {"abcdef", 0, "a", 0, -1, true},         // length 0
        {"abcdef", 4, "efg", 3, -1, true},       // start + length beyond the buffer
        {"ab", 0, "abc", 3, -1, true},           // pattern longer than what is buffered
    };
    for (const Case& c : cases) {
        Fixture f;
        f.Fill(c.buffered);
        const int found =
            f.port.Find(c.start, reinterpret_cast<const uint8_t*>(c.pattern), c.length);
        EXPECT_EQ(found, c.expected) << c.buffered << " / " << c.pattern;
        EXPECT_EQ(f.trace.Contains(kInsufficient), c.traced) << c.buffered << " / " << c.pattern;
        EXPECT_EQ(f.Buffered(), c.buffered) << "Find consumes nothing";
    }
}

TEST(ComPortRead, Table) {
    struct Case {
        int start, max;
        bool consume;
        int expected;
        const char* copied;
        const char* left;
        bool traced;
    } cases[] = {
        {5, 10, true, 7, "56789AB", "", false},            // bytes before the start are dropped too
        {0, 4, true, 4, "0123", "456789AB", false},
        {2, 3, false, 3, "234", "0123456789AB", false},   // without consume nothing changes
        {12, 5, true, 0, "", "", false},                  // start == count: nothing, no trace
        {13, 5, true, 0, "", "0123456789AB", true},       // start beyond the count
    };
    for (const Case& c : cases) {
        Fixture f;
        f.Fill("0123456789AB");
        char out[32] = {};
        const int n = f.port.Read(reinterpret_cast<uint8_t*>(out), c.max, c.start, c.consume);
        EXPECT_EQ(n, c.expected) << c.start;
        EXPECT_EQ(std::string(out, static_cast<size_t>(n)), c.copied) << c.start;
        EXPECT_EQ(f.Buffered(), c.left) << c.start;
        EXPECT_EQ(f.trace.Contains(kBadStart), c.traced) << c.start;
    }
}

TEST(ComPortUpdate, ReadsFor300msAndAppends) {
    Fixture f;
    f.device.Arrive(100, "abc");
    f.device.Arrive(250, "de");
    f.device.Arrive(400, "late");
    ASSERT_TRUE(f.port.Open("COM1", 9600));
    EXPECT_EQ(f.port.UpdateReadBuffer(), 5);
    EXPECT_EQ(f.clock.Now(), sim::Ms(300)) << "asks for all free space, so it waits the full 300 ms";
    EXPECT_EQ(f.port.UpdateReadBuffer(), 4);
    EXPECT_EQ(f.Buffered(), "abcdelate");
}

TEST(ComPortUpdate, FullBufferReadsNothingUntilConsumed) {
    Fixture f;
    f.device.Arrive(0, std::string(CComPort::kReceiveBufferSize + 10, 'z'));
    ASSERT_TRUE(f.port.Open("COM1", 9600));
    EXPECT_EQ(f.port.UpdateReadBuffer(), CComPort::kReceiveBufferSize);
    EXPECT_EQ(f.port.UpdateReadBuffer(), 0);
    EXPECT_TRUE(f.trace.Contains("Error in 'CComPort::UpdateReadBuffer'. ReadBufferFull."));
    uint8_t sink[100];
    EXPECT_EQ(f.port.Read(sink, 100, 0, true), 100);
    EXPECT_EQ(f.port.UpdateReadBuffer(), 10);
    EXPECT_EQ(f.port.BufferedCount(), CComPort::kReceiveBufferSize - 90);
}

TEST(ComPortUpdate, FailuresReturnZeroWithTheirTrace) {
    Fixture f;
    EXPECT_EQ(f.port.UpdateReadBuffer(), 0);
    EXPECT_TRUE(f.trace.Contains("Error in 'CComPort::UpdateReadBuffer'. Invalid Handle."));
    EXPECT_EQ(f.port.Write(reinterpret_cast<const uint8_t*>("x"), 1), 0);
    EXPECT_TRUE(f.trace.Contains("Error in 'CComPort::Write'. Invalid Handle."));

    f.device.Arrive(0, "lost");
    ASSERT_TRUE(f.port.Open("COM1", 9600));
    f.device.FailRead(1, 995);
    EXPECT_EQ(f.port.UpdateReadBuffer(), 0);
    EXPECT_TRUE(f.trace.Contains("Error in 'CComPort::UpdateReadBuffer'. ReadFile Error. Last Error: 995"));
}

TEST(ComPortUpdate, AFailedReadLosesTheLinkUntilItIsCleared) {
    Fixture f;
    f.device.Stream(0, 10);
    ASSERT_TRUE(f.port.Open("COM1", 9600));
    f.device.FailRead(1, 5);
    EXPECT_EQ(f.port.UpdateReadBuffer(), 0);
    ASSERT_TRUE(f.port.LinkLost());
    const int reads = f.device.ReadCalls();
    const sim::SimTime at = f.clock.Now();
    for (int i = 0; i < 1000; ++i) f.port.UpdateReadBuffer();
    EXPECT_EQ(f.port.Write(reinterpret_cast<const uint8_t*>("x"), 1), 0);
    EXPECT_EQ(f.device.ReadCalls(), reads) << "a lost device is not read again";
    EXPECT_EQ(f.clock.Now(), at) << "and nothing waits on it";
    EXPECT_EQ(f.device.Written(), "");
    int lines = 0;
    for (const std::string& line : f.trace.lines) lines += line.find("the link is lost") != std::string::npos;
    EXPECT_EQ(lines, 1) << "said once";
    f.port.ClearLinkLost();
    EXPECT_GT(f.port.UpdateReadBuffer(), 0);
}

TEST(ComPortPurge, StopsAfterFiveReadsAgainstAChattyDevice) {
    Fixture f;
    f.device.Stream(0, 50);
    ASSERT_TRUE(f.port.Open("COM1", 9600));
    f.port.Purge();
    EXPECT_EQ(f.device.ReadCalls(), 5);
    EXPECT_EQ(f.clock.Now(), sim::Ms(5 * (300 + 100)));
    EXPECT_EQ(f.port.BufferedCount(), 0);
}

TEST(ComPortPurge, QuietDeviceTakesOneRead) {
    Fixture f;
    f.Fill("old");
    f.port.Purge();
    EXPECT_EQ(f.device.ReadCalls(), 2);
    EXPECT_EQ(f.port.BufferedCount(), 0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(f.port.Buffer()[i], 0) << "the buffer is zeroed";
}

TEST(ComPortOpen, FailureAndLineSettingTraces) {
    struct Case {
        bool openFails, fetchFails, applyFails;
        Variant variant;
        bool result;
        std::vector<std::string> traces;
    } cases[] = {
        {true, false, false, Variant::Desktop, false, {"Error while opening COM7! LastError = 2\n\n"}},
        {false, true, false, Variant::Desktop, true,
         {"Cannot fetch the state of COM7. GetCommState(...) returned 87."}},
        {false, false, true, Variant::Desktop, true,
         {"Cannot set the state of COM7. SetCommState(...) returned 87."}},
        {false, true, true, Variant::Handheld, true, {}},  // the handheld says nothing here
    };
    for (const Case& c : cases) {
        sim::VirtualClock clock;
        ScriptedSerialDevice device(clock);
        RecordingTrace trace;
        FakePorts ports;
        CComPort port(PlatformServices{&clock, &device, &trace, &ports}, c.variant);
        if (c.openFails) device.FailOpen(2);
        device.FailLineSettings(c.fetchFails, c.applyFails);
        EXPECT_EQ(port.Open("COM7", 38400), c.result);
        EXPECT_EQ(port.IsOpen(), c.result);
        EXPECT_EQ(port.BaudRate(), 38400) << "the rate is remembered even when the open fails";
        EXPECT_EQ(trace.lines, c.traces);
        EXPECT_STREQ(port.LastOpenedName(), c.result ? "COM7" : "");
    }
}

TEST(ComPortEnumerate, SortsByTheWeightedCharacterSum) {
    Fixture f;
    f.ports.names = {"COM11", "COM20", "COM10", "COM3", "COM1"};
    ASSERT_EQ(f.port.EnumeratePorts(), 5);
    std::vector<std::string> listed;
    char name[CComPort::kPortNameSize];
    for (int i = 0; f.port.GetComPortName(name, i); ++i) listed.push_back(name);
    EXPECT_EQ(listed, (std::vector<std::string>{"COM1", "COM3", "COM10", "COM20", "COM11"}));
    EXPECT_STREQ(name, "") << "an index past the end gives an empty text";
    EXPECT_TRUE(f.trace.Contains("Invalid Index in CComPort::GetComPortName"));
    EXPECT_EQ(CComPort::PortSortKey("COM1"), 380);
}

TEST(ComPortEnumerate, NamesThatDoNotFitAreLeftOutNotCut) {
    Fixture f;
    f.ports.names = {"ttyUSB10", "ttyUSB1000"};
    for (int i = 0; i < 25; ++i) f.ports.names.push_back("ttyS" + std::to_string(i));
    const int count = f.port.EnumeratePorts();
    EXPECT_EQ(count, CComPort::kMaxPorts);
    char name[CComPort::kPortNameSize];
    bool sawCut = false;
    for (int i = 0; i < count; ++i) {
        ASSERT_TRUE(f.port.GetComPortName(name, i));
        sawCut |= std::string(name) == "ttyUSB100";
    }
    EXPECT_FALSE(sawCut) << "ttyUSB1000 must not turn into ttyUSB100";
    EXPECT_TRUE(f.trace.Contains("CComPort::EnumeratePorts - port name too long, left out: ttyUSB1000"));
    EXPECT_TRUE(f.trace.Contains("CComPort::EnumeratePorts - more than 20 ports, left out: ttyS19"));
}

TEST(ComPortEnumerate, UnreadableListKeepsTheOldTable) {
    Fixture f;
    f.ports.names = {"COM1", "COM2"};
    ASSERT_EQ(f.port.EnumeratePorts(), 2);
    f.ports.available = false;
    EXPECT_EQ(f.port.EnumeratePorts(), 0);
    f.ports.available = true;
    f.ports.names = {};
    char name[CComPort::kPortNameSize];
    EXPECT_FALSE(f.port.GetComPortName(name, 0));
}
