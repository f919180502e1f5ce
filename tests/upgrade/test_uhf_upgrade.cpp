// The UHF radio firmware upgrade against the simulated receiver and the
// simulated radio's flash loader, in virtual time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "ScriptedSerialDevice.h"
#include "SimAuxPort.h"
#include "SimBench.h"
#include "SimUhfRadio.h"
#include "UhfUpgrade.h"
#include "UpgradeFile.h"

using namespace qvr;
using qvr::test::SimBench;

namespace {

// A file in the temporary folder, removed with the object.
struct TempFile {
    explicit TempFile(const std::vector<uint8_t>& bytes) {
        static int counter = 0;
        path = (std::filesystem::temp_directory_path() /
                ("qvr_uhf_" + std::to_string(::getpid()) + "_" + std::to_string(++counter) + ".sfo"))
                   .string();
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file) {
            if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
            std::fclose(file);
        }
    }
    ~TempFile() { std::remove(path.c_str()); }
    std::string path;
};

// An image with every byte value, ACK bytes and zeros among them, and one
// program message whose data begin like the end-of-programming message.
std::vector<uint8_t> Image(size_t size) {
    std::vector<uint8_t> image(size);
    for (size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>((i * 7 + i / 251) & 0xFF);
    if (size >= 3 * 132 + 5) {
        const uint8_t end[5] = {0xFF, 0xFF, 0xFF, 0xFF, 0xB4};
        std::copy(end, end + 5, image.begin() + 2 * 132);
    }
    return image;
}

// Forwards to the link's device and notes every new percent and state of
// the progress record at each write, as a page's timer would see them.
class WatchedDevice : public ISerialDevice {
public:
    WatchedDevice(ISerialDevice& inner, UpgradeProgress& progress) : m_inner(inner), m_progress(progress) {}
    bool Open(const char* name) override { return m_inner.Open(name); }
    bool IsOpen() const override { return m_inner.IsOpen(); }
    void Close() override { m_inner.Close(); }
    bool FetchLineSettings() override { return m_inner.FetchLineSettings(); }
    bool ApplyLineSettings(int baud) override { return m_inner.ApplyLineSettings(baud); }
    bool Read(uint8_t* d, size_t n, uint32_t t, size_t* r) override { return m_inner.Read(d, n, t, r); }
    bool Write(const uint8_t* s, size_t n, size_t* w) override {
        const UpgradeProgressRecord r = m_progress.Snapshot();
        if (percents.empty() || percents.back() != r.percent) percents.push_back(r.percent);
        if (states.empty() || states.back() != r.state) states.push_back(r.state);
        return m_inner.Write(s, n, w);
    }
    bool HasGone() override { return m_inner.HasGone(); }
    int LastError() const override { return m_inner.LastError(); }
    std::vector<int> percents, states;

private:
    ISerialDevice& m_inner;
    UpgradeProgress& m_progress;
};

struct UpgradeBench : SimBench {
    explicit UpgradeBench(sim::UhfRadioConfig config = {}) : radio(std::move(config)) {
        aux.AttachDevice(&radio);
        EXPECT_TRUE(ma.Connect("COM1"));
        ma.SendCommand("comvout aux on\r\n");
        ma.SendCommand("log passauxb onnew\r\n");
        const bool found = ma.DetectUhfRadio();
        EXPECT_EQ(found, !radio.Config().echoOnly);
        Settle();
    }
    bool Run(const std::vector<uint8_t>& file) {
        TempFile temp(file);
        start = LineCount();
        const bool result = engine.StartUhfUpgrade(temp.path.c_str());
        // Lets the radio take in the last message (the engine waits for
        // nothing after it).
        link.AdvanceTo(link.Virtual().Now() + sim::Ms(100));
        return result;
    }
    // The engine's writes, each as one string.
    std::vector<std::string> Writes() const { return Lines(start); }
    int WritesOfSize(size_t size) const {
        const auto w = Writes();
        return static_cast<int>(std::count_if(w.begin(), w.end(), [size](const std::string& s) { return s.size() == size; }));
    }

    sim::SimAuxPort aux{receiver};
    sim::SimUhfRadio radio;
    UpgradeProgress progress;
    WatchedDevice device{link.Device(), progress};
    UhfUpgradeEngine engine{ma, progress, &device, &link.Clock(), &trace};
    size_t start = 0;
};

sim::UhfRadioConfig Loader(sim::LoaderFault fault, int index = 0) {
    sim::UhfRadioConfig config;
    config.loaderFault = fault;
    config.faultIndex = index;
    return config;
}

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s.push_back(static_cast<char>(v));
    return s;
}

} // namespace

