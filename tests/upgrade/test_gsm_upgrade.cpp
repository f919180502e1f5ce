// The GSM applet upgrade over the bridge, against the simulated module in
// virtual time, and the direct-link reader against scripted arrivals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "GsmUpgrade.h"
#include "ScriptedSerialDevice.h"
#include "SimAuxPort.h"
#include "SimBench.h"
#include "SimGsmModule.h"
#include "TestFiles.h"

using namespace qvr;
using qvr::test::SimBench;
namespace fs = std::filesystem;

namespace {

const char* const kFailureText =
    "Upgrade was not successful. Verify radio operation and contact a service depot for assistance.";

std::vector<uint8_t> Pattern(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>((i * 131 + i / 256 + 7) & 0xFF);
    return bytes;
}

// A folder of its own for each test, removed afterwards.
struct TempDir {
    TempDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path = fs::temp_directory_path() /
               ("qvr_gsm_" + std::to_string(getpid()) + "_" + info->test_suite_name() + "_" + info->name());
        fs::create_directories(path);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        const fs::path file = path / name;
        std::FILE* f = std::fopen(file.string().c_str(), "wb");
        if (f) {
            if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        return file.string();
    }
    fs::path path;
};

struct UpgradeBench : SimBench {
    explicit UpgradeBench(int32_t moduleKind = kGsmModuleNokia, sim::GsmModuleConfig config = {})
        : module(std::move(config)) {
        aux.AttachDevice(&module);
        EXPECT_TRUE(ma.Connect("COM1"));
        ma.Peripheral().kind = kPeripheralGsm;
        ma.Peripheral().gsm.moduleKind = moduleKind;
        engine = std::make_unique<GsmUpgradeEngine>(ma, progress, op, &link.Device(), &link.Clock(), &trace);
        engine->SetCloseRequest([this] { ++closes; });
    }
    // The data messages the module received, by sequence number, in order.
    std::vector<uint32_t> DataSequence() const {
        std::vector<uint32_t> sequence;
        for (const auto& r : module.Requests())
            if (r.type == applet::UpgradeData) sequence.push_back(r.extra);
        return sequence;
    }
    const sim::SimGsmModule::Request* Last(uint32_t type) const {
        const sim::SimGsmModule::Request* last = nullptr;
        for (const auto& r : module.Requests())
            if (r.type == type) last = &r;
        return last;
    }
    sim::SimAuxPort aux{receiver};
    sim::SimGsmModule module;
    UpgradeProgress progress;
    std::unique_ptr<GsmUpgradeEngine> engine;
    int closes = 0;
};

} // namespace

TEST(GsmUpgrade, FilesArriveIntact) {
    struct Case {
        size_t size;
        std::vector<uint32_t> sequence;
    } cases[] = {{250, {0}}, {251, {0, 1}}, {10000, {}}};
    for (uint32_t j = 0; j < 40; ++j) cases[2].sequence.push_back(j);
    for (const Case& c : cases) {
        TempDir dir;
        const std::vector<uint8_t> file = Pattern(c.size);
        UpgradeBench b;
        const std::string path = dir.Write("NokiaBridge.jar", file);
        EXPECT_TRUE(b.engine->StartGsmUpgrade(path.c_str())) << c.size;
        EXPECT_EQ(b.module.Image(), file) << c.size;
        EXPECT_EQ(b.DataSequence(), c.sequence) << c.size;
        EXPECT_EQ(b.module.AnnouncedSize(), c.size);
        EXPECT_EQ(b.module.AnnouncedChecksum(), GsmUpgradeEngine::FileChecksum(file.data(), file.size()));
        EXPECT_TRUE(b.module.Committed());
        EXPECT_EQ(b.engine->Resends(), 0);
        const UpgradeProgressRecord record = b.progress.Snapshot();
        EXPECT_STREQ(record.statusText, "Finished.");
        EXPECT_EQ(record.percent, 100);
        EXPECT_EQ(record.engineEnded, 1);
        EXPECT_EQ(record.engineResult, 1);
        ASSERT_EQ(b.op.messages.size(), 1u);
        EXPECT_EQ(b.op.messages[0].text, "Upgrade Successful!");
        EXPECT_EQ(b.op.messages[0].caption, "Success");
        EXPECT_EQ(b.op.messages[0].icon, MessageIcon::None);
        EXPECT_EQ(b.closes, 1);
        EXPECT_TRUE(b.engine->CloseRequested());
    }
}

