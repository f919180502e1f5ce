// The GSM module's settings records: the bearer settings (GPRS or CSD) and
// the NTRIP source settings, read from and written to the applet as text
// payloads of applet messages.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "MAReceiver.h"
#include "Text.h"

namespace qvr {

namespace {

constexpr uint32_t kReadLimitMs = 20000;
constexpr uint32_t kWriteLimitMs = 1000;
// How many more times a write's late reply is waited for.
constexpr int kLateReplyWaits = 8;
constexpr uint32_t kNtripWriteLimitMs = 3000;
constexpr char kBearerTerminator = '+';
constexpr char kNtripTerminator = '\n';
// Payloads are built here before they are measured against one sendhex line.
constexpr size_t kPayloadBufferSize = 1024;

int ToInt(const char* text) {
    const long value = std::strtol(text, nullptr, 10);
    if (value > 2147483647L) return 2147483647;
    if (value < -2147483647L - 1) return -2147483647 - 1;
    return static_cast<int>(value);
}

// A text of a record that its writer may have filled to the brim: "%.*s"
// keeps the copy within its field.
constexpr int Width(size_t size) { return static_cast<int>(size); }

struct Part {
    GsmField field;
    const char* text;
    size_t width;
};

// The text a request that is too long should be blamed on: its longest
// text (the first of equally long ones).
template <size_t N>
GsmField Longest(const Part (&parts)[N]) {
    GsmField field = GsmField::None;
    size_t longest = 0;
    for (const Part& part : parts) {
        size_t n = 0;
        while (n < part.width && part.text[n] != '\0') ++n;
        if (field == GsmField::None || n > longest) {
            field = part.field;
            longest = n;
        }
    }
    return field;
}

// True when the text and its NUL fit one sendhex line; otherwise names
// the longest part.
template <size_t N>
bool Fits(int length, const Part (&parts)[N], GsmField* tooLong) {
    if (length >= 0 && static_cast<size_t>(length) + 1 <= MAReceiver::kMaxSendHexData) return true;
    if (tooLong) *tooLong = Longest(parts);
    return false;
}

// Whether a payload holds a control character or a quote other than its own
// separators: then a value carries one, which would shift the fields.
bool ValueBreaksFields(const char* payload, const char* separators) {
    for (const char* p = payload; *p; ++p) {
        if (std::strchr(separators, *p)) continue;
        if (*p == '"' || static_cast<unsigned char>(*p) < 0x20 || *p == 0x7F) return true;
    }
    return false;
}

} // namespace

void MAReceiver::ParseBearerSettings(const char* reply, size_t count, BearerRecord* record) {
    if (!record) return;
    std::memset(record, 0, sizeof *record);
    if (!reply) return;
    constexpr char t = kBearerTerminator;
    char value[128];
    LookupValue(reply, count, "GPRSaccessPointName", t, record->gprsAccessPointName, sizeof record->gprsAccessPointName);
    LookupValue(reply, count, "GPRSPPPUsername", t, record->gprsPppUserName, sizeof record->gprsPppUserName);
    LookupValue(reply, count, "GPRSPPPPassword", t, record->gprsPppPassword, sizeof record->gprsPppPassword);
    LookupValue(reply, count, "GPRStimeout", t, value, sizeof value);
    record->gprsTimeout = ToInt(value);
    LookupValue(reply, count, "CSDtimeout", t, value, sizeof value);
    record->csdTimeout = ToInt(value);
    LookupValue(reply, count, "CSDGWNumber", t, record->csdGatewayNumber, sizeof record->csdGatewayNumber);
    LookupValue(reply, count, "CSDPPPUsername", t, record->csdPppUserName, sizeof record->csdPppUserName);
    LookupValue(reply, count, "CSDPPPPassword", t, record->csdPppPassword, sizeof record->csdPppPassword);
    LookupValue(reply, count, "CSDNumberAuthenticationEnabled", t, value, sizeof value);
    record->csdNumberAuthenticationEnabled = std::strcmp(value, "true") == 0 ? 1 : 0;
    // The incoming CHAP credentials are read past and never kept.
    LookupValue(reply, count, "incomingCHAPUserName", t, record->incomingChapUserName, sizeof record->incomingChapUserName);
    LookupValue(reply, count, "incomingCHAPPassword", t, record->incomingChapPassword, sizeof record->incomingChapPassword);
    LookupValue(reply, count, "incomingCHAPAuthenticationEnabled", t, value, sizeof value);
    std::memset(record->incomingChapUserName, 0, sizeof record->incomingChapUserName);
    std::memset(record->incomingChapPassword, 0, sizeof record->incomingChapPassword);
    record->incomingChapEnabled = 0;
    LookupValue(reply, count, "wapDefaultConnection", t, value, sizeof value);
    record->defaultConnection = ToInt(value);
}

void MAReceiver::ParseNtripSettings(const char* reply, size_t count, NtripSourceRecord* record) {
    if (!record) return;
    std::memset(record, 0, sizeof *record);
    if (!reply) return;
    constexpr char t = kNtripTerminator;
    char value[64];
    LookupValue(reply, count, "NS_CASTERADDR", t, record->casterAddress, sizeof record->casterAddress);
    LookupValue(reply, count, "NS_PORT", t, value, sizeof value);
    record->port = ToInt(value);
    LookupValue(reply, count, "NS_MOUNTPOINT", t, record->mountPoint, sizeof record->mountPoint);
    LookupValue(reply, count, "NS_PASSWORD", t, record->password, sizeof record->password);
    LookupValue(reply, count, "NS_ONSTARTUP", t, value, sizeof value);
    record->enabledOnStartup = ToInt(value) != 0 ? 1 : 0;
}

bool MAReceiver::ReadBearerSettings(BearerRecord* record) {
    if (!record) return false;
    std::memset(record, 0, sizeof *record);
    m_port.Purge();
    AppletMessage request;
    request.Build(applet::ReadBearer);
    uint8_t reply[kAppletReplyCapacity + 1];
    uint32_t type = 0;
    size_t received = 0;
    if (!AppletRequest(request, kReadLimitMs, reply, &type, &received)) return false;
    ParseBearerSettings(reinterpret_cast<const char*>(reply), received, record);
    return true;
}

bool MAReceiver::ReadNtripSettings(NtripSourceRecord* record) {
    if (!record) return false;
    std::memset(record, 0, sizeof *record);
    m_port.Purge();
    AppletMessage request;
    request.Build(applet::ReadNtrip);
    uint8_t reply[kAppletReplyCapacity + 1];
    uint32_t type = 0;
    size_t received = 0;
    if (!AppletRequest(request, kReadLimitMs, reply, &type, &received)) return false;
    ParseNtripSettings(reinterpret_cast<const char*>(reply), received, record);
    return true;
}

bool MAReceiver::ReadBackGsmSettings(BearerRecord* bearer, NtripSourceRecord* ntrip) {
    SendCommand("log passauxb onnew\r\n");
    bool ok = true;
    if (bearer) ok = ReadBearerSettings(bearer);
    if (ntrip && ok) ok = ReadNtripSettings(ntrip);
    SendCommand("unlog passauxb\r\n");
    return ok && !LinkLost();
}

bool MAReceiver::AppletWrite(uint32_t type, const char* payload, uint32_t limitMs) {
    AppletMessage request;
    if (payload ? !request.BuildText(type, payload) : !request.Build(type)) return false;
    // The module's reply comes back only in the pass-through log, which is
    // off once the connect-time refresh is over: each write runs it for
    // the time of its request and stops it again.
    SendCommand("log passauxb onnew\r\n");
    m_port.Purge();
    uint8_t reply[kAppletReplyCapacity + 1];
    uint32_t replyType = 0;
    size_t received = 0;
    bool replied = AppletRequest(request, limitMs, reply, &replyType, &received);
    // No reply that could be read: the write may or may not have reached
    // the module. A reply still on its way is waited for once more, and
    // again while the start of a frame waits in the buffer (a reply coming
    // in slowly); then the same write goes again, which leaves the module as
    // one write would, and its reply tells.
    if (!replied && !LinkLost()) {
        for (int wait = 0; wait < kLateReplyWaits && !replied && !LinkLost(); ++wait) {
            replied = ReadAppletReply(reply, kAppletReplyCapacity, &replyType, &received, limitMs);
            m_port.UpdateReadBuffer();
            if (m_port.Find(0, kLogSync, sizeof kLogSync) < 0) break;  // no frame under way
        }
        if (!replied && !LinkLost()) {
            TraceF(Trace(), "AppletWrite - no reply to request %u, sent once more.", static_cast<unsigned>(type));
            m_port.Purge();
            replied = AppletRequest(request, limitMs, reply, &replyType, &received);
        }
    }
    const bool ok = replied && replyType == applet::Success;
    SendCommand("unlog passauxb\r\n");
    return ok;
}

bool MAReceiver::FormatGprsPayload(const BearerRecord& r, char* payload, size_t size, GsmField* tooLong) {
    if (tooLong) *tooLong = GsmField::None;
    if (size == 0) return false;
    payload[0] = '\0';
    const int length = std::snprintf(payload, size, "%.*s\n%.*s\n%.*s\n%d\n", Width(sizeof r.gprsPppUserName),
                                     r.gprsPppUserName, Width(sizeof r.gprsPppPassword), r.gprsPppPassword,
                                     Width(sizeof r.gprsAccessPointName), r.gprsAccessPointName, r.gprsTimeout);
    const Part parts[] = {{GsmField::GprsUserName, r.gprsPppUserName, sizeof r.gprsPppUserName},
                          {GsmField::GprsPassword, r.gprsPppPassword, sizeof r.gprsPppPassword},
                          {GsmField::GprsAccessPointName, r.gprsAccessPointName, sizeof r.gprsAccessPointName}};
    return Fits(length, parts, tooLong) && static_cast<size_t>(length) < size;
}

bool MAReceiver::WriteGprsSettings(const BearerRecord* record, GsmField* tooLong) {
    if (tooLong) *tooLong = GsmField::None;
    if (!record) return false;
    char payload[kPayloadBufferSize];
    if (!FormatGprsPayload(*record, payload, sizeof payload, tooLong)) {
        TraceF(Trace(), "WriteGprsSettings - settings too long for one sendhex line, not sent.");
        return false;
    }
    // A line end or quote inside a value would shift the module's fields.
    if (ValueBreaksFields(payload, "\n")) {
        TraceF(Trace(), "WriteGprsSettings - a value holds a line end, quote or control character, not sent.");
        return false;
    }
    return AppletWrite(applet::WriteGprs, payload, kWriteLimitMs);
}

bool MAReceiver::WriteCsdSettings(const BearerRecord* record, GsmField* tooLong) {
    if (tooLong) *tooLong = GsmField::None;
    if (!record) return false;
    const BearerRecord& r = *record;
    char payload[kPayloadBufferSize];
    const int length = std::snprintf(payload, sizeof payload, "%.*s\n%.*s\n%.*s\n%d\n",
                                     Width(sizeof r.csdPppUserName), r.csdPppUserName,
                                     Width(sizeof r.csdPppPassword), r.csdPppPassword,
                                     Width(sizeof r.csdGatewayNumber), r.csdGatewayNumber, r.csdTimeout);
    const Part parts[] = {{GsmField::CsdUserName, r.csdPppUserName, sizeof r.csdPppUserName},
                          {GsmField::CsdPassword, r.csdPppPassword, sizeof r.csdPppPassword},
                          {GsmField::CsdGatewayNumber, r.csdGatewayNumber, sizeof r.csdGatewayNumber}};
    if (!Fits(length, parts, tooLong)) {
        TraceF(Trace(), "WriteCsdSettings - settings too long for one sendhex line, not sent.");
        return false;
    }
    if (ValueBreaksFields(payload, "\n")) {
        TraceF(Trace(), "WriteCsdSettings - a value holds a line end, quote or control character, not sent.");
        return false;
    }
    return AppletWrite(applet::WriteCsd, payload, kWriteLimitMs);
}

bool MAReceiver::WriteAuthenticationSettings(const BearerRecord* record, GsmField* tooLong) {
    if (tooLong) *tooLong = GsmField::None;
    if (!record) return false;
    const BearerRecord& r = *record;
    char payload[kPayloadBufferSize];
    const int length = std::snprintf(payload, sizeof payload, "%d\n%d\n%.*s\n%.*s\n",
                                     r.csdNumberAuthenticationEnabled, r.incomingChapEnabled,
                                     Width(sizeof r.incomingChapUserName), r.incomingChapUserName,
                                     Width(sizeof r.incomingChapPassword), r.incomingChapPassword);
    const Part parts[] = {{GsmField::IncomingChapUserName, r.incomingChapUserName, sizeof r.incomingChapUserName},
                          {GsmField::IncomingChapPassword, r.incomingChapPassword, sizeof r.incomingChapPassword}};
    if (!Fits(length, parts, tooLong)) {
        TraceF(Trace(), "WriteAuthenticationSettings - settings too long for one sendhex line, not sent.");
        return false;
    }
    if (ValueBreaksFields(payload, "\n")) {
        TraceF(Trace(), "WriteAuthenticationSettings - a value holds a line end, quote or control character, "
                        "not sent.");
        return false;
    }
    return AppletWrite(applet::WriteAuthentication, payload, kWriteLimitMs);
}

bool MAReceiver::SetDefaultConnection(int value) {
    if (value < kBearerGprs || value >= kBearerNone) return false;
    char payload[16];
    std::snprintf(payload, sizeof payload, "%d\n", value);
    return AppletWrite(applet::SetDefaultConnection, payload, kWriteLimitMs);
}

bool MAReceiver::ClearBearer() { return AppletWrite(applet::ClearBearer, nullptr, kWriteLimitMs); }

bool MAReceiver::FormatNtripPayload(const NtripSourceRecord& r, char* payload, size_t size, GsmField* tooLong) {
    if (tooLong) *tooLong = GsmField::None;
    if (size == 0) return false;
    payload[0] = '\0';
    char port[16];
    std::snprintf(port, sizeof port, "%d", static_cast<int>(r.port));
    const char* startup = r.enabledOnStartup == 1 ? "1" : "0";
    const int length = std::snprintf(
        payload, size, "\nNS_CASTERADDR:%.*s\nNS_PORT:%s\nNS_MOUNTPOINT:%.*s\nNS_PASSWORD:%.*s\nNS_ONSTARTUP:%s\n",
        Width(sizeof r.casterAddress), r.casterAddress, port, Width(sizeof r.mountPoint), r.mountPoint,
        Width(sizeof r.password), r.password, startup);
    const Part parts[] = {{GsmField::NtripCasterAddress, r.casterAddress, sizeof r.casterAddress},
                          {GsmField::NtripMountPoint, r.mountPoint, sizeof r.mountPoint},
                          {GsmField::NtripPassword, r.password, sizeof r.password}};
    return Fits(length, parts, tooLong) && static_cast<size_t>(length) < size;
}

bool MAReceiver::WriteNtripSettings(const NtripSourceRecord* record, GsmField* tooLong) {
    if (tooLong) *tooLong = GsmField::None;
    if (!record) return false;
    char payload[kPayloadBufferSize];
    // Checked before the pass-through log is started: a refused write sends
    // nothing at all.
    if (!FormatNtripPayload(*record, payload, sizeof payload, tooLong)) {
        TraceF(Trace(), "WriteNtripSettings - settings too long for one sendhex line, not sent.");
        return false;
    }
    if (ValueBreaksFields(payload, "\n")) {
        TraceF(Trace(), "WriteNtripSettings - a value holds a line end, quote or control character, not sent.");
        return false;
    }
    return AppletWrite(applet::WriteNtrip, payload, kNtripWriteLimitMs);
}

} // namespace qvr