TEST(UhfLoaderMessages, ChecksumsMakeEveryMessageAddUpToZero) {
    uint8_t erase[4];
    UhfUpgradeEngine::EraseMessage(0, erase);
    EXPECT_EQ(std::vector<uint8_t>(erase, erase + 4), (std::vector<uint8_t>{0x58, 0x01, 0x00, 0xA7}));
    UhfUpgradeEngine::EraseMessage(15, erase);
    EXPECT_EQ(erase[3], 0x98);
    UhfUpgradeEngine::EraseMessage(0xFF, erase);
    EXPECT_EQ(std::vector<uint8_t>(erase, erase + 4), (std::vector<uint8_t>{0x58, 0x01, 0xFF, 0xA8}));
    uint8_t end[6];
    UhfUpgradeEngine::EndOfProgrammingMessage(end);
    EXPECT_EQ(std::vector<uint8_t>(end, end + 6), (std::vector<uint8_t>{0x50, 0xFF, 0xFF, 0xFF, 0xFF, 0xB4}));
    const std::vector<uint8_t> data = Image(132);
    uint8_t program[UhfUpgradeEngine::kProgramMessageSize];
    UhfUpgradeEngine::ProgramMessage(data.data(), program);
    EXPECT_EQ(program[0], 0x50);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), program + 1));
    uint8_t sum = 0;
    for (uint8_t b : program) sum = static_cast<uint8_t>(sum + b);
    EXPECT_EQ(sum, 0);
}

