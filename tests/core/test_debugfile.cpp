// The receiver's debug log file: recording on and off, deleting it and
// downloading it, against the simulated receiver in virtual time.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "MAReceiver.h"
#include "RecordingOperator.h"
#include "RecordingTrace.h"
#include "SimDebugFile.h"
#include "SimReceiver.h"
#include "TestFiles.h"
#include "VirtualLink.h"

using namespace qvr;
using qvr::sim::DebugStreamFault;
using qvr::test::RecordingOperator;
using qvr::test::RecordingTrace;

namespace {

// A fresh folder for the downloaded files, removed with everything in it.
struct TempDir {
    TempDir() {
        path = test::MakeTempFolder("qvr_debugfile_");
    }
    ~TempDir() {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
    std::string File(const char* name) const { return path + "/" + name; }
    std::string path;
};

// The temporary download files (NAME.XXXXXX.part) in a folder.
int PartFiles(const std::string& folder) {
    int count = 0;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
        count += entry.path().extension() == ".part";
    return count;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A progress bar that notes the virtual time of each position.
struct TimedProgress : IProgressSink {
    explicit TimedProgress(sim::VirtualLink& l) : link(l) {}
    void SetRange(int lower, int upper) override { ranges.push_back({lower, upper}); }
    void SetPosition(int position) override { positions.push_back({position, link.Virtual().Now()}); }
    sim::VirtualLink& link;
    std::vector<std::pair<int, int>> ranges;
    std::vector<std::pair<int, sim::SimTime>> positions;
};

// A connected receiver with a debug file, the transcript starting after the connect.
struct Rig {
    explicit Rig(int baud = 9600, Variant variant = Variant::Desktop, const char* pcPort = "COM1",
                 const char* receiverPort = "COM1")
        : receiver(Config(baud, receiverPort)), debugFile(receiver), link(receiver),
          ma(variant, PlatformServices{&link.Clock(), &link.Device(), &trace, nullptr, &op, &op}) {
        connected = ma.Connect(pcPort);
        link.Record().Clear();
        opensBefore = link.OpenCount();
        start = link.Virtual().Now();
    }
    static sim::ReceiverConfig Config(int baud, const char* port) {
        sim::ReceiverConfig config;
        config.baud = baud;
        config.port = port;
        return config;
    }
    // The lines the host sent since the connect, "\r\n" included.
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        for (const auto& e : link.Record().Entries())
            if (e.kind == sim::Transcript::Kind::HostSent) lines.emplace_back(e.bytes.begin(), e.bytes.end());
        return lines;
    }
    // The same with the virtual time of each, in ms since the connect.
    std::vector<std::pair<uint64_t, std::string>> TimedLines() const {
        std::vector<std::pair<uint64_t, std::string>> lines;
        for (const auto& e : link.Record().Entries())
            if (e.kind == sim::Transcript::Kind::HostSent)
                lines.push_back({(e.at - start) / sim::kMillisecond, std::string(e.bytes.begin(), e.bytes.end())});
        return lines;
    }
    sim::SimTime SentAt(const std::string& line) const {
        for (const auto& e : link.Record().Entries())
            if (e.kind == sim::Transcript::Kind::HostSent && std::string(e.bytes.begin(), e.bytes.end()) == line)
                return e.at;
        return sim::kNever;
    }
    // The receiver acts on what reached it by now (the host's pauses alone
    // don't run it).
    void Settle() { link.AdvanceTo(link.Virtual().Now()); }
    // Both ends of the link, and the host's own idea of its rate.
    void ExpectRate(int baud, const std::string& where) {
        Settle();
        EXPECT_EQ(receiver.Baud(), baud) << where;
        EXPECT_EQ(link.HostBaud(), baud) << where;
        EXPECT_EQ(ma.Port().BaudRate(), baud) << where;
    }

    sim::SimReceiver receiver;
    sim::SimDebugFile debugFile;
    sim::VirtualLink link;
    RecordingTrace trace;
    RecordingOperator op;
    MAReceiver ma;
    bool connected = false;
    int opensBefore = 0;
    sim::SimTime start = 0;
};

const std::vector<std::string> kRestore = {"dbglogfile open\r\n", "currentfile\r\n"};

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

TEST(DebugFile, RecordingSwitchesAndDeleteSendExactlyTheseLines) {
    Rig rig;
    ASSERT_TRUE(rig.connected);
    rig.ma.SetDebugFileEnabled(true);
    rig.Settle();
    EXPECT_TRUE(rig.debugFile.Recording());
    EXPECT_TRUE(rig.debugFile.OnStartHw() && rig.debugFile.OnStartTracking());
    rig.ma.SetDebugFileEnabled(false);
    rig.Settle();
    EXPECT_FALSE(rig.debugFile.Recording());
    EXPECT_FALSE(rig.debugFile.OnStartHw() || rig.debugFile.OnStartTracking());
    rig.debugFile.SetContent(sim::SimDebugFile::Pattern(100));
    EXPECT_TRUE(rig.ma.DeleteDebugFile());
    rig.Settle();
    EXPECT_FALSE(rig.debugFile.FilePresent());

    const std::vector<std::pair<uint64_t, std::string>> expected = {
        {0, "dbglogfile open hw\r\n"},     {200, "dbglogfile open tracking\r\n"},
        {400, "dbglogfile onstart hw\r\n"}, {600, "dbglogfile onstart tracking\r\n"},
        {800, "dbglogfile close\r\n"},     {1000, "dbglogfile disable\r\n"},
        {1200, "dbglogfile delete\r\n"},
    };
    EXPECT_EQ(rig.TimedLines(), expected);
    EXPECT_EQ(rig.debugFile.Commands().size(), expected.size()) << "the receiver understood every line";

    rig.ma.Disconnect();
    EXPECT_FALSE(rig.ma.DeleteDebugFile()) << "a closed port takes no command";
}

TEST(DebugFile, DownloadTranscriptAt9600) {
    TempDir dir;
    Rig rig;
    ASSERT_TRUE(rig.connected);
    rig.debugFile.SetContent(sim::SimDebugFile::Pattern(1024));
    ASSERT_TRUE(rig.ma.DownloadDebugFile(dir.File("one.bin").c_str(), nullptr));
    // Two purges of 300 ms around a 1 s pause; 200 ms after each command;
    // the selection's 600 ms of waiting; the header read (300 ms read,
    // 200 ms pause, 300 ms read); the one block is taken by the first
    // 300 ms read of the stream.
    const std::vector<std::pair<uint64_t, std::string>> expected = {
        {1600, "dbglogfile close\r\n"},
        {1800, "currentfile debuglog.bin all\r\n"},
        {2600, "log filehdrb\r\n"},
        {3600, "com COM1 115200\r\n"},
        {3800, "log filetransferb\r\n"},
        {4300, "com COM1 9600\r\n"},
        {4500, "dbglogfile open\r\n"},
        {4700, "currentfile\r\n"},
    };
    EXPECT_EQ(rig.TimedLines(), expected);
    EXPECT_TRUE(rig.op.messages.empty());
    rig.Settle();
    EXPECT_TRUE(rig.debugFile.Recording());
    EXPECT_EQ(rig.debugFile.SelectedFile(), "debuglog.bin");
}

TEST(DebugFile, DownloadsFilesByteForByteWithProgressEveryKthBlock) {
    struct Case {
        size_t size;
        int receiverBaud;
        int blocks;                  // N
        std::vector<int> positions;  // every K-th block, then N
    } cases[] = {
        {1024, 9600, 1, {0, 1}},
        {1025, 9600, 2, {0, 1, 2}},
        {1, 57600, 1, {0, 1}},
        {20480, 9600, 20, {0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20}},
        {20000, 4800, 20, {0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20}},
        {33 * 1024 + 7, 38400, 34, {0, 3, 6, 9, 12, 15, 18, 21, 24, 27, 30, 33, 34}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const std::string what = std::to_string(c.size) + " bytes at " + std::to_string(c.receiverBaud);
        Rig rig(c.receiverBaud);
        ASSERT_TRUE(rig.connected) << what;
        const std::vector<uint8_t> content = sim::SimDebugFile::Pattern(c.size, static_cast<uint32_t>(c.size));
        rig.debugFile.SetContent(content);
        const std::string path = dir.File("download.bin");
        EXPECT_TRUE(rig.ma.DownloadDebugFile(path.c_str(), &rig.op)) << what;
        EXPECT_TRUE(ReadWholeFile(path) == content) << what;
        EXPECT_EQ(rig.op.ranges, (std::vector<std::pair<int, int>>{{0, c.blocks}})) << what;
        EXPECT_EQ(rig.op.positions, c.positions) << what;
        EXPECT_TRUE(rig.op.messages.empty()) << what;
        EXPECT_EQ(rig.debugFile.BlockRates(), std::vector<int>(c.blocks, 115200)) << what;
        rig.ExpectRate(c.receiverBaud, what);
        EXPECT_EQ(rig.Lines().back(), "currentfile\r\n") << what;
    }
}

TEST(DebugFile, DownloadRefusalsSayOnlyWhatTheyMustAndKeepTheRate) {
    enum class Trouble { EmptyFile, DeletedFile, HeaderLost, HeaderOfAnotherLog, HeaderTooShort, MissingFolder, NoPath };
    struct Case {
        const char* name;
        Trouble trouble;
        std::vector<std::string> messages;
    } cases[] = {
        {"empty file", Trouble::EmptyFile, {"Debug File appears empty?"}},
        {"deleted file", Trouble::DeletedFile, {"Debug File appears empty?"}},
        {"header lost", Trouble::HeaderLost, {}},
        {"another log instead", Trouble::HeaderOfAnotherLog, {}},
        {"header without the size", Trouble::HeaderTooShort, {}},
        {"folder missing", Trouble::MissingFolder, {}},
        {"no path", Trouble::NoPath, {}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const std::string what = c.name;
        Rig rig;
        ASSERT_TRUE(rig.connected);
        rig.debugFile.SetContent(sim::SimDebugFile::Pattern(5000));
        std::string path = dir.File("out.bin");
        switch (c.trouble) {
        case Trouble::EmptyFile: rig.debugFile.SetContent({}); break;
        case Trouble::DeletedFile: rig.ma.DeleteDebugFile(); rig.link.Record().Clear(); break;
        case Trouble::HeaderLost: rig.receiver.InjectFault(sim::FrameFault::LostFrame); break;
        case Trouble::HeaderOfAnotherLog:
            rig.receiver.OnLog("filehdrb", [](const std::string&, sim::Reply& r) {
                std::vector<uint8_t> body(16, 0);
                body[12] = 0x10;
                r.Frame(logid::ExtLevels, body);
                return true;
            });
            break;
        case Trouble::HeaderTooShort:
            rig.receiver.OnLog("filehdrb", [](const std::string&, sim::Reply& r) {
                r.Frame(logid::FileHeader, std::vector<uint8_t>(12, 0x10));
                return true;
            });
            break;
        case Trouble::MissingFolder: path = dir.File("no/such/folder/out.bin"); break;
        case Trouble::NoPath: break;
        }
        EXPECT_FALSE(rig.ma.DownloadDebugFile(c.trouble == Trouble::NoPath ? nullptr : path.c_str(), &rig.op))
            << what;
        EXPECT_EQ(rig.op.Texts(), c.messages) << what;
        for (const auto& m : rig.op.messages) {
            EXPECT_EQ(m.caption, "Error");
            EXPECT_EQ(m.icon, MessageIcon::Error);
            EXPECT_EQ(m.buttons, MessageButtons::Ok);
        }
        EXPECT_EQ(rig.Lines(), Concat({"dbglogfile close\r\n", "currentfile debuglog.bin all\r\n", "log filehdrb\r\n"},
                                      kRestore))
            << what;
        EXPECT_EQ(rig.link.OpenCount(), rig.opensBefore) << what << ": the link was never touched";
        rig.ExpectRate(9600, what);
        EXPECT_EQ(rig.debugFile.StreamsStarted(), 0) << what;
        rig.Settle();
        EXPECT_TRUE(rig.debugFile.Recording()) << what;
    }
}

TEST(DebugFile, StreamFaultsNeverCorruptTheFile) {
    constexpr size_t kSize = 10 * 1024 + 300;  // N = 11, the last block 300 bytes
    struct Case {
        const char* name;
        DebugStreamFault fault;
        uint32_t block;
        uint32_t pauseMs;
        bool ok;
    } cases[] = {
        {"repeated block 4", DebugStreamFault::RepeatedBlock, 4, 0, true},
        {"repeated last block", DebugStreamFault::RepeatedBlock, 10, 0, true},
        {"extra block", DebugStreamFault::ExtraBlock, 0, 0, true},
        // Blocks are taken from the receive buffer at one per 300 ms read
        // once the line is quiet, which hides part of a stall.
        {"4 s stall", DebugStreamFault::Stall, 6, 4000, true},
        {"9 s stall", DebugStreamFault::Stall, 6, 9000, false},
        {"lost block 3", DebugStreamFault::LostBlock, 3, 0, false},
        {"lost last block", DebugStreamFault::LastBlockLost, 0, 0, false},
        {"last block past the size is cut", DebugStreamFault::OverlongLastBlock, 0, 0, true},
        {"block 5 ahead of block 4", DebugStreamFault::EarlyBlock, 5, 0, true},
        {"last block ahead", DebugStreamFault::EarlyBlock, 10, 0, true},
        {"length beyond the frame", DebugStreamFault::LengthBeyondBody, 2, 0, false},
    };
    TempDir dir;
    const std::vector<uint8_t> content = sim::SimDebugFile::Pattern(kSize, 7);
    for (const Case& c : cases) {
        const std::string what = c.name;
        Rig rig;
        ASSERT_TRUE(rig.connected);
        rig.debugFile.SetContent(content);
        rig.debugFile.InjectFault(c.fault, c.block, c.pauseMs);
        const std::string path = dir.File("faulty.bin");
        EXPECT_EQ(rig.ma.DownloadDebugFile(path.c_str(), &rig.op), c.ok) << what;
        const std::vector<uint8_t> got = ReadWholeFile(path);
        if (c.ok) {
            EXPECT_TRUE(got == content) << what;
            EXPECT_TRUE(rig.op.messages.empty()) << what;
        } else {
            // The file keeps what was written, each block at its place and
            // nothing past the announced size.
            ASSERT_LE(got.size(), kSize) << what;
            for (size_t i = 0; i < got.size(); ++i)
                if (got[i] != content[i]) {
                    EXPECT_EQ(got[i], 0) << what << " byte " << i << " is neither the file's nor a hole";
                    break;
                }
            EXPECT_EQ(rig.op.Texts(), std::vector<std::string>{"Timeout encountered."}) << what;
            const auto lines = rig.Lines();
            ASSERT_GE(lines.size(), 4u);
            EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
                      Concat(Concat({"unlogall\r\n"}, kRestore), {"com COM1 9600\r\n"}))
                << what;
            EXPECT_FALSE(rig.debugFile.Streaming()) << what;
        }
        rig.ExpectRate(9600, what);
    }
}

TEST(DebugFile, LostLastBlockTimesOutFiveSecondsAfterTheLastBlockRead) {
    TempDir dir;
    Rig rig;
    ASSERT_TRUE(rig.connected);
    rig.debugFile.SetContent(sim::SimDebugFile::Pattern(5 * 1024));  // N = 5, K = 1
    rig.debugFile.InjectFault(DebugStreamFault::LastBlockLost);
    TimedProgress progress(rig.link);
    EXPECT_FALSE(rig.ma.DownloadDebugFile(dir.File("lost.bin").c_str(), &progress));
    ASSERT_EQ(progress.positions.size(), 4u);
    EXPECT_EQ(progress.positions.back().first, 3);
    const sim::SimTime lastBlock = progress.positions.back().second;
    const sim::SimTime unlogall = rig.SentAt("unlogall\r\n");
    ASSERT_NE(unlogall, sim::kNever);
    // Polled in 300 ms reads: the first check past 5 s gives up.
    EXPECT_GT(unlogall - lastBlock, sim::Ms(5000));
    EXPECT_LE(unlogall - lastBlock, sim::Ms(5300));
    EXPECT_EQ(rig.op.Texts(), std::vector<std::string>{"Timeout encountered."});
    EXPECT_FALSE(std::filesystem::exists(dir.File("lost.bin"))) << "a failed download leaves no partial file";
    EXPECT_FALSE(std::filesystem::exists(dir.File("lost.bin.part")));
    rig.ExpectRate(9600, "after the time-out");
}

TEST(DebugFile, ProgressOfMoreThan65535BlocksIsScaledToTheSixteenBitRange) {
    // 70000 blocks, K = 7000: block 7000 stands at a tenth of a 0..65535 bar.
    constexpr uint32_t kBlocks = 70000;
    TempDir dir;
    Rig rig;
    ASSERT_TRUE(rig.connected);
    rig.receiver.OnLog("filehdrb", [](const std::string&, sim::Reply& r) {
        std::vector<uint8_t> body(16, 0);
        WriteLe32(body.data() + 12, kBlocks * 1024);
        r.Frame(logid::FileHeader, body);
        return true;
    });
    const std::vector<uint8_t> data = sim::SimDebugFile::Pattern(1024, 9);
    rig.receiver.OnLog("filetransferb", [&data](const std::string&, sim::Reply& r) {
        for (uint32_t number : {0u, 7000u, 7001u}) {
            std::vector<uint8_t> body(8 + data.size());
            WriteLe32(body.data(), number);
            WriteLe32(body.data() + 4, 1024);
            std::copy(data.begin(), data.end(), body.begin() + 8);
            r.Frame(logid::FileTransfer, body);
        }
        return true;
    });
    // What the download has written when block 7000 arrives: its
    // temporary file, looked at before the failed download removes it.
    struct Watch : IProgressSink {
        explicit Watch(RecordingOperator& o, MAReceiver& r) : op(o), ma(r) {}
        void SetRange(int lower, int upper) override { op.SetRange(lower, upper); }
        void SetPosition(int position) override {
            op.SetPosition(position);
            if (position == 6553) written = ReadWholeFile(ma.DownloadTempPath());
        }
        RecordingOperator& op;
        MAReceiver& ma;
        std::vector<uint8_t> written;
    } watch(rig.op, rig.ma);
    const std::string path = dir.File("huge.bin");
    EXPECT_FALSE(rig.ma.DownloadDebugFile(path.c_str(), &watch));
    EXPECT_EQ(rig.op.ranges, (std::vector<std::pair<int, int>>{{0, 65535}}));
    EXPECT_EQ(rig.op.positions, (std::vector<int>{0, 6553}));
    EXPECT_EQ(rig.op.Texts(), std::vector<std::string>{"Timeout encountered."});
    // Each block went to its own place, with a hole between.
    ASSERT_EQ(watch.written.size(), 7001u * 1024);
    const auto blockAt = [&watch](uint64_t number) {
        return std::vector<uint8_t>(watch.written.begin() + static_cast<long>(number * 1024),
                                    watch.written.begin() + static_cast<long>(number * 1024 + 1024));
    };
    EXPECT_TRUE(blockAt(0) == data);
    EXPECT_TRUE(blockAt(1) == std::vector<uint8_t>(1024, 0));
    EXPECT_TRUE(blockAt(7000) == data);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(PartFiles(dir.path), 0);
}

TEST(DebugFile, WriteErrorStopsTheStreamAndRestoresTheLink) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full here";
    Rig rig(19200);
    ASSERT_TRUE(rig.connected);
    rig.debugFile.SetContent(sim::SimDebugFile::Pattern(3000));
    EXPECT_FALSE(rig.ma.DownloadDebugFile("/dev/full", &rig.op));
    EXPECT_EQ(rig.op.Texts(), std::vector<std::string>{"File write error.\r\n Last Error:28\r\n Bytes Written: 0\r\n"
                                                       "Expected to be Written: 1024"});
    const auto lines = rig.Lines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
              Concat(Concat({"unlogall\r\n"}, kRestore), {"com COM1 19200\r\n"}));
    rig.ExpectRate(19200, "after the write error");
}

TEST(DebugFile, HandheldOnCom6KeepsTheRateElsewhereRaisesIt) {
    struct Case {
        Variant variant;
        const char* pcPort;
        int baud;
        bool raises;
    } cases[] = {
        {Variant::Handheld, "COM6", 115200, false},
        {Variant::Handheld, "COM6", 9600, false},
        {Variant::Handheld, "COM1", 9600, true},
        {Variant::Desktop, "COM6", 9600, true},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const std::string what = std::string(c.pcPort) + " at " + std::to_string(c.baud);
        Rig rig(c.baud, c.variant, c.pcPort, "COM2");
        ASSERT_TRUE(rig.connected) << what;
        const std::vector<uint8_t> content = sim::SimDebugFile::Pattern(4000, 3);
        rig.debugFile.SetContent(content);
        const std::string path = dir.File("hh.bin");
        EXPECT_TRUE(rig.ma.DownloadDebugFile(path.c_str(), nullptr)) << what;
        EXPECT_TRUE(ReadWholeFile(path) == content) << what;
        std::vector<std::string> expected = {"dbglogfile close\r\n", "currentfile debuglog.bin all\r\n",
                                             "log filehdrb\r\n"};
        if (c.raises) expected.push_back("com COM2 115200\r\n");
        expected.push_back("log filetransferb\r\n");
        if (c.raises) expected.push_back("com COM2 " + std::to_string(c.baud) + "\r\n");
        EXPECT_EQ(rig.Lines(), Concat(expected, kRestore)) << what;
        EXPECT_EQ(rig.debugFile.BlockRates(), std::vector<int>(4, c.raises ? 115200 : c.baud)) << what;
        rig.ExpectRate(c.baud, what);
    }
}

TEST(SimDebugFile, UnlogallStopsTheStream) {
    sim::SimReceiver receiver;
    sim::SimDebugFile debugFile(receiver);
    sim::VirtualLink link(receiver);
    debugFile.SetContent(sim::SimDebugFile::Pattern(100 * 1024));
    ASSERT_TRUE(link.Device().Open("COM1"));
    ASSERT_TRUE(link.Device().ApplyLineSettings(9600));
    const auto send = [&link](const std::string& text) {
        size_t written = 0;
        link.Device().Write(reinterpret_cast<const uint8_t*>(text.data()), text.size(), &written);
    };
    send("log filetransferb\r\n");
    link.AdvanceTo(sim::Ms(5000));  // about 4.5 frames at 9600 baud
    EXPECT_TRUE(debugFile.Streaming());
    send("unlogall\r\n");
    link.AdvanceTo(sim::Ms(60000));
    EXPECT_FALSE(debugFile.Streaming());
    EXPECT_GE(debugFile.BlocksSent().size(), 4u);
    EXPECT_LE(debugFile.BlocksSent().size(), 7u) << "at most two frames queued when the stream stops";
    EXPECT_LT(debugFile.LastBlockEnd(), sim::Ms(8000));
}

TEST(DebugFile, ThePreviousFileIsReplacedOnlyByAWholeDownload) {
    enum class Ending { Whole, LastBlockLost, CablePulled, WriteRefused };
    struct Case {
        Ending ending;
        bool ok;
    } cases[] = {
        {Ending::Whole, true},
        {Ending::LastBlockLost, false},
        {Ending::CablePulled, false},
        {Ending::WriteRefused, false},
    };
    const std::vector<uint8_t> previous = sim::SimDebugFile::Pattern(7000, 3);
    const std::vector<uint8_t> content = sim::SimDebugFile::Pattern(20 * 1024);
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.ending));
        TempDir dir;
        const std::string path = dir.File("debug.bin");
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(previous.data()),
                                                    static_cast<std::streamsize>(previous.size()));
        Rig rig;
        ASSERT_TRUE(rig.connected);
        rig.debugFile.SetContent(content);
        if (c.ending == Ending::LastBlockLost) rig.debugFile.InjectFault(DebugStreamFault::LastBlockLost);
        // About a third of the way through the transfer at 115200 baud.
        if (c.ending == Ending::CablePulled) rig.link.VanishAt(rig.link.Virtual().Now() + sim::Ms(5000));
        // The files this process writes may not grow past 10000 bytes (as
        // under "ulimit -f"): the write fails part way.
        if (c.ending == Ending::WriteRefused && !test::LimitFileSize(10000)) continue;
        const sim::SimTime before = rig.link.Virtual().Now();
        EXPECT_EQ(rig.ma.DownloadDebugFile(path.c_str(), nullptr), c.ok);
        if (c.ending == Ending::WriteRefused) test::LimitFileSize(0);
        EXPECT_TRUE(ReadWholeFile(path) == (c.ok ? content : previous)) << "byte for byte";
        EXPECT_EQ(PartFiles(dir.path), 0) << "no temporary file left";
        EXPECT_STREQ(rig.ma.DownloadTempPath(), "");
        if (c.ending == Ending::CablePulled) {
            EXPECT_TRUE(rig.ma.LinkLost());
            EXPECT_LE(rig.link.Virtual().Now() - before, sim::Ms(5000 + 1000)) << "ended at once";
            EXPECT_LE(rig.link.CallsSinceVanished(), 2);
        }
    }
}

