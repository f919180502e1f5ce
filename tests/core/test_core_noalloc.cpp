// The serial port and the receiver object allocate nothing in their
// operations. Every allocation in this binary goes through the counting
// operator new below; the simulated receiver and the test's own helpers run
// with counting paused, so only the core's allocations are seen.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <new>

#include <stdlib.h>
#include <unistd.h>

#include "MAReceiver.h"
#include "Preferences.h"
#include "ScriptedSerialDevice.h"
#include "SimAudio.h"
#include "SimDebugFile.h"
#include "SimReceiver.h"
#include "TestFiles.h"
#include "VirtualLink.h"

namespace {
thread_local bool g_counting = false;
thread_local int g_allocations = 0;

struct Paused {
    bool was = g_counting;
    Paused() { g_counting = false; }
    ~Paused() { g_counting = was; }
};

struct Counting {
    Counting() {
        g_allocations = 0;
        g_counting = true;
    }
    ~Counting() { g_counting = false; }
    int Allocations() const { return g_allocations; }
};
} // namespace

void* operator new(std::size_t size) {
    if (g_counting) ++g_allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (g_counting) ++g_allocations;
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

using namespace qvr;

namespace {

// Forwards to another device with allocation counting paused: the
// simulated receiver behind it is not part of the core.
class PausedDevice : public ISerialDevice {
public:
    explicit PausedDevice(ISerialDevice& inner) : m_inner(inner) {}
    bool Open(const char* name) override { Paused p; return m_inner.Open(name); }
    bool IsOpen() const override { Paused p; return m_inner.IsOpen(); }
    void Close() override { Paused p; m_inner.Close(); }
    bool FetchLineSettings() override { Paused p; return m_inner.FetchLineSettings(); }
    bool ApplyLineSettings(int baud) override { Paused p; return m_inner.ApplyLineSettings(baud); }
    bool Read(uint8_t* d, size_t n, uint32_t t, size_t* r) override { Paused p; return m_inner.Read(d, n, t, r); }
    bool Write(const uint8_t* s, size_t n, size_t* w) override { Paused p; return m_inner.Write(s, n, w); }
    int LastError() const override { return m_inner.LastError(); }

private:
    ISerialDevice& m_inner;
};

class FixedPorts : public IPortEnumerator {
public:
    bool Enumerate(Visitor visit, void* context) override {
        static const char* const kNames[] = {"COM11", "COM3", "COM1", "ttyUSB1000"};
        for (const char* name : kNames) visit(context, name);
        return true;
    }
};

} // namespace

TEST(NoAllocation, ComPortOperations) {
    sim::VirtualClock clock;
    test::ScriptedSerialDevice scripted(clock);
    scripted.Arrive(10, std::string(12000, 'a'));
    PausedDevice device(scripted);
    FixedPorts ports;
    CComPort port(PlatformServices{&clock, &device, &NullTrace(), &ports});

    Counting counting;
    port.Open("COM1", 9600);
    port.UpdateReadBuffer();
    port.UpdateReadBuffer();  // buffer full
    uint8_t out[64];
    port.Read(out, sizeof out, 5, true);
    port.Find(0, reinterpret_cast<const uint8_t*>("aa"), 2);
    port.Find(0, reinterpret_cast<const uint8_t*>("zz"), 2);
    port.Write(reinterpret_cast<const uint8_t*>("log versionb\r\n"), 14);
    port.Purge();
    port.EnumeratePorts();
    char name[CComPort::kPortNameSize];
    port.GetComPortName(name, 1);
    port.GetComPortName(name, 9);
    port.Close();
    port.UpdateReadBuffer();
    EXPECT_EQ(counting.Allocations(), 0);
}

TEST(NoAllocation, ConnectReadLogAndBaudChange) {
    for (Variant variant : {Variant::Desktop, Variant::Handheld}) {
        sim::ReceiverConfig config;
        config.baud = 4800;
        sim::SimReceiver receiver(config);
        sim::VirtualLink link(receiver);
        PausedDevice device(link.Device());
        MAReceiver ma(variant, PlatformServices{&link.Clock(), &device, &NullTrace(), nullptr});

        Counting counting;
        ASSERT_TRUE(ma.Connect("COM1"));
        ma.Port().Purge();
        ma.SendCommand("log versionb\r\n");
        // At 4800 baud the version log outlasts one read: the second completes it.
        const bool read = ma.ReadLog(500) || ma.ReadLog(500);
        EXPECT_TRUE(read);
        ma.GetLogMessageId();
        ma.ChangeBaudRate(115200);
        char name[128];
        ma.GetPortName(name);
        ma.Disconnect();
        ma.Connect("COM1");  // a second connect after the rate change
        EXPECT_EQ(counting.Allocations(), 0);
    }
}

TEST(NoAllocation, AudioAndReceiverPreferences) {
    for (Variant variant : {Variant::Desktop, Variant::Handheld}) {
        sim::SimReceiver receiver;
        sim::SimAudio audio(receiver);
        sim::VirtualLink link(receiver);
        PausedDevice device(link.Device());
        MAReceiver ma(variant, PlatformServices{&link.Clock(), &device, &NullTrace(), nullptr});
        {
            Paused p;
            audio.Audio().languageFile = "ext";
        }

        Counting counting;
        ASSERT_TRUE(ma.Port().Open("COM1", 9600));
        ASSERT_TRUE(ma.UpdateReceiverInfo());
        EXPECT_TRUE(ma.UpdateAudioInfo());
        ma.SetAudioLanguage(2);
        ma.SetAudioVolume(5);
        ma.SetAudioVolume(8);
        ma.PlayAudioPrompt(9, 4);
        ma.PlayAudioPrompt(15, 4);
        ma.SetTimerMode(1);
        ma.GetTimerMode();
        Language ids[MAReceiver::kMaxLanguages];
        int count = 0;
        ma.GetLanguageList(ids, &count);
        LanguageListName(ids, count, 3);
        const char* entries[kMaxPowerupEntries];
        PowerupList(variant, ma.Info().modelKind, ma.GetUserAppVersionNumber(), entries);
        TimerLedChoice(variant, 1);
        EXPECT_TRUE(ma.WritePowerupConfig(3, 1));
        EXPECT_FALSE(ma.WritePowerupConfig(100, 1));  // refused, traced
        {
            Paused p;
            receiver.InjectFault(sim::FrameFault::LostFrame);
        }
        EXPECT_FALSE(ma.UpdateAudioInfo());  // the message box path
        EXPECT_EQ(counting.Allocations(), 0);
    }
}

namespace {
struct QuietProgress : IProgressSink {
    void SetRange(int, int) override {}
    void SetPosition(int) override {}
};
} // namespace

TEST(NoAllocation, DebugFileDownload) {
    // The C library allocates the FILE of fopen itself (setvbuf with _IONBF
    // spares the buffer). Counting cannot be paused inside the download, so
    // the baseline measures the same fopen, setvbuf, fwrite and fclose
    // alone, and the download may cost that much per opened file and no more.
    // (Those allocations are malloc's, not operator new's, so with this
    // counter the baseline is 0; the comparison holds either way.)
    const std::string dirName = test::MakeTempFolder("qvr_noalloc_");
    ASSERT_NE(dirName, "");
    char path[512];
    std::snprintf(path, sizeof path, "%s/debuglog.bin", dirName.c_str());
    int baseline = 0;
    {
        Counting counting;
        std::FILE* file = std::fopen(path, "w+b");
        ASSERT_NE(file, nullptr);
        std::setvbuf(file, nullptr, _IONBF, 0);
        std::fwrite(path, 1, sizeof path, file);
        std::fclose(file);
        baseline = counting.Allocations();
    }
    for (Variant variant : {Variant::Desktop, Variant::Handheld}) {
        sim::SimReceiver receiver;
        sim::SimDebugFile debugFile(receiver);
        sim::VirtualLink link(receiver);
        PausedDevice device(link.Device());
        MAReceiver ma(variant, PlatformServices{&link.Clock(), &device, &NullTrace(), nullptr});
        QuietProgress progress;
        {
            Paused p;
            debugFile.SetContent(sim::SimDebugFile::Pattern(20 * 1024 + 5));
        }

        Counting counting;
        ASSERT_TRUE(ma.Connect("COM1"));
        EXPECT_TRUE(ma.DownloadDebugFile(path, &progress));
        {
            Paused p;
            debugFile.InjectFault(sim::DebugStreamFault::RepeatedBlock, 3);
            debugFile.InjectFault(sim::DebugStreamFault::LastBlockLost);
        }
        EXPECT_FALSE(ma.DownloadDebugFile(path, &progress));  // the time-out message
        EXPECT_FALSE(ma.DownloadDebugFile("/nonexistent-folder/debuglog.bin", nullptr));
        ma.SetDebugFileEnabled(true);
        ma.SetDebugFileEnabled(false);
        ma.DeleteDebugFile();
        EXPECT_FALSE(ma.DownloadDebugFile(path, &progress));  // the empty-file message
        EXPECT_EQ(counting.Allocations(), 2 * baseline);
    }
    unlink(path);
    rmdir(dirName.c_str());
}

// ---------------------------------------------------------------- GSM module

#include "SimAuxPort.h"
#include "SimGsmModule.h"

TEST(NoAllocation, GsmModuleOperations) {
    sim::SimReceiver receiver;
    sim::SimAuxPort aux(receiver);
    sim::SimGsmModule module;
    aux.AttachDevice(&module);
    sim::VirtualLink link(receiver);
    PausedDevice device(link.Device());
    MAReceiver ma(Variant::Desktop, PlatformServices{&link.Clock(), &device, &NullTrace(), nullptr});
    NtripSourceRecord ntrip{};
    std::snprintf(ntrip.casterAddress, sizeof ntrip.casterAddress, "caster.example.net");
    std::snprintf(ntrip.mountPoint, sizeof ntrip.mountPoint, "MOUNT");
    ntrip.port = 2101;

    Counting counting;
    ASSERT_TRUE(ma.Port().Open("COM1", 9600));
    ma.SendCommand("log passauxb onnew\r\n");
    EXPECT_TRUE(ma.DetectGsmModule());
    EXPECT_EQ(ma.QueryRegistration(), 1);
    EXPECT_TRUE(ma.WriteNtripSettings(&ntrip));
    ma.SendCommand("log passauxb onnew\r\n");
    EXPECT_TRUE(ma.WriteGprsSettings(&ma.Peripheral().bearer));
    EXPECT_FALSE(ma.SetDefaultConnection(2));
    char output[256];
    EXPECT_TRUE(ma.TestTcpConnection("example.com", output, sizeof output));
    char command[16] = "AT+CSQ";
    char reply[512];
    EXPECT_TRUE(ma.ExchangeAtCommand(command, sizeof command, reply, sizeof reply));
    EXPECT_EQ(counting.Allocations(), 0);
}

#include "SimUhfRadio.h"

TEST(NoAllocation, UhfRadioOperations) {
    for (Variant variant : {Variant::Desktop, Variant::Handheld}) {
        sim::SimReceiver receiver;
        sim::SimAuxPort aux(receiver);
        sim::UhfRadioConfig config;
        config.busy = true;  // the interrupt, the power cycle and the warning too
        sim::SimUhfRadio radio(config);
        aux.AttachDevice(&radio);
        sim::VirtualLink link(receiver);
        PausedDevice device(link.Device());
        MAReceiver ma(variant, PlatformServices{&link.Clock(), &device, &NullTrace(), nullptr});

        Counting counting;
        ASSERT_TRUE(ma.Connect("COM1"));
        ma.SendCommand("comvout aux on\r\n");
        ma.SendCommand("log passauxb onnew\r\n");
        EXPECT_TRUE(ma.DetectUhfRadio());
        EXPECT_TRUE(ma.SetCurrentFrequency(450.0125));
        EXPECT_TRUE(ma.SetTxPower("200"));
        EXPECT_FALSE(ma.SetTxPower("5555555555555555555555555555555555555555555555555555555555555555555555555555555555"
                                   "5555555555555555555555555555555555555555555555555555555555555555555555555555555555"
                                   "5555555555555555555555555555555555555555555555555555555555555555555555555555555555"));
        ma.StoreRadioSettings();
        ma.ToggleFec();
        ma.ReadChannelSpacing();
        char message[MAReceiver::kCenterMessageSize];
        EXPECT_FALSE(ma.SetCenterFrequency("450.003", message));
        EXPECT_TRUE(ma.SetCenterFrequency("450.00625", message));
        EXPECT_EQ(counting.Allocations(), 0);
    }
}