TEST(UhfUpgrade, WholeImageInVirtualTime) {
    UpgradeBench b;
    const std::vector<uint8_t> file = Image(132 * 1000);
    const double begin = b.Seconds();
    ASSERT_TRUE(b.Run(file));
    EXPECT_EQ(b.radio.Image(), file) << "the radio holds exactly the file";
    EXPECT_STREQ(b.engine.FailureReason(), "");

    const UpgradeProgressRecord r = b.progress.Snapshot();
    EXPECT_EQ(r.state, kUpgradeDone);
    EXPECT_EQ(r.failed, 0);
    EXPECT_EQ(r.percent, 100);
    EXPECT_EQ(r.engineEnded, 1);
    EXPECT_EQ(r.engineResult, 1);
    EXPECT_EQ(b.device.states, (std::vector<int>{kUpgradeErasing, kUpgradeEraseFinished, kUpgradeProgramming}));
    ASSERT_FALSE(b.device.percents.empty());
    EXPECT_TRUE(std::is_sorted(b.device.percents.begin(), b.device.percents.end()));
    EXPECT_EQ(b.device.percents.back(), 100) << "at the end-of-programming message";
    EXPECT_EQ(b.device.percents.size(), 101u) << "every percent from 0 to 100";

    // The loader protocol, message by message, on the engine's own port.
    const std::vector<std::string> w = b.Writes();
    const auto engineStart = std::find(w.begin(), w.end(), Bytes({0x05}));
    ASSERT_NE(engineStart, w.end());
    std::vector<std::string> head(engineStart, engineStart + 20);
    std::vector<std::string> expected = {Bytes({0x05}), "H"};
    for (int n = 0; n < 16; ++n) expected.push_back(Bytes({0x58, 0x01, n, (0x100 - 0x59 - n) & 0xFF}));
    expected.push_back(Bytes({0x58, 0x01, 0xFF, 0xA8}));
    expected.push_back("C");
    EXPECT_EQ(head, expected);
    EXPECT_EQ(b.WritesOfSize(134), 1000);
    EXPECT_EQ(w.back(), Bytes({0x50, 0xFF, 0xFF, 0xFF, 0xFF, 0xB4}));
    const auto& s = b.radio.Loader();
    EXPECT_EQ(s.eraseMessages, 16);
    EXPECT_EQ(s.programMessages, 1000);
    EXPECT_EQ(s.badChecksums, 0);
    EXPECT_EQ(s.endOfProgramming, 1);
    // Each ACK read lasts its whole 100 ms: the loader is never driven
    // faster than a program message every 100 ms.
    EXPECT_EQ(s.paceViolations, 0);
    EXPECT_GE(s.shortestProgramGap, sim::Ms(100));

    const auto banner = std::find(b.trace.lines.begin(), b.trace.lines.end(),
                                  "*                  Beginning FLASH update.                 *");
    ASSERT_NE(banner, b.trace.lines.end());
    EXPECT_EQ(*(banner - 1), std::string(60, '*'));
    EXPECT_EQ(*(banner + 1), std::string(60, '*'));
    for (int n = 0; n < 16; ++n)
        EXPECT_TRUE(b.trace.Contains("Erase flash index " + std::to_string(n) + " successful.")) << n;
    EXPECT_FALSE(b.trace.Contains("Error found during write flash."));

    // Programming: from the first program message to the end-of-programming
    // message, one 100 ms ACK read per message.
    sim::SimTime first = 0, last = 0;
    for (const auto& e : b.link.Record().Entries()) {
        if (e.kind != sim::Transcript::Kind::HostSent) continue;
        if (e.bytes.size() == 134 && first == 0) first = e.at;
        if (e.bytes.size() == 6 && e.bytes[0] == 0x50) last = e.at;
    }
    const double programming = static_cast<double>(last - first) / 1e9;
    EXPECT_NEAR(programming, 1000 * 0.1, 1.0);
    EXPECT_LT(b.Seconds() - begin, 120.0);
}

TEST(SimUhfLoader, ProgramMessagesFasterThanThePaceAreViolations) {
    UpgradeBench b;
    ASSERT_TRUE(b.ma.EnterFlashLoader());
    b.ma.Port().Device().ApplyLineSettings(38400);
    auto send = [&](const std::vector<uint8_t>& bytes) {
        size_t written = 0;
        b.ma.Port().Device().Write(bytes.data(), bytes.size(), &written);
    };
    auto after = [&](uint32_t ms) { b.link.AdvanceTo(b.link.Virtual().Now() + sim::Ms(ms)); };
    send({0x05, 'H'});
    after(200);
    for (int n = 0; n <= 16; ++n) {
        uint8_t erase[4];
        UhfUpgradeEngine::EraseMessage(n < 16 ? static_cast<uint8_t>(n) : 0xFF, erase);
        send({erase, erase + 4});
        after(100);
    }
    send({'C'});
    after(100);
    uint8_t program[UhfUpgradeEngine::kProgramMessageSize];
    UhfUpgradeEngine::ProgramMessage(Image(132).data(), program);
    // Begun 100 ms, 37 ms (an ACK answered at once) and 150 ms after the previous.
    for (uint32_t gap : {100u, 37u, 150u, 100u}) {
        send({program, program + sizeof program});
        after(gap);
    }
    EXPECT_EQ(b.radio.Loader().programMessages, 4);
    EXPECT_EQ(b.radio.Loader().paceViolations, 1);
    EXPECT_EQ(b.radio.Loader().shortestProgramGap, sim::Ms(37));
}