TEST(GsmUpgrade, BridgeAndMessagesByteForByte) {
    TempDir dir;
    const std::vector<uint8_t> file = Pattern(251);
    UpgradeBench b;
    const size_t before = b.LineCount();
    ASSERT_TRUE(b.engine->StartGsmUpgrade(dir.Write("NokiaBridge.jar", file).c_str()));
    const std::vector<std::string> writes = b.Lines(before);
    const std::vector<std::string> bridge = {
        "comvout aux on\r\n",          "appcontrol USERGPIO 1 0\r\n",         "com AUX 115200\r\n",
        "com COM1 115200\r\n",         "INTERFACEMODE AUX TCOM1 NONE OFF\r\n", "INTERFACEMODE COM1 TAUX NONE OFF\r\n"};
    ASSERT_GE(writes.size(), bridge.size() + 8);
    EXPECT_EQ(std::vector<std::string>(writes.begin(), writes.begin() + 6), bridge);
    const auto bytes = [](const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); };
    // Begin, info (magic, 251, checksum), two pieces with their sequence
    // numbers in the extra field, commit: header and payload written apart.
    const uint32_t sum = GsmUpgradeEngine::FileChecksum(file.data(), file.size());
    std::vector<uint8_t> info(12);
    WriteLe32(info.data(), kAppletMagic);
    WriteLe32(info.data() + 4, 251);
    WriteLe32(info.data() + 8, sum);
    const auto message = [](uint32_t type, uint32_t extra, const std::vector<uint8_t>& payload) {
        return sim::SimGsmModule::Message(type, extra, payload);
    };
    const auto header = [&](uint32_t type, uint32_t extra, const std::vector<uint8_t>& payload) {
        const auto m = message(type, extra, payload);
        return std::string(m.begin(), m.begin() + 20);
    };
    const std::vector<uint8_t> first(file.begin(), file.begin() + 250), second(file.begin() + 250, file.end());
    const std::vector<std::string> expected = {
        header(18, 0, {}), header(12, 0, info), bytes(info), header(13, 0, first), bytes(first),
        header(13, 1, second), bytes(second), header(14, 0, {})};
    EXPECT_EQ(std::vector<std::string>(writes.begin() + 6, writes.end()), expected);
    EXPECT_EQ(GsmUpgradeEngine::FileChecksum(reinterpret_cast<const uint8_t*>("abc"), 3), 294u);
}

