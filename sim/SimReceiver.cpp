#include "SimReceiver.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "LogFrame.h"

namespace qvr::sim {

namespace {

constexpr size_t kMaxLine = 1024;

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::vector<uint8_t> ToBytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

bool IsSupportedRate(long rate) {
    static constexpr long kRates[] = {300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};
    return std::find(std::begin(kRates), std::end(kRates), rate) != std::end(kRates);
}

} // namespace

// ---------------------------------------------------------------- Reply

void Reply::Text(const std::string& text) { Bytes(ToBytes(text)); }
void Reply::Bytes(const std::vector<uint8_t>& bytes) { m_pieces.push_back({Piece::Kind::Data, bytes, 0, 0, {}}); }
void Reply::Frame(uint16_t messageId, const std::vector<uint8_t>& body) {
    m_pieces.push_back({Piece::Kind::Frame, body, messageId, 0, {}});
}
void Reply::Pause(SimTime duration) { m_pieces.push_back({Piece::Kind::Pause, {}, 0, duration, {}}); }
void Reply::Then(std::function<void()> action) { m_pieces.push_back({Piece::Kind::Action, {}, 0, 0, std::move(action)}); }

// ---------------------------------------------------------------- SimReceiver

SimReceiver::SimReceiver(ReceiverConfig config) : m_config(std::move(config)) { InstallBasicCommands(); }

void SimReceiver::OnCommand(const std::string& keyword, CommandHandler handler) {
    m_commandHandlers[Lower(keyword)] = std::move(handler);
}

void SimReceiver::OnLog(const std::string& name, LogHandler handler) { m_logHandlers[Lower(name)] = std::move(handler); }

void SimReceiver::OnUnlog(const std::string& name, std::function<void()> handler) {
    m_unlogHandlers[Lower(name)] = std::move(handler);
}

void SimReceiver::OnSubCommand(const std::string& keyword, const std::string& sub, CommandHandler handler) {
    const std::string key = Lower(keyword);
    const bool first = m_subCommands.find(key) == m_subCommands.end();
    m_subCommands[key][Lower(sub)] = std::move(handler);
    if (!first) return;
    OnCommand(key, [this, key](const Tokens& t, Reply& reply) {
        if (t.size() < 2) return false;
        const auto& table = m_subCommands[key];
        const auto it = table.find(Lower(t[1]));
        return it != table.end() && it->second(t, reply);
    });
}

void SimReceiver::OnUnlogAll(std::function<void()> handler) { m_unlogAll.push_back(std::move(handler)); }

void SimReceiver::OnAnyCommand(std::function<void(const Tokens&)> listener) {
    m_commandListeners.push_back(std::move(listener));
}

int SimReceiver::PortRate(const std::string& port) const {
    const std::string key = Lower(port);
    if (key == Lower(m_config.port)) return m_config.baud;
    const auto it = m_portRates.find(key);
    return it == m_portRates.end() ? 9600 : it->second;
}

void SimReceiver::InjectFault(FrameFault fault, int count, uint32_t pauseMs) {
    m_faults.push_back({fault, count, pauseMs});
}

void SimReceiver::Schedule(SimTime at, std::function<void(SimTime)> action) { m_actions.emplace(at, std::move(action)); }

SimTime SimReceiver::NextActionTime() const { return m_actions.empty() ? kNever : m_actions.begin()->first; }

void SimReceiver::RunUntil(SimTime t) {
    while (!m_actions.empty() && m_actions.begin()->first <= t) {
        auto it = m_actions.begin();
        const SimTime at = it->first;
        auto action = std::move(it->second);
        m_actions.erase(it);
        m_lastTime = std::max(m_lastTime, at);
        action(at);
    }
}

void SimReceiver::Receive(const WireByte& byte) {
    m_lastTime = std::max(m_lastTime, byte.at);
    if (m_hostSink) {
        m_hostSink(byte);
        return;
    }
    const bool understood = byte.baud == m_config.baud;
    const uint8_t value = understood ? byte.value : Garble(byte.value);
    if (value == '\r' || value == '\n') {
        if (m_line.empty() && !m_lineGarbled) return;
        std::string line = std::move(m_line);
        const bool garbled = m_lineGarbled;
        m_line.clear();
        m_lineGarbled = false;
        Schedule(byte.at + m_config.replyDelay,
                 [this, line = std::move(line), garbled](SimTime now) { HandleLine(line, garbled, now); });
        return;
    }
    if (!understood) m_lineGarbled = true;
    if (m_line.size() >= kMaxLine) {
        m_lineGarbled = true;  // overlong: the line is thrown away at its end
        return;
    }
    m_line.push_back(static_cast<char>(value));
}

void SimReceiver::Send(const std::vector<uint8_t>& bytes, SimTime earliest) {
    if (bytes.empty()) return;
    SimTime t = std::max(earliest, m_txFree);
    if (m_transcript)
        m_transcript->Add(t, Transcript::Kind::ReceiverSent, m_config.baud, {}, bytes.data(), bytes.size());
    const SimTime step = ByteTime(m_config.baud);
    for (uint8_t b : bytes) {
        t += step;
        m_output.push_back({b, m_config.baud, t});
    }
    m_txFree = t;
}

void SimReceiver::StreamNmea(uint32_t periodMs) {
    m_nmeaPeriod = Ms(periodMs == 0 ? 1 : periodMs);
    const uint64_t generation = ++m_nmeaGeneration;
    Schedule(m_lastTime, [this, generation](SimTime now) { NmeaTick(generation, now); });
}

void SimReceiver::NmeaTick(uint64_t generation, SimTime now) {
    if (generation != m_nmeaGeneration || m_nmeaPeriod == 0) return;
    // A line slower than the sentences skips epochs instead of queueing
    // them without end.
    if (m_txFree <= now + m_nmeaPeriod) {
        const uint32_t epoch = m_nmeaEpoch++;
        const unsigned seconds = epoch / 10 % 60, tenths = epoch % 10;
        char body[6][100];
        std::snprintf(body[0], sizeof body[0], "GPGGA,1234%02u.%u0,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,",
                      seconds, tenths);
        std::snprintf(body[1], sizeof body[1], "GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1");
        std::snprintf(body[2], sizeof body[2], "GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00");
        std::snprintf(body[3], sizeof body[3], "GPGSV,3,2,11,14,25,170,00,16,57,208,39,18,67,296,40,19,40,246,00");
        std::snprintf(body[4], sizeof body[4], "GPGSV,3,3,11,22,42,067,42,24,14,311,43,27,05,244,00,,,,");
        std::snprintf(body[5], sizeof body[5], "GPRMC,1234%02u.%u0,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W",
                      seconds, tenths);
        std::vector<uint8_t> burst;
        for (const char* sentence : body) {
            uint8_t sum = 0;
            for (const char* c = sentence; *c; ++c) sum ^= static_cast<uint8_t>(*c);
            char line[120];
            const int n = std::snprintf(line, sizeof line, "$%s*%02X\r\n", sentence, sum);
            burst.insert(burst.end(), line, line + n);
        }
        Send(burst, now);
    }
    Schedule(now + m_nmeaPeriod, [this, generation](SimTime at) { NmeaTick(generation, at); });
}

SimReceiver::Tokens SimReceiver::Tokenize(const std::string& line) {
    // Blank-separated words; a double-quoted text is one word without its quotes.
    Tokens tokens;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= line.size()) break;
        std::string word;
        if (line[i] == '"') {
            ++i;
            while (i < line.size() && line[i] != '"') word.push_back(line[i++]);
            if (i < line.size()) ++i;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t') word.push_back(line[i++]);
        }
        tokens.push_back(std::move(word));
    }
    return tokens;
}