TEST(UhfUpgrade, SectorAcknowledgedOnTheSecondTry) {
    UpgradeBench b(Loader(sim::LoaderFault::SectorAckedOnRetry, 5));
    const std::vector<uint8_t> file = Image(132 * 20);
    EXPECT_TRUE(b.Run(file));
    EXPECT_EQ(b.radio.Image(), file);
    EXPECT_EQ(b.progress.Snapshot().failed, 0);
    EXPECT_TRUE(b.trace.Contains("Did not read positive response while erasing flash index 5. Retrying...\r\n"));
    EXPECT_EQ(b.trace.Count("Retry successful."), 1);
    EXPECT_FALSE(b.trace.Contains("Erase flash index 5 successful."));
    EXPECT_FALSE(b.trace.Contains("Error found while erasing flash."));
    EXPECT_EQ(b.WritesOfSize(4), 18) << "16 sectors, one twice, and the end of the erase";
}

TEST(UhfUpgrade, LoaderSilentAfterTheEraseStillGetsEveryMessage) {
    UpgradeBench b(Loader(sim::LoaderFault::SilentAfterErase));
    const double begin = b.Seconds();
    EXPECT_FALSE(b.Run(Image(132 * 1000)));
    const UpgradeProgressRecord r = b.progress.Snapshot();
    EXPECT_EQ(r.state, kUpgradeDone);
    EXPECT_EQ(r.failed, 1);
    EXPECT_EQ(r.percent, 100);
    EXPECT_EQ(r.engineEnded, 1);
    EXPECT_EQ(r.engineResult, 0);
    EXPECT_EQ(b.WritesOfSize(134), 1000);
    EXPECT_EQ(b.Writes().back(), Bytes({0x50, 0xFF, 0xFF, 0xFF, 0xFF, 0xB4}));
    EXPECT_EQ(b.trace.Count("Error found during ending flash erase."), 1);
    EXPECT_EQ(b.trace.Count("Error found kicking off flash program."), 1);
    EXPECT_EQ(b.trace.Count("Error found during write flash."), 1000);
    EXPECT_TRUE(b.radio.Image().empty());
    EXPECT_STREQ(b.engine.FailureReason(), "The radio's flash loader reported errors during the upgrade.");
    // Every unanswered wait takes about 4 s.
    EXPECT_NEAR((b.Seconds() - begin) / 1002, 4.0, 0.25);
}

TEST(UhfUpgrade, LostAckIsAnErrorWithoutRetry) {
    UpgradeBench b(Loader(sim::LoaderFault::LostAck, 7));
    const std::vector<uint8_t> file = Image(132 * 10);
    EXPECT_FALSE(b.Run(file));
    EXPECT_EQ(b.radio.Image(), file) << "programmed, only its ACK was lost";
    EXPECT_EQ(b.WritesOfSize(134), 10) << "no retry";
    EXPECT_EQ(b.trace.Count("Error found during write flash."), 1);
    EXPECT_EQ(b.progress.Snapshot().failed, 1);
}

TEST(UhfUpgrade, PercentOfATwoMessageFile) {
    UpgradeBench b;
    EXPECT_TRUE(b.Run(Image(264)));
    EXPECT_EQ(b.device.percents, (std::vector<int>{0, 50, 100}));
    EXPECT_EQ(b.WritesOfSize(134), 2);
}

