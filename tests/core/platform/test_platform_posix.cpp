// The POSIX platform layer against real kernel objects: the serial device
// over a pseudo-terminal pair (the test plays the receiver on the master
// side), the sysfs port list over a fake tree, and the trace sinks.

#include "platform/Clock.h"
#include "platform/PortEnumerator_linux.h"
#include "platform/SerialDevice.h"
#include "platform/SerialDevice_posix.h"
#include "platform/Trace.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace qvr {
namespace {

using Bytes = std::vector<uint8_t>;
using SteadyTime = std::chrono::steady_clock;

int64_t MsSince(SteadyTime::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyTime::now() - start).count();
}

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// A fresh directory under /tmp, removed with its contents at the end of the
// test even when an assertion ends it early.
class TempDir {
public:
    TempDir()
    {
        char pattern[] = "/tmp/qvr_platform_XXXXXX";
        if (::mkdtemp(pattern) != nullptr)
            path_ = pattern;
    }
    ~TempDir()
    {
        if (!path_.empty() && std::system(("rm -rf '" + path_ + "'").c_str()) != 0)
            ADD_FAILURE() << "cannot remove " << path_;
    }
    bool Ok() const { return !path_.empty(); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// On Linux the termios calls on a pty master act on the slave's settings
// (the master side itself is always raw). So instead of making the master
// raw we use it to leave the slave thoroughly cooked, the way a port may be
// found, and let the device under test undo all of it. (The pty driver
// itself forces CS8 and no parity, so those two cannot be checked here.)
class PtyPair {
public:
    PtyPair()
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
            ::ptsname_r(master_, slave_, sizeof slave_) != 0)
            return;
        termios t{};
        ::tcgetattr(master_, &t);
        t.c_iflag |= BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK;
        t.c_oflag |= OPOST | ONLCR | OCRNL;
        t.c_lflag |= ECHO | ECHONL | ICANON | ISIG | IEXTEN;
        t.c_cflag = (t.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB | CRTSCTS;
        ok_ = ::tcsetattr(master_, TCSANOW, &t) == 0;
    }
    ~PtyPair() { CloseMaster(); }

    bool Ok() const { return ok_; }
    const char* SlavePath() const { return slave_; }
    int Master() const { return master_; }
    void CloseMaster()
    {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

    void Send(const Bytes& bytes) const
    {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    // Whatever the device sent, up to count bytes or until timeoutMs.
    Bytes Receive(size_t count, int timeoutMs) const
    {
        Bytes got(count);
        size_t n = 0;
        const auto start = SteadyTime::now();
        while (n < count) {
            const int left = timeoutMs - static_cast<int>(MsSince(start));
            pollfd p{master_, POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, left) <= 0)
                break;
            const ssize_t r = ::read(master_, got.data() + n, count - n);
            if (r <= 0)
                break;
            n += static_cast<size_t>(r);
        }
        got.resize(n);
        return got;
    }

private:
    int master_ = -1;
    char slave_[128] = {};
    bool ok_ = false;
};

class SerialDeviceOverPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.Ok()) << std::strerror(errno);
        ASSERT_TRUE(device->Open(pty.SlavePath())) << std::strerror(device->LastError());
        ASSERT_TRUE(device->ApplyLineSettings(115200)) << std::strerror(device->LastError());
    }

    termios SlaveSettings() const
    {
        termios t{};
        EXPECT_EQ(::tcgetattr(pty.Master(), &t), 0);
        return t;
    }
    speed_t SlaveSpeed() const
    {
        const termios t = SlaveSettings();
        return ::cfgetospeed(&t);
    }

    PtyPair pty;
    std::unique_ptr<ISerialDevice> device = CreateSystemSerialDevice();
};

Bytes AllByteValuesTwice()
{
    Bytes bytes;
    for (int i = 0; i < 256; ++i)
        bytes.push_back(static_cast<uint8_t>(i));
    for (int i = 255; i >= 0; --i) // also \n\r, \r\r-style neighbours
        bytes.push_back(static_cast<uint8_t>(i));
    return bytes;
}