TEST(GsmUpgrade, ResendRule) {
    using F = sim::GsmModuleFault;
    struct Case {
        const char* name;
        std::vector<sim::GsmFault> faults;
        bool ok;
        int resends;
        std::vector<uint32_t> sequence;
        const char* status;  // at the end
        int32_t percent;
        double minGap, maxGap;  // from a piece to its first resend, in seconds
    } cases[] = {
        {"one lost verify", {{F::LostVerify, 2}}, true, 1, {0, 1, 2, 2, 3, 4, 5}, "Finished.", 100, 1.95, 2.1},
        {"verify for the wrong piece", {{F::WrongVerify, 1}}, true, 1, {0, 1, 1, 2, 3, 4, 5}, "Finished.", 100, 1.95,
         2.1},
        {"error reply", {{F::ErrorReply, 4}}, true, 1, {0, 1, 2, 3, 4, 4, 5}, "Finished.", 100, 0.1, 0.15},
        {"two lost verifies", {{F::LostVerify, 1}, {F::LostVerify, 4}}, false, 2, {0, 1, 1, 2, 3, 4, 4},
         "Writing packet 4 of 6", 83, 1.95, 2.1},
        {"the same piece twice", {{F::LostVerify, 0, 2}}, false, 2, {0, 0, 0}, "Writing packet 0 of 6", 16, 1.95, 2.1},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::vector<uint8_t> file = Pattern(1400);  // six pieces
        UpgradeBench b;
        for (const auto& fault : c.faults) b.module.InjectFault(fault);
        EXPECT_EQ(b.engine->StartGsmUpgrade(dir.Write("NokiaBridge.jar", file).c_str()), c.ok) << c.name;
        b.Settle();  // the last resend reaches the module
        EXPECT_EQ(b.engine->Resends(), c.resends) << c.name;
        EXPECT_EQ(b.DataSequence(), c.sequence) << c.name;
        const UpgradeProgressRecord record = b.progress.Snapshot();
        EXPECT_STREQ(record.statusText, c.status) << c.name;
        EXPECT_EQ(record.percent, c.percent) << c.name;
        EXPECT_EQ(record.engineEnded, 1) << c.name;
        EXPECT_EQ(record.engineResult, c.ok ? 1 : 0) << c.name;
        EXPECT_EQ(b.closes, c.ok ? 1 : 0) << c.name;
        EXPECT_EQ(b.module.Committed(), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(b.module.Image(), file) << c.name;
        } else {
            EXPECT_TRUE(b.op.messages.empty()) << c.name;
            EXPECT_EQ(b.trace.Count("Upgrade terminating, too many resends, check connection.\n"), 1) << c.name;
            EXPECT_STREQ(b.engine->FailureReason(), "Upgrade terminating, too many resends, check connection.");
        }
        // The first resend follows the failed wait for the verify.
        std::vector<double> times;
        for (const auto& r : b.module.Requests())
            if (r.type == applet::UpgradeData) times.push_back(static_cast<double>(r.at) / 1e9);
        for (size_t i = 1; i < c.sequence.size(); ++i) {
            if (c.sequence[i] != c.sequence[i - 1]) continue;
            EXPECT_GE(times[i] - times[i - 1], c.minGap) << c.name;
            EXPECT_LE(times[i] - times[i - 1], c.maxGap) << c.name;
            break;
        }
        int resendLines = 0;
        for (const std::string& line : b.trace.lines) resendLines += line.rfind("Packet ", 0) == 0;
        EXPECT_EQ(resendLines, c.resends) << c.name;
    }
}

TEST(GsmUpgrade, AfterTheCommit) {
    struct Case {
        const char* name;
        int32_t moduleKind;
        bool success;         // the module reports success
        bool verifyCommit;    // the module verifies the commit first
        bool ok;
        double minSeconds, maxSeconds;  // from the commit to the end
    } cases[] = {
        {"quick success", kGsmModuleNokia, true, true, true, 5.0, 6.0},
        {"module cleanup of a TC65", kGsmModuleSiemens, true, true, true, 65.0, 66.0},
        {"success in place of the commit verify", kGsmModuleNokia, true, false, true, 0.5, 4.0},
        {"no success", kGsmModuleNokia, false, true, false, 81.0, 95.0},
    };
    for (const Case& c : cases) {
        TempDir dir;
        sim::GsmModuleConfig config;
        config.successDelay = c.verifyCommit ? sim::Ms(5000) : sim::Ms(500);
        config.verifyCommit = c.verifyCommit;
        UpgradeBench b(c.moduleKind, config);
        if (!c.success) b.module.InjectFault({sim::GsmModuleFault::NoSuccess});
        const std::string path = dir.Write(c.moduleKind == kGsmModuleSiemens ? "SiemensBridge.jar" : "NokiaBridge.jar",
                                           Pattern(600));
        EXPECT_EQ(b.engine->StartGsmUpgrade(path.c_str()), c.ok) << c.name;
        ASSERT_NE(b.Last(applet::UpgradeCommit), nullptr) << c.name;
        const double seconds = b.Seconds() - static_cast<double>(b.Last(applet::UpgradeCommit)->at) / 1e9;
        EXPECT_GE(seconds, c.minSeconds) << c.name;
        EXPECT_LE(seconds, c.maxSeconds) << c.name;
        ASSERT_EQ(b.op.messages.size(), 1u) << c.name;
        EXPECT_EQ(b.op.messages[0].text, c.ok ? "Upgrade Successful!" : kFailureText) << c.name;
        EXPECT_EQ(b.op.messages[0].caption, c.ok ? "Success" : "Failure") << c.name;
        const UpgradeProgressRecord record = b.progress.Snapshot();
        EXPECT_STREQ(record.statusText, "Finished.") << c.name;
        EXPECT_EQ(record.percent, 100) << c.name;
        EXPECT_EQ(record.engineEnded, 1) << c.name;
        EXPECT_EQ(record.engineResult, c.ok ? 1 : 0) << c.name;
        EXPECT_EQ(b.closes, 1) << c.name << ": the program closes after either outcome";
        EXPECT_STREQ(b.engine->FailureReason(),
                     c.ok ? "" : "The GSM module did not report a successful upgrade within 80 seconds of the commit.")
            << c.name;
    }
}

