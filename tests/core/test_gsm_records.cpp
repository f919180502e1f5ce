// The GSM module's bearer and NTRIP source records: the parsers, the write
// payloads byte for byte, and round trips through the simulated module.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "GsmVocabulary.h"
#include "SimAuxPort.h"
#include "SimBench.h"
#include "SimGsmModule.h"

using namespace qvr;
using qvr::test::SimBench;

namespace {

struct GsmBench : SimBench {
    explicit GsmBench(sim::GsmModuleConfig config = {}) : module(std::move(config)) {
        aux.AttachDevice(&module);
        OpenLink();
        ma.SendCommand("log passauxb onnew\r\n");
        ma.SendCommand("com aux 115200\r\n");
        ma.Peripheral().kind = kPeripheralGsm;
    }
    // The payloads the module received, as text with their NULs.
    std::vector<std::string> Payloads() const {
        std::vector<std::string> payloads;
        for (const auto& r : module.Requests()) payloads.emplace_back(r.payload.begin(), r.payload.end());
        return payloads;
    }
    sim::SimAuxPort aux{receiver};
    sim::SimGsmModule module;
};

BearerRecord Zeroed() {
    BearerRecord r;
    std::memset(&r, 0, sizeof r);
    return r;
}

NtripSourceRecord Ntrip(const char* caster, int port, const char* mount, const char* password, uint8_t onStartup) {
    NtripSourceRecord r;
    std::memset(&r, 0, sizeof r);
    std::strcpy(r.casterAddress, caster);
    r.port = port;
    std::strcpy(r.mountPoint, mount);
    std::strcpy(r.password, password);
    r.enabledOnStartup = onStartup;
    return r;
}

} // namespace

TEST(ParseBearerSettings, KeysFlagsAndCredentialsNeverKept) {
    const std::string full =
        "GPRSaccessPointName:internet.net+GPRSPPPUsername:gu+GPRSPPPPassword:gp+GPRStimeout:30+CSDtimeout:45+"
        "CSDGWNumber:+4912345+CSDPPPUsername:cu+CSDPPPPassword:cp+CSDNumberAuthenticationEnabled:true+"
        "incomingCHAPUserName:secret+incomingCHAPPassword:hidden+incomingCHAPAuthenticationEnabled:true+"
        "wapDefaultConnection:1+";
    BearerRecord r;
    std::memset(&r, 'q', sizeof r);
    MAReceiver::ParseBearerSettings(full.c_str(), full.size() + 1, &r);
    EXPECT_STREQ(r.gprsAccessPointName, "internet.net");
    EXPECT_STREQ(r.gprsPppUserName, "gu");
    EXPECT_STREQ(r.gprsPppPassword, "gp");
    EXPECT_EQ(r.gprsTimeout, 30);
    EXPECT_EQ(r.csdTimeout, 45);
    // The value runs to the first terminator: a "+" inside a number cuts it.
    EXPECT_STREQ(r.csdGatewayNumber, "");
    EXPECT_STREQ(r.csdPppUserName, "cu");
    EXPECT_STREQ(r.csdPppPassword, "cp");
    EXPECT_EQ(r.csdNumberAuthenticationEnabled, 1);
    EXPECT_STREQ(r.incomingChapUserName, "");
    EXPECT_STREQ(r.incomingChapPassword, "");
    EXPECT_EQ(r.incomingChapEnabled, 0);
    EXPECT_EQ(r.defaultConnection, 1);
    EXPECT_EQ(r.gprsEntered, 0);

    struct Case {
        std::string reply;
        uint8_t csdAuthentication;
        int32_t defaultConnection;
    } cases[] = {
        {"CSDNumberAuthenticationEnabled:TRUE+wapDefaultConnection:0+", 0, 0},
        {"CSDNumberAuthenticationEnabled:true +", 0, 0},
        {"CSDNumberAuthenticationEnabled:1+wapDefaultConnection:2+", 0, 2},
        {"CSDNumberAuthenticationEnabled:true+", 1, 0},
        {"", 0, 0},
    };
    for (const Case& c : cases) {
        MAReceiver::ParseBearerSettings(c.reply.c_str(), c.reply.size(), &r);
        EXPECT_EQ(r.csdNumberAuthenticationEnabled, c.csdAuthentication) << c.reply;
        EXPECT_EQ(r.defaultConnection, c.defaultConnection) << c.reply;
        EXPECT_STREQ(r.gprsAccessPointName, "") << c.reply << ": the record is cleared first";
    }
}

