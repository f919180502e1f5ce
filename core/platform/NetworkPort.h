#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/SerialDevice.h"

namespace qvr {

// Serial ports that a serial server offers on the network, named
//   tcp://HOST:PORT      raw TCP: the bytes of the line, nothing else. The
//                        server's port runs at the rate it was set to; a
//                        rate change cannot travel.
//   rfc2217://HOST:PORT  Telnet with the COM-PORT-OPTION: rates, line
//                        settings and purges reach the server's port.
// HOST is a name, an IPv4 address or an IPv6 address in brackets.
enum class NetworkPortKind { None, RawTcp, Rfc2217 };

struct NetworkPortAddress {
    NetworkPortKind kind = NetworkPortKind::None;
    char host[256] = {};
    char service[8] = {};  // the TCP port number, as text
};

// The kind of the name (None: not a network name).
NetworkPortKind NetworkPortKindOf(const char* name);
inline bool IsNetworkPortName(const char* name) { return NetworkPortKindOf(name) != NetworkPortKind::None; }
inline bool IsRawNetworkPortName(const char* name) { return NetworkPortKindOf(name) == NetworkPortKind::RawTcp; }
// Splits a network name; false when it is none or is malformed (no host, a
// port outside 1..65535).
bool ParseNetworkPortName(const char* name, NetworkPortAddress* out);

// How long opening a network port waits for the server: the TCP connection,
// and for rfc2217:// the server's agreement to the COM-PORT-OPTION.
constexpr uint32_t kNetworkConnectTimeoutMs = 4000;
// How long an rfc2217:// rate change waits for the server's confirmation.
constexpr uint32_t kRfc2217ReplyTimeoutMs = 2000;

// The serial device for network names; its Open takes only those. On
// systems without one, Open fails (ENOTSUP, ERROR_NOT_SUPPORTED).
std::unique_ptr<ISerialDevice> CreateNetworkSerialDevice();

// The device of this system for local ports (SerialDevice_<os>.cpp).
std::unique_ptr<ISerialDevice> CreateLocalSerialDevice();

// --- Telnet with the COM-PORT-OPTION, as bytes (no sockets here)
namespace telnet {

constexpr uint8_t kIac = 255, kDont = 254, kDo = 253, kWont = 252, kWill = 251, kSb = 250, kSe = 240;
constexpr uint8_t kBinary = 0, kSuppressGoAhead = 3, kComPortOption = 44;
// Client commands of the COM-PORT-OPTION; the server answers with the same
// command plus 100.
constexpr uint8_t kSetBaudRate = 1, kSetDataSize = 2, kSetParity = 3, kSetStopSize = 4, kSetControl = 5,
                  kNotifyLineState = 6, kNotifyModemState = 7, kFlowSuspend = 8, kFlowResume = 9,
                  kSetLineStateMask = 10, kSetModemStateMask = 11, kPurgeData = 12;
constexpr uint8_t kServerOffset = 100;

// Copies data with every IAC doubled; out holds at least 2 * count bytes.
// Returns the bytes written.
size_t EscapeData(const uint8_t* data, size_t count, uint8_t* out);

// IAC SB COM-PORT-OPTION command value... IAC SE, the value escaped; out
// holds at least 6 + 2 * count bytes. Returns the bytes written.
size_t ComPortCommand(uint8_t command, const uint8_t* value, size_t count, uint8_t* out);

// What the decoder finds besides data.
class IEvents {
public:
    virtual ~IEvents() = default;
    // WILL, WONT, DO or DONT with its option.
    virtual void OnNegotiation(uint8_t verb, uint8_t option) = 0;
    // A complete subnegotiation: its option, then its bytes (unescaped).
    virtual void OnSubnegotiation(uint8_t option, const uint8_t* bytes, size_t count) = 0;
};

// Splits what a Telnet server sends into data and commands; a sequence may
// be split anywhere between two calls.
class Decoder {
public:
    static constexpr size_t kMaxSubnegotiation = 64;  // longer ones are cut

    // Decodes count bytes; the data among them go to data (which holds at
    // least count bytes). Returns the data bytes written.
    size_t Feed(const uint8_t* in, size_t count, uint8_t* data, IEvents& events);
    void Reset() { *this = Decoder(); }

private:
    enum class State { Data, Iac, Verb, Sb, SbIac };
    State m_state = State::Data;
    uint8_t m_verb = 0;
    uint8_t m_sb[kMaxSubnegotiation] = {};
    size_t m_sbCount = 0;
};

} // namespace telnet

} // namespace qvr
