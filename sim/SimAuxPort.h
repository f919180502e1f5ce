#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "SimReceiver.h"

namespace qvr::sim {

// The state of the receiver's AUX port as a radio behind it sees it.
struct AuxLines {
    bool power = true;     // "comvout aux on|off"
    bool gpio1 = false;    // "appcontrol USERGPIO 1 0|1"
    bool gpio2 = false;    // "appcontrol USERGPIO 2 0|1"
    bool rtsHigh = false;  // "comcontrol aux rts forcehigh|forcelow"
    int rate = 9600;       // "com aux N"
};

class SimAuxPort;

// A device wired to the AUX port (a radio). It gets each byte the receiver
// puts on the AUX line, with the rate it was sent at and the moment it has
// arrived, and answers through SimAuxPort::DeviceSend.
class IAuxDevice {
public:
    virtual ~IAuxDevice() = default;
    virtual void Attach(SimAuxPort& port) { m_port = &port; }
    virtual void Receive(uint8_t value, int baud, SimTime at) = 0;
    virtual void LinesChanged(const AuxLines& /*lines*/, SimTime /*at*/) {}

protected:
    SimAuxPort* m_port = nullptr;
};

// The receiver's AUX port: power, the two user lines, RTS and rate;
// "sendhex AUX n hex" to the device; the pass-through log (message 690)
// with what the device sends; and the transparent bridge between the host's
// port and the AUX port after the two "INTERFACEMODE ... TAUX/TCOM" commands.
class SimAuxPort {
public:
    static constexpr size_t kMaxPortion = 200;  // bytes per pass-through frame
    static constexpr SimTime kPortionGap = Ms(10);  // idle time that ends a portion

    explicit SimAuxPort(SimReceiver& receiver);
    void AttachDevice(IAuxDevice* device);

    // The device sends bytes at its rate, starting no earlier than `earliest`.
    void DeviceSend(const std::vector<uint8_t>& bytes, int baud, SimTime earliest);

    const AuxLines& Lines() const { return m_lines; }
    bool PassThroughOn() const { return m_passThrough; }
    // The AUX port's interface mode as "interfacemode" set it (lower case,
    // "" before); with input mode "none" the receiver drops what arrives.
    std::string AuxInterfaceMode() const;
    bool BridgeOpen() const { return m_bridge; }
    SimReceiver& Receiver() { return m_receiver; }
    // Everything that reached the device through "sendhex", in order.
    const std::vector<uint8_t>& SentHex() const { return m_sentHex; }

private:
    void Deliver(uint8_t value, int baud, SimTime at);
    void DeviceBytesArrived(std::vector<uint8_t> bytes, SimTime at);
    void FlushPortion(SimTime at);
    void LinesChanged();
    void CheckBridge();

    SimReceiver& m_receiver;
    IAuxDevice* m_device = nullptr;
    AuxLines m_lines;
    bool m_passThrough = false;
    bool m_bridge = false;
    std::vector<uint8_t> m_portion;
    uint64_t m_flushGeneration = 0;
    SimTime m_deviceTxFree = 0;  // device -> receiver line
    SimTime m_auxTxFree = 0;     // receiver -> device line
    std::vector<uint8_t> m_sentHex;
};

// Sends back every byte it gets, after a delay, at the rate it got it.
class EchoDevice : public IAuxDevice {
public:
    explicit EchoDevice(SimTime delay = Ms(5)) : m_delay(delay) {}
    void Receive(uint8_t value, int baud, SimTime at) override;

private:
    SimTime m_delay;
};

// Answers lines (ended by "\n") from a table; each answer may come in
// several portions with pauses between them. Understands only its own rate.
class ScriptedAuxDevice : public IAuxDevice {
public:
    struct Answer {
        std::vector<std::string> portions;
        SimTime delay = Ms(50);  // before the first portion
        SimTime gap = Ms(100);   // between portions
    };
    explicit ScriptedAuxDevice(int baud = 9600) : m_baud(baud) {}
    void On(const std::string& line, Answer answer) { m_script.push_back({line, std::move(answer)}); }
    void Receive(uint8_t value, int baud, SimTime at) override;
    const std::vector<std::string>& LinesReceived() const { return m_lines; }

private:
    int m_baud;
    std::string m_line;
    std::vector<std::string> m_lines;
    std::vector<std::pair<std::string, Answer>> m_script;
};

} // namespace qvr::sim
