// The UHF radio on the AUX port: its "SL" queries, the connect-time
// retrieval and the settings written by the radio pages. Every radio text
// travels in a "sendhex" line; the answer is the first pass-through log (690)
// that follows. The menu-driven operations are in MAReceiverUhfMenu.cpp.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "MAReceiver.h"
#include "Text.h"

namespace qvr {

namespace {

constexpr const char* kRtsLow = "comcontrol aux rts forcelow\r\n";
constexpr const char* kRtsHigh = "comcontrol aux rts forcehigh\r\n";
constexpr const char* kNotAvailable = "NOT AVAIL";
constexpr uint32_t kQueryLimitMs = 500;
constexpr size_t kNumberChars = 10;  // numbers are read from the first 10 characters

constexpr const char* kBusyWarning =
    "A UHF radio was detected in the receiver, however it is currently receiving data which impedes the ability of "
    "this tool to detect its settings. As a result please note the 'Current Frequency' could not be read.\r\n\r\n"
    "If it is desired to read this information, find the source of the transmission and temporarily disable it, "
    "then re-run this tool.";

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Copies the leading number of the text (sign, digits and, with fraction,
// a decimal point and digits) into number; returns false when there is none.
bool TakeNumber(const char* text, size_t maxChars, bool fraction, char (&number)[400]) {
    size_t i = 0, out = 0;
    while (i < maxChars && text[i] != '\0' && IsSpace(text[i])) ++i;
    if (i < maxChars && (text[i] == '+' || text[i] == '-')) number[out++] = text[i++];
    bool digits = false;
    bool point = false;
    for (; i < maxChars && text[i] != '\0'; ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            digits = true;
        } else if (c == '.' && fraction && !point) {
            point = true;
        } else {
            break;
        }
        // Digits beyond the buffer would change only the last places of a
        // fraction; an integer part that long is out of any range anyway.
        if (out + 1 < sizeof number) number[out++] = c;
    }
    number[out] = '\0';
    return digits;
}

} // namespace

// ---------------------------------------------------------------- numbers

double MAReceiver::ReadDecimal(const char* text, size_t maxChars) {
    char number[400];
    if (!text || !TakeNumber(text, maxChars, true, number)) return 0.0;
    return std::strtod(number, nullptr);
}

long MAReceiver::ReadInteger(const char* text, size_t maxChars) {
    char number[400];
    if (!text || !TakeNumber(text, maxChars, false, number)) return 0;
    return std::strtol(number, nullptr, 10);
}

int64_t MAReceiver::FrequencyHz(double mhz) {
    const double hz = mhz * 1000000.0;
    // Far outside any radio's range; keeps the conversion defined.
    if (!(std::fabs(hz) < 1e15)) return 0;
    return std::llround(hz);
}

bool MAReceiver::OnCenterFrequencyRaster(double mhz) { return FrequencyHz(mhz) % 6250 == 0; }

bool MAReceiver::IsPlainDecimal(const char* text, size_t maxChars) {
    if (!text) return false;
    size_t i = 0;
    while (i < maxChars && text[i] == ' ') ++i;
    size_t digits = 0;
    bool point = false;
    for (; i < maxChars && text[i] != '\0' && text[i] != ' '; ++i) {
        if (text[i] >= '0' && text[i] <= '9') ++digits;
        else if (text[i] == '.' && !point) point = true;
        else return false;
    }
    while (i < maxChars && text[i] == ' ') ++i;
    // Anything left: another character, or more than maxChars.
    return digits > 0 && text[i] == '\0';
}

double MAReceiver::SnapBandLimit(double mhz) {
    const int64_t read = FrequencyHz(mhz);
    if (read % 1000 == 0) return mhz;
    // The value moved is computed from its whole hertz, so that a snapped
    // limit equals the same limit typed in (404.0, not 403.99375 + 0.00625).
    int64_t hz = read;
    for (int step = 0; step < 3; ++step) {
        hz += 6250;
        if (hz % 1000 == 0) return static_cast<double>(hz) / 1000000.0;
    }
    hz = read;
    for (int step = 0; step < 3; ++step) {
        hz -= 6250;
        if (hz % 1000 == 0) return static_cast<double>(hz) / 1000000.0;
    }
    return mhz;
}

// ---------------------------------------------------------------- exchange

bool MAReceiver::SendToRadio(const uint8_t* bytes, int count) {
    char line[kCommandSize];
    if (!FormatSendHex(line, "AUX", bytes, count)) {
        TraceF(Trace(), "SendToRadio - %d bytes do not fit one sendhex line, not sent.", count);
        return false;
    }
    SendCommand(line);
    return true;
}

bool MAReceiver::SendToRadio(const char* text) {
    return SendToRadio(reinterpret_cast<const uint8_t*>(text), static_cast<int>(std::strlen(text)));
}

bool MAReceiver::RadioExchange(const char* text, uint32_t waitMs, const uint8_t** reply, size_t* count) {
    *reply = nullptr;
    *count = 0;
    if (!SendToRadio(text)) return false;
    if (!ReadLog(waitMs) || GetLogMessageId() != logid::PassAux) return false;
    const size_t bodyLength = LogBodyLength();
    // A pass-through log without bytes: an empty reply, which still points
    // somewhere (its readers copy its zero bytes).
    *reply = LogBody();
    if (bodyLength < 4) return true;
    size_t n = ReadLe32(LogBody());
    if (n > bodyLength - 4) n = bodyLength - 4;
    *reply = LogBody() + 4;
    *count = n;
    return true;
}

bool MAReceiver::QueryText(const char* command, char* text, size_t size) {
    if (size > 0) text[0] = '\0';
    m_port.Purge();
    const uint8_t* reply = nullptr;
    size_t n = 0;
    if (!RadioExchange(command, kQueryLimitMs, &reply, &n)) return false;
    if (size == 0) return true;
    if (n > size - 1) n = size - 1;
    std::memcpy(text, reply, n);
    text[n] = '\0';
    return true;
}

bool MAReceiver::QueryNumber(const char* command, double* mhz) {
    *mhz = 0.0;
    m_port.Purge();
    const uint8_t* reply = nullptr;
    size_t n = 0;
    if (!RadioExchange(command, kQueryLimitMs, &reply, &n)) return false;
    *mhz = ReadDecimal(reinterpret_cast<const char*>(reply), n < kNumberChars ? n : kNumberChars);
    return true;
}

// ---------------------------------------------------------------- queries

bool MAReceiver::QueryLowerLimit(int range, double* mhz) {
    *mhz = 0.0;
    if (range != 1 && range != 2) return false;
    if (!QueryNumber(range == 1 ? "SL!D?\r\n" : "SL!W?\r\n", mhz)) return false;
    *mhz = SnapBandLimit(*mhz);
    return true;
}

bool MAReceiver::QueryUpperLimit(int range, double* mhz) {
    *mhz = 0.0;
    if (range != 1 && range != 2) return false;
    if (!QueryNumber(range == 1 ? "SL!U?\r\n" : "SL!Y?\r\n", mhz)) return false;
    *mhz = SnapBandLimit(*mhz);
    return true;
}

bool MAReceiver::QueryCenterFrequency(double* mhz) { return QueryNumber("SL&C?\r\n", mhz); }

bool MAReceiver::QueryCurrentFrequency(double* mhz) { return QueryNumber("SL&F?\r\n", mhz); }

bool MAReceiver::QueryFirmwareVersion(char* text, size_t size) {
    if (!QueryText("SL%V?\r\n", text, size)) return false;
    const size_t length = std::strlen(text);
    if (length > 0 && text[length - 1] == ' ') text[length - 1] = '\0';
    return true;
}

bool MAReceiver::QueryTxPower(char* text, size_t size) { return QueryText("SL@P?\r\n", text, size); }

bool MAReceiver::QueryModuleName(char* text, size_t size) { return QueryText("SL!V?\r\n", text, size); }

bool MAReceiver::QueryDeviceText(char* text, size_t size) { return QueryText("SL%D?\r\n", text, size); }

bool MAReceiver::QueryProtocolMode(int* mode) {
    *mode = 0;
    char reply[256];
    if (!QueryText("SL@S?\r\n", reply, sizeof reply)) return false;
    // A radio without the protocol modes answers "ERROR", with its line end
    // or (in some firmware) without.
    const bool error = std::strcmp(reply, "ERROR") == 0 || std::strcmp(reply, "ERROR\r\n") == 0 ||
                       std::strcmp(reply, "ERROR\r") == 0 || std::strcmp(reply, "ERROR\n") == 0;
    *mode = error ? kUhfModeNotSupported : static_cast<int>(ReadInteger(reply));
    return true;
}

// ---------------------------------------------------------------- retrieval

bool MAReceiver::DetectUhfRadio(IStatusSink* status) {
    IStatusSink& out = status ? *status : *m_status;
    const bool extended = m_profile.readsUhfModeAndSpacing;
    UhfBlock& uhf = m_peripheral.uhf;
    std::memset(&uhf, 0, sizeof uhf);
    m_peripheral.kind = kPeripheralNone;

    SendCommand("appcontrol USERGPIO 1 1\r\n");
    SendCommand("appcontrol USERGPIO 2 1\r\n");
    SendCommand("com aux 9600\r\n");
    SendCommand(kRtsLow);
    m_port.Purge();

    const uint8_t* reply = nullptr;
    size_t n = 0;
    if (!RadioExchange("SL%V?\r\n", 1000, &reply, &n)) {
        SendCommand(kRtsHigh);
        return false;
    }
    char version[512];
    if (n > sizeof version - 1) n = sizeof version - 1;
    std::memcpy(version, reply, n);
    version[n] = '\0';
    size_t length = std::strlen(version);
    if (length > 0 && version[length - 1] == ' ') version[--length] = '\0';
    if (length > 2 && length % 2 == 0 && std::memcmp(version, version + length / 2, length / 2) == 0)
        version[length / 2] = '\0';  // the answer came twice
    if (std::strstr(version, "SL%V?")) {  // the device only echoed the command
        SendCommand(kRtsHigh);
        return false;
    }

    out.SetStatusText("Retrieving UHF settings...");
    CopyCut(uhf.firmwareVersion, version);
    uhf.errorCorrection = ReadFecSetting() ? 1 : 0;
    int mode = 0;
    if (extended) {
        uhf.channelSpacing = ReadChannelSpacing();
        QueryProtocolMode(&mode);
        uhf.protocolMode = mode;
    }
    QueryCenterFrequency(&uhf.centerFrequency);
    QueryCurrentFrequency(&uhf.currentFrequency);

    // A radio busy receiving leaves its frequency questions unanswered.
    const bool busy = uhf.centerFrequency == 0.0 || uhf.currentFrequency == 0.0;
    if (busy) {
        InterruptUhfRadio();
        QueryFirmwareVersion(uhf.firmwareVersion, sizeof uhf.firmwareVersion);
        if (extended) {
            QueryProtocolMode(&mode);
            uhf.protocolMode = mode;
        }
        QueryCenterFrequency(&uhf.centerFrequency);
    }
    if (uhf.centerFrequency == 0.0 && uhf.currentFrequency == 0.0) {
        SendCommand(kRtsHigh);
        return false;
    }

    QueryTxPower(uhf.txPower, sizeof uhf.txPower);
    if (!QueryModuleName(uhf.moduleName, sizeof uhf.moduleName)) CopyCut(uhf.moduleName, kNotAvailable);
    if (extended && !QueryDeviceText(uhf.deviceText, sizeof uhf.deviceText)) CopyCut(uhf.deviceText, kNotAvailable);
    QueryLowerLimit(1, &uhf.range1Lower);
    QueryUpperLimit(1, &uhf.range1Upper);
    QueryLowerLimit(2, &uhf.range2Lower);
    QueryUpperLimit(2, &uhf.range2Upper);
    m_port.Purge();
    RadioExchange("SL@R?\r\n", 1000, &reply, &n);  // asked, the answer is not used

    if (LinkLost()) return false;  // half read: not a radio to show
    if (busy) {
        SendCommand("comvout aux off\r\n");
        Pause(1000);
        SendCommand("comvout aux on\r\n");
        Tell(kBusyWarning, MessageIcon::Exclamation);
    }
    m_peripheral.kind = kPeripheralUhf;
    SendCommand(kRtsHigh);
    return true;
}

// ---------------------------------------------------------------- settings

bool MAReceiver::SetCurrentFrequency(double mhz) {
    SendCommand(kRtsLow);
    m_port.Purge();
    SendCommand("log passauxb onnew\r\n");
    char command[kCommandSize];
    std::snprintf(command, sizeof command, "SL&F=%f\r\n", mhz);
    const uint8_t* reply = nullptr;
    size_t n = 0;
    bool accepted = false;
    if (RadioExchange(command, kQueryLimitMs, &reply, &n)) {
        char head[kNumberChars + 1];
        if (n > kNumberChars) n = kNumberChars;
        std::memcpy(head, reply, n);
        head[n] = '\0';
        accepted = std::strstr(head, "ERR") == nullptr;
    }
    SendCommand("unlog passauxb\r\n");
    SendCommand(kRtsHigh);
    return accepted;
}

bool MAReceiver::SetTxPower(const char* milliwatts) {
    char command[kCommandSize];
    const int length = std::snprintf(command, sizeof command, "SL@P=%s\r\n", milliwatts ? milliwatts : "");
    char line[kCommandSize];
    if (length < 0 || static_cast<size_t>(length) >= sizeof command ||
        !FormatSendHex(line, "AUX", reinterpret_cast<const uint8_t*>(command), length)) {
        TraceF(Trace(), "SetTxPower - power text too long for one sendhex line, not sent.");
        return false;
    }
    SendCommand(kRtsLow);
    m_port.Purge();
    SendCommand(line);
    SendCommand(kRtsHigh);
    return true;
}

bool MAReceiver::SetProtocolMode(int mode) {
    char command[32];
    std::snprintf(command, sizeof command, "SL@S=%d\r\n", mode);
    SendCommand(kRtsLow);
    m_port.Purge();
    SendToRadio(command);
    SendCommand(kRtsHigh);
    return true;
}

bool MAReceiver::ReadBackUhfSettings(UhfBlock* uhf) {
    SendCommand(kRtsLow);
    m_port.Purge();
    SendCommand("log passauxb onnew\r\n");
    char power[UhfBlock::kTextSize] = {};
    double frequency = 0.0;
    int mode = uhf->protocolMode;
    bool ok = QueryTxPower(power, sizeof power) && QueryCurrentFrequency(&frequency) && frequency != 0.0;
    if (ok && m_profile.readsUhfModeAndSpacing && uhf->protocolMode != kUhfModeNotSupported)
        ok = QueryProtocolMode(&mode);
    const bool fec = ok && ReadFecSetting();
    SendCommand("unlog passauxb\r\n");
    SendCommand(kRtsHigh);
    if (!ok || LinkLost()) return false;
    CopyCut(uhf->txPower, power);
    uhf->currentFrequency = frequency;
    uhf->errorCorrection = fec ? 1 : 0;
    uhf->protocolMode = mode;
    return true;
}

bool MAReceiver::StoreRadioSettings() {
    m_port.Purge();
    SendToRadio("SL**>\r\n");
    return true;
}

} // namespace qvr
