#include "SimAuxPort.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "LogFrame.h"

namespace qvr::sim {

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

} // namespace

SimAuxPort::SimAuxPort(SimReceiver& receiver) : m_receiver(receiver) {
    using Tokens = SimReceiver::Tokens;
    receiver.OnCommand("comvout", [this](const Tokens& t, Reply&) {
        if (t.size() != 3 || Lower(t[1]) != "aux") return false;
        const std::string v = Lower(t[2]);
        if (v != "on" && v != "off") return false;
        m_lines.power = v == "on";
        LinesChanged();
        return true;
    });
    receiver.OnSubCommand("appcontrol", "usergpio", [this](const Tokens& t, Reply&) {
        if (t.size() != 4 || (t[2] != "1" && t[2] != "2") || (t[3] != "0" && t[3] != "1")) return false;
        (t[2] == "1" ? m_lines.gpio1 : m_lines.gpio2) = t[3] == "1";
        LinesChanged();
        return true;
    });
    receiver.OnCommand("comcontrol", [this](const Tokens& t, Reply&) {
        if (t.size() != 4 || Lower(t[1]) != "aux" || Lower(t[2]) != "rts") return false;
        const std::string v = Lower(t[3]);
        if (v != "forcehigh" && v != "forcelow") return false;
        m_lines.rtsHigh = v == "forcehigh";
        LinesChanged();
        return true;
    });
    receiver.OnCommand("sendhex", [this](const Tokens& t, Reply&) {
        if (t.size() != 4 || Lower(t[1]) != "aux") return false;
        const long count = std::strtol(t[2].c_str(), nullptr, 10);
        const std::string& hex = t[3];
        if (count <= 0 || hex.size() != static_cast<size_t>(count) * 2) return false;
        std::vector<uint8_t> bytes;
        for (size_t i = 0; i < hex.size(); i += 2) {
            const int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
            if (hi < 0 || lo < 0) return false;
            bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
        }
        const int rate = m_receiver.PortRate("aux");
        SimTime at = std::max(m_receiver.Now(), m_auxTxFree);
        if (m_lines.power) m_receiver.Record(at, Transcript::Kind::AuxSent, rate, bytes);
        for (uint8_t b : bytes) {
            at += ByteTime(rate);
            m_sentHex.push_back(b);
            Deliver(b, rate, at);
        }
        m_auxTxFree = at;
        return true;
    });
    receiver.OnLog("passauxb", [this](const std::string&, Reply&) {
        m_passThrough = true;
        return true;
    });
    receiver.OnUnlog("passauxb", [this] { m_passThrough = false; });
    receiver.OnUnlogAll([this] { m_passThrough = false; });
    receiver.OnAnyCommand([this](const Tokens& t) {
        if (!t.empty() && Lower(t[0]) == "com" && t.size() >= 3 && Lower(t[1]) == "aux") LinesChanged();
        if (!t.empty() && Lower(t[0]) == "interfacemode") CheckBridge();
    });
}

void SimAuxPort::AttachDevice(IAuxDevice* device) {
    m_device = device;
    if (device) device->Attach(*this);
}

void SimAuxPort::LinesChanged() {
    m_lines.rate = m_receiver.PortRate("aux");
    if (m_device) m_device->LinesChanged(m_lines, m_receiver.Now());
}

void SimAuxPort::Deliver(uint8_t value, int baud, SimTime at) {
    if (m_device && m_lines.power) m_device->Receive(value, baud, at);
}

void SimAuxPort::DeviceSend(const std::vector<uint8_t>& bytes, int baud, SimTime earliest) {
    if (bytes.empty() || !m_lines.power) return;
    // The AUX port's UART understands only its own rate.
    const int portRate = m_receiver.PortRate("aux");
    SimTime t = std::max(earliest, m_deviceTxFree);
    m_receiver.Record(t, Transcript::Kind::DeviceSent, baud, bytes);
    const SimTime firstArrival = t + ByteTime(baud);
    t += ByteTime(baud) * bytes.size();
    m_deviceTxFree = t;
    std::vector<uint8_t> received = bytes;
    if (baud != portRate)
        for (uint8_t& b : received) b = Garble(b);
    // The receiver handles the bytes as they arrive; in the bridge it starts
    // passing them on with the first one.
    if (m_bridge) {
        m_receiver.ScheduleAt(firstArrival, [this, received](SimTime at) { m_receiver.SendToHost(received, at); });
        return;
    }
    m_receiver.ScheduleAt(t, [this, received = std::move(received)](SimTime at) { DeviceBytesArrived(received, at); });
}

