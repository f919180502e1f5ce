#include "SimGsmModule.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace qvr::sim {

namespace {

// The applet's message format, spelled out here on its own so the
// simulated module does not share the host's definitions.
constexpr uint8_t kMagic[4] = {0xBB, 0x88, 0x33, 0x11};
constexpr size_t kHeader = 20;
constexpr uint32_t kSuccess = 2, kError = 3, kUpgradeInfo = 12, kUpgradeData = 13, kUpgradeCommit = 14,
                   kVerify = 15, kModuleInfo = 16, kUpgradeBegin = 18, kSignalLevel = 21, kWriteGprs = 23,
                   kWriteCsd = 24, kReadBearer = 25, kWriteNtrip = 29, kReadNtrip = 30, kSetDefault = 37,
                   kWriteAuth = 38, kTcpTest = 39, kClearBearer = 40;
// A header announcing more than this is taken for noise.
constexpr uint32_t kMaxRequestPayload = 4096;

uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// A text payload: up to its NUL.
std::string PayloadText(const std::vector<uint8_t>& payload) {
    std::string text(payload.begin(), payload.end());
    const size_t nul = text.find('\0');
    return nul == std::string::npos ? text : text.substr(0, nul);
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n') {
            lines.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

int ToInt(const std::string& text) { return static_cast<int>(std::strtol(text.c_str(), nullptr, 10)); }

} // namespace

SimGsmModule::SimGsmModule(GsmModuleConfig config) : m_config(std::move(config)) {}

std::vector<uint8_t> SimGsmModule::Message(uint32_t type, uint32_t extra, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> out(kMagic, kMagic + 4);
    uint32_t sum = 0;
    for (uint8_t b : payload) sum += b;
    PutLe32(out, type);
    PutLe32(out, static_cast<uint32_t>(payload.size()));
    PutLe32(out, extra);
    PutLe32(out, sum);
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

std::vector<uint8_t> SimGsmModule::TextPayload(const std::string& text) {
    std::vector<uint8_t> payload(text.begin(), text.end());
    payload.push_back(0);
    return payload;
}

void SimGsmModule::LinesChanged(const AuxLines&, SimTime) {
    // A new mode or rate: whatever was half received is lost.
    m_atLine.clear();
    m_rx.clear();
}

void SimGsmModule::Receive(uint8_t value, int baud, SimTime at) {
    if (!m_port) return;
    const AuxLines& lines = m_port->Lines();
    if (lines.gpio1) {
        if (baud == kAtRate) ReceiveAt(value, at);
    } else if (baud == kAppletRate) {
        ReceiveApplet(value, at);
    }
    // At any other rate the module sees only framing errors.
}

bool SimGsmModule::HasFault(GsmModuleFault kind) const {
    return std::any_of(m_faults.begin(), m_faults.end(), [kind](const GsmFault& f) { return f.kind == kind && f.count > 0; });
}

bool SimGsmModule::TakeFault(GsmModuleFault kind, int piece, uint32_t requestType) {
    for (GsmFault& f : m_faults) {
        if (f.kind != kind || f.count <= 0) continue;
        if (piece >= 0 && f.piece != piece) continue;
        if (f.requestType != requestType) continue;
        --f.count;
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- AT mode

void SimGsmModule::ReceiveAt(uint8_t value, SimTime at) {
    if (value == '\n') return;
    if (value != '\r') {
        if (m_atLine.size() < 1024) m_atLine.push_back(static_cast<char>(value));
        return;
    }
    const std::string line = m_atLine;
    m_atLine.clear();
    if (line.empty()) return;
    m_atLines.push_back(line);
    AnswerAt(line, at);
}

void SimGsmModule::AnswerAt(const std::string& line, SimTime at) {
    const std::string command = Upper(line);
    std::string answer = line + "\r";  // the echo
    char text[128];
    if (command == "AT") {
        answer += "\r\nOK\r\n";
    } else if (command == "AT+CREG?") {
        if (!m_config.cregLine.empty()) {
            answer += "\r\n" + m_config.cregLine + "\r\n\r\nOK\r\n";
        } else {
            std::snprintf(text, sizeof text, "\r\n+CREG: 0,%d\r\n\r\nOK\r\n", m_config.registration);
            answer += text;
        }
    } else if (command == "AT+CSQ") {
        // 0 = -113 dBm or less, 31 = -51 dBm or more, 99 = not known.
        const int s = m_config.signalLevel;
        const int rssi = s >= 0 ? 99 : std::clamp((s + 113) / 2, 0, 31);
        std::snprintf(text, sizeof text, "\r\n+CSQ: %d,99\r\n\r\nOK\r\n", rssi);
        answer += text;
    } else if (command == "AT&V") {
        answer += "\r\nACTIVE PROFILE:\r\nE1 Q0 V1 X4 &C1 &D2 &S0\r\nS0:000 S3:013 S4:010 S5:008 S7:060\r\n"
                  "+CBST: 7,0,1\r\n+CR: 0\r\n+CRC: 0\r\n+CMGF: 0\r\n+CREG: 0\r\n+IPR: 0\r\n\r\nOK\r\n";
    } else {
        answer += "\r\nERROR\r\n";
    }
    m_port->DeviceSend(std::vector<uint8_t>(answer.begin(), answer.end()), kAtRate, at + m_config.atDelay);
}

// ---------------------------------------------------------------- applet mode

void SimGsmModule::ReceiveApplet(uint8_t value, SimTime at) {
    m_rx.push_back(value);
    for (;;) {
        // Drop whatever cannot begin a message.
        size_t i = 0;
        while (i < m_rx.size() && !std::equal(m_rx.begin() + static_cast<long>(i),
                                              m_rx.begin() + static_cast<long>(std::min(m_rx.size(), i + 4)), kMagic))
            ++i;
        m_rx.erase(m_rx.begin(), m_rx.begin() + static_cast<long>(i));
        if (m_rx.size() < kHeader) return;
        const uint32_t length = Le32(m_rx.data() + 8);
        if (length > kMaxRequestPayload) {
            m_rx.erase(m_rx.begin());
            continue;
        }
        if (m_rx.size() < kHeader + length) return;
        Request request{Le32(m_rx.data() + 4), Le32(m_rx.data() + 12),
                        std::vector<uint8_t>(m_rx.begin() + kHeader, m_rx.begin() + static_cast<long>(kHeader + length)),
                        at};
        const uint32_t checksum = Le32(m_rx.data() + 16);
        m_rx.erase(m_rx.begin(), m_rx.begin() + static_cast<long>(kHeader + length));
        m_requests.push_back(request);
        uint32_t sum = 0;
        for (uint8_t b : request.payload) sum += b;
        if (sum != checksum) {
            SendApplet(Message(kError, request.extra, TextPayload("checksum error")), at + m_config.replyDelay);
            continue;
        }
        if (request.type == kUpgradeBegin || request.type == kUpgradeInfo || request.type == kUpgradeData ||
            request.type == kUpgradeCommit)
            HandleUpgrade(request, at);
        else
            HandleRequest(request, at);
    }
}

void SimGsmModule::SendApplet(const std::vector<uint8_t>& bytes, SimTime at) {
    if (!HasFault(GsmModuleFault::SplitReply) || bytes.size() < kHeader + 2) {
        m_port->DeviceSend(bytes, kAppletRate, at);
        return;
    }
    // The header, then the payload in two halves, with quiet gaps between
    // them: three pass-through frames.
    const size_t cuts[] = {0, kHeader, kHeader + (bytes.size() - kHeader) / 2, bytes.size()};
    SimTime t = at;
    for (int i = 0; i < 3; ++i) {
        if (cuts[i] >= cuts[i + 1]) continue;
        std::vector<uint8_t> portion(bytes.begin() + static_cast<long>(cuts[i]), bytes.begin() + static_cast<long>(cuts[i + 1]));
        m_port->DeviceSend(portion, kAppletRate, t);
        t += ByteTime(kAppletRate) * portion.size() + m_config.splitGap;
    }
}

std::string SimGsmModule::ModuleInfoText() const {
    const GsmModuleConfig& c = m_config;
    // The hardware version comes before the applet version, so that a
    // plain substring search for "Version:" would find the wrong value.
    const std::string end = "+" + c.infoItemGap;
    std::string text = "swProductName:" + c.productName + end + "hwVersion:" + c.hardwareVersion + end +
                       "swVersion:" + c.firmwareVersion + end + "Version:" + c.appletVersion + end +
                       "Free Memory:" + c.freeMemory + end + "Total Memory:" + c.totalMemory + end;
    if (HasFault(GsmModuleFault::OversizeReply)) text += "Features:" + std::string(1100, 'F') + end;
    return text;
}

std::string SimGsmModule::BearerText() const {
    const SimBearerSettings& b = m_config.bearer;
    return "GPRSaccessPointName:" + b.gprsAccessPointName + "+GPRSPPPUsername:" + b.gprsUserName +
           "+GPRSPPPPassword:" + b.gprsPassword + "+GPRStimeout:" + std::to_string(b.gprsTimeout) +
           "+CSDtimeout:" + std::to_string(b.csdTimeout) + "+CSDGWNumber:" + b.csdGatewayNumber +
           "+CSDPPPUsername:" + b.csdUserName + "+CSDPPPPassword:" + b.csdPassword +
           "+CSDNumberAuthenticationEnabled:" + (b.csdNumberAuthentication ? "true" : "false") +
           "+incomingCHAPUserName:" + b.incomingChapUserName + "+incomingCHAPPassword:" + b.incomingChapPassword +
           "+incomingCHAPAuthenticationEnabled:" + (b.incomingChapEnabled ? "true" : "false") +
           "+wapDefaultConnection:" + std::to_string(b.defaultConnection) + "+";
}

std::string SimGsmModule::NtripText() const {
    const SimNtripSettings& n = m_config.ntrip;
    std::string text = "NS_CASTERADDR:" + n.casterAddress + "\nNS_PORT:" + n.port + "\nNS_MOUNTPOINT:" + n.mountPoint +
                       "\nNS_PASSWORD:" + n.password + "\nNS_ONSTARTUP:" + n.onStartup;
    if (m_config.ntripFinalLineFeed) text += "\n";
    return text;
}

void SimGsmModule::HandleRequest(const Request& request, SimTime at) {
    const SimTime reply = at + m_config.replyDelay;
    if (TakeFault(GsmModuleFault::ErrorReply, -1, request.type)) {
        SendApplet(Message(kError, 0, TextPayload("ERROR")), reply);
        return;
    }
    const std::string text = PayloadText(request.payload);
    const std::vector<std::string> lines = SplitLines(text);
    const auto line = [&lines](size_t i) { return i < lines.size() ? lines[i] : std::string(); };
    const auto accepted = [&] { SendApplet(Message(kSuccess, 0, TextPayload("OK")), reply); };
    SimBearerSettings& b = m_config.bearer;
    switch (request.type) {
    case kModuleInfo:
        if (TakeFault(GsmModuleFault::SlowStart)) return;  // still starting: no answer
        SendApplet(Message(kModuleInfo, 0, TextPayload(ModuleInfoText())), reply);
        return;
    case kSignalLevel:
        SendApplet(Message(kSignalLevel, 0, TextPayload(std::to_string(m_config.signalLevel))), reply);
        return;
    case kReadBearer:
        SendApplet(Message(kReadBearer, 0, TextPayload(BearerText())), reply);
        return;
    case kReadNtrip:
        SendApplet(Message(kReadNtrip, 0, TextPayload(NtripText())), reply);
        return;
    case kWriteGprs:
        b.gprsUserName = line(0);
        b.gprsPassword = line(1);
        b.gprsAccessPointName = line(2);
        b.gprsTimeout = ToInt(line(3));
        accepted();
        return;
    case kWriteCsd:
        b.csdUserName = line(0);
        b.csdPassword = line(1);
        b.csdGatewayNumber = line(2);
        b.csdTimeout = ToInt(line(3));
        accepted();
        return;
    case kWriteAuth:
        b.csdNumberAuthentication = ToInt(line(0)) != 0;
        b.incomingChapEnabled = ToInt(line(1)) != 0;
        b.incomingChapUserName = line(2);
        b.incomingChapPassword = line(3);
        accepted();
        return;
    case kSetDefault:
        b.defaultConnection = ToInt(line(0));
        accepted();
        return;
    case kClearBearer:
        b = SimBearerSettings{};
        accepted();
        return;
    case kWriteNtrip: {
        SimNtripSettings& n = m_config.ntrip;
        for (const std::string& item : lines) {
            const size_t colon = item.find(':');
            if (colon == std::string::npos) continue;
            const std::string key = item.substr(0, colon), value = item.substr(colon + 1);
            if (key == "NS_CASTERADDR") n.casterAddress = value;
            else if (key == "NS_PORT") n.port = value;
            else if (key == "NS_MOUNTPOINT") n.mountPoint = value;
            else if (key == "NS_PASSWORD") n.password = value;
            else if (key == "NS_ONSTARTUP") n.onStartup = value;
        }
        accepted();
        return;
    }
    case kTcpTest:
        if (!m_config.tcpAnswers) return;
        SendApplet(Message(kTcpTest, 0, TextPayload(m_config.tcpAnswer)), at + m_config.tcpDelay);
        return;
    default:
        SendApplet(Message(kError, 0, TextPayload("unknown request")), reply);
        return;
    }
}

void SimGsmModule::HandleUpgrade(const Request& request, SimTime at) {
    const SimTime verifyAt = at + m_config.verifyDelay;
    switch (request.type) {
    case kUpgradeBegin:
        m_upgradeBegun = true;
        m_committed = false;
        m_pieces.clear();
        m_dataMessages = 0;
        return;
    case kUpgradeInfo:
        if (request.payload.size() >= 12 && std::equal(kMagic, kMagic + 4, request.payload.begin())) {
            m_announcedSize = Le32(request.payload.data() + 4);
            m_announcedChecksum = Le32(request.payload.data() + 8);
        }
        m_port->DeviceSend(Message(kVerify, 0, {}), kAppletRate, verifyAt);
        return;
    case kUpgradeData: {
        const int piece = static_cast<int>(request.extra);
        ++m_dataMessages;
        if (TakeFault(GsmModuleFault::ErrorReply, piece)) {
            m_port->DeviceSend(Message(kError, request.extra, TextPayload("flash write error")), kAppletRate, verifyAt);
            return;
        }
        m_pieces[request.extra] = request.payload;
        if (TakeFault(GsmModuleFault::LostVerify, piece)) return;
        const uint32_t verified = TakeFault(GsmModuleFault::WrongVerify, piece) ? request.extra + 1 : request.extra;
        m_port->DeviceSend(Message(kVerify, verified, {}), kAppletRate, verifyAt);
        return;
    }
    case kUpgradeCommit: {
        m_committed = true;
        if (m_config.verifyCommit) m_port->DeviceSend(Message(kVerify, 0, {}), kAppletRate, verifyAt);
        if (TakeFault(GsmModuleFault::NoSuccess)) return;
        const std::vector<uint8_t> image = Image();
        uint32_t sum = 0;
        for (uint8_t b : image) sum += b;
        const bool intact = image.size() == m_announcedSize && sum == m_announcedChecksum;
        m_port->DeviceSend(intact ? Message(kSuccess, 0, TextPayload("applet installed"))
                                  : Message(kError, 0, TextPayload("image does not match")),
                           kAppletRate, at + m_config.successDelay);
        return;
    }
    default:
        return;
    }
}

std::vector<uint8_t> SimGsmModule::Image() const {
    std::vector<uint8_t> image;
    for (const auto& [sequence, bytes] : m_pieces) image.insert(image.end(), bytes.begin(), bytes.end());
    return image;
}

} // namespace qvr::sim
