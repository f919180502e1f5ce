#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "LogFrame.h"

namespace qvr {

// The GSM module's data bearer settings: how it reaches the network (GPRS
// with an access point, or a CSD dial-up), with PPP and CHAP credentials
// and time-outs. The module reports each field under the key named.
struct BearerRecord {
    int32_t defaultConnection;              // "wapDefaultConnection": 0 GPRS, 1 CSD, 2 none
    char incomingChapUserName[128];         // "incomingCHAPUserName" (never kept)
    char incomingChapPassword[128];         // "incomingCHAPPassword" (never kept)
    uint8_t incomingChapEnabled;            // "incomingCHAPAuthenticationEnabled" (never kept)
    uint8_t csdNumberAuthenticationEnabled; // "CSDNumberAuthenticationEnabled": "true" gives 1
    char csdPppUserName[128];               // "CSDPPPUsername"
    char csdPppPassword[128];               // "CSDPPPPassword"
    int32_t csdTimeout;                     // "CSDtimeout"
    char csdGatewayNumber[128];             // "CSDGWNumber"
    char gprsPppUserName[128];              // "GPRSPPPUsername"
    char gprsPppPassword[128];              // "GPRSPPPPassword"
    char gprsAccessPointName[128];          // "GPRSaccessPointName"
    int32_t gprsTimeout;                    // "GPRStimeout"
    uint8_t gprsEntered;                    // set by the bearer page when it writes GPRS settings
};
static_assert(sizeof(BearerRecord) == 1044, "the bearer record is 1044 bytes");

// Default connections of the bearer record.
enum BearerConnection : int32_t { kBearerGprs = 0, kBearerCsd = 1, kBearerNone = 2 };

// The module's NTRIP source ("MRS") settings: the caster it streams
// corrections from and whether it connects at every power-up.
struct NtripSourceRecord {
    uint8_t enabledOnStartup;  // "NS_ONSTARTUP"
    char casterAddress[255];   // "NS_CASTERADDR"
    int32_t port;              // "NS_PORT"
    char mountPoint[255];      // "NS_MOUNTPOINT"
    char password[255];        // "NS_PASSWORD"
};

// Registration states as "AT+CREG?" reports them (0 to 5), and 6 when the
// state could not be read.
inline constexpr int32_t kRegistrationNotRead = 6;

// GSM module kinds: which applet file the module takes.
enum GsmModuleKind : int32_t {
    kGsmModuleUnknown = 0,
    kGsmModuleNokia = 1,    // "NokiaBridge.jar"
    kGsmModuleSiemens = 2,  // a "TC65": "SiemensBridge.jar"
};

// What the tool knows of the GSM module.
struct GsmBlock {
    char appletVersion[128];    // "Version:" of the module information
    char freeMemory[128];       // "Free Memory:"
    char totalMemory[128];      // "Total Memory:"
    char moduleType[128];       // "swProductName:", or a band name
    char hardwareVersion[128];  // "hwVersion:"
    char firmwareVersion[128];  // "swVersion:"
    char signalLevel[64];       // RSSI in dBm as decimal text; "0" when not read
    int32_t registrationState;  // 0..5 as reported, kRegistrationNotRead
    int32_t moduleKind;         // GsmModuleKind
    NtripSourceRecord ntrip;
};

// A text of a GSM write that makes its request too long for one "sendhex"
// line; the operation that refuses it names it so a page can say which
// field to shorten.
enum class GsmField {
    None,
    GprsUserName,
    GprsPassword,
    GprsAccessPointName,
    CsdUserName,
    CsdPassword,
    CsdGatewayNumber,
    IncomingChapUserName,
    IncomingChapPassword,
    NtripCasterAddress,
    NtripMountPoint,
    NtripPassword,
    WebSite,
    AtCommand,
};

// ---------------------------------------------------------------- applet messages
//
// Requests to the module's applet and its replies: a 20-byte header of five
// 32-bit little-endian numbers (magic, type, length, extra, checksum) and an
// optional payload. The checksum is the byte sum of the payload.

inline constexpr uint32_t kAppletMagic = 0x113388BB;
inline constexpr size_t kAppletHeaderSize = 20;
// The largest payload a message carries: an upgrade data piece. Requests
// through "sendhex" are further limited by the command line.
inline constexpr size_t kAppletMaxPayload = 250;

namespace applet {
inline constexpr uint32_t Success = 2;
inline constexpr uint32_t Error = 3;
inline constexpr uint32_t UpgradeInfo = 12;
inline constexpr uint32_t UpgradeData = 13;
inline constexpr uint32_t UpgradeCommit = 14;
inline constexpr uint32_t Verify = 15;
inline constexpr uint32_t ModuleInfo = 16;
inline constexpr uint32_t UpgradeBegin = 18;
inline constexpr uint32_t SignalLevel = 21;
inline constexpr uint32_t WriteGprs = 23;
inline constexpr uint32_t WriteCsd = 24;
inline constexpr uint32_t ReadBearer = 25;
inline constexpr uint32_t WriteNtrip = 29;
inline constexpr uint32_t ReadNtrip = 30;
inline constexpr uint32_t SetDefaultConnection = 37;
inline constexpr uint32_t WriteAuthentication = 38;
inline constexpr uint32_t TcpTest = 39;
inline constexpr uint32_t ClearBearer = 40;
} // namespace applet

inline uint32_t AppletChecksum(const uint8_t* bytes, size_t count) {
    uint32_t sum = 0;
    for (size_t i = 0; i < count; ++i) sum += bytes[i];
    return sum;
}

// One applet message with its payload in a fixed buffer.
struct AppletMessage {
    uint32_t type = 0;
    uint32_t length = 0;
    uint32_t extra = 0;
    uint32_t checksum = 0;
    uint8_t payload[kAppletMaxPayload] = {};

    // Clears the message and sets type, extra, payload, length and checksum.
    // A payload longer than the buffer is refused: the message is left
    // without payload and the result is false.
    bool Build(uint32_t messageType, const void* data = nullptr, size_t count = 0, uint32_t extraValue = 0) {
        type = messageType;
        extra = extraValue;
        length = 0;
        checksum = 0;
        if (count > kAppletMaxPayload || (count > 0 && !data)) return false;
        if (count > 0) std::memcpy(payload, data, count);
        length = static_cast<uint32_t>(count);
        checksum = AppletChecksum(payload, count);
        return true;
    }
    // A text payload goes with its terminating NUL.
    bool BuildText(uint32_t messageType, const char* text) {
        return Build(messageType, text, std::strlen(text) + 1);
    }
    void WriteHeader(uint8_t (&header)[kAppletHeaderSize]) const {
        WriteLe32(header, kAppletMagic);
        WriteLe32(header + 4, type);
        WriteLe32(header + 8, length);
        WriteLe32(header + 12, extra);
        WriteLe32(header + 16, checksum);
    }
};

// The header fields of a received message.
struct AppletHeader {
    uint32_t type;
    uint32_t length;
    uint32_t extra;
    uint32_t checksum;
};

inline bool HasAppletMagic(const uint8_t* bytes) { return ReadLe32(bytes) == kAppletMagic; }

inline AppletHeader ReadAppletHeader(const uint8_t* bytes) {
    return {ReadLe32(bytes + 4), ReadLe32(bytes + 8), ReadLe32(bytes + 12), ReadLe32(bytes + 16)};
}

} // namespace qvr