bool SimReceiver::IsReceiverPortName(const std::string& token) const {
    const std::string t = Lower(token);
    if (t == "aux" || t == "thisport" || t == "allports") return true;
    size_t i = 0;
    if (t.rfind("xcom", 0) == 0 || t.rfind("ncom", 0) == 0 || t.rfind("icom", 0) == 0) i = 4;
    else if (t.rfind("com", 0) == 0) i = 3;
    else if (t.rfind("usb", 0) == 0) i = 3;
    else return false;
    if (i >= t.size() || !std::isdigit(static_cast<unsigned char>(t[i]))) return false;
    while (i < t.size() && (std::isdigit(static_cast<unsigned char>(t[i])) || t[i] == '_')) ++i;
    return i == t.size();
}

void SimReceiver::HandleLine(const std::string& line, bool garbled, SimTime now) {
    const std::string prompt = "\r\n[" + m_config.port + "]";
    if (garbled) {
        ++m_garbledLines;
        Send(ToBytes("\r\n<ERROR:Invalid Message. Field = 1" + prompt), now);
        return;
    }
    m_commands.push_back(line);
    const Tokens tokens = Tokenize(line);
    if (tokens.empty()) return;
    const auto handler = m_commandHandlers.find(Lower(tokens[0]));
    if (handler == m_commandHandlers.end()) {
        Send(ToBytes("\r\n<ERROR:Invalid Command Name" + prompt), now);
        return;
    }
    Reply reply;
    const bool ok = handler->second(tokens, reply);
    SendReply(reply, ok, now);
    if (ok)
        for (auto& listener : m_commandListeners) listener(tokens);
}