TEST(ParseNtripSettings, LineFeedItems) {
    struct Case {
        const char* name;
        std::string reply;
        const char* caster;
        int32_t port;
        const char* mount;
        const char* password;
        uint8_t onStartup;
    } cases[] = {
        {"complete", "NS_CASTERADDR:1.2.3.4\nNS_PORT:2101\nNS_MOUNTPOINT:RTCM3\nNS_PASSWORD:pw\nNS_ONSTARTUP:1\n",
         "1.2.3.4", 2101, "RTCM3", "pw", 1},
        {"no final line feed", "NS_CASTERADDR:c\nNS_PORT:80\nNS_MOUNTPOINT:m\nNS_PASSWORD:p\nNS_ONSTARTUP:1", "c", 80,
         "m", "p", 0},
        {"start-up any non-zero number", "NS_ONSTARTUP:7\n", "", 0, "", "", 1},
        {"start-up text", "NS_ONSTARTUP:yes\n", "", 0, "", "", 0},
        {"a leading line feed", "\nNS_CASTERADDR:c\nNS_PORT:1\n", "c", 1, "", "", 0},
    };
    for (const Case& c : cases) {
        NtripSourceRecord r;
        std::memset(&r, 'q', sizeof r);
        MAReceiver::ParseNtripSettings(c.reply.c_str(), c.reply.size(), &r);
        EXPECT_STREQ(r.casterAddress, c.caster) << c.name;
        EXPECT_EQ(r.port, c.port) << c.name;
        EXPECT_STREQ(r.mountPoint, c.mount) << c.name;
        EXPECT_STREQ(r.password, c.password) << c.name;
        EXPECT_EQ(r.enabledOnStartup, c.onStartup) << c.name;
    }
}

TEST(GsmWrites, PayloadsByteForByte) {
    BearerRecord r = Zeroed();
    std::strcpy(r.gprsPppUserName, "user");
    std::strcpy(r.gprsPppPassword, "pw");
    std::strcpy(r.gprsAccessPointName, "internet");
    r.gprsTimeout = 30;
    std::strcpy(r.csdPppUserName, "cu");
    std::strcpy(r.csdPppPassword, "cp");
    std::strcpy(r.csdGatewayNumber, "01234");
    r.csdTimeout = -5;
    std::strcpy(r.incomingChapUserName, "iu");
    std::strcpy(r.incomingChapPassword, "ip");
    r.incomingChapEnabled = 1;
    const NtripSourceRecord n = Ntrip("caster.net", 2101, "MOUNT", "secret", 1);

    struct Case {
        const char* name;
        std::function<bool(MAReceiver&)> write;
        uint32_t type;
        std::string payload;  // with its NUL
    } cases[] = {
        {"GPRS", [&](MAReceiver& m) { return m.WriteGprsSettings(&r); }, 23, std::string("user\npw\ninternet\n30\n\0", 21)},
        {"CSD", [&](MAReceiver& m) { return m.WriteCsdSettings(&r); }, 24, std::string("cu\ncp\n01234\n-5\n\0", 16)},
        {"authentication", [&](MAReceiver& m) { return m.WriteAuthenticationSettings(&r); }, 38,
         std::string("0\n1\niu\nip\n\0", 11)},
        {"default GPRS", [](MAReceiver& m) { return m.SetDefaultConnection(0); }, 37, std::string("0\n\0", 3)},
        {"default CSD", [](MAReceiver& m) { return m.SetDefaultConnection(1); }, 37, std::string("1\n\0", 3)},
        {"clear bearer", [](MAReceiver& m) { return m.ClearBearer(); }, 40, ""},
        {"NTRIP", [&](MAReceiver& m) { return m.WriteNtripSettings(&n); }, 29,
         std::string("\nNS_CASTERADDR:caster.net\nNS_PORT:2101\nNS_MOUNTPOINT:MOUNT\nNS_PASSWORD:secret\nNS_ONSTARTUP:1\n\0",
                     94)},
    };
    for (const Case& c : cases) {
        GsmBench b;
        const size_t before = b.LineCount();
        EXPECT_TRUE(c.write(b.ma)) << c.name;
        ASSERT_EQ(b.module.Requests().size(), 1u) << c.name;
        EXPECT_EQ(b.module.Requests()[0].type, c.type) << c.name;
        EXPECT_EQ(b.Payloads()[0], c.payload) << c.name;
        // The reply comes in the pass-through log, run for the request alone.
        const std::vector<std::string> lines = b.Lines(before);
        const size_t sendhex = c.payload.empty() ? 1 : 2;
        ASSERT_EQ(lines.size(), sendhex + 2) << c.name;
        EXPECT_EQ(lines.front(), "log passauxb onnew\r\n") << c.name;
        EXPECT_EQ(lines.back(), "unlog passauxb\r\n") << c.name;
    }
}