TEST(GsmUpgrade, EndsEarly) {
    enum class File { Missing, Written, Folder, Pipe };
    struct Case {
        const char* name;
        File file;
        size_t size;
        int32_t peripheral;
        bool portFails;
        size_t commandsSent;
        std::string reason;  // %s: the path
    } cases[] = {
        {"missing file", File::Missing, 0, kPeripheralGsm, false, 0,
         "The specified upgrade file does not seem to exist. Please reselect and try again."},
        {"empty file", File::Written, 0, kPeripheralGsm, false, 0,
         "The specified upgrade file is empty. Please reselect and try again."},
        {"a folder", File::Folder, 0, kPeripheralGsm, false, 0,
         "The specified upgrade file is a folder, not a file. Please reselect and try again."},
        {"a pipe, never opened to wait for a writer", File::Pipe, 0, kPeripheralGsm, false, 0,
         "The specified upgrade file is not a regular file (a pipe or a device?). Please reselect and try again."},
        {"no radio known", File::Written, 300, kPeripheralNone, false, 0,
         "The receiver's bridge to the GSM module could not be opened: no radio is known on its AUX port. Please "
         "reconnect and try again."},
        {"port cannot be opened", File::Written, 300, kPeripheralGsm, true, 6,
         "The serial port COM1 could not be used at 115200 baud for the upgrade. The receiver is left bridged to "
         "the module, which still has its old applet: switch the receiver off and on again, then run the upgrade "
         "again."},
    };
    for (const Case& c : cases) {
        TempDir dir;
        UpgradeBench b;
        b.ma.Peripheral().kind = c.peripheral;
        const std::string path = c.file == File::Written ? dir.Write("NokiaBridge.jar", Pattern(c.size))
                                                         : (dir.path / "NokiaBridge.jar").string();
        if (c.file == File::Folder) fs::create_directory(path);
        if (c.file == File::Pipe && !test::MakeFifo(path)) continue; // no pipes in this file system
        if (c.portFails) b.link.FailOpen("COM1");
        const size_t before = b.LineCount();
        EXPECT_FALSE(b.engine->StartGsmUpgrade(path.c_str())) << c.name;
        EXPECT_LE(b.Lines(before).size(), c.commandsSent) << c.name;
        const UpgradeProgressRecord record = b.progress.Snapshot();
        EXPECT_STREQ(record.statusText, "") << c.name;
        EXPECT_EQ(record.percent, 0) << c.name;
        EXPECT_EQ(record.engineEnded, 1) << c.name;
        EXPECT_EQ(record.engineResult, 0) << c.name;
        EXPECT_TRUE(b.op.messages.empty()) << c.name;
        EXPECT_EQ(b.closes, 0) << c.name;
        EXPECT_TRUE(b.module.Requests().empty()) << c.name;
        std::string reason = c.reason;
        if (const size_t at = reason.find("%s"); at != std::string::npos) reason.replace(at, 2, path);
        EXPECT_EQ(b.engine->FailureReason(), reason) << c.name;
    }
}

