// The GSM module on the AUX port: applet messages through "sendhex" and the
// pass-through log, the module's identity and status, its registration (an
// AT command), the connect-time detection and the TCP test.
#include <cstdio>
#include <cstring>

#include "MAReceiver.h"
#include "Text.h"

namespace qvr {

namespace {

constexpr uint32_t kModuleInfoLimitMs = 11000;
constexpr uint32_t kSignalLevelLimitMs = 6000;
constexpr uint32_t kTcpTestLimitMs = 10000;
constexpr uint32_t kSettleBeforeDetectMs = 10000;
constexpr uint32_t kAfterUserOutputMs = 2000;
constexpr uint32_t kSecondTryPauseMs = 3000;
constexpr size_t kAtReplySize = 2048;

// The bytes of the pass-through frame in the log buffer; the count is kept
// within the frame's body.
const uint8_t* PassThroughData(const uint8_t* body, size_t bodyLength, size_t* count) {
    size_t n = bodyLength >= 4 ? ReadLe32(body) : 0;
    if (n + 4 > bodyLength) n = bodyLength >= 4 ? bodyLength - 4 : 0;
    *count = n;
    return body + 4;
}

size_t BoundedLength(const char* text, size_t width) {
    size_t n = 0;
    while (n < width && text[n] != '\0') ++n;
    return n;
}

// Substring test on a fixed-width text that need not hold a NUL.
bool Contains(const char* text, size_t width, const char* needle) {
    const size_t length = BoundedLength(text, width);
    const size_t needleLength = std::strlen(needle);
    for (size_t i = 0; i + needleLength <= length; ++i)
        if (std::memcmp(text + i, needle, needleLength) == 0) return true;
    return false;
}

} // namespace

bool MAReceiver::SendAppletMessage(const AppletMessage& message) {
    uint8_t header[kAppletHeaderSize];
    message.WriteHeader(header);
    char headerLine[kCommandSize];
    char payloadLine[kCommandSize];
    FormatSendHex(headerLine, "AUX", header, static_cast<int>(kAppletHeaderSize));
    // Both lines are built before anything is sent, so a payload that does
    // not fit leaves the module without a header waiting for it.
    if (message.length > kMaxSendHexData ||
        (message.length > 0 &&
         !FormatSendHex(payloadLine, "AUX", message.payload, static_cast<int>(message.length)))) {
        TraceF(Trace(), "SendAppletMessage - payload of %u bytes does not fit one sendhex line, not sent.",
               static_cast<unsigned>(message.length));
        return false;
    }
    SendCommand(headerLine);
    if (message.length > 0) SendCommand(payloadLine);
    return true;
}

bool MAReceiver::ReadAppletReply(uint8_t* buffer, size_t capacity, uint32_t* replyType, size_t* received,
                                 uint32_t limitMs, bool noLimit) {
    if (buffer && capacity > 0) buffer[0] = 0;
    if (replyType) *replyType = 0;
    if (received) *received = 0;
    if (!buffer) return false;

    if (!ReadLog(limitMs) || GetLogMessageId() != logid::PassAux) return false;
    size_t n = 0;
    const uint8_t* data = PassThroughData(LogBody(), LogBodyLength(), &n);
    if (n < kAppletHeaderSize || !HasAppletMagic(data)) return false;
    const AppletHeader header = ReadAppletHeader(data);
    if (replyType) *replyType = header.type;
    if (header.length > capacity) {
        TraceF(Trace(), "ReadAppletReply - reply of %lu bytes does not fit %lu.",
               static_cast<unsigned long>(header.length), static_cast<unsigned long>(capacity));
        return false;
    }

    // What follows the header in this first portion, then the portions that
    // are already waiting, up to the announced length.
    size_t copied = n - kAppletHeaderSize;
    if (copied > header.length) copied = header.length;
    std::memcpy(buffer, data + kAppletHeaderSize, copied);
    const uint32_t start = Clock().GetTickCount();
    while (copied < header.length) {
        if (!noLimit && Clock().GetTickCount() - start >= limitMs) break;
        if (!ReadLog(0)) break;
        if (GetLogMessageId() != logid::PassAux) continue;
        data = PassThroughData(LogBody(), LogBodyLength(), &n);
        const size_t take = n < header.length - copied ? n : header.length - copied;
        std::memcpy(buffer + copied, data, take);
        copied += take;
    }
    if (received) *received = copied;
    return true;
}

bool MAReceiver::AppletRequest(const AppletMessage& request, uint32_t limitMs,
                               uint8_t (&reply)[kAppletReplyCapacity + 1], uint32_t* replyType, size_t* received) {
    *replyType = 0;
    *received = 0;
    reply[0] = 0;
    if (!SendAppletMessage(request)) return false;
    const bool ok = ReadAppletReply(reply, kAppletReplyCapacity, replyType, received, limitMs);
    reply[*received] = 0;  // the payload as text
    return ok;
}

bool MAReceiver::LookupValue(const char* reply, size_t count, const char* key, char terminator, char* value,
                             size_t valueSize) {
    if (!value || valueSize == 0) return false;
    value[0] = '\0';
    if (!reply || !key || key[0] == '\0') return false;
    // The reply is a text: it ends at its first NUL.
    size_t n = 0;
    while (n < count && reply[n] != '\0') ++n;
    const size_t keyLength = std::strlen(key);
    for (size_t at = 0; at + keyLength <= n; ++at) {
        // A key counts only where an item begins, so that "Version:" is not
        // found inside "hwVersion:": at the start, or after the terminator
        // and any blanks or line ends that follow it.
        size_t before = at;
        while (before > 0 && reply[before - 1] != terminator &&
               (reply[before - 1] == ' ' || reply[before - 1] == '\t' || reply[before - 1] == '\r' ||
                reply[before - 1] == '\n'))
            --before;
        if (before > 0 && reply[before - 1] != terminator) continue;
        if (std::memcmp(reply + at, key, keyLength) != 0) continue;
        const char* end = reply + n;
        const char* colon = static_cast<const char*>(std::memchr(reply + at, ':', static_cast<size_t>(end - (reply + at))));
        if (!colon) return false;
        const char* first = colon + 1;
        const char* last = static_cast<const char*>(std::memchr(first, terminator, static_cast<size_t>(end - first)));
        if (!last) return false;
        size_t length = static_cast<size_t>(last - first);
        if (length > valueSize - 1) length = valueSize - 1;
        std::memcpy(value, first, length);
        value[length] = '\0';
        return length > 0;
    }
    return false;
}

bool MAReceiver::QueryModuleInfo(GsmBlock* block) {
    if (!block) return false;
    block->appletVersion[0] = '\0';
    block->freeMemory[0] = '\0';
    block->totalMemory[0] = '\0';
    block->moduleType[0] = '\0';
    block->hardwareVersion[0] = '\0';
    block->firmwareVersion[0] = '\0';
    m_port.Purge();

    AppletMessage request;
    request.Build(applet::ModuleInfo);
    uint8_t reply[kAppletReplyCapacity + 1];
    uint32_t type = 0;
    size_t received = 0;
    if (!AppletRequest(request, kModuleInfoLimitMs, reply, &type, &received) || received == 0) return false;

    const char* text = reinterpret_cast<const char*>(reply);
    LookupValue(text, received, "hwVersion:", '+', block->hardwareVersion, sizeof block->hardwareVersion);
    LookupValue(text, received, "swVersion:", '+', block->firmwareVersion, sizeof block->firmwareVersion);
    LookupValue(text, received, "swProductName:", '+', block->moduleType, sizeof block->moduleType);
    // Product names that stand for a band pair are shown as the bands.
    if (std::strstr(block->moduleType, "RX-9"))
        CopyCut(block->moduleType, "GSM 850/GSM 1900");
    else if (std::strstr(block->moduleType, "RX-2"))
        CopyCut(block->moduleType, "EGSM 900/GSM 1800");
    LookupValue(text, received, "Version:", '+', block->appletVersion, sizeof block->appletVersion);
    LookupValue(text, received, "Free Memory:", '+', block->freeMemory, sizeof block->freeMemory);
    LookupValue(text, received, "Total Memory:", '+', block->totalMemory, sizeof block->totalMemory);
    return true;
}

bool MAReceiver::QuerySignalLevel(char* output, size_t outputSize) {
    m_port.Purge();
    AppletMessage request;
    request.Build(applet::SignalLevel);
    uint8_t reply[kAppletReplyCapacity + 1];
    uint32_t type = 0;
    size_t received = 0;
    const bool ok = AppletRequest(request, kSignalLevelLimitMs, reply, &type, &received);
    if (output && outputSize > 0) CopyCut(output, outputSize, ok ? reinterpret_cast<const char*>(reply) : "0");
    return ok;
}

int MAReceiver::QueryRegistration() {
    if (m_peripheral.kind != kPeripheralGsm) return kRegistrationNotRead;
    char request[16] = "AT+CREG?";
    char reply[kAtReplySize];
    AuxExchange(request, sizeof request, reply, sizeof reply);
    // "+CREG: N,S": the character after the first comma is the state.
    const char* comma = std::strchr(reply, ',');
    if (reply[0] == '\0' || !comma) return kRegistrationNotRead;
    const char state = comma[1];
    return state >= '0' && state <= '9' ? state - '0' : 0;
}

bool MAReceiver::DetectGsmModule(IStatusSink* status) {
    IStatusSink& sink = status ? *status : *m_status;
    GsmBlock& gsm = m_peripheral.gsm;
    std::memset(&gsm, 0, sizeof gsm);
    std::memset(&m_peripheral.bearer, 0, sizeof m_peripheral.bearer);
    gsm.registrationState = kRegistrationNotRead;

    Pause(kSettleBeforeDetectMs);
    m_peripheral.kind = kPeripheralNone;
    // User output 1 low selects the applet, which talks at 115200 baud.
    SendCommand("appcontrol USERGPIO 1 0\r\n");
    Pause(kAfterUserOutputMs);
    SendCommand("com aux 115200\r\n");
    m_port.Purge();

    if (!QueryModuleInfo(&gsm) || gsm.moduleType[0] == '\0') {
        // A receiver configured for a GSM module gets one more try: the
        // applet may still be starting.
        const char* name = m_receiverInfo.peripheralName;
        const size_t width = sizeof m_receiverInfo.peripheralName;
        if (!Contains(name, width, "Aplicom") && !Contains(name, width, "Siemens")) return false;
        Pause(kSecondTryPauseMs);
        if (!QueryModuleInfo(&gsm)) {
            TraceF(Trace(), "DetectGsmModule - no module information on the second try.");
            return false;
        }
    }

    m_peripheral.kind = kPeripheralGsm;
    gsm.moduleKind = std::strstr(gsm.moduleType, "TC65") ? kGsmModuleSiemens : kGsmModuleNokia;
    sink.SetStatusText("Retrieving GSM settings...");
    QuerySignalLevel(gsm.signalLevel, sizeof gsm.signalLevel);
    ReadBearerSettings(&m_peripheral.bearer);
    ReadNtripSettings(&gsm.ntrip);
    return !LinkLost();  // half read: not a module to show
}

const char* MAReceiver::TcpTestSiteProblem(const char* site) {
    if (!site || site[0] == '\0') return "Error: Need website name or IP Address!";
    if (HasControlOrQuote(site))
        return "Error: Website name or IP Address contains a line break, quote or control character!";
    // "socket://SITE:80" with its NUL must fit one sendhex line.
    if (std::strlen(site) + std::strlen("socket://:80") + 1 > kMaxSendHexData)
        return "Error: Website name or IP Address too long!";
    return nullptr;
}

bool MAReceiver::TestTcpConnection(const char* site, char* output, size_t outputSize) {
    char scratch[2];
    if (!output || outputSize == 0) {
        output = scratch;
        outputSize = sizeof scratch;
    }
    output[0] = '\0';
    if (const char* problem = TcpTestSiteProblem(site)) {
        CopyCut(output, outputSize, problem);
        TraceF(Trace(), "TestTcpConnection - site refused, not sent: %s", problem);
        return false;
    }
    char payload[kMaxSendHexData + 1];
    std::snprintf(payload, sizeof payload, "socket://%s:80", site);

    SendCommand("log passauxb onnew\r\n");
    m_port.Purge();
    AppletMessage request;
    request.BuildText(applet::TcpTest, payload);
    uint8_t reply[kAppletReplyCapacity + 1];
    uint32_t type = 0;
    size_t received = 0;
    const bool ok = AppletRequest(request, kTcpTestLimitMs, reply, &type, &received);
    CopyCut(output, outputSize,
            ok ? reinterpret_cast<const char*>(reply)
               : "Error: TCP connection timed out waiting for a response.\r\n"
                 "Module may be unresponsive until connection times out.");
    SendCommand("unlog passauxb\r\n");
    return ok;
}

bool MAReceiver::ExchangeAtCommand(char* command, size_t commandSize, char* reply, size_t replySize,
                                   GsmField* tooLong) {
    if (tooLong) *tooLong = GsmField::None;
    if (!command || commandSize == 0 || !reply || replySize == 0) return false;
    reply[0] = '\0';
    const size_t length = BoundedLength(command, commandSize);
    if (length == 0 || length == commandSize) return false;
    if (length > kMaxAtCommandLength) {
        if (tooLong) *tooLong = GsmField::AtCommand;
        TraceF(Trace(), "ExchangeAtCommand - command of %lu characters does not fit one sendhex line, not sent.",
               static_cast<unsigned long>(length));
        return false;
    }
    if (length + 3 > commandSize) return false;  // no room for the line end
    AuxExchange(command, commandSize, reply, replySize);
    return true;
}

} // namespace qvr