std::string SimAuxPort::AuxInterfaceMode() const {
    for (const auto& [port, mode] : m_receiver.InterfaceModes())
        if (Lower(port) == "aux") return Lower(mode);
    return "";
}

void SimAuxPort::DeviceBytesArrived(std::vector<uint8_t> bytes, SimTime at) {
    if (!m_passThrough) return;  // nobody listens: the bytes are dropped
    // An AUX port whose input mode is "none" takes nothing in: not even the
    // pass-through log sees it.
    if (AuxInterfaceMode().rfind("none", 0) == 0) return;
    for (uint8_t b : bytes) {
        m_portion.push_back(b);
        if (m_portion.size() >= kMaxPortion) FlushPortion(at);
    }
    // A portion ends when the line has been quiet for a moment.
    const uint64_t generation = ++m_flushGeneration;
    m_receiver.ScheduleAt(at + kPortionGap, [this, generation](SimTime now) {
        if (generation == m_flushGeneration) FlushPortion(now);
    });
}

void SimAuxPort::FlushPortion(SimTime at) {
    if (m_portion.empty() || !m_passThrough) {
        m_portion.clear();
        return;
    }
    std::vector<uint8_t> body(4 + m_portion.size());
    WriteLe32(body.data(), static_cast<uint32_t>(m_portion.size()));
    std::copy(m_portion.begin(), m_portion.end(), body.begin() + 4);
    m_portion.clear();
    m_receiver.SendLogToHost(logid::PassAux, body, at);
}

void SimAuxPort::CheckBridge() {
    if (m_bridge) return;
    const std::string own = Lower(m_receiver.Port());
    std::string auxMode, ownMode;
    for (const auto& [port, mode] : m_receiver.InterfaceModes()) {
        if (Lower(port) == "aux") auxMode = Lower(mode);
        if (Lower(port) == own) ownMode = Lower(mode);
    }
    const std::string toOwn = "t" + own;  // "tcom1"
    if (auxMode.rfind(toOwn + " ", 0) != 0 || ownMode.rfind("taux ", 0) != 0) return;
    m_bridge = true;
    m_passThrough = false;
    // From now on the host's bytes go straight to the AUX line.
    m_receiver.SetHostByteSink([this](const WireByte& byte) {
        const uint8_t value = byte.baud == m_receiver.Baud() ? byte.value : Garble(byte.value);
        const int rate = m_receiver.PortRate("aux");
        const SimTime at = std::max(byte.at, m_auxTxFree) + ByteTime(rate);
        m_auxTxFree = at;
        Deliver(value, rate, at);
    });
}

// ---------------------------------------------------------------- devices

void EchoDevice::Receive(uint8_t value, int baud, SimTime at) { m_port->DeviceSend({value}, baud, at + m_delay); }

void ScriptedAuxDevice::Receive(uint8_t value, int baud, SimTime at) {
    if (baud != m_baud) value = Garble(value);
    if (value != '\n') {
        if (value != '\r') m_line.push_back(static_cast<char>(value));
        return;
    }
    const std::string line = m_line;
    m_line.clear();
    m_lines.push_back(line);
    for (const auto& [key, answer] : m_script) {
        if (key != line) continue;
        SimTime t = at + answer.delay;
        for (const std::string& portion : answer.portions) {
            m_port->DeviceSend(std::vector<uint8_t>(portion.begin(), portion.end()), m_baud, t);
            t += ByteTime(m_baud) * portion.size() + answer.gap;
        }
        return;
    }
}

} // namespace qvr::sim