TEST(CheckAppletFile, ChecksInTheirOrder) {
    TempDir dir;
    const std::string nokia = dir.Write("NokiaBridge.jar", {1});
    const std::string siemens = dir.Write("SiemensBridge.jar", {1});
    const std::string upper = dir.Write("APPLET.JAR", {1});
    const std::string other = dir.Write("applet.bin", {1});
    const char* const missing = "The specified upgrade file does not seem to exist. Please reselect and try again.";
    const char* const wantSiemens =
        "Your GSM module appears to contain a Siemens module, but you are attempting to upgrade it with the wrong "
        "midlet. Please Select a SiemensBridge.jar midlet.";
    const char* const wantNokia =
        "Your GSM module appears to contain a Nokia module, but you are attempting to upgrade it with the wrong "
        "midlet. Please Select a NokiaBridge.jar midlet.";
    const char* const unknown =
        "Upgrades cannot continue because your GSM module cannot be determined. Please try reconnecting.";
    const char* const notJar = "You must select a valid GSM applet upgrade file.";
    struct Case {
        std::string path;
        int kind;
        const char* message;  // null: the file may be used
    } cases[] = {
        {"", 1, missing},
        {(dir.path / "NokiaBridge2.jar").string(), 1, missing},
        {siemens, 1, wantNokia},
        {siemens, 2, nullptr},
        {nokia, 2, wantSiemens},
        {nokia, 1, nullptr},
        {nokia, 0, unknown},
        {other, 0, unknown},
        {other, 3, notJar},
        {upper, 3, nullptr},
    };
    for (const Case& c : cases) {
        const char* message = "junk";
        EXPECT_EQ(GsmUpgradeEngine::CheckAppletFile(c.path.c_str(), c.kind, &message), c.message == nullptr)
            << c.path << " " << c.kind;
        if (c.message) {
            EXPECT_STREQ(message, c.message) << c.path << " " << c.kind;
        } else {
            EXPECT_EQ(message, nullptr) << c.path << " " << c.kind;
        }
    }
}

TEST(GsmUpgrade, PiecesFollowAtThePaceOfTheReads) {
    // Each verify is taken by a read that lasts its whole 100 ms: the next
    // piece follows 100 ms after the previous, not at line speed.
    TempDir dir;
    const std::vector<uint8_t> file = Pattern(10000);
    UpgradeBench b;
    ASSERT_TRUE(b.engine->StartGsmUpgrade(dir.Write("NokiaBridge.jar", file).c_str()));
    std::vector<sim::SimTime> pieces;
    for (const auto& r : b.module.Requests())
        if (r.type == applet::UpgradeData) pieces.push_back(r.at);
    ASSERT_EQ(pieces.size(), 40u);
    for (size_t i = 1; i < pieces.size(); ++i) EXPECT_GE(pieces[i] - pieces[i - 1], sim::Ms(100)) << i;
    const sim::SimTime begin = b.module.Requests().front().at;
    const sim::SimTime commit = b.Last(applet::UpgradeCommit)->at;
    EXPECT_NEAR(static_cast<double>(commit - begin) / 1e9, 41 * 0.1, 0.05);
}

// ---------------------------------------------------------------- the direct link

namespace {

struct LinkBench {
    LinkBench() : device(clock), ma(Variant::Desktop, PlatformServices{&clock, &device, &trace}),
                  engine(ma, progress, op, &device, &clock, &trace) {
        EXPECT_TRUE(engine.OpenFlashPort("COM1", 115200));
    }
    void Arrive(uint32_t atMs, const std::vector<uint8_t>& bytes) { device.Arrive(atMs, bytes); }
    double Ms() const { return static_cast<double>(clock.Now()) / 1e6; }
    sim::VirtualClock clock;
    test::ScriptedSerialDevice device;
    test::RecordingTrace trace;
    test::RecordingOperator op;
    MAReceiver ma;
    UpgradeProgress progress;
    GsmUpgradeEngine engine;
};

std::vector<uint8_t> Msg(uint32_t type, uint32_t extra, const std::string& text = "") {
    return sim::SimGsmModule::Message(type, extra, text.empty() ? std::vector<uint8_t>{} : sim::SimGsmModule::TextPayload(text));
}

std::vector<uint8_t> Part(const std::vector<uint8_t>& bytes, size_t from, size_t to) {
    return {bytes.begin() + static_cast<long>(from), bytes.begin() + static_cast<long>(std::min(to, bytes.size()))};
}

} // namespace