void SimReceiver::SendReply(const Reply& reply, bool ok, SimTime now) {
    const std::string prompt = "\r\n[" + m_config.port + "]";
    if (!reply.IsSilent()) Send(ToBytes(ok ? "\r\n<OK" + prompt : "\r\n<ERROR:Invalid Command Option" + prompt), now);
    if (!ok) return;
    SimTime t = now;
    for (const Reply::Piece& piece : reply.Pieces()) {
        switch (piece.kind) {
        case Reply::Piece::Kind::Data: Send(piece.bytes, t); break;
        case Reply::Piece::Kind::Frame: SendFrame(BuildFrame(piece.messageId, piece.bytes), t); break;
        case Reply::Piece::Kind::Pause: t = std::max(t, m_txFree) + piece.pause; break;
        case Reply::Piece::Kind::Action:
            Schedule(std::max(t, m_txFree), [action = piece.action](SimTime) { action(); });
            break;
        }
    }
}

std::vector<uint8_t> SimReceiver::BuildFrame(uint16_t messageId, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> frame(kLogHeaderLength + body.size() + 4, 0);
    uint8_t* h = frame.data();
    h[0] = kLogSync[0];
    h[1] = kLogSync[1];
    h[2] = kLogSync[2];
    h[3] = static_cast<uint8_t>(kLogHeaderLength);
    WriteLe16(h + 4, messageId);
    h[6] = 0;  // binary message
    const char last = m_config.port.empty() ? '1' : m_config.port.back();
    h[7] = static_cast<uint8_t>(0x20 * (last >= '1' && last <= '3' ? last - '0' : 1));
    WriteLe16(h + 8, static_cast<uint16_t>(body.size()));
    WriteLe16(h + 10, m_sequence++);
    h[13] = 180;  // fine steering
    WriteLe16(h + 14, m_config.gpsWeek);
    WriteLe32(h + 16, static_cast<uint32_t>((345600000ULL + m_lastTime / kMillisecond) % 604800000ULL));
    WriteLe16(h + 26, 16248);
    std::copy(body.begin(), body.end(), frame.begin() + kLogHeaderLength);
    WriteLe32(frame.data() + kLogHeaderLength + body.size(),
              LogCrc32(frame.data(), kLogHeaderLength + body.size()));
    return frame;
}

void SimReceiver::SendFrame(std::vector<uint8_t> frame, SimTime now) {
    if (m_faults.empty()) {
        Send(frame, now);
        return;
    }
    FaultPlan& plan = m_faults.front();
    const FrameFault fault = plan.fault;
    const SimTime pause = Ms(plan.pauseMs);
    if (--plan.remaining <= 0) m_faults.pop_front();

    switch (fault) {
    case FrameFault::LostFrame: return;
    case FrameFault::BadCrc: frame.back() ^= 0xFF; Send(frame, now); return;
    case FrameFault::GarbageLength: WriteLe16(frame.data() + 8, 3000); Send(frame, now); return;
    case FrameFault::TextBefore:
        Send(ToBytes("\r\nSome receiver text before the frame\r\n"), now);
        Send(frame, now);
        return;
    case FrameFault::Oversized: {
        const std::vector<uint8_t> body(2020, 0x55);
        Send(BuildFrame(ReadLe16(frame.data() + 4), body), now);
        return;
    }
    case FrameFault::SplitFrame: {
        const size_t half = frame.size() / 2;
        Send(std::vector<uint8_t>(frame.begin(), frame.begin() + half), now);
        Send(std::vector<uint8_t>(frame.begin() + half, frame.end()), m_txFree + pause);
        return;
    }
    case FrameFault::ChunkedReply: {
        const size_t chunk = (frame.size() + 3) / 4;
        SimTime t = now;
        for (size_t at = 0; at < frame.size(); at += chunk) {
            const size_t end = std::min(frame.size(), at + chunk);
            Send(std::vector<uint8_t>(frame.begin() + at, frame.begin() + end), t);
            t = m_txFree + pause;
        }
        return;
    }
    }
}

