// The serial device on POSIX systems (Linux first): a tty opened
// non-blocking, with poll() providing the Windows-style read time-out.

#include "platform/SerialDevice.h"
#include "platform/SerialDevice_posix.h"
#include "platform/NetworkPort.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace qvr {

bool ResolveSerialDevicePath(const char* name, char* out, size_t outSize)
{
    if (name == nullptr || name[0] == '\0' || out == nullptr || outSize == 0)
        return false;

    int n;
    if (std::strchr(name, '/') != nullptr) {
        n = std::snprintf(out, outSize, "%s", name);
    } else {
        // "COMn": only digits after "COM", value 1 or more.
        unsigned long number = 0;
        size_t digits = 0;
        bool comName = std::strncmp(name, "COM", 3) == 0 && name[3] != '\0';
        for (const char* p = name + 3; comName && *p != '\0'; ++p, ++digits) {
            if (*p < '0' || *p > '9' || digits == 9)
                comName = false;
            else
                number = number * 10 + static_cast<unsigned long>(*p - '0');
        }
        if (comName && number >= 1)
            n = std::snprintf(out, outSize, "/dev/ttyS%lu", number - 1);
        else
            n = std::snprintf(out, outSize, "/dev/%s", name);
    }
    if (n < 0 || static_cast<size_t>(n) >= outSize) {
        out[0] = '\0';
        return false;
    }
    return true;
}

namespace {

int LowerModemLines(int fd, int bits) { return ::ioctl(fd, TIOCMBIC, &bits); }

std::atomic<ModemLinesLowerer> g_lowerModemLines{&LowerModemLines};

} // namespace

void SetModemLinesLowerer(ModemLinesLowerer lower)
{
    g_lowerModemLines.store(lower != nullptr ? lower : &LowerModemLines);
}