TEST(DirectLink, WaitForVerify) {
    const std::vector<uint8_t> verify3 = Msg(applet::Verify, 3);
    std::vector<uint8_t> bogus = Msg(applet::Verify, 3);
    WriteLe32(bogus.data() + 8, 0xFFFFFFF0u);  // a magic with a length no message has
    struct Case {
        const char* name;
        std::vector<std::pair<uint32_t, std::vector<uint8_t>>> arrivals;
        bool ok;
        double atMs;  // when the wait returns
    } cases[] = {
        // Tries of a 100 ms read and one message taken, 100 ms apart: they
        // end at 100, 300, 500 ms ...
        {"joined across reads", {{10, {'x', 'y', 0xBB}}, {120, Part(verify3, 0, 7)}, {350, Part(verify3, 7, 20)}},
         true, 500},
        {"other pieces dropped", {{10, Msg(applet::Verify, 2)}, {15, Msg(applet::Success, 9, "done")}, {40, verify3}},
         true, 500},
        {"error for this piece", {{10, Msg(applet::Verify, 2)}, {25, Msg(applet::Error, 3, "bad")}, {50, verify3}},
         false, 300},
        {"success for this piece", {{12, Msg(applet::Success, 3, "ok")}}, false, 100},
        {"a false header", {{10, Part(bogus, 0, 20)}, {20, verify3}}, true, 100},
        {"nothing", {}, false, 2000},
        {"too late", {{2100, verify3}}, false, 2000},
    };
    for (const Case& c : cases) {
        LinkBench b;
        for (const auto& [at, bytes] : c.arrivals) b.Arrive(at, bytes);
        EXPECT_EQ(b.engine.WaitForVerify(3), c.ok) << c.name;
        EXPECT_NEAR(b.Ms(), c.atMs, 0.5) << c.name;
    }
    LinkBench b;
    b.Arrive(5, Msg(applet::Error, 3, "bad flash"));
    b.engine.WaitForVerify(3);
    EXPECT_EQ(b.trace.Count("PACKET_TYPE_ERROR: bad flash\n"), 1);
}

TEST(DirectLink, WaitForTypeAndTheBuffer) {
    {
        LinkBench b;
        b.Arrive(10, Msg(applet::Verify, 0));
        b.Arrive(5000, Msg(applet::Success, 7, "installed"));
        EXPECT_TRUE(b.engine.WaitForType(applet::Success));
        EXPECT_NEAR(b.Ms(), 5500, 0.5) << "the read from 5400 ms on";
    }
    {
        LinkBench b;
        b.Arrive(10, Msg(applet::Error, 0, "no"));
        EXPECT_FALSE(b.engine.WaitForType(applet::Success));
        EXPECT_NEAR(b.Ms(), 18 * 600, 0.5);
    }
    {
        // Noise without a message never fills the buffer: only the last
        // bytes, which could begin a magic, are kept.
        LinkBench b;
        b.Arrive(10, std::vector<uint8_t>(2000, 0x55));
        b.Arrive(500, Msg(applet::Success, 0));
        EXPECT_TRUE(b.engine.WaitForType(applet::Success));
        EXPECT_EQ(b.trace.Count("Buffer full!!!\n"), 0);
        EXPECT_EQ(b.engine.Buffered(), 0u);
    }
}

TEST(GsmUpgrade, ReceiverThatVanishesEndsTheUpgradeAtOnce) {
    TempDir dir;
    const std::string path = dir.Write("NokiaBridge.jar", Pattern(20000));
    sim::SimTime whole = 0;
    {
        UpgradeBench b;
        const sim::SimTime start = b.link.Virtual().Now();
        ASSERT_TRUE(b.engine->StartGsmUpgrade(path.c_str()));
        whole = b.link.Virtual().Now() - start;
    }
    for (int percent : {40, 70, 95}) {  // sending pieces, sending pieces, waiting for the success
        SCOPED_TRACE(percent);
        UpgradeBench b;
        const sim::SimTime pulled = b.link.Virtual().Now() + whole * percent / 100;
        b.link.VanishAt(pulled);
        EXPECT_FALSE(b.engine->StartGsmUpgrade(path.c_str()));
        EXPECT_TRUE(b.engine->LinkLost());
        EXPECT_LE(b.link.Virtual().Now() - pulled, sim::Ms(5000));
        EXPECT_LE(b.link.CallsSinceVanished(), 2);
        EXPECT_NE(std::string(b.engine->FailureReason()).find("The receiver stopped answering"), std::string::npos)
            << b.engine->FailureReason();
        EXPECT_TRUE(b.op.messages.empty()) << "no outcome message for an upgrade that did not end";
        EXPECT_EQ(b.closes, 0);
    }
}