TEST(GsmWrites, RefusedAtOnce) {
    struct Case {
        const char* name;
        std::function<bool(MAReceiver&, GsmField*)> write;
        GsmField field;
    };
    BearerRecord longApn = Zeroed();
    std::memset(longApn.gprsAccessPointName, 'a', 127);
    std::memset(longApn.gprsPppUserName, 'u', 120);  // 127 + 120 + 5 + NUL > 246
    BearerRecord longUser = Zeroed();
    std::memset(longUser.gprsPppUserName, 'u', 127);
    std::memset(longUser.gprsPppPassword, 'p', 127);  // equally long: the first is named
    BearerRecord fitting = Zeroed();
    std::memset(fitting.gprsPppUserName, 'u', 127);
    std::memset(fitting.gprsAccessPointName, 'a', 110);  // 237 + "\n\n\n0\n" + NUL = 243
    BearerRecord unterminated = Zeroed();
    std::memset(unterminated.csdGatewayNumber, '9', sizeof unterminated.csdGatewayNumber);
    std::memset(unterminated.csdPppUserName, 'c', 127);
    NtripSourceRecord longNtrip = Ntrip("", 2101, "", "", 0);
    std::memset(longNtrip.mountPoint, 'm', 150);
    std::memset(longNtrip.password, 'p', 30);  // 180 + 67 + 4 + NUL > 246
    const Case cases[] = {
        {"APN", [&](MAReceiver& m, GsmField* f) { return m.WriteGprsSettings(&longApn, f); },
         GsmField::GprsAccessPointName},
        {"equally long", [&](MAReceiver& m, GsmField* f) { return m.WriteGprsSettings(&longUser, f); },
         GsmField::GprsUserName},
        {"unterminated field", [&](MAReceiver& m, GsmField* f) { return m.WriteCsdSettings(&unterminated, f); },
         GsmField::CsdGatewayNumber},
        {"NTRIP", [&](MAReceiver& m, GsmField* f) { return m.WriteNtripSettings(&longNtrip, f); },
         GsmField::NtripMountPoint},
        {"no record", [](MAReceiver& m, GsmField* f) { return m.WriteAuthenticationSettings(nullptr, f); },
         GsmField::None},
        {"default none", [](MAReceiver& m, GsmField*) { return m.SetDefaultConnection(2); }, GsmField::None},
        {"default negative", [](MAReceiver& m, GsmField*) { return m.SetDefaultConnection(-1); }, GsmField::None},
    };
    for (const Case& c : cases) {
        GsmBench b;
        const size_t before = b.LineCount();
        GsmField field = GsmField::WebSite;
        EXPECT_FALSE(c.write(b.ma, &field)) << c.name;
        if (c.field != GsmField::None) {
            EXPECT_EQ(field, c.field) << c.name;
        }
        EXPECT_TRUE(b.Lines(before).empty()) << c.name;
    }
    GsmBench b;
    GsmField field = GsmField::WebSite;
    EXPECT_TRUE(b.ma.WriteGprsSettings(&fitting, &field)) << "243 bytes fit one line";
    EXPECT_EQ(field, GsmField::None);
    char message[128];
    FormatFieldTooLong(message, GsmField::GprsAccessPointName);
    EXPECT_STREQ(message, "The GPRS access point name is too long to be sent to the GSM module. Please shorten it.");
}