// A receiver whose last block is shorter than its file header counted (a
// header of 2548 bytes; blocks of 1024, 1024 and 400): the file ends with
// that block. A hole before it still fails the whole download.
TEST(DebugFile, ShortLastBlockEndsTheFileAHoleStillFails) {
    struct Case {
        const char* name;
        bool lostBlock;
        bool ok;
    } cases[] = {{"short last block", false, true}, {"short last block after a lost one", true, false}};
    const std::vector<uint8_t> content = sim::SimDebugFile::Pattern(2548, 5);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        Rig rig;
        ASSERT_TRUE(rig.connected);
        rig.debugFile.SetContent(content);
        rig.debugFile.InjectFault(DebugStreamFault::ShortLastBlock, 100);
        if (c.lostBlock) rig.debugFile.InjectFault(DebugStreamFault::LostBlock, 1);
        const std::string path = dir.File("short.bin");
        const sim::SimTime before = rig.link.Virtual().Now();
        EXPECT_EQ(rig.ma.DownloadDebugFile(path.c_str(), &rig.op), c.ok);
        if (c.ok) {
            EXPECT_TRUE(ReadWholeFile(path) == std::vector<uint8_t>(content.begin(), content.begin() + 2448));
            EXPECT_TRUE(rig.op.messages.empty());
            EXPECT_LT(rig.link.Virtual().Now() - before, sim::Ms(7000)) << "ended at the last block, not 5 s later";
        } else {
            EXPECT_FALSE(std::filesystem::exists(path));
            EXPECT_EQ(rig.op.Texts(), std::vector<std::string>{"Timeout encountered."});
        }
        EXPECT_EQ(PartFiles(dir.path), 0);
        rig.ExpectRate(9600, c.name);
    }
}