TEST_F(SerialDeviceOverPty, EveryByteValuePassesUnchangedBothWays)
{
    const Bytes payload = AllByteValuesTwice();
    size_t written = 0;
    ASSERT_TRUE(device->Write(payload.data(), payload.size(), &written));
    EXPECT_EQ(written, payload.size());
    EXPECT_EQ(pty.Receive(payload.size(), 1000), payload);
    EXPECT_TRUE(pty.Receive(1, 30).empty()) << "bytes added on the way out";

    pty.Send(payload);
    Bytes got(payload.size() + 1);
    size_t received = 0;
    ASSERT_TRUE(device->Read(got.data(), payload.size(), 1000, &received));
    got.resize(received);
    EXPECT_EQ(got, payload);
    EXPECT_TRUE(pty.Receive(1, 30).empty()) << "echo back to the sender";
}

TEST_F(SerialDeviceOverPty, AppliedSettingsAreRaw8N1)
{
    const termios t = SlaveSettings();
    const struct {
        tcflag_t termios::*field;
        tcflag_t mask;
        const char* name;
    } mustBeClear[] = {
        {&termios::c_iflag, IGNBRK | BRKINT | PARMRK | ISTRIP, "input stripping"},
        {&termios::c_iflag, INLCR | IGNCR | ICRNL, "input CR/LF translation"},
        {&termios::c_iflag, IXON | IXOFF | IXANY | INPCK, "XON/XOFF, parity check"},
        {&termios::c_oflag, OPOST, "output processing"},
        {&termios::c_lflag, ECHO | ECHONL | ICANON | ISIG | IEXTEN, "local modes"},
        {&termios::c_cflag, PARENB | CSTOPB | CRTSCTS, "parity, 2 stop bits, RTS/CTS"},
    };
    for (const auto& check : mustBeClear)
        EXPECT_EQ(t.*check.field & check.mask, 0u) << check.name;
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
    EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B115200));
}

TEST_F(SerialDeviceOverPty, OnlyTableRatesAreApplied)
{
    const struct {
        int rate;
        speed_t speed;
    } supported[] = {{50, B50}, {4800, B4800}, {9600, B9600}, {115200, B115200},
                     {230400, B230400}, {4000000, B4000000}};
    for (const auto& entry : supported) {
        EXPECT_TRUE(device->ApplyLineSettings(entry.rate)) << entry.rate;
        EXPECT_EQ(SlaveSpeed(), entry.speed) << entry.rate;
    }
    ASSERT_TRUE(device->ApplyLineSettings(9600));
    for (int rate : {12345, 0, -9600, 9601, 115201}) {
        EXPECT_FALSE(device->ApplyLineSettings(rate)) << rate;
        EXPECT_EQ(device->LastError(), EINVAL) << rate;
        EXPECT_EQ(SlaveSpeed(), static_cast<speed_t>(B9600)) << rate;
    }
}

std::vector<int> g_loweredLines; // the bits of each lowering, in order

TEST(SerialDevice, LineSettingsLowerDtrAndRtsAndAreRawEvenWhenTheRateIsRefused)
{
    SetModemLinesLowerer([](int, int bits) {
        g_loweredLines.push_back(bits);
        return 0;
    });
    const struct {
        int rate;
        bool accepted;
        speed_t speed; // in force afterwards (the pty starts at 38400)
    } cases[] = {{9600, true, B9600}, {12345, false, B38400}};
    for (const auto& c : cases) {
        PtyPair pty; // cooked, at 38400
        ASSERT_TRUE(pty.Ok());
        termios t{};
        ::tcgetattr(pty.Master(), &t);
        ::cfsetspeed(&t, B38400);
        ASSERT_EQ(::tcsetattr(pty.Master(), TCSANOW, &t), 0);
        auto device = CreateSystemSerialDevice();
        ASSERT_TRUE(device->Open(pty.SlavePath()));
        g_loweredLines.clear();
        EXPECT_EQ(device->ApplyLineSettings(c.rate), c.accepted) << c.rate;
        EXPECT_EQ(g_loweredLines, std::vector<int>{TIOCM_DTR | TIOCM_RTS}) << c.rate;
        ASSERT_EQ(::tcgetattr(pty.Master(), &t), 0);
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u) << c.rate;
        EXPECT_EQ(t.c_iflag & (ICRNL | IXON | ISTRIP), 0u) << c.rate;
        EXPECT_EQ(::cfgetospeed(&t), c.speed) << c.rate;
    }
    SetModemLinesLowerer(nullptr);
}

