// Serial ports of serial servers on the network, over POSIX sockets: raw TCP
// and Telnet with the COM-PORT-OPTION. The socket is non-blocking; poll()
// gives reads their total time-out, as on a local port.

#include "platform/NetworkPort.h"
#include "platform/Trace.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#ifndef POLLRDHUP
#define POLLRDHUP 0
#endif
#ifndef MSG_NOSIGNAL
#define MSG_NOSIGNAL 0
#endif

namespace qvr {

namespace {

using namespace telnet;

int64_t NowNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

int MsUntil(int64_t deadlineNs)
{
    const int64_t remaining = deadlineNs - NowNs();
    if (remaining <= 0)
        return 0;
    const int64_t ms = (remaining + 999999) / 1000000;
    return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

// A write gives up when the server has taken nothing for this long.
constexpr int64_t kWriteStallNs = 5LL * 1000000000;

class NetworkSerialDevice final : public ISerialDevice, private IEvents {
public:
    ~NetworkSerialDevice() override { Close(); }

    bool Open(const char* name) override
    {
        Close();
        NetworkPortAddress address;
        if (!ParseNetworkPortName(name, &address))
            return Fail(EINVAL);
        const int64_t deadline = NowNs() + static_cast<int64_t>(kNetworkConnectTimeoutMs) * 1000000;
        if (!Connect(address, deadline))
            return false;
        kind_ = address.kind;
        if (kind_ == NetworkPortKind::RawTcp) {
            if (!toldRaw_)
                TraceF(&SystemTrace(), "%s is raw TCP: rate changes cannot reach the server's port; the receiver "
                                       "is reached at the rate that port is set to.", name);
            toldRaw_ = true;
            return true;
        }
        // Binary both ways (no byte translated), no go-ahead, and the
        // COM-PORT-OPTION, which the server must agree to.
        const uint8_t offer[] = {kIac, kWill, kComPortOption, kIac, kWill, kBinary, kIac, kDo, kBinary,
                                 kIac, kWill, kSuppressGoAhead, kIac, kDo, kSuppressGoAhead};
        for (size_t i = 0; i + 2 < sizeof offer; i += 3)
            (offer[i + 1] == kWill ? sentWill_ : sentDo_)[offer[i + 2]] = true;
        if (!SendRaw(offer, sizeof offer))
            return CloseAndFail(lastError_);
        while (!comPortAgreed_) {
            if (comPortRefused_)
                return CloseAndFail(EPROTONOSUPPORT);
            if (eof_)
                return CloseAndFail(ECONNRESET);
            const int waitMs = MsUntil(deadline);
            if (waitMs == 0)
                return CloseAndFail(ETIMEDOUT);
            if (!Pump(waitMs))
                return CloseAndFail(lastError_);
        }
        return true;
    }

    bool IsOpen() const override { return fd_ >= 0; }

    void Close() override
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
        head_ = tail_ = 0;
        eof_ = false;
        decoder_.Reset();
        comPortAgreed_ = comPortRefused_ = false;
        std::memset(sentDo_, 0, sizeof sentDo_);
        std::memset(sentWill_, 0, sizeof sentWill_);
        confirmedRate_ = 0;
    }

    bool FetchLineSettings() override { return fd_ >= 0 ? true : Fail(EBADF); }

    bool ApplyLineSettings(int baudRate) override
    {
        if (fd_ < 0)
            return Fail(EBADF);
        if (baudRate <= 0)
            return Fail(EINVAL);
        if (kind_ == NetworkPortKind::RawTcp)
            return true;  // cannot travel: the server's port keeps its rate

        // 8N1, no flow control, DTR and RTS low (as on a local port, whose
        // line control is disabled), then what the server had received at
        // the old rate is dropped: it is garbage at the new one.
        const uint8_t rate[4] = {static_cast<uint8_t>(baudRate >> 24), static_cast<uint8_t>(baudRate >> 16),
                                 static_cast<uint8_t>(baudRate >> 8), static_cast<uint8_t>(baudRate)};
        const struct {
            uint8_t command;
            uint8_t value;
        } settings[] = {{kSetDataSize, 8}, {kSetParity, 1}, {kSetStopSize, 1}, {kSetControl, 1},
                        {kSetControl, 9},  {kSetControl, 12}, {kPurgeData, 3}};
        uint8_t out[16 * 8 + 16];
        size_t n = ComPortCommand(kSetBaudRate, rate, sizeof rate, out);
        for (const auto& s : settings)
            n += ComPortCommand(s.command, &s.value, 1, out + n);
        confirmedRate_ = 0;
        if (!SendRaw(out, n))
            return false;
        // The server answers with the rate in force.
        const int64_t deadline = NowNs() + static_cast<int64_t>(kRfc2217ReplyTimeoutMs) * 1000000;
        while (confirmedRate_ == 0) {
            if (eof_)
                return Fail(ECONNRESET);
            const int waitMs = MsUntil(deadline);
            if (waitMs == 0)
                return Fail(ETIMEDOUT);
            if (!Pump(waitMs))
                return false;
        }
        return confirmedRate_ == baudRate ? true : Fail(EINVAL);
    }

    bool Read(uint8_t* dest, size_t count, uint32_t timeoutMs, size_t* received) override
    {
        *received = 0;
        if (fd_ < 0)
            return Fail(EBADF);
        const int64_t deadline = NowNs() + static_cast<int64_t>(timeoutMs) * 1000000;
        size_t got = 0;
        for (;;) {
            got += Take(dest + got, count - got);
            if (got == count)
                break;
            if (eof_) {
                *received = got;
                return got > 0 ? true : Fail(ECONNRESET);
            }
            const int waitMs = MsUntil(deadline);
            if (!Pump(waitMs)) {
                *received = got;
                return got > 0 ? true : false;
            }
            if (waitMs == 0 && head_ == tail_)
                break;
        }
        *received = got;
        return true;
    }

    bool Write(const uint8_t* src, size_t count, size_t* written) override
    {
        *written = 0;
        if (fd_ < 0)
            return Fail(EBADF);
        if (kind_ == NetworkPortKind::RawTcp) {
            if (!SendRaw(src, count))
                return false;
        } else {
            uint8_t out[1024];
            for (size_t done = 0; done < count;) {
                const size_t chunk = count - done < sizeof out / 2 ? count - done : sizeof out / 2;
                if (!SendRaw(out, EscapeData(src + done, chunk, out)))
                    return false;
                done += chunk;
            }
        }
        *written = count;
        return true;
    }

    bool HasGone() override
    {
        if (fd_ < 0)
            return false;
        if (eof_)
            return true;
        pollfd p{fd_, POLLRDHUP, 0};
        return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL | POLLRDHUP)) != 0;
    }