std::string SimReceiver::BuildVersionA() const {
    std::string body = std::to_string(m_config.components.size());
    for (const VersionComponent& c : m_config.components) {
        body += ",";
        body += ComponentTypeName(c.type);
        for (const std::string& text : c.texts) body += ",\"" + text + "\"";
    }
    if (!m_config.versionaExtra.empty()) body += "," + m_config.versionaExtra;
    char header[160];
    std::snprintf(header, sizeof header, "VERSIONA,%s,0,55.5,FINESTEERING,%u,%llu.000,02000000,3681,16248;",
                  m_config.port.c_str(), static_cast<unsigned>(m_config.gpsWeek),
                  static_cast<unsigned long long>(345600 + m_lastTime / 1'000'000'000ULL));
    const std::string text = header + body;
    char crc[16];
    std::snprintf(crc, sizeof crc, "*%08x\r\n",
                  LogCrc32(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    return "#" + text + crc;
}

void SimReceiver::InstallBasicCommands() {
    OnCommand("interfacemode", [this](const Tokens& t, Reply&) {
        if (t.size() < 3) return false;
        const bool portGiven = IsReceiverPortName(t[1]);
        const std::string port = portGiven ? t[1] : m_config.port;
        std::string mode;
        for (size_t i = portGiven ? 2 : 1; i < t.size(); ++i) mode += (mode.empty() ? "" : " ") + t[i];
        m_interfaceModes[Lower(port)] = mode;  // port names are not case-sensitive
        return true;
    });
    OnCommand("unlogall", [this](const Tokens&, Reply&) {
        for (auto& stop : m_unlogAll) stop();
        m_nmeaPeriod = 0;
        ++m_nmeaGeneration;
        return true;
    });
    OnCommand("unlog", [this](const Tokens& t, Reply&) {
        if (t.size() < 2) return false;
        const size_t nameAt = IsReceiverPortName(t[1]) && t.size() > 2 ? 2 : 1;
        const auto handler = m_unlogHandlers.find(Lower(t[nameAt]));
        if (handler == m_unlogHandlers.end()) return false;
        handler->second();
        return true;
    });
    OnCommand("extcontrol", [this](const Tokens&, Reply&) {
        m_extControl = true;
        return true;
    });
    OnCommand("com", [this](const Tokens& t, Reply& reply) {
        if (t.size() < 2) return false;
        const bool portGiven = IsReceiverPortName(t[1]);
        if (portGiven && t.size() < 3) return false;
        const std::string port = portGiven ? t[1] : m_config.port;
        const long rate = std::strtol((portGiven ? t[2] : t[1]).c_str(), nullptr, 10);
        if (!IsSupportedRate(rate)) return false;
        // The acknowledgement still goes out at the old rate.
        if (Lower(port) == Lower(m_config.port) || Lower(port) == "thisport")
            reply.Then([this, rate] { m_config.baud = static_cast<int>(rate); });
        else
            m_portRates[Lower(port)] = static_cast<int>(rate);
        return true;
    });
    OnCommand("log", [this](const Tokens& t, Reply& reply) {
        if (t.size() < 2) return false;
        size_t nameAt = 1;
        if (IsReceiverPortName(t[1])) {
            if (t.size() < 3) return false;
            nameAt = 2;
            const std::string port = Lower(t[1]);
            // A log for another port goes there, not to the host.
            if (port != Lower(m_config.port) && port != "thisport") return m_logHandlers.count(Lower(t[2])) > 0;
        }
        const auto handler = m_logHandlers.find(Lower(t[nameAt]));
        if (handler == m_logHandlers.end()) return false;
        const std::string trigger = nameAt + 1 < t.size() ? Lower(t[nameAt + 1]) : std::string();
        return handler->second(trigger, reply);
    });
    OnCommand("setversioninfo", [this](const Tokens& t, Reply&) {
        // setversioninfo ENTRY "t1" ... "t7": rewrites (or adds) that entry.
        if (t.size() != 9) return false;
        const std::string entry = Lower(t[1]);
        uint32_t type = 0;
        if (entry == "userinfo") type = component::UserInfo;
        else if (entry == "enclosure") type = component::Enclosure;
        else return false;
        auto& list = m_config.components;
        auto it = std::find_if(list.begin(), list.end(), [type](const VersionComponent& c) { return c.type == type; });
        if (it == list.end()) {
            list.push_back(VersionComponent{type, {}});
            it = list.end() - 1;
        }
        for (size_t i = 0; i < VersionComponent::kTextCount; ++i)
            it->texts[i] = t[2 + i].substr(0, VersionComponent::kWidths[i]);
        return true;
    });
    OnLog("versionb", [this](const std::string&, Reply& reply) {
        reply.Frame(37, BuildVersionBody(m_config.components));
        return true;
    });
    OnLog("versiona", [this](const std::string&, Reply& reply) {
        reply.Text(BuildVersionA());
        return true;
    });
}

} // namespace qvr::sim