namespace {

int64_t MonotonicNowNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Milliseconds from now until deadlineNs, rounded up so that poll() never
// wakes before the deadline; 0 once it has passed.
int PollTimeoutUntil(int64_t deadlineNs)
{
    const int64_t remaining = deadlineNs - MonotonicNowNs();
    if (remaining <= 0)
        return 0;
    const int64_t ms = (remaining + 999999) / 1000000;
    return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

struct RateEntry {
    int rate;
    speed_t speed;
};

const RateEntry kRates[] = {
    {50, B50}, {75, B75}, {110, B110}, {134, B134}, {150, B150}, {200, B200},
    {300, B300}, {600, B600}, {1200, B1200}, {1800, B1800}, {2400, B2400},
    {4800, B4800}, {9600, B9600}, {19200, B19200}, {38400, B38400},
#ifdef B57600
    {57600, B57600},
#endif
#ifdef B115200
    {115200, B115200},
#endif
#ifdef B230400
    {230400, B230400},
#endif
#ifdef B460800
    {460800, B460800},
#endif
#ifdef B500000
    {500000, B500000},
#endif
#ifdef B576000
    {576000, B576000},
#endif
#ifdef B921600
    {921600, B921600},
#endif
#ifdef B1000000
    {1000000, B1000000},
#endif
#ifdef B1152000
    {1152000, B1152000},
#endif
#ifdef B1500000
    {1500000, B1500000},
#endif
#ifdef B2000000
    {2000000, B2000000},
#endif
#ifdef B2500000
    {2500000, B2500000},
#endif
#ifdef B3000000
    {3000000, B3000000},
#endif
#ifdef B3500000
    {3500000, B3500000},
#endif
#ifdef B4000000
    {4000000, B4000000},
#endif
};

bool LookUpRate(int rate, speed_t* speed)
{
    for (const RateEntry& entry : kRates) {
        if (entry.rate == rate) {
            *speed = entry.speed;
            return true;
        }
    }
    return false;
}

// A write gives up when the driver has taken no byte for this long. The
// driver's transmit buffer (a few kilobytes) may be full and drain only at
// the line rate, so the bound is 2 s plus the time to send 4096 bytes at the
// rate in use (9600 Bd when none was applied): 6.3 s at 9600 Bd, 2.4 s at
// 115200 Bd. A device that stops taking data thus fails the write instead of
// freezing the program.
int64_t WriteStallLimitNs(int rate)
{
    if (rate <= 0)
        rate = 9600;
    const int64_t drainMs = 4096LL * 10 * 1000 / rate;
    return (2000 + drainMs) * 1000000;
}

// The devices open in this process, for ReleaseSerialDevicesOnInterrupt:
// plain atomics, so a signal handler can take them. A slot holds the
// descriptor plus one, 0 when free; enough slots for a whole bench of
// receivers served at once.
constexpr int kTrackedDevices = 128;
std::atomic<int> g_openDevices[kTrackedDevices] = {};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler reads the open devices");

void TrackOpenDevice(int fd)
{
    for (std::atomic<int>& slot : g_openDevices) {
        int free = 0;
        if (slot.compare_exchange_strong(free, fd + 1))
            return;
    }
}

void ForgetOpenDevice(int fd)
{
    for (std::atomic<int>& slot : g_openDevices) {
        int open = fd + 1;
        if (slot.compare_exchange_strong(open, 0))
            return;
    }
}

class PosixSerialDevice final : public ISerialDevice {
public:
    ~PosixSerialDevice() override { Close(); }

    bool Open(const char* name) override
    {
        Close();
        char path[PATH_MAX];
        if (!ResolveSerialDevicePath(name, path, sizeof path))
            return Fail(name == nullptr || name[0] == '\0' ? EINVAL : ENAMETOOLONG);

        const int fd = ::open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return Fail(errno);

        // Anything that is not a terminal is not a serial port.
        if (!::isatty(fd))
            return CloseAndFail(fd, ENOTTY);

        // Exclusive use: the advisory lock keeps out other programs that lock
        // too (and other opens in this process); TIOCEXCL refuses further
        // opens of the tty to anyone but root.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
            return CloseAndFail(fd, errno == EWOULDBLOCK ? EBUSY : errno);
        if (::ioctl(fd, TIOCEXCL) != 0)
            return CloseAndFail(fd, errno); // closing drops the lock too

        fd_ = fd;
        fetched_ = false;
        rate_ = 0;
        TrackOpenDevice(fd);
        return true;
    }

    bool IsOpen() const override { return fd_ >= 0; }

    void Close() override
    {
        if (fd_ < 0)
            return;
        ForgetOpenDevice(fd_);
        // Exclusive mode belongs to the tty, not to this descriptor: a pseudo
        // terminal would keep refusing opens after we are gone.
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_); // also releases the lock; never retried on Linux
        fd_ = -1;
        fetched_ = false;
        rate_ = 0;
    }

    bool FetchLineSettings() override
    {
        if (fd_ < 0)
            return Fail(EBADF);
        if (::tcgetattr(fd_, &settings_) != 0)
            return Fail(errno);
        fetched_ = true;
        return true;
    }

    bool ApplyLineSettings(int baudRate) override
    {
        if (fd_ < 0)
            return Fail(EBADF);
        if (!fetched_ && !FetchLineSettings())
            return false;
        // A rate the system does not have is refused, but the rest of the
        // settings still apply, at the rate in force.
        speed_t speed;
        const bool known = LookUpRate(baudRate, &speed);
        if (!known)
            speed = ::cfgetospeed(&settings_);

        termios t = settings_;
        // Raw: no byte is stripped, translated, echoed or interpreted.
        t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                            ICRNL | IXON | IXOFF | IXANY | INPCK);
#ifdef IUCLC
        t.c_iflag &= ~static_cast<tcflag_t>(IUCLC);
#endif
        t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
        t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
        // 8N1, no hardware flow control, modem lines ignored, receiver on.
        t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
#ifdef CRTSCTS
        t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
#endif
#ifdef CMSPAR
        t.c_cflag &= ~static_cast<tcflag_t>(CMSPAR);
#endif
        t.c_cflag |= CS8 | CLOCAL | CREAD;
        // Reads never wait in the driver; Read() waits with poll().
        t.c_cc[VMIN] = 0;
        t.c_cc[VTIME] = 0;
        if (::cfsetispeed(&t, speed) != 0 || ::cfsetospeed(&t, speed) != 0)
            return Fail(errno);
        if (::tcsetattr(fd_, TCSANOW, &t) != 0)
            return Fail(errno);
        // DTR and RTS are not driven: both low, as on Windows with line
        // control disabled (opening a tty raises them). A device without
        // modem lines (a pseudo-terminal) refuses this, which is no fault.
        g_lowerModemLines.load()(fd_, TIOCM_DTR | TIOCM_RTS);

        // tcsetattr succeeds when any part of the change took; a driver that
        // cannot do the rate may keep or round it. Check what is in force.
        termios check{};
        if (::tcgetattr(fd_, &check) != 0)
            return Fail(errno);
        settings_ = check;
        if (!known)
            return Fail(EINVAL);
        const speed_t in = ::cfgetispeed(&check);
        if (::cfgetospeed(&check) != speed || (in != speed && in != B0))
            return Fail(EINVAL);
        rate_ = baudRate;
        return true;
    }