TEST(UhfUpgrade, FilesRefusedBeforeAnythingIsSent) {
    struct Case {
        const char* name;
        bool exists;
        size_t size;
        std::string reason;
        std::string trace;
    } cases[] = {
        {"not whole program messages", true, 100,
         "The upgrade file is not a UHF radio firmware file: its size (100 bytes) is not a multiple of 132 bytes.",
         "has 100 bytes, not a multiple of 132. Refused, nothing sent."},
        {"one byte over", true, 132 * 3 + 1, "its size (397 bytes) is not a multiple of 132 bytes.", "has 397 bytes"},
        {"empty", true, 0, "The specified upgrade file is empty.", "Cannot use the UHF upgrade file"},
        {"larger than a radio image can be", true, kMaxUhfUpgradeFileBytes + 132, "larger than 1 MB",
         "Cannot use the UHF upgrade file"},
        {"missing", false, 0, "does not seem to exist", "Cannot use the UHF upgrade file"},
    };
    for (const Case& c : cases) {
        UpgradeBench b;
        const size_t before = b.LineCount();
        bool result = true;
        if (c.exists) {
            result = b.Run(Image(c.size));
        } else {
            result = b.engine.StartUhfUpgrade("/nonexistent-folder/radio.sfo");
        }
        EXPECT_FALSE(result) << c.name;
        EXPECT_EQ(b.LineCount(), before) << c.name << ": nothing sent";
        const UpgradeProgressRecord r = b.progress.Snapshot();
        EXPECT_EQ(r.state + r.percent + r.failed, 0) << c.name;
        EXPECT_EQ(r.engineEnded, 1) << c.name;
        EXPECT_EQ(r.engineResult, 0) << c.name;
        EXPECT_NE(std::string(b.engine.FailureReason()).find(c.reason), std::string::npos)
            << c.name << ": " << b.engine.FailureReason();
        ASSERT_FALSE(b.trace.lines.empty());
        EXPECT_NE(b.trace.lines.back().find(c.trace), std::string::npos) << c.name << ": " << b.trace.lines.back();
    }
}

TEST(UhfUpgrade, EndsEarlyWithoutLoaderOrAcknowledgedStart) {
    struct Case {
        const char* name;
        sim::UhfRadioConfig radio;
        std::string reason;
        bool kickOffTrace;
    } cases[] = {
        {"no greeting", [] { sim::UhfRadioConfig c; c.echoOnly = true; return c; }(),
         "The radio's flash loader did not answer.", false},
        {"loader never acknowledges", Loader(sim::LoaderFault::Mute),
         "The radio's flash loader did not acknowledge the start of the upgrade.", true},
    };
    for (const Case& c : cases) {
        UpgradeBench b(c.radio);
        b.ma.Peripheral().kind = kPeripheralUhf;  // the echo is not found as a radio
        EXPECT_FALSE(b.Run(Image(264))) << c.name;
        const UpgradeProgressRecord r = b.progress.Snapshot();
        EXPECT_EQ(r.state + r.percent + r.failed, 0) << c.name;
        EXPECT_EQ(r.engineEnded, 1) << c.name;
        EXPECT_EQ(b.engine.FailureReason(), c.reason) << c.name;
        EXPECT_EQ(b.trace.Contains("Error kicking off upgrade. Returning prematurely."), c.kickOffTrace) << c.name;
        EXPECT_EQ(b.WritesOfSize(134), 0) << c.name;
    }
}

// The programming window (Ctrl+C is held off in it): from before the first
// erase message until the engine returns, after the end message.
struct Transition {
    bool programming;
    int erasesSent, endsSent;
    bool operator==(const Transition&) const = default;
};
std::vector<Transition> g_transitions;
UpgradeBench* g_watched = nullptr;
void NoteProgramming(bool programming) {
    g_transitions.push_back({programming, g_watched->WritesOfSize(4), g_watched->WritesOfSize(6)});
}

TEST(UhfUpgrade, ProgrammingWindowFromTheFirstEraseToTheEnd) {
    struct Case {
        const char* name;
        sim::UhfRadioConfig radio;
        std::vector<Transition> transitions;
    } cases[] = {
        {"whole upgrade", {}, {{true, 0, 0}, {false, 17, 1}}},
        {"an acknowledgement lost", Loader(sim::LoaderFault::LostAck, 3), {{true, 0, 0}, {false, 17, 1}}},
        {"loader never acknowledges: nothing erased", Loader(sim::LoaderFault::Mute), {}},
    };
    for (const Case& c : cases) {
        UpgradeBench b(c.radio);
        b.ma.Peripheral().kind = kPeripheralUhf;
        g_transitions.clear();
        g_watched = &b;
        b.progress.SetProgrammingObserver(&NoteProgramming);
        b.Run(Image(264));
        EXPECT_EQ(g_transitions, c.transitions) << c.name;
        EXPECT_EQ(b.progress.Snapshot().programming, 0) << c.name;
        g_watched = nullptr;
    }
}