TEST(GsmWrites, ReplyTypeDecides) {
    struct Case {
        const char* name;
        bool attached;
        uint32_t errorFor;
        bool ok;
        std::optional<sim::FrameFault> replyFault = std::nullopt;
        int requests = 1;  // writes the module received
    } cases[] = {
        {"accepted", true, 0, true},
        {"error reply", true, 23, false},
        {"no reply", false, 0, false, std::nullopt, 0},
        // A write whose reply went missing goes once more; one whose reply
        // comes in slowly is waited for.
        {"reply lost", true, 0, true, sim::FrameFault::LostFrame, 2},
        {"reply damaged", true, 0, true, sim::FrameFault::BadCrc, 2},
        {"reply in slow pieces", true, 0, true, sim::FrameFault::ChunkedReply, 1},
    };
    for (const Case& c : cases) {
        GsmBench b;
        if (!c.attached) b.aux.AttachDevice(nullptr);
        if (c.errorFor) b.module.InjectFault({sim::GsmModuleFault::ErrorReply, 0, 1, c.errorFor});
        if (c.replyFault) b.receiver.InjectFault(*c.replyFault);
        BearerRecord r = Zeroed();
        const double start = b.Seconds();
        EXPECT_EQ(b.ma.WriteGprsSettings(&r), c.ok) << c.name;
        EXPECT_EQ(static_cast<int>(b.module.Requests().size()), c.requests) << c.name;
        if (!c.attached) {
            EXPECT_LT(b.Seconds() - start, 7.0) << c.name << ": the 1000 ms limit, one more wait, one resend";
        }
    }
}

TEST(GsmRecords, WrittenSettingsReadBack) {
    sim::GsmModuleConfig config;
    config.bearer.incomingChapUserName = "kept by the module";
    config.bearer.incomingChapEnabled = true;
    GsmBench b(config);
    BearerRecord r = Zeroed();
    std::strcpy(r.gprsPppUserName, "user");
    std::strcpy(r.gprsPppPassword, "pw");
    std::strcpy(r.gprsAccessPointName, "apn.example");
    r.gprsTimeout = 120;
    ASSERT_TRUE(b.ma.WriteGprsSettings(&r));
    ASSERT_TRUE(b.ma.SetDefaultConnection(0));
    const NtripSourceRecord n = Ntrip("10.0.0.1", 2102, "NEAR", "pass", 1);
    ASSERT_TRUE(b.ma.WriteNtripSettings(&n));
    b.Settle();
    EXPECT_FALSE(b.aux.PassThroughOn()) << "each write stops the pass-through log it started";
    b.ma.SendCommand("log passauxb onnew\r\n");

    BearerRecord read;
    std::memset(&read, 'q', sizeof read);
    ASSERT_TRUE(b.ma.ReadBearerSettings(&read));
    EXPECT_STREQ(read.gprsPppUserName, "user");
    EXPECT_STREQ(read.gprsPppPassword, "pw");
    EXPECT_STREQ(read.gprsAccessPointName, "apn.example");
    EXPECT_EQ(read.gprsTimeout, 120);
    EXPECT_EQ(read.defaultConnection, 0);
    EXPECT_STREQ(read.incomingChapUserName, "");
    EXPECT_EQ(read.incomingChapEnabled, 0);
    NtripSourceRecord readNtrip;
    ASSERT_TRUE(b.ma.ReadNtripSettings(&readNtrip));
    EXPECT_STREQ(readNtrip.casterAddress, "10.0.0.1");
    EXPECT_EQ(readNtrip.port, 2102);
    EXPECT_STREQ(readNtrip.mountPoint, "NEAR");
    EXPECT_STREQ(readNtrip.password, "pass");
    EXPECT_EQ(readNtrip.enabledOnStartup, 1);

    // The bearer page's submit writes the authentication settings from the
    // record it read: the module's incoming CHAP settings are cleared.
    ASSERT_TRUE(b.ma.WriteAuthenticationSettings(&read));
    EXPECT_EQ(b.module.Bearer().incomingChapUserName, "");
    EXPECT_FALSE(b.module.Bearer().incomingChapEnabled);

    ASSERT_TRUE(b.ma.ClearBearer());
    b.ma.SendCommand("log passauxb onnew\r\n");
    ASSERT_TRUE(b.ma.ReadBearerSettings(&read));
    EXPECT_STREQ(read.gprsAccessPointName, "");
}

TEST(GsmRecords, ReadWithoutReplyLeavesTheRecordCleared) {
    GsmBench b;
    b.aux.AttachDevice(nullptr);
    BearerRecord bearer;
    std::memset(&bearer, 'q', sizeof bearer);
    EXPECT_FALSE(b.ma.ReadBearerSettings(&bearer));
    const BearerRecord zero = Zeroed();
    EXPECT_EQ(std::memcmp(&bearer, &zero, sizeof bearer), 0);
    NtripSourceRecord ntrip;
    std::memset(&ntrip, 'q', sizeof ntrip);
    EXPECT_FALSE(b.ma.ReadNtripSettings(&ntrip));
    EXPECT_EQ(ntrip.casterAddress[0], '\0');
    EXPECT_EQ(ntrip.port, 0);
    EXPECT_EQ(ntrip.enabledOnStartup, 0);
}
