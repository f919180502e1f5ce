// The AUX pass-through channel: bytes for the radio on the receiver's AUX
// port travel inside "sendhex"; its answers come back in the pass-through
// log (690). For upgrades the receiver can bridge the PC port to the AUX port.
#include <cstdio>
#include <cstring>

#include "MAReceiver.h"

namespace qvr {

bool MAReceiver::FormatSendHex(char (&destination)[kCommandSize], const char* port, const uint8_t* data, int count) {
    // "sendhex " PORT " " COUNT " " HEX "\r\n": 19 + 2 x count characters for
    // "AUX" and a three-digit count, so at most 246 data bytes fit one line.
    destination[0] = '\0';
    if (count < 0) return false;
    const int head = std::snprintf(destination, sizeof destination, "sendhex %s %d ", port, count);
    if (head < 0 || static_cast<size_t>(head) + 2u * static_cast<size_t>(count) + 3 > sizeof destination) {
        destination[0] = '\0';
        return false;
    }
    static constexpr char kHex[] = "0123456789abcdef";
    char* out = destination + head;
    for (int i = 0; i < count; ++i) {
        *out++ = kHex[data[i] >> 4];
        *out++ = kHex[data[i] & 0x0F];
    }
    std::memcpy(out, "\r\n", 3);
    return true;
}

void MAReceiver::AuxExchange(char* request, size_t requestSize, char* reply, size_t replySize) {
    if (!request || request[0] == '\0' || !reply || replySize == 0) return;
    // Refused before anything is sent: a request whose buffer has no room
    // for the line end, or whose line would not fit one "sendhex" command
    // (244 characters of request text and its "\r\n"). The reply stays empty.
    const size_t length = std::strlen(request);
    char line[kCommandSize];
    if (length + 3 > requestSize) {
        reply[0] = '\0';
        TraceF(Trace(), "AuxExchange - no room for the line end after the request, not sent.");
        return;
    }
    std::memcpy(request + length, "\r\n", 3);
    if (!FormatSendHex(line, "AUX", reinterpret_cast<const uint8_t*>(request), static_cast<int>(length + 2))) {
        request[length] = '\0';
        reply[0] = '\0';
        TraceF(Trace(), "AuxExchange - request too long for one sendhex line, not sent.");
        return;
    }

    SendCommand("log passauxb onnew\r\n");
    SendCommand("appcontrol USERGPIO 1 1\r\n");
    SendCommand("com aux 9600\r\n");
    m_port.Purge();
    Pause(3000);
    SendCommand(line);

    std::memset(reply, 0, replySize);
    Pause(4000);
    size_t collected = 0;
    // What is waiting is taken; a device that keeps talking does not keep
    // the collection going for more than 10 s.
    const uint32_t start = Clock().GetTickCount();
    while (Clock().GetTickCount() - start < 10000 && ReadLog(0)) {
        if (GetLogMessageId() != logid::PassAux) continue;  // not ours: read on
        const uint8_t* body = LogBody();
        size_t n = ReadLe32(body);
        if (n + 4 > LogBodyLength()) n = LogBodyLength() >= 4 ? LogBodyLength() - 4 : 0;
        const uint8_t* data = body + 4;
        const bool last = collected + n >= replySize;
        const size_t take = last ? replySize - collected - 1 : n;
        // A NUL in the data ends the copy of this portion.
        for (size_t i = 0; i < take && data[i] != 0; ++i) reply[collected + i] = static_cast<char>(data[i]);
        if (last) break;
        collected += n;
    }
    SendCommand("appcontrol USERGPIO 1 0\r\n");
    SendCommand("com aux 115200\r\n");
    SendCommand("unlog passauxb\r\n");
}

bool MAReceiver::InterruptUhfRadio() {
    SendCommand("unlog passauxb\r\n");
    static constexpr char kInterrupt[] = "SL&+=29\r\n";
    char line[kCommandSize];
    FormatSendHex(line, "AUX", reinterpret_cast<const uint8_t*>(kInterrupt), 9);
    const int length = static_cast<int>(std::strlen(line));
    for (int i = 0; i < 5; ++i) m_port.Write(reinterpret_cast<const uint8_t*>(line), length);
    m_port.Purge();
    SendCommand("log passauxb onnew\r\n");
    return true;
}

bool MAReceiver::OpenAuxBridge(int rate) {
    if (m_peripheral.kind == kPeripheralNone) return false;
    char command[64];
    SendCommand("comvout aux on\r\n");
    if (m_peripheral.kind == kPeripheralUhf) {
        SendCommand("appcontrol USERGPIO 1 1\r\n");
        SendCommand("appcontrol USERGPIO 2 0\r\n");
    } else {
        SendCommand("appcontrol USERGPIO 1 0\r\n");
    }
    std::snprintf(command, sizeof command, "com AUX %d\r\n", rate);
    SendCommand(command);
    std::snprintf(command, sizeof command, "com COM%d %d\r\n", m_receiverPort, rate);
    SendCommand(command);
    m_port.Close();
    m_port.Open(m_pcPortName, rate);
    std::snprintf(command, sizeof command, "INTERFACEMODE AUX TCOM%d NONE OFF\r\n", m_receiverPort);
    SendCommand(command);
    std::snprintf(command, sizeof command, "INTERFACEMODE COM%d TAUX NONE OFF\r\n", m_receiverPort);
    SendCommand(command);
    return true;
}

} // namespace qvr