TEST_F(SerialDeviceOverPty, ReadReturnsAsSoonAsTheCountIsIn)
{
    std::thread sender([&] {
        SleepMs(20);
        pty.Send({1, 2});
        SleepMs(20);
        pty.Send({3, 4, 5});
    });
    uint8_t got[4] = {};
    size_t received = 0;
    const auto start = SteadyTime::now();
    const bool ok = device->Read(got, 4, 1000, &received);
    const int64_t elapsed = MsSince(start);
    sender.join();
    ASSERT_TRUE(ok);
    EXPECT_EQ(Bytes(got, got + received), (Bytes{1, 2, 3, 4}));
    EXPECT_LT(elapsed, 300);

    ASSERT_TRUE(device->Read(got, 4, 0, &received)); // the rest is still there
    EXPECT_EQ(Bytes(got, got + received), Bytes{5});
}

TEST_F(SerialDeviceOverPty, ShortReadEndsAtItsTimeOutWithWhatArrived)
{
    pty.Send({7, 8, 9});
    uint8_t got[10] = {};
    size_t received = 99;
    auto start = SteadyTime::now();
    ASSERT_TRUE(device->Read(got, sizeof got, 80, &received));
    const int64_t elapsed = MsSince(start);
    EXPECT_EQ(Bytes(got, got + received), (Bytes{7, 8, 9}));
    EXPECT_GE(elapsed, 79);
    EXPECT_LT(elapsed, 250);

    start = SteadyTime::now();
    ASSERT_TRUE(device->Read(got, sizeof got, 0, &received));
    EXPECT_EQ(received, 0u);
    ASSERT_TRUE(device->Read(got, 0, 1000, &received));
    EXPECT_EQ(received, 0u);
    EXPECT_LT(MsSince(start), 50);
}

