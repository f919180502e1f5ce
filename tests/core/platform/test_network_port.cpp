// Network port names and the Telnet coding of the COM-PORT-OPTION: escaping
// and decoding, with sequences split anywhere between reads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/NetworkPort.h"

using namespace qvr;
using namespace qvr::telnet;

namespace {

using Bytes = std::vector<uint8_t>;

struct Recorder final : IEvents {
    void OnNegotiation(uint8_t verb, uint8_t option) override { events.push_back({verb, option}); }
    void OnSubnegotiation(uint8_t option, const uint8_t* bytes, size_t count) override {
        Bytes e{kSb, option};
        e.insert(e.end(), bytes, bytes + count);
        events.push_back(e);
    }
    std::vector<Bytes> events;
};

} // namespace

TEST(NetworkPortName, Parses) {
    const struct {
        const char* name;
        bool ok;
        NetworkPortKind kind;
        const char* host;
        const char* service;
    } cases[] = {
        {"tcp://127.0.0.1:4001", true, NetworkPortKind::RawTcp, "127.0.0.1", "4001"},
        {"rfc2217://server.site:2217", true, NetworkPortKind::Rfc2217, "server.site", "2217"},
        {"rfc2217://[::1]:7000", true, NetworkPortKind::Rfc2217, "::1", "7000"},
        {"tcp://host:65535", true, NetworkPortKind::RawTcp, "host", "65535"},
        {"tcp://host:0", false, {}, "", ""},
        {"tcp://host:65536", false, {}, "", ""},
        {"tcp://host:12a", false, {}, "", ""},
        {"tcp://host", false, {}, "", ""},
        {"tcp://:4001", false, {}, "", ""},
        {"tcp://a/b:4001", false, {}, "", ""},
        {"rfc2217://[::1]7000", false, {}, "", ""},
        {"/dev/ttyS0", false, {}, "", ""},
        {"COM1", false, {}, "", ""},
    };
    for (const auto& c : cases) {
        NetworkPortAddress a;
        EXPECT_EQ(ParseNetworkPortName(c.name, &a), c.ok) << c.name;
        if (!c.ok) continue;
        EXPECT_EQ(a.kind, c.kind) << c.name;
        EXPECT_STREQ(a.host, c.host) << c.name;
        EXPECT_STREQ(a.service, c.service) << c.name;
    }
    EXPECT_TRUE(IsRawNetworkPortName("tcp://h:1"));
    EXPECT_FALSE(IsRawNetworkPortName("rfc2217://h:1"));
    EXPECT_FALSE(IsNetworkPortName(nullptr));
}

TEST(Telnet, EncodesDataAndComPortCommandsWithIacDoubled) {
    const Bytes data{0x41, 0xFF, 0x00, 0xFF, 0xFF};
    Bytes out(2 * data.size());
    out.resize(EscapeData(data.data(), data.size(), out.data()));
    EXPECT_EQ(out, (Bytes{0x41, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}));

    // 16777215 baud: every byte of the value is IAC.
    const Bytes rate{0x00, 0xFF, 0xFF, 0xFF};
    Bytes command(6 + 2 * rate.size());
    command.resize(ComPortCommand(kSetBaudRate, rate.data(), rate.size(), command.data()));
    EXPECT_EQ(command, (Bytes{kIac, kSb, kComPortOption, 1, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, kIac, kSe}));
}

TEST(Telnet, DecodesDataAndCommandsSplitAnywhere) {
    const struct {
        const char* what;
        Bytes in;
        Bytes data;
        std::vector<Bytes> events;
    } cases[] = {
        {"plain data", {1, 2, 3}, {1, 2, 3}, {}},
        {"escaped IAC", {0x41, kIac, kIac, 0x42}, {0x41, 0xFF, 0x42}, {}},
        {"negotiation", {kIac, kDo, kComPortOption, 7, kIac, kWill, kBinary}, {7},
         {{kDo, kComPortOption}, {kWill, kBinary}}},
        {"baud rate answer with an IAC inside",
         {9, kIac, kSb, kComPortOption, 101, 0, kIac, kIac, kIac, kIac, kIac, kIac, kIac, kSe, 8},
         {9, 8},
         {{kSb, kComPortOption, 101, 0, 0xFF, 0xFF, 0xFF}}},
        {"modem state notice", {kIac, kSb, kComPortOption, 107, 0x30, kIac, kSe}, {}, {{kSb, kComPortOption, 107, 0x30}}},
        {"NOP and GA are dropped", {1, kIac, 241, 2, kIac, 249, 3}, {1, 2, 3}, {}},
        {"a subnegotiation cut short by a command", {kIac, kSb, kComPortOption, 106, kIac, kWill, kBinary, 5},
         {5}, {{kSb, kComPortOption, 106}, {kWill, kBinary}}},
    };
    for (const auto& c : cases) {
        // Whole, then split at every position.
        for (size_t split = 0; split <= c.in.size(); ++split) {
            Decoder decoder;
            Recorder events;
            Bytes data(c.in.size());
            size_t n = decoder.Feed(c.in.data(), split, data.data(), events);
            n += decoder.Feed(c.in.data() + split, c.in.size() - split, data.data() + n, events);
            data.resize(n);
            EXPECT_EQ(data, c.data) << c.what << " split at " << split;
            EXPECT_EQ(events.events, c.events) << c.what << " split at " << split;
        }
    }
}