    bool CanChangeRate() const override { return kind_ != NetworkPortKind::RawTcp; }

    int LastError() const override { return lastError_; }

private:
    bool Fail(int error)
    {
        lastError_ = error;
        return false;
    }

    bool CloseAndFail(int error)
    {
        Close();
        return Fail(error);
    }

    bool Connect(const NetworkPortAddress& address, int64_t deadline)
    {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        const int lookUp = ::getaddrinfo(address.host, address.service, &hints, &found);
        if (lookUp != 0)
            return Fail(lookUp == EAI_SYSTEM ? errno : EADDRNOTAVAIL);
        int error = ECONNREFUSED;
        for (addrinfo* a = found; a != nullptr && fd_ < 0; a = a->ai_next) {
            const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
            if (fd < 0) {
                error = errno;
                continue;
            }
            if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0 && errno != EINPROGRESS) {
                error = errno;
                ::close(fd);
                continue;
            }
            pollfd p{fd, POLLOUT, 0};
            int ready;
            do
                ready = ::poll(&p, 1, MsUntil(deadline));
            while (ready < 0 && errno == EINTR);
            int soError = 0;
            socklen_t length = sizeof soError;
            if (ready == 0)
                soError = ETIMEDOUT;
            else if (ready < 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &length) != 0)
                soError = errno;
            if (soError != 0) {
                error = soError;
                ::close(fd);
                continue;
            }
            const int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            fd_ = fd;
        }
        ::freeaddrinfo(found);
        return fd_ >= 0 ? true : Fail(error);
    }

    // Sends all bytes as they are; a server that takes nothing for a while
    // fails the write.
    bool SendRaw(const uint8_t* bytes, size_t count)
    {
        int64_t lastProgress = NowNs();
        for (size_t done = 0; done < count;) {
            const ssize_t n = ::send(fd_, bytes + done, count - done, MSG_NOSIGNAL);
            if (n > 0) {
                done += static_cast<size_t>(n);
                lastProgress = NowNs();
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                eof_ = true;
                return Fail(errno);
            }
            const int waitMs = MsUntil(lastProgress + kWriteStallNs);
            if (waitMs == 0)
                return Fail(ETIMEDOUT);
            pollfd p{fd_, POLLOUT, 0};
            ::poll(&p, 1, waitMs);
        }
        return true;
    }

    // Waits up to waitMs for bytes from the server and decodes what came.
    // False on a socket error; the end of the stream sets eof_.
    bool Pump(int waitMs)
    {
        if (eof_)
            return true;
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, waitMs);
        if (ready < 0)
            return errno == EINTR ? true : Fail(errno);
        if (ready == 0)
            return true;
        Compact();
        uint8_t in[sizeof buffer_ / 2];
        // Nobody takes data while the server is being negotiated with (the
        // COM-PORT-OPTION, a rate change): a server that floods the line
        // meanwhile would fill the buffer, and with no room to read into,
        // poll would report the same bytes ready for ever and the wait
        // would spin without ever seeing the server's answer behind them.
        // The oldest data give way, as in a serial driver whose buffer
        // overflows; the Telnet commands among the new bytes are still read.
        if (tail_ == sizeof buffer_) {
            head_ = sizeof in;
            Compact();
        }
        const size_t room = sizeof buffer_ - tail_;
        const size_t want = room < sizeof in ? room : sizeof in;
        const ssize_t n = ::recv(fd_, in, want, 0);
        if (n == 0) {
            eof_ = true;
            return true;
        }
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
                return true;
            eof_ = true;
            return Fail(errno);
        }
        if (kind_ == NetworkPortKind::RawTcp) {
            std::memcpy(buffer_ + tail_, in, static_cast<size_t>(n));
            tail_ += static_cast<size_t>(n);
        } else {
            tail_ += decoder_.Feed(in, static_cast<size_t>(n), buffer_ + tail_, *this);
        }
        return true;
    }

    size_t Take(uint8_t* dest, size_t count)
    {
        const size_t n = tail_ - head_ < count ? tail_ - head_ : count;
        std::memcpy(dest, buffer_ + head_, n);
        head_ += n;
        return n;
    }

    void Compact()
    {
        if (head_ == 0)
            return;
        std::memmove(buffer_, buffer_ + head_, tail_ - head_);
        tail_ -= head_;
        head_ = 0;
    }

    // Answers the server's requests: yes to binary, no go-ahead and the
    // COM-PORT-OPTION, no to the rest; each answered once.
    void OnNegotiation(uint8_t verb, uint8_t option) override
    {
        const bool wanted = option == kBinary || option == kSuppressGoAhead || option == kComPortOption;
        if (option == kComPortOption && verb == kDo)
            comPortAgreed_ = true;
        if (option == kComPortOption && verb == kDont)
            comPortRefused_ = true;
        if (verb == kDo || verb == kDont) {
            if (sentWill_[option] || (verb == kDont))
                return;
            sentWill_[option] = true;
            const uint8_t reply[] = {kIac, wanted ? kWill : kWont, option};
            SendRaw(reply, sizeof reply);
        } else if (verb == kWill) {
            if (sentDo_[option])
                return;
            sentDo_[option] = true;
            const uint8_t reply[] = {kIac, wanted && option != kComPortOption ? kDo : kDont, option};
            SendRaw(reply, sizeof reply);
        }
    }

    void OnSubnegotiation(uint8_t option, const uint8_t* bytes, size_t count) override
    {
        if (option != kComPortOption || count == 0)
            return;
        // The server's answers and notifications. Only the rate matters
        // here; line and modem state notices are dropped.
        if (bytes[0] == kServerOffset + kSetBaudRate && count >= 5)
            confirmedRate_ = static_cast<int>((static_cast<uint32_t>(bytes[1]) << 24) |
                                              (static_cast<uint32_t>(bytes[2]) << 16) |
                                              (static_cast<uint32_t>(bytes[3]) << 8) | bytes[4]);
    }

    int fd_ = -1;
    NetworkPortKind kind_ = NetworkPortKind::None;
    int lastError_ = 0;
    bool eof_ = false;
    bool toldRaw_ = false;
    Decoder decoder_;
    bool comPortAgreed_ = false;
    bool comPortRefused_ = false;
    bool sentDo_[256] = {};
    bool sentWill_[256] = {};
    int confirmedRate_ = 0;
    uint8_t buffer_[16384] = {};
    size_t head_ = 0;
    size_t tail_ = 0;
};

} // namespace

std::unique_ptr<ISerialDevice> CreateNetworkSerialDevice()
{
    return std::make_unique<NetworkSerialDevice>();
}

} // namespace qvr