// The download's temporary file is its own: a file of the operator's named
// like one is left alone, and a second download to the same path while the
// first runs cannot mix into it. Each download gives the whole file it got.
TEST(DebugFile, TemporaryFileIsNewAndOwnedByOneDownload) {
    TempDir dir;
    const std::string path = dir.File("debug.bin");
    const std::string users = "the operator's own notes\n";
    std::ofstream(path + ".part", std::ios::binary) << users;
    const std::vector<uint8_t> first = sim::SimDebugFile::Pattern(6 * 1024, 11);
    const std::vector<uint8_t> second = sim::SimDebugFile::Pattern(5 * 1024 + 7, 12);
    Rig a, b;
    ASSERT_TRUE(a.connected && b.connected);
    a.debugFile.SetContent(first);
    b.debugFile.SetContent(second);
    // The second download runs whole while the first is at its block 2.
    struct During : IProgressSink {
        void SetRange(int, int) override {}
        void SetPosition(int position) override {
            if (position == 2 && !ran) {
                ran = true;
                secondOk = other->ma.DownloadDebugFile(path.c_str(), nullptr);
                secondGot = ReadWholeFile(path);
            }
        }
        Rig* other = nullptr;
        std::string path;
        bool ran = false, secondOk = false;
        std::vector<uint8_t> secondGot;
    } during;
    during.other = &b;
    during.path = path;
    EXPECT_TRUE(a.ma.DownloadDebugFile(path.c_str(), &during));
    ASSERT_TRUE(during.ran);
    EXPECT_TRUE(during.secondOk);
    EXPECT_TRUE(during.secondGot == second) << "the second download's file, whole";
    EXPECT_TRUE(ReadWholeFile(path) == first) << "the first download's file, whole, replaced it";
    const std::vector<uint8_t> kept = ReadWholeFile(path + ".part");
    EXPECT_EQ(std::string(kept.begin(), kept.end()), users);
    EXPECT_EQ(PartFiles(dir.path), 1) << "only the operator's";
}