TEST(UhfUpgrade, PortThatCannotBeOpenedEndsTheUpgrade) {
    UpgradeBench b;
    test::ScriptedSerialDevice failing(b.link.Virtual());
    failing.FailOpen(5);
    UhfUpgradeEngine engine(b.ma, b.progress, &failing, &b.link.Clock(), &b.trace);
    TempFile file(Image(264));
    EXPECT_FALSE(engine.StartUhfUpgrade(file.path.c_str()));
    EXPECT_STREQ(engine.FailureReason(),
                 "The serial port COM1 could not be opened for the upgrade (another program may have taken it). The "
                 "radio is waiting in its flash loader and has not been erased: switch the receiver off and on "
                 "again to restart the radio with its old firmware, then run the upgrade again.");
    EXPECT_TRUE(b.trace.Contains("Cannot open COM1 for the flash loader. LastError = 5"));
    const UpgradeProgressRecord r = b.progress.Snapshot();
    EXPECT_EQ(r.engineEnded, 1);
    EXPECT_EQ(r.engineResult, 0);
    EXPECT_EQ(r.state, 0);
}

TEST(UhfUpgrade, AckReadsLastTheirWhole100ms) {
    // An ACK does not end a read early: the loader is paced by the reads.
    struct Case {
        const char* name;
        std::string bytes;
        uint32_t atMs;
        bool readForAck;
        bool waitForAck;
        double waitSeconds;  // how long WaitForAck took
    } cases[] = {
        {"ACK at once", "\x06", 0, true, true, 0.1},
        {"ACK after 30 ms", "\x06", 30, true, true, 0.1},
        {"ACK after a zero byte", std::string("\x00\x06", 2), 0, false, true, 0.1},
        {"ACK after other bytes", "\x15\x06", 0, true, true, 0.1},
        {"ACK after 1.25 s", "\x06", 1250, false, true, 1.3},
        {"1023 bytes end the read", std::string(1022, '\x15') + "\x06", 0, true, true, 0.0},
        {"no ACK", "\x15", 0, false, false, 4.1},  // reads end at 0.1, 0.3, .. 4.1 s
    };
    for (const Case& c : cases) {
        for (bool wait : {false, true}) {
            sim::VirtualClock clock;
            test::ScriptedSerialDevice device(clock);
            device.Arrive(c.atMs, c.bytes);
            MAReceiver ma(Variant::Desktop, PlatformServices{&clock, &device, &NullTrace(), nullptr});
            UpgradeProgress progress;
            UhfUpgradeEngine engine(ma, progress, &device, &clock, &NullTrace());
            ASSERT_TRUE(engine.OpenFlashPort("COM1", 38400));
            EXPECT_EQ(device.LastBaud(), 38400);
            if (!wait) {
                // ReadForAck first waits 200 ms, then reads for at most 100 ms.
                EXPECT_EQ(engine.ReadForAck(), c.readForAck) << c.name;
                continue;
            }
            EXPECT_EQ(engine.WaitForAck(), c.waitForAck) << c.name;
            EXPECT_NEAR(static_cast<double>(clock.Now()) / 1e9, c.waitSeconds, 0.0001) << c.name;
        }
    }
}