    bool Read(uint8_t* dest, size_t count, uint32_t timeoutMs, size_t* received) override
    {
        size_t got = 0;
        *received = 0;
        if (fd_ < 0)
            return Fail(EBADF);
        if (count == 0)
            return true;

        const int64_t deadline = MonotonicNowNs() + static_cast<int64_t>(timeoutMs) * 1000000;
        bool hangUp = false; // the last poll reported a hang-up or an error
        int gone = 0;        // errno of a device that has gone away
        while (got < count) {
            const ssize_t n = ::read(fd_, dest + got, count - got);
            if (n > 0) {
                got += static_cast<size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                gone = errno;
                break;
            }
            // Nothing to read. With VMIN = VTIME = 0 Linux says so with 0,
            // not EAGAIN, despite O_NONBLOCK; so 0 is an end of file only
            // once poll has reported the hang-up. After that report nothing
            // more will come: stop rather than poll again, which would
            // return the same report at once, forever.
            if (hangUp) {
                gone = EIO;
                break;
            }
            const int waitMs = PollTimeoutUntil(deadline);
            if (waitMs == 0)
                break; // timed out: a success with what arrived
            pollfd p{fd_, POLLIN, 0};
            const int ready = ::poll(&p, 1, waitMs);
            if (ready < 0) {
                if (errno == EINTR)
                    continue;
                gone = errno;
                break;
            }
            if (p.revents & POLLNVAL) {
                gone = EBADF;
                break;
            }
            // With POLLIN too there may be data left: the next read drains it.
            if (p.revents & (POLLHUP | POLLERR))
                hangUp = true;
        }
        *received = got;
        if (gone != 0 && got == 0)
            return Fail(gone);
        // Bytes already taken are handed over; the next call fails at once.
        return true;
    }

    bool Write(const uint8_t* src, size_t count, size_t* written) override
    {
        size_t done = 0;
        *written = 0;
        if (fd_ < 0)
            return Fail(EBADF);

        const int64_t stallLimit = WriteStallLimitNs(rate_);
        int64_t lastProgress = MonotonicNowNs();
        int error = 0;
        while (done < count) {
            const ssize_t n = ::write(fd_, src + done, count - done);
            if (n > 0) {
                done += static_cast<size_t>(n);
                lastProgress = MonotonicNowNs();
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                error = errno;
                break;
            }
            // The driver's buffer is full: wait until it takes more.
            const int waitMs = PollTimeoutUntil(lastProgress + stallLimit);
            if (waitMs == 0) {
                error = ETIMEDOUT;
                break;
            }
            pollfd p{fd_, POLLOUT, 0};
            const int ready = ::poll(&p, 1, waitMs);
            if (ready < 0 && errno != EINTR) {
                error = errno;
                break;
            }
            if (ready > 0 && !(p.revents & POLLOUT) && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
                error = (p.revents & POLLNVAL) ? EBADF : EIO;
                break;
            }
        }
        *written = done;
        if (error != 0)
            return Fail(error);
        return true;
    }

    bool HasGone() override
    {
        if (fd_ < 0)
            return false;
        pollfd p{fd_, 0, 0}; // hang-ups and errors are reported unasked
        return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    }

    int LastError() const override { return lastError_; }

private:
    bool Fail(int error)
    {
        lastError_ = error;
        return false;
    }

    bool CloseAndFail(int fd, int error)
    {
        ::close(fd);
        return Fail(error);
    }

    int fd_ = -1;
    termios settings_{};
    bool fetched_ = false;
    int rate_ = 0; // the rate applied last, 0 before the first
    int lastError_ = 0;
};

} // namespace

std::unique_ptr<ISerialDevice> CreateLocalSerialDevice()
{
    return std::make_unique<PosixSerialDevice>();
}

void ReleaseSerialDevicesOnInterrupt()
{
    for (std::atomic<int>& slot : g_openDevices) {
        const int fd = slot.exchange(0) - 1;
        if (fd < 0)
            continue;
        ::ioctl(fd, TIOCNXCL);
        ::close(fd);
    }
}

} // namespace qvr