// A symbolic link as the target: the file it points to is replaced (and
// kept whole by a failed download), the link stays a link; a replaced
// file keeps its permissions.
TEST(DebugFile, LinkTargetReplacedLinkAndPermissionsKept) {
    struct Case {
        const char* name;
        bool viaLink, lastBlockLost;
        int mode;
    } cases[] = {
        {"through a link, whole", true, false, 0640},
        {"through a link, last block lost", true, true, 0640},
        {"a private file", false, false, 0600},
    };
    const std::vector<uint8_t> previous = sim::SimDebugFile::Pattern(3000, 21);
    const std::vector<uint8_t> content = sim::SimDebugFile::Pattern(4 * 1024 + 10, 22);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::filesystem::create_directory(dir.File("store"));
        const std::string target = dir.File("store/debug.data");
        std::ofstream(target, std::ios::binary).write(reinterpret_cast<const char*>(previous.data()),
                                                      static_cast<std::streamsize>(previous.size()));
        std::filesystem::permissions(target, static_cast<std::filesystem::perms>(c.mode));
        std::string path = target;
        if (c.viaLink) {
            path = dir.File("debug.bin");
            std::error_code noLinks;
            std::filesystem::create_symlink("store/debug.data", path, noLinks);
            if (noLinks) GTEST_SKIP() << "no symbolic links here: " << noLinks.message();
        }
        Rig rig;
        ASSERT_TRUE(rig.connected);
        rig.debugFile.SetContent(content);
        if (c.lastBlockLost) rig.debugFile.InjectFault(DebugStreamFault::LastBlockLost);
        EXPECT_EQ(rig.ma.DownloadDebugFile(path.c_str(), nullptr), !c.lastBlockLost);
        EXPECT_TRUE(ReadWholeFile(target) == (c.lastBlockLost ? previous : content)) << "byte for byte";
        if (c.viaLink) { EXPECT_TRUE(std::filesystem::is_symlink(path)) << "the link stays"; }
        if (test::FileMode(target) >= 0) { EXPECT_EQ(test::FileMode(target), c.mode); }
        EXPECT_EQ(PartFiles(dir.path) + PartFiles(dir.File("store")), 0);
    }
}

