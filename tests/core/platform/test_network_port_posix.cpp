// The network serial device against a Telnet server played by the test on
// 127.0.0.1: negotiation, the rate change, IAC on the wire both ways, the
// server's notices, a server that refuses or hangs up.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/NetworkPort.h"

using namespace qvr;
using namespace qvr::telnet;

namespace {

using Bytes = std::vector<uint8_t>;

// A listening socket on a free loopback port; Serve runs the script on the
// first connection in a thread.
class LoopbackServer {
public:
    LoopbackServer() {
        m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t length = sizeof a;
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&a), &length);
        m_port = ntohs(a.sin_port);
        ::listen(m_listen, 1);
    }
    ~LoopbackServer() {
        if (m_thread.joinable()) m_thread.join();
        ::close(m_listen);
    }
    std::string Name(const char* scheme) const { return std::string(scheme) + "://127.0.0.1:" + std::to_string(m_port); }

    template <class Script>
    void Serve(Script script) {
        m_thread = std::thread([this, script] {
            const int fd = ::accept(m_listen, nullptr, nullptr);
            script(fd);
            ::close(fd);
        });
    }
    void Join() { m_thread.join(); }

private:
    int m_listen;
    int m_port = 0;
    std::thread m_thread;
};

// Reads until the bytes seen so far contain the pattern (or 2 s pass).
Bytes ReadUntil(int fd, const Bytes& pattern) {
    Bytes seen;
    uint8_t b[256];
    while (std::search(seen.begin(), seen.end(), pattern.begin(), pattern.end()) == seen.end()) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 2000) <= 0) break;
        const ssize_t n = ::recv(fd, b, sizeof b, 0);
        if (n <= 0) break;
        seen.insert(seen.end(), b, b + n);
    }
    return seen;
}

void Send(int fd, const Bytes& bytes) { ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL); }

} // namespace

TEST(NetworkSerialDevice, Rfc2217SessionEscapesBothWaysAndFollowsTheServer) {
    LoopbackServer server;
    Bytes fromDevice;
    server.Serve([&](int fd) {
        ReadUntil(fd, {kIac, kWill, kComPortOption});
        Send(fd, {kIac, kDo, kComPortOption, kIac, kWill, kBinary, kIac, kDo, kBinary});
        // 57600 = 00 00 E1 00; the answer comes in two pieces.
        ReadUntil(fd, {kIac, kSb, kComPortOption, kSetBaudRate, 0x00, 0x00, 0xE1, 0x00, kIac, kSe});
        Send(fd, {kIac, kSb, kComPortOption, 101, 0x00, 0x00});
        Send(fd, {0xE1, 0x00, kIac, kSe});
        fromDevice = ReadUntil(fd, {0x41, kIac, kIac, 0x0D});
        // Data with an IAC, a modem-state notice inside, then the hang-up.
        Send(fd, {kIac, kIac, kIac, kSb, kComPortOption, 107, 0x30, kIac, kSe, 0x42});
    });
    auto device = CreateSystemSerialDevice();
    ASSERT_TRUE(device->Open(server.Name("rfc2217").c_str())) << device->LastError();
    EXPECT_TRUE(device->ApplyLineSettings(57600)) << device->LastError();
    size_t n = 0;
    const uint8_t data[] = {0x41, 0xFF, 0x0D};
    ASSERT_TRUE(device->Write(data, sizeof data, &n));
    uint8_t got[4] = {};
    ASSERT_TRUE(device->Read(got, 2, 2000, &n));
    EXPECT_EQ(Bytes(got, got + n), (Bytes{0xFF, 0x42}));
    server.Join();
    const Bytes escaped{0x41, kIac, kIac, 0x0D};
    EXPECT_NE(std::search(fromDevice.begin(), fromDevice.end(), escaped.begin(), escaped.end()), fromDevice.end())
        << "the IAC went out undoubled";
    // The server has gone: said without waiting, and the next read fails.
    for (int i = 0; i < 100 && !device->HasGone(); ++i) ::usleep(10000);
    EXPECT_TRUE(device->HasGone());
    EXPECT_FALSE(device->Read(got, 1, 1000, &n));
    EXPECT_EQ(device->LastError(), ECONNRESET);
}

TEST(NetworkSerialDevice, OpenFailsWithTheReason) {
    const struct {
        const char* what;
        Bytes answer;  // empty: nothing listens
        int error;
    } cases[] = {
        {"COM-PORT-OPTION refused", {kIac, kDont, kComPortOption}, EPROTONOSUPPORT},
        {"hang-up during the negotiation", {kIac, kWill, kBinary}, ECONNRESET},
        {"nothing listens", {}, ECONNREFUSED},
    };
    for (const auto& c : cases) {
        std::string name;
        {
            LoopbackServer server;
            name = server.Name("rfc2217");
            if (!c.answer.empty()) {
                server.Serve([&](int fd) {
                    ReadUntil(fd, {kIac, kWill, kComPortOption});
                    Send(fd, c.answer);
                });
                auto device = CreateSystemSerialDevice();
                EXPECT_FALSE(device->Open(name.c_str())) << c.what;
                EXPECT_EQ(device->LastError(), c.error) << c.what;
                EXPECT_FALSE(device->IsOpen()) << c.what;
                continue;
            }
        }
        auto device = CreateSystemSerialDevice();
        EXPECT_FALSE(device->Open(name.c_str())) << c.what;
        EXPECT_EQ(device->LastError(), c.error) << c.what;
    }
}

// A server that floods the line while the device waits for its answer (the
// COM-PORT-OPTION agreement, a rate's confirmation): the answer behind the
// data is found, and the wait sleeps instead of spinning on data it never
// read.
TEST(NetworkSerialDevice, FloodWhileNegotiatingIsReadNotSpunOn) {
    const auto threadCpuSeconds = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
    };
    const Bytes flood(64 * 1024, 0x55);
    LoopbackServer server;
    server.Serve([&](int fd) {
        ReadUntil(fd, {kIac, kWill, kComPortOption});
        Send(fd, flood);
        ::usleep(1000000);
        Send(fd, {kIac, kDo, kComPortOption});
        ReadUntil(fd, {kIac, kSb, kComPortOption, kSetBaudRate, 0x00, 0x01, 0xC2, 0x00, kIac, kSe});
        Send(fd, flood);
        ::usleep(1000000);
        Send(fd, {kIac, kSb, kComPortOption, 101, 0x00, 0x01, 0xC2, 0x00, kIac, kSe});
        ReadUntil(fd, {0x7E});
    });
    auto device = CreateSystemSerialDevice();
    double cpu = threadCpuSeconds();
    EXPECT_TRUE(device->Open(server.Name("rfc2217").c_str())) << device->LastError();
    EXPECT_LT(threadCpuSeconds() - cpu, 0.3) << "the open spun while the server flooded";
    cpu = threadCpuSeconds();
    EXPECT_TRUE(device->ApplyLineSettings(115200)) << device->LastError();
    EXPECT_LT(threadCpuSeconds() - cpu, 0.3) << "the rate change spun while the server flooded";
    size_t n = 0;
    const uint8_t end = 0x7E;
    device->Write(&end, 1, &n);
    server.Join();
}