TEST_F(SerialDeviceOverPty, OpenIsExclusiveUntilClosed)
{
    auto second = CreateSystemSerialDevice();
    EXPECT_FALSE(second->Open(pty.SlavePath()));
    EXPECT_EQ(second->LastError(), EBUSY);
    EXPECT_FALSE(second->IsOpen());

    // The tty itself is in exclusive mode too (only root may still open it).
    const int probe = ::open(pty.SlavePath(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    int exclusive = -1;
    if (probe >= 0) {
        ASSERT_EQ(::ioctl(probe, TIOCGEXCL, &exclusive), 0);
        EXPECT_EQ(exclusive, 1);
    } else {
        EXPECT_EQ(errno, EBUSY);
    }

    device->Close();
    EXPECT_FALSE(device->IsOpen());
    if (probe >= 0) {
        ASSERT_EQ(::ioctl(probe, TIOCGEXCL, &exclusive), 0);
        EXPECT_EQ(exclusive, 0) << "exclusive mode outlives Close";
        ::close(probe);
    }
    ASSERT_TRUE(second->Open(pty.SlavePath())) << std::strerror(second->LastError());
    EXPECT_FALSE(device->Open(pty.SlavePath()));
}

int CountOpenDescriptors();

// What a Ctrl+C handler calls before the program exits: the tty leaves
// exclusive mode and the descriptor is closed, so another program (or user)
// can open the port. (The device object is left with a closed descriptor:
// the program ends right after.)
TEST_F(SerialDeviceOverPty, InterruptReleaseClearsExclusiveModeAndCloses)
{
    const int probe = ::open(pty.SlavePath(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (probe < 0)
        GTEST_SKIP() << "only root may open a tty in exclusive mode";
    int exclusive = -1;
    ASSERT_EQ(::ioctl(probe, TIOCGEXCL, &exclusive), 0);
    ASSERT_EQ(exclusive, 1);
    const int before = CountOpenDescriptors();
    ReleaseSerialDevicesOnInterrupt();
    ASSERT_EQ(::ioctl(probe, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    EXPECT_EQ(CountOpenDescriptors(), before - 1);
    ::close(probe);
}

int CountOpenDescriptors()
{
    DIR* dir = ::opendir("/proc/self/fd");
    int count = 0;
    while (dir != nullptr && ::readdir(dir) != nullptr)
        ++count;
    if (dir != nullptr)
        ::closedir(dir);
    return count;
}

TEST_F(SerialDeviceOverPty, FailedOpensLeakNothing)
{
    const TempDir dir;
    ASSERT_TRUE(dir.Ok());
    const std::string regularFile = dir.Path() + "/plain";
    std::ofstream(regularFile) << "not a tty";
    const std::string tooLong(5000, 'x');
    const struct {
        const char* name;
        int error;
    } cases[] = {
        {"/nonexistent-dir/ttyX", ENOENT}, {"/dev/null", ENOTTY}, {regularFile.c_str(), ENOTTY},
        {pty.SlavePath(), EBUSY},          {"", EINVAL},          {tooLong.c_str(), ENAMETOOLONG},
        {pty.SlavePath(), EBUSY}, // a failed open must not drop the holder's lock
    };
    const int before = CountOpenDescriptors();
    for (const auto& c : cases) {
        auto other = CreateSystemSerialDevice();
        EXPECT_FALSE(other->Open(c.name)) << c.name;
        EXPECT_EQ(other->LastError(), c.error) << c.name;
    }
    EXPECT_EQ(CountOpenDescriptors(), before);
}

TEST_F(SerialDeviceOverPty, HangUpEndsAPendingReadAtOnce)
{
    uint8_t got[10] = {};
    size_t received = 0;
    bool ok = false;
    std::thread reader([&] { ok = device->Read(got, sizeof got, 1500, &received); });
    SleepMs(30);
    pty.CloseMaster();
    const auto start = SteadyTime::now();
    reader.join();
    EXPECT_LT(MsSince(start), 300);
    EXPECT_FALSE(ok);
    EXPECT_EQ(received, 0u);
    EXPECT_EQ(device->LastError(), EIO);
}

TEST_F(SerialDeviceOverPty, BytesReadBeforeAHangUpAreDeliveredThenTheDeviceFails)
{
    uint8_t got[10] = {};
    size_t received = 0;
    bool ok = false;
    std::thread reader([&] { ok = device->Read(got, sizeof got, 1500, &received); });
    pty.Send({0x24, 0x47});
    SleepMs(30);
    pty.CloseMaster();
    const auto start = SteadyTime::now();
    reader.join();
    EXPECT_LT(MsSince(start), 300);
    EXPECT_TRUE(ok);
    EXPECT_EQ(Bytes(got, got + received), (Bytes{0x24, 0x47}));

    EXPECT_FALSE(device->Read(got, sizeof got, 1500, &received));
    EXPECT_LT(MsSince(start), 300);
    size_t written = 0;
    EXPECT_FALSE(device->Write(got, 1, &written));
    EXPECT_EQ(device->LastError(), EIO);
}

TEST_F(SerialDeviceOverPty, WriteLargerThanTheDriverBufferWaitsForRoom)
{
    Bytes payload(256 * 1024);
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<uint8_t>(i * 7 + i / 256);
    Bytes arrived;
    std::thread drain([&] { arrived = pty.Receive(payload.size(), 1500); });
    size_t written = 0;
    EXPECT_TRUE(device->Write(payload.data(), payload.size(), &written));
    drain.join();
    EXPECT_EQ(written, payload.size());
    EXPECT_TRUE(arrived == payload);
}

TEST(SerialDevice, CallsOnAClosedDeviceFail)
{
    auto device = CreateSystemSerialDevice();
    uint8_t byte = 0;
    size_t n = 1;
    EXPECT_FALSE(device->Read(&byte, 1, 10, &n));
    EXPECT_EQ(n, 0u);
    EXPECT_FALSE(device->Write(&byte, 1, &n));
    EXPECT_FALSE(device->FetchLineSettings());
    EXPECT_FALSE(device->ApplyLineSettings(9600));
    EXPECT_EQ(device->LastError(), EBADF);
}

TEST(ResolveSerialDevicePath, Names)
{
    const struct {
        const char* name;
        const char* path; // nullptr: refused
    } cases[] = {
        {"COM1", "/dev/ttyS0"},      {"COM12", "/dev/ttyS11"},  {"COM01", "/dev/ttyS0"},
        {"ttyUSB0", "/dev/ttyUSB0"}, {"/tmp/x", "/tmp/x"},      {"pts/3", "pts/3"},
        {"COM", "/dev/COM"},         {"COM0", "/dev/COM0"},     {"COM1a", "/dev/COM1a"},
        {"com1", "/dev/com1"},       {"COM1234567890", "/dev/COM1234567890"},
        {"", nullptr},               {nullptr, nullptr},
    };
    for (const auto& c : cases) {
        char out[64];
        const bool ok = ResolveSerialDevicePath(c.name, out, sizeof out);
        EXPECT_EQ(ok, c.path != nullptr) << (c.name ? c.name : "(null)");
        if (ok && c.path != nullptr) {
            EXPECT_STREQ(out, c.path);
        }
    }
    char small[11];
    EXPECT_TRUE(ResolveSerialDevicePath("COM10", small, sizeof small)); // "/dev/ttyS9"
    EXPECT_FALSE(ResolveSerialDevicePath("COM11", small, sizeof small));
    EXPECT_FALSE(ResolveSerialDevicePath("ttyUSB0", small, sizeof small));
}

void Collect(void* context, const char* name) { static_cast<std::vector<std::string>*>(context)->push_back(name); }

TEST(SysfsPortEnumerator, ListsDriverBackedPortsInNaturalOrder)
{
    const TempDir dir;
    ASSERT_TRUE(dir.Ok());
    const std::string& base = dir.Path();
    const struct {
        std::string name;
        bool device;
        const char* type; // nullptr: no type file
    } entries[] = {
        {"ttyS10", true, "4\n"}, {"ttyS1", true, "0\n"}, {"ttyS2", true, nullptr},
        {"ttyS0", true, "4\n"},  {"ttyUSB0", true, nullptr}, {"ttyACM0", true, nullptr},
        {"tty0", false, nullptr}, {"console", false, nullptr}, {"ttyS3", false, "4\n"},
        {"ttyUSB1", true, "0\n"}, // the placeholder rule is for ttyS only
        {std::string(64, 'x'), true, nullptr},
    };
    for (const auto& e : entries) {
        ASSERT_EQ(::mkdir((base + "/" + e.name).c_str(), 0755), 0);
        if (e.device) {
            ASSERT_EQ(::mkdir((base + "/" + e.name + "/device").c_str(), 0755), 0);
        }
        if (e.type != nullptr)
            std::ofstream(base + "/" + e.name + "/type") << e.type;
    }

    std::vector<std::string> names;
    ASSERT_TRUE(CreateSysfsPortEnumerator(base.c_str())->Enumerate(Collect, &names));
    EXPECT_EQ(names, (std::vector<std::string>{"ttyACM0", "ttyS0", "ttyS2", "ttyS10", "ttyUSB0", "ttyUSB1"}));

    names.clear();
    EXPECT_FALSE(CreateSysfsPortEnumerator((base + "/missing").c_str())->Enumerate(Collect, &names));
    EXPECT_TRUE(names.empty());
}

class RecordingTrace : public ITrace {
public:
    void Write(const char* text) override { lines.push_back(text); }
    std::vector<std::string> lines;
};

TEST(Trace, FormatsAndCutsLongTextsAt1023Bytes)
{
    RecordingTrace trace;
    const std::string longText(5000, 'q');
    TraceF(&trace, "%s|%d", longText.c_str(), 42);
    TraceF(&trace, "rate %d, port %s", 9600, "COM3");
    TraceF(nullptr, "ignored %d", 1);
    ASSERT_EQ(trace.lines.size(), 2u);
    EXPECT_EQ(trace.lines[0], std::string(1023, 'q'));
    EXPECT_EQ(trace.lines[1], "rate 9600, port COM3");
}

// SystemTrace() decides once per process, so each setting is tried in a
// child process; the child's stderr goes to a file.
std::string TraceOutputOfChild(const char* setting, const std::string& stderrPath)
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(10);  // a child held in an open ends as a failure, not a hung test
        const int err = ::open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(err, STDERR_FILENO);
        if (setting != nullptr)
            ::setenv("QVR_TRACE", setting, 1);
        else
            ::unsetenv("QVR_TRACE");
        ITrace& trace = SystemTrace();
        trace.Write("one");
        trace.Write("two\n");
        trace.Write("port /dev/x\x1b[31m\x07\r\n");
        std::thread a([&] { for (int i = 0; i < 200; ++i) TraceF(&trace, "%s", std::string(300, 'a').c_str()); });
        std::thread b([&] { for (int i = 0; i < 200; ++i) TraceF(&trace, "%s", std::string(300, 'b').c_str()); });
        a.join();
        b.join();
        ::_exit(0);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::ostringstream text;
    text << std::ifstream(stderrPath).rdbuf();
    return text.str();
}

TEST(Trace, SystemTraceFollowsQvrTrace)
{
    const TempDir dir;
    ASSERT_TRUE(dir.Ok());
    const std::string stderrPath = dir.Path() + "/stderr";
    const std::string tracePath = dir.Path() + "/trace.log";
    std::ofstream(tracePath) << "earlier\n";

    const std::string unset = TraceOutputOfChild(nullptr, stderrPath);
    const std::string empty = TraceOutputOfChild("", stderrPath);
    const std::string toStderr = TraceOutputOfChild("-", stderrPath);
    const std::string toFile = TraceOutputOfChild(tracePath.c_str(), stderrPath);
    std::ostringstream file;
    file << std::ifstream(tracePath).rdbuf();
    const std::string unopenable = TraceOutputOfChild((dir.Path() + "/no/such/dir").c_str(), stderrPath);

    EXPECT_EQ(unset, "");
    EXPECT_EQ(empty, "");
    EXPECT_EQ(toFile, "");
    EXPECT_EQ(unopenable, "");
    // Each text is one whole line; lines from the two threads never mix.
    for (const std::string& text : {toStderr, file.str().substr(std::strlen("earlier\n"))}) {
        std::istringstream in(text);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        ASSERT_EQ(lines.size(), 403u);
        EXPECT_EQ(lines[0], "one");
        EXPECT_EQ(lines[1], "two");
        EXPECT_EQ(lines[2], "port /dev/x\\x1B[31m\\x07\\r") << "control characters escaped";
        size_t a = 0, b = 0;
        for (size_t i = 3; i < lines.size(); ++i) {
            a += lines[i] == std::string(300, 'a');
            b += lines[i] == std::string(300, 'b');
        }
        EXPECT_EQ(a, 200u);
        EXPECT_EQ(b, 200u);
        EXPECT_EQ(text.back(), '\n');
    }
    EXPECT_EQ(file.str().rfind("earlier\none\ntwo\n", 0), 0u) << "the file is appended to";

    // A pipe is not waited on (its open would hold the program for ever),
    // a symbolic link is not followed: neither is written to.
    const std::string fifo = dir.Path() + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(TraceOutputOfChild(fifo.c_str(), stderrPath), "");
    const std::string link = dir.Path() + "/link.log";
    ASSERT_EQ(::symlink(tracePath.c_str(), link.c_str()), 0);
    const std::string before = file.str();
    EXPECT_EQ(TraceOutputOfChild(link.c_str(), stderrPath), "");
    std::ostringstream after;
    after << std::ifstream(tracePath).rdbuf();
    EXPECT_EQ(after.str(), before) << "written through the link";
}

TEST(Clock, TickCountFollowsSleep)
{
    IClock& clock = SystemClock();
    const uint32_t start = clock.GetTickCount();
    clock.Sleep(20);
    const uint32_t elapsed = clock.GetTickCount() - start;
    EXPECT_GE(elapsed, 20u);
    EXPECT_LT(elapsed, 200u);
}

} // namespace
} // namespace qvr