namespace {

// The port of a raw TCP serial server: a rate set on it never reaches the
// line, which stays at the rate of the first setting.
class FixedRateDevice : public ISerialDevice {
public:
    explicit FixedRateDevice(ISerialDevice& device) : m_device(device) {}
    bool Open(const char* name) override { return m_device.Open(name); }
    bool IsOpen() const override { return m_device.IsOpen(); }
    void Close() override { m_device.Close(); }
    bool FetchLineSettings() override { return m_device.FetchLineSettings(); }
    bool ApplyLineSettings(int baudRate) override {
        if (m_rate == 0) m_rate = baudRate;
        return m_device.ApplyLineSettings(m_rate);
    }
    bool Read(uint8_t* dest, size_t count, uint32_t timeoutMs, size_t* received) override {
        return m_device.Read(dest, count, timeoutMs, received);
    }
    bool Write(const uint8_t* src, size_t count, size_t* written) override {
        return m_device.Write(src, count, written);
    }
    bool HasGone() override { return m_device.HasGone(); }
    bool CanChangeRate() const override { return false; }
    int LastError() const override { return m_device.LastError(); }

private:
    ISerialDevice& m_device;
    int m_rate = 0;
};

} // namespace

// Over a raw TCP serial server the receiver is never asked to change its
// rate (it could not be reached at the new one): the file comes at the rate
// of the link, and the operator is told why it is slower, once.
TEST(DebugFile, PortThatCannotChangeRateDownloadsAtTheCurrentRate) {
    sim::SimReceiver receiver;
    sim::SimDebugFile debugFile(receiver);
    sim::VirtualLink link(receiver);
    FixedRateDevice device(link.Device());
    RecordingTrace trace;
    RecordingOperator op;
    MAReceiver ma(Variant::Desktop, PlatformServices{&link.Clock(), &device, &trace, nullptr, &op, &op});
    ASSERT_TRUE(ma.Connect("COM1"));
    const std::vector<uint8_t> content = sim::SimDebugFile::Pattern(3000, 4);
    debugFile.SetContent(content);
    TempDir dir;
    const std::string path = dir.File("tcp.bin");
    link.Record().Clear();
    op.statusTexts.clear();
    EXPECT_TRUE(ma.DownloadDebugFile(path.c_str(), nullptr));
    EXPECT_TRUE(ReadWholeFile(path) == content);
    for (const auto& e : link.Record().Entries())
        if (e.kind == sim::Transcript::Kind::HostSent) {
            EXPECT_NE(std::string(e.bytes.begin(), e.bytes.end()).rfind("com ", 0), 0u) << "no rate change sent";
        }
    EXPECT_EQ(debugFile.BlockRates(), std::vector<int>(3, 9600));
    EXPECT_EQ(receiver.Baud(), 9600);
    EXPECT_EQ(op.statusTexts.size(), 1u);
    EXPECT_NE(op.statusTexts.at(0).find("cannot change its rate"), std::string::npos);
}
