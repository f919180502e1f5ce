// The UHF radio's keystroke menu (menu mode: user output 2 low): error
// correction, channel spacing, the centre frequency typed into its service
// menu over the AUX bridge, and the entry to its flash loader.
#include <cstdio>
#include <cstring>

#include "MAReceiver.h"
#include "Text.h"

namespace qvr {

namespace {

constexpr const char* kCommandMode = "appcontrol USERGPIO 2 1\r\n";
constexpr const char* kMenuMode = "appcontrol USERGPIO 2 0\r\n";
constexpr uint8_t kEscape = 0x1B;
constexpr const char* kEscapeKey = "\x1b";
// A radio that keeps talking (menu pages repeated, noise on the AUX line)
// must not keep the menu reads or the wait for the loader's greeting going
// for ever: both end this long after they began, whatever still arrives.
constexpr uint32_t kMenuReadLimitMs = 10000;
constexpr uint32_t kLoaderGreetingLimitMs = 15000;

// The first place at or after from where the pattern occurs in the first
// length bytes of text, or -1. Bytes, not text: a NUL does not end it.
long FindBytes(const char* text, size_t length, size_t from, const char* pattern) {
    const size_t n = std::strlen(pattern);
    for (size_t i = from; i + n <= length; ++i)
        if (std::memcmp(text + i, pattern, n) == 0) return static_cast<long>(i);
    return -1;
}

} // namespace

size_t MAReceiver::CollectMenuText(char (&text)[kUhfMenuTextSize + 1], uint32_t limitMs) {
    std::memset(text, 0, sizeof text);
    size_t length = 0;
    const uint32_t start = Clock().GetTickCount();
    while (Clock().GetTickCount() - start < kMenuReadLimitMs && ReadLog(limitMs)) {
        if (GetLogMessageId() != logid::PassAux || LogBodyLength() < 4) continue;
        size_t n = ReadLe32(LogBody());
        if (n > LogBodyLength() - 4) n = LogBodyLength() - 4;
        if (n > kUhfMenuTextSize - length) n = kUhfMenuTextSize - length;
        std::memcpy(text + length, LogBody() + 4, n);
        length += n;
    }
    return length;
}

bool MAReceiver::ReadFecSetting() {
    SendCommand(kMenuMode);
    m_port.Purge();
    SendToRadio("7\r\n");
    char text[kUhfMenuTextSize + 1];
    std::memset(text, 0, sizeof text);
    Pause(1000);
    const size_t length = CollectMenuText(text, m_profile.fecMenuLogWaitMs);

    static constexpr const char* kMarker = "1) Error correction  ";
    const size_t markerLength = std::strlen(kMarker);
    bool on = false;
    size_t from = 0;
    for (long at; (at = FindBytes(text, length, from, kMarker)) >= 0;) {
        const size_t end = static_cast<size_t>(at) + markerLength;
        if (end + 2 <= length && text[end] == 'O' && text[end + 1] == 'N') {
            on = true;
            break;
        }
        from = end + 1;
    }
    SendCommand(kCommandMode);
    m_port.Purge();
    return on;
}

int MAReceiver::ReadChannelSpacing() {
    SendCommand(kMenuMode);
    m_port.Purge();
    SendToRadio(&kEscape, 1);
    char text[kUhfMenuTextSize + 1];
    std::memset(text, 0, sizeof text);
    Pause(1000);
    const size_t length = CollectMenuText(text, 0);
    const long at = FindBytes(text, length, 0, "spacing ");
    int hertz = -1;
    if (at >= 0) {
        const size_t value = static_cast<size_t>(at) + 8;
        const size_t available = length - value < 4 ? length - value : 4;
        // Kilohertz, in single precision as the radio page keeps it.
        const float kilohertz = static_cast<float>(ReadDecimal(text + value, available));
        hertz = static_cast<int>(kilohertz * 1000.0f);
    }
    SendCommand(kCommandMode);
    m_port.Purge();
    return hertz;
}

bool MAReceiver::ToggleFec() {
    SendCommand(kMenuMode);
    m_port.Purge();
    SendToRadio("7\r\n");
    Pause(500);
    m_port.Purge();
    SendToRadio("1\r\n");
    Pause(500);
    m_port.Purge();
    SendToRadio(&kEscape, 1);
    Pause(1000);
    // "e" leaves the menu and keeps the change; sent twice.
    char exitLine[kCommandSize];
    FormatSendHex(exitLine, "AUX", reinterpret_cast<const uint8_t*>("e"), 1);
    SendCommand(exitLine);
    SendCommand(exitLine);
    Pause(1000);
    m_port.Purge();
    SendCommand(kCommandMode);
    Pause(1000);
    SendCommand("comvout aux off\r\n");
    Pause(1000);
    SendCommand("comvout aux on\r\n");
    Pause(2000);
    return true;
}

bool MAReceiver::SetCenterFrequency(const char* text, char* message, size_t messageSize) {
    if (!text) text = "";
    auto say = [&](const char* reason) {
        if (message && messageSize > 0) CopyCut(message, messageSize, reason);
    };
    if (m_peripheral.kind != kPeripheralUhf) {
        say("Receiver does not contain an Internal UHF radio!");
        return false;
    }
    say("No Error");
    // The text is typed into the radio's menu: a line end in it would
    // press keys of its own.
    if (!IsPlainDecimal(text, kCommandSize - 3)) {
        say("Frequency does not appear to be a valid number?");
        return false;
    }
    const double mhz = ReadDecimal(text);
    // Whole hertz are the nearest, not the truncated product: 512.1125 x
    // 1000000 is 512112499.99... in binary and would fail the rule below.
    if (!OnCenterFrequencyRaster(mhz)) {
        say("New center frequency must be a multiple of 6250 hertz!");
        return false;
    }
    const UhfBlock& uhf = m_peripheral.uhf;
    const double limits[4] = {uhf.range1Lower, uhf.range1Upper, uhf.range2Lower, uhf.range2Upper};
    for (double limit : limits) {
        if (limit == 0.0) {
            say("One or more of upper/lower frequency limits was read as 0. Please re-connect the configuration "
                "tool and ensure no radios are broadcasting in the vicinity of this receiver!");
            return false;
        }
    }
    const bool inRange1 = limits[0] <= mhz && mhz <= limits[1];
    const bool inRange2 = limits[2] <= mhz && mhz <= limits[3];
    if (!inRange1 && !inRange2) {
        say("Specified center frequency is outside defined ranges!");
        return false;
    }

    // From here on the PC port talks straight to the radio's menu.
    SendCommand(kMenuMode);
    OpenAuxBridge(9600);
    m_port.Purge();
    auto key = [this](const char* keys) {
        SendCommand(keys);
        Pause(1000);
        m_port.Purge();
    };
    char line[kCommandSize];
    std::snprintf(line, sizeof line, "%s\r\n", text);
    key("*!");
    key("1");
    key("1");
    key(line);
    key(kEscapeKey);
    static constexpr const char* kLimitKeys[4] = {"4", "5", "6", "7"};
    for (int i = 0; i < 4; ++i) {
        SendCommand(kLimitKeys[i]);
        std::snprintf(line, sizeof line, "%f\r\n", limits[i]);
        SendCommand(line);
        Pause(1000);
        m_port.Purge();
    }
    key(kEscapeKey);
    key("e");
    return true;
}

bool MAReceiver::EnterFlashLoader() {
    if (m_peripheral.kind == kPeripheralUhf) {
        SendCommand("comvout aux on\r\n");
        SendCommand("log passauxb onnew\r\n");
        SendCommand("appcontrol USERGPIO 1 1\r\n");
        SendCommand("appcontrol USERGPIO 2 1\r\n");
        SendCommand("interfacemode aux none none off\r\n");
        SendCommand(kMenuMode);
        Pause(2000);
        SendCommand("interfacemode aux vestral vestral off\r\n");
    }
    m_port.Purge();
    SendToRadio("SLFLOEM\r\n");
    // Whatever else the radio says, the loader greets with "H8OEM".
    const uint32_t start = Clock().GetTickCount();
    while (Clock().GetTickCount() - start < kLoaderGreetingLimitMs && ReadLog(4000)) {
        if (GetLogMessageId() != logid::PassAux || LogBodyLength() < 4) continue;
        size_t n = ReadLe32(LogBody());
        if (n > LogBodyLength() - 4) n = LogBodyLength() - 4;
        if (n > 511) n = 511;
        if (FindBytes(reinterpret_cast<const char*>(LogBody() + 4), n, 0, "H8OEM") >= 0) {
            m_port.Purge();
            return OpenAuxBridge(38400);
        }
    }
    TraceF(Trace(), "EnterFlashLoader - no answer from the radio's flash loader.");
    return false;
}

} // namespace qvr