TEST(SimUhfLoader, ProgramMessageWithABadChecksumIsNotAcknowledged) {
    UpgradeBench b;
    ASSERT_TRUE(b.ma.EnterFlashLoader());
    b.ma.Disconnect();
    ASSERT_TRUE(b.engine.OpenFlashPort("COM1", UhfUpgradeEngine::kFlashBaud));
    auto acknowledged = [&b](const uint8_t* message, size_t size) {
        size_t written = 0;
        b.link.Device().Write(message, size, &written);
        return b.engine.WaitForAck();
    };
    const uint8_t enter = 'H', start = 'C';
    EXPECT_TRUE(acknowledged(&enter, 1));
    EXPECT_FALSE(acknowledged(&start, 1)) << "not before the erase";
    uint8_t erase[4];
    for (int sector = 0; sector <= 16; ++sector) {
        UhfUpgradeEngine::EraseMessage(sector < 16 ? static_cast<uint8_t>(sector) : 0xFF, erase);
        EXPECT_TRUE(acknowledged(erase, sizeof erase)) << sector;
    }
    EXPECT_TRUE(acknowledged(&start, 1));
    const std::vector<uint8_t> data = Image(132);
    uint8_t program[UhfUpgradeEngine::kProgramMessageSize];
    UhfUpgradeEngine::ProgramMessage(data.data(), program);
    program[sizeof program - 1] ^= 0x01;
    EXPECT_FALSE(acknowledged(program, sizeof program));
    program[sizeof program - 1] ^= 0x01;
    EXPECT_TRUE(acknowledged(program, sizeof program));
    EXPECT_EQ(b.radio.Loader().badChecksums, 1);
    EXPECT_EQ(b.radio.Image(), data);
}

TEST(UhfUpgrade, TakesTheReceiversPortOverWithoutReleasingIt) {
    UpgradeBench b;
    UhfUpgradeEngine engine(b.ma, b.progress, nullptr, &b.link.Clock(), &b.trace);
    const int opens = b.link.OpenCount();
    TempFile file(Image(264));
    EXPECT_TRUE(engine.StartUhfUpgrade(file.path.c_str()));
    EXPECT_EQ(b.link.OpenCount(), opens + 1) << "only the bridge's change to 38400 baud";
    int closes = 0;
    for (const auto& e : b.link.Record().Entries()) closes += e.kind == sim::Transcript::Kind::HostClose;
    EXPECT_EQ(closes, 1);
    b.link.AdvanceTo(b.link.Virtual().Now() + sim::Ms(100));
    EXPECT_EQ(b.radio.Image(), Image(264));
}

TEST(UhfUpgrade, ReceiverThatVanishesEndsTheUpgradeAtTheFirstFailedWait) {
    const std::vector<uint8_t> image = Image(132 * 400);
    sim::SimTime whole = 0;
    {
        UpgradeBench b;
        UhfUpgradeEngine engine(b.ma, b.progress, nullptr, &b.link.Clock(), &b.trace);
        TempFile file(image);
        const sim::SimTime start = b.link.Virtual().Now();
        ASSERT_TRUE(engine.StartUhfUpgrade(file.path.c_str()));
        whole = b.link.Virtual().Now() - start;
    }
    struct Case {
        int percentOfTheRun;  // when the cable is pulled
        const char* says;
    } cases[] = {
        {5, "the radio was not changed"},   // while the receiver starts the loader
        {12, "has not been erased"},        // at the bridge to the loader
        {60, "firmware is incomplete"},     // while programming
        {95, "firmware is incomplete"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.percentOfTheRun);
        UpgradeBench b;
        UhfUpgradeEngine engine(b.ma, b.progress, nullptr, &b.link.Clock(), &b.trace);
        TempFile file(image);
        const sim::SimTime pulled = b.link.Virtual().Now() + whole * c.percentOfTheRun / 100;
        b.link.VanishAt(pulled);
        EXPECT_FALSE(engine.StartUhfUpgrade(file.path.c_str()));
        EXPECT_LE(b.link.Virtual().Now() - pulled, sim::Ms(5000)) << "not 4 s per remaining message";
        EXPECT_LE(b.link.CallsSinceVanished(), 3) << "no read after the failed one";
        EXPECT_NE(std::string(engine.FailureReason()).find(c.says), std::string::npos) << engine.FailureReason();
        const UpgradeProgressRecord r = b.progress.Snapshot();
        EXPECT_EQ(r.engineEnded, 1);
        EXPECT_NE(r.state, kUpgradeDone) << "ended early, not a finished upgrade";
    }
}
