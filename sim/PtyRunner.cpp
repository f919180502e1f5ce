#include "PtyRunner.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace qvr::sim {

namespace {

long long MonotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1'000'000'000LL + ts.tv_nsec;
}

int RateOf(speed_t speed) {
    struct Entry {
        speed_t speed;
        int rate;
    };
    static const Entry kRates[] = {
        {B1200, 1200},     {B2400, 2400},     {B4800, 4800},     {B9600, 9600},
        {B19200, 19200},   {B38400, 38400},   {B57600, 57600},   {B115200, 115200},
        {B230400, 230400}, {B460800, 460800}, {B921600, 921600},
    };
    for (const Entry& e : kRates)
        if (e.speed == speed) return e.rate;
    return 0;
}

} // namespace

PtyRunner::PtyRunner(SimReceiver& receiver) : m_receiver(receiver) {}

PtyRunner::~PtyRunner() {
    if (m_slave >= 0) close(m_slave);
    if (m_master >= 0) close(m_master);
}

bool PtyRunner::Open() {
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        m_error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    const char* name = ptsname(m_master);
    if (!name) {
        m_error = std::string("cannot name the pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    m_path = name;
    m_slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0) {
        m_error = std::string("cannot open ") + m_path + ": " + std::strerror(errno);
        return false;
    }
    // Raw until a host sets its own settings, at the receiver's rate.
    termios t{};
    tcgetattr(m_slave, &t);
    cfmakeraw(&t);
    cfsetspeed(&t, B9600);
    tcsetattr(m_slave, TCSANOW, &t);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_startNs = MonotonicNs();
    return true;
}

SimTime PtyRunner::Now() const { return static_cast<SimTime>(MonotonicNs() - m_startNs); }

int PtyRunner::HostBaud() const {
    termios t{};
    if (tcgetattr(m_slave, &t) != 0) return 0;
    return RateOf(cfgetospeed(&t));
}

void PtyRunner::Step(int maxWaitMs) {
    // Wait for the host or for the receiver's next deed, whichever is first.
    SimTime now = Now();
    SimTime next = m_receiver.NextActionTime();
    auto& out = m_receiver.Output();
    if (!out.empty()) next = std::min(next, out.front().at);
    int waitMs = maxWaitMs;
    if (next != kNever) waitMs = next <= now ? 0 : static_cast<int>(std::min<SimTime>((next - now) / kMillisecond + 1, maxWaitMs));
    pollfd p{m_master, POLLIN, 0};
    poll(&p, 1, waitMs);

    now = Now();
    const int hostBaud = HostBaud();
    uint8_t buffer[512];
    for (;;) {
        const ssize_t n = read(m_master, buffer, sizeof buffer);
        if (n <= 0) break;
        if (m_vanishAfterMs >= 0 && m_triggeredNs < 0) {
            m_recent.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(n));
            if (m_trigger.empty() || m_recent.find(m_trigger) != std::string::npos) m_triggeredNs = MonotonicNs();
            if (m_recent.size() > 4096) m_recent.erase(0, m_recent.size() - 1024);
        }
        // Bytes that arrive together are spread over their time on the line.
        const SimTime step = ByteTime(hostBaud > 0 ? hostBaud : 9600);
        SimTime at = now - std::min<SimTime>(now, step * static_cast<SimTime>(n));
        for (ssize_t i = 0; i < n; ++i) {
            at += step;
            m_receiver.RunUntil(at);
            m_receiver.Receive({buffer[i], hostBaud, at});
        }
    }
    m_receiver.RunUntil(now);

    // Hand over what the receiver has sent by now, garbled if the host
    // listens at another rate.
    size_t count = 0;
    while (!out.empty() && out.front().at <= now && count < sizeof buffer) {
        const WireByte b = out.front();
        out.pop_front();
        buffer[count++] = b.baud == hostBaud ? b.value : Garble(b.value);
    }
    size_t written = 0;
    while (written < count) {
        const ssize_t n = write(m_master, buffer + written, count - written);
        if (n <= 0) break;  // nobody reads: the bytes are lost, as on a cable
        written += static_cast<size_t>(n);
    }
}

void PtyRunner::Run(const std::atomic<bool>& stop) {
    while (!stop.load()) {
        Step(20);
        if (m_triggeredNs >= 0 && MonotonicNs() - m_triggeredNs >= m_vanishAfterMs * 1'000'000LL) return;
    }
}

} // namespace qvr::sim
