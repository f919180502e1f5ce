#include "SimUhfRadio.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace qvr::sim {

namespace {

constexpr uint8_t kAck = 0x06;
constexpr uint8_t kEscape = 0x1B;
constexpr size_t kMaxLine = 256;
constexpr SimTime kMenuSplitPause = Ms(50);
constexpr SimTime kMenuPrintTime = Ms(1000);
const char* const kReceiverPrompt = "[AUX]";

const char* const kLimitNames[4] = {"Range 1 lower", "Range 1 upper", "Range 2 lower", "Range 2 upper"};
const char* const kModeNames[3] = {"3AS PT", "PCC-4FSK", "PCC-GMSK"};

// A number typed or sent as digits with an optional decimal point.
bool ParseNumber(const std::string& text, double* value) {
    if (text.empty()) return false;
    bool digits = false, point = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') digits = true;
        else if (c == '.' && !point) point = true;
        else return false;
    }
    if (!digits) return false;
    *value = std::strtod(text.c_str(), nullptr);
    return true;
}

std::string Spacing(int hz) {
    char text[16];
    const double khz = hz / 1000.0;
    std::snprintf(text, sizeof text, khz < 10.0 ? "%.2f" : "%.1f", khz);
    return text;
}

} // namespace

int64_t SimUhfRadio::Hz(double mhz) { return std::llround(mhz * 1e6); }

std::string SimUhfRadio::Mhz(int64_t hz) {
    char text[32];
    std::snprintf(text, sizeof text, "%.5f", static_cast<double>(hz) / 1e6);
    return text;
}

SimUhfRadio::SimUhfRadio(UhfRadioConfig config) : m_config(std::move(config)) {
    m_stored.limitsHz[0] = Hz(m_config.range1Lower);
    m_stored.limitsHz[1] = Hz(m_config.range1Upper);
    m_stored.limitsHz[2] = Hz(m_config.range2Lower);
    m_stored.limitsHz[3] = Hz(m_config.range2Upper);
    m_stored.centerHz = Hz(m_config.center);
    m_stored.currentHz = Hz(m_config.current);
    m_stored.txPowerMw = m_config.txPowerMw;
    m_stored.fec = m_config.fec;
    m_stored.protocolMode = std::max(0, m_config.protocolMode);
    m_live = m_stored;
    m_busy = m_config.busy;
}

void SimUhfRadio::Attach(SimAuxPort& port) {
    IAuxDevice::Attach(port);
    m_powered = port.Lines().power;
    m_menuMode = !port.Lines().gpio2;
    if (m_config.chatter) Chatter(Ms(300));
}

void SimUhfRadio::Chatter(SimTime at) {
    static const std::string kLine = "RX 450.0125 -97dBm\r\n";
    if (m_powered && !m_loader) m_port->DeviceSend(std::vector<uint8_t>(kLine.begin(), kLine.end()), kBaud, at);
    m_port->Receiver().ScheduleAt(at + Ms(300), [this](SimTime now) { Chatter(now); });
}

void SimUhfRadio::PowerUp() {
    ++m_powerUps;
    m_live = m_stored;
    m_busy = m_config.busy;
    m_loader = false;
    m_line.clear();
    m_keyLine.clear();
    m_page = Page::Main;
    m_message.clear();
}

void SimUhfRadio::LinesChanged(const AuxLines& lines, SimTime at) {
    if (!lines.power) {
        m_powered = false;
        return;
    }
    if (!m_powered) {
        m_powered = true;
        PowerUp();
    }
    const bool menu = !lines.gpio2;
    if (menu != m_menuMode) {
        // A change of mode starts over: the menu at its main page.
        m_line.clear();
        m_keyLine.clear();
        m_page = Page::Main;
        const uint64_t generation = ++m_menuGeneration;
        if (menu && lines.gpio1 && !m_loader)
            m_port->Receiver().ScheduleAt(at + kMenuPrintTime, [this, generation](SimTime) {
                if (generation == m_menuGeneration && m_menuMode && m_powered) MenuPrinted();
            });
    }
    m_menuMode = menu;
}

void SimUhfRadio::MenuPrinted() {
    // The printed menu reached the receiver's command interpreter unless
    // its AUX input was off; the prompt it answers with comes back as keys.
    if (m_port->AuxInterfaceMode().rfind("none", 0) == 0) return;
    m_keyLine += kReceiverPrompt;
}

void SimUhfRadio::Receive(uint8_t value, int baud, SimTime at) {
    if (!m_powered) return;
    if (m_loader) {
        LoaderByte(baud == kLoaderBaud ? value : Garble(value), at);
        return;
    }
    const AuxLines& lines = m_port->Lines();
    if (!lines.gpio1) return;  // user output 1 low: the AUX line goes elsewhere
    if (baud != kBaud) value = Garble(value);
    if (m_config.echoOnly) {
        m_port->DeviceSend({value}, kBaud, at + Ms(1));
        return;
    }
    if (lines.gpio2) {
        if (value == '\n') {
            const std::string line = m_line;
            m_line.clear();
            CommandLine(line, at);
        } else if (value != '\r' && m_line.size() < kMaxLine) {
            m_line.push_back(static_cast<char>(value));
        }
        return;
    }
    m_keys.push_back(static_cast<char>(value));
    // The flash loader's entry is understood in menu mode too.
    if (value == '\r' || value == '\n') {
        if (m_keyLine == "SLFLOEM") {
            m_keyLine.clear();
            CommandLine("SLFLOEM", at);
            return;
        }
        m_keyLine.clear();
    } else if (m_keyLine.size() < kMaxLine) {
        m_keyLine.push_back(static_cast<char>(value));
    }
    Key(value, at);
}

void SimUhfRadio::Answer(const std::string& text, SimTime at) {
    if (m_port->Lines().rtsHigh) return;
    const std::string sent = m_config.doubledAnswers ? text + text : text;
    m_port->DeviceSend(std::vector<uint8_t>(sent.begin(), sent.end()), kBaud, at + m_config.answerDelay);
}

// ---------------------------------------------------------------- commands

void SimUhfRadio::CommandLine(const std::string& line, SimTime at) {
    m_commands.push_back(line);
    if (line == "SLFLOEM") {
        m_port->DeviceSend({'H', '8', 'O', 'E', 'M'}, kBaud, at + m_config.answerDelay);
        m_loader = true;
        m_silent = m_entered = m_started = m_eraseDone = m_sectorFaultUsed = false;
        std::fill(std::begin(m_erased), std::end(m_erased), false);
        m_message.clear();
        m_image.clear();
        m_stats = {};
        m_lastProgramBegan = kNever;
        return;
    }
    if (line.rfind("SL", 0) != 0) return;  // not for the radio
    const std::string c = line.substr(2);
    const std::string ok = "OK\r\n", error = "ERROR\r\n";
    static const char* const kLimitQueries[4] = {"!D?", "!U?", "!W?", "!Y?"};
    for (int i = 0; i < 4; ++i)
        if (c == kLimitQueries[i]) return Answer(Mhz(m_live.limitsHz[i]) + "\r\n", at);

    if (c == "%V?") {
        const std::string& v = m_config.firmware;
        switch (m_config.firmwareAnswer) {
        case FirmwareAnswer::Plain: return Answer(v, at);
        case FirmwareAnswer::TrailingBlank: return Answer(v + " ", at);
        case FirmwareAnswer::Doubled: return Answer(v + v, at);
        }
    }
    if (c == "@P?") return Answer(std::to_string(m_live.txPowerMw) + "\r\n", at);
    if (c == "!V?") return Answer(m_config.moduleName + "\r\n", at);
    if (c == "%D?") return Answer(m_config.deviceText + "\r\n", at);
    if (c == "@R?") return Answer(std::to_string(m_config.rssi) + "\r\n", at);
    if (c == "&C?" || c == "&F?") {
        if (m_busy) return;  // receiving: no answer
        return Answer(Mhz(c == "&C?" ? m_live.centerHz : m_live.currentHz) + "\r\n", at);
    }
    if (c == "@S?")
        return Answer(m_config.protocolMode < 0 ? error : std::to_string(m_live.protocolMode) + "\r\n", at);
    if (c == "&+=29") {
        m_busy = false;
        return Answer(ok, at);
    }
    if (c == "**>") {
        m_stored = m_live;
        return Answer(ok, at);
    }
    if (c.rfind("&F=", 0) == 0) {
        double mhz = 0;
        if (!ParseNumber(c.substr(3), &mhz)) return Answer(error, at);
        const int64_t hz = Hz(mhz);
        const int64_t* l = m_live.limitsHz;
        const bool inRange = (l[0] <= hz && hz <= l[1]) || (l[2] <= hz && hz <= l[3]);
        const int spacing = m_config.channelSpacingHz > 0 ? m_config.channelSpacingHz : 12500;
        if (!inRange || (hz - m_live.centerHz) % spacing != 0) return Answer(error, at);
        m_live.currentHz = hz;
        return Answer(ok, at);
    }
    if (c.rfind("@P=", 0) == 0) {
        double mw = 0;
        if (!ParseNumber(c.substr(3), &mw) || mw < 1 || mw > 1000) return Answer(error, at);
        m_live.txPowerMw = static_cast<int>(mw);
        return Answer(ok, at);
    }
    if (c.rfind("@S=", 0) == 0) {
        const std::string v = c.substr(3);
        if (m_config.protocolMode < 0 || v.size() != 1 || v[0] < '0' || v[0] > '2') return Answer(error, at);
        m_live.protocolMode = v[0] - '0';
        return Answer(ok, at);
    }
    Answer(error, at);
}

// ---------------------------------------------------------------- menu

void SimUhfRadio::Show(const std::string& text, SimTime at) {
    const SimTime start = at + m_config.answerDelay;
    size_t split = text.size();
    if (m_config.splitMenuText && text.size() > 1) {
        const size_t marker = text.find("correction");
        split = marker != std::string::npos ? marker + 5 : text.size() / 2;
    }
    m_port->DeviceSend(std::vector<uint8_t>(text.begin(), text.begin() + static_cast<long>(split)), kBaud, start);
    if (split < text.size())
        m_port->DeviceSend(std::vector<uint8_t>(text.begin() + static_cast<long>(split), text.end()), kBaud,
                           start + ByteTime(kBaud) * split + kMenuSplitPause);
}

void SimUhfRadio::ShowPage(SimTime at) {
    std::string t;
    switch (m_page) {
    case Page::Main:
        t = "\r\n== Radio menu ==\r\nFrequency  " + Mhz(m_live.currentHz) + " MHz\r\nTX power  " +
            std::to_string(m_live.txPowerMw) + " mW\r\nChannel spacing " + Spacing(m_config.channelSpacingHz) +
            " kHz\r\n7) Radio settings\r\ne) Save and exit\r\n> ";
        break;
    case Page::Radio:
        t = std::string("\r\n== Radio settings ==\r\n1) Error correction  ") + (m_live.fec ? "ON" : "OFF") +
            "\r\n2) Protocol  " + kModeNames[std::clamp(m_live.protocolMode, 0, 2)] + "\r\nESC) Back\r\n> ";
        break;
    case Page::Service:
        t = "\r\n== Service ==\r\n1) Frequencies\r\n";
        for (int i = 0; i < 4; ++i)
            t += std::to_string(4 + i) + ") " + kLimitNames[i] + " limit  " + Mhz(m_live.limitsHz[i]) + "\r\n";
        t += "ESC) Back\r\n> ";
        break;
    case Page::Frequencies:
        t = "\r\n== Frequencies ==\r\n1) Center frequency  " + Mhz(m_live.centerHz) + " MHz\r\nESC) Back\r\n> ";
        break;
    case Page::Entry: return;
    }
    Show(t, at);
}

void SimUhfRadio::Key(uint8_t key, SimTime at) {
    const uint8_t previous = m_previousKey;
    m_previousKey = key;
    if (m_page == Page::Entry) {
        if (key == '\r') {
            double mhz = 0;
            const bool number = ParseNumber(m_entry, &mhz) && mhz > 0;
            const int64_t hz = Hz(mhz);
            // The typed line comes back with the verdict (one echo per line).
            if (number && m_entryField == 4 && hz % 6250 == 0) {
                m_live.centerHz = hz;
                Show(m_entry + "\r\nOK\r\n", at);
            } else if (number && m_entryField >= 0 && m_entryField < 4) {
                m_live.limitsHz[m_entryField] = hz;
                Show(m_entry + "\r\nOK\r\n", at);
            } else {
                Show(m_entry + "\r\nInvalid entry\r\n", at);
            }
            m_page = m_entryReturn;
            ShowPage(at);
        } else if (key == kEscape) {
            m_page = m_entryReturn;
            ShowPage(at);
        } else if (key != '\n' && m_entry.size() < kMaxLine) {
            m_entry.push_back(static_cast<char>(key));
        }
        return;
    }
    if (key == '\r' || key == '\n') return;
    auto enter = [&](int field, Page back, const std::string& prompt) {
        m_entryField = field;
        m_entryReturn = back;
        m_entry.clear();
        m_page = Page::Entry;
        Show("\r\n" + prompt + " (MHz): ", at);
    };
    switch (m_page) {
    case Page::Main:
        if (key == '7') {
            m_page = Page::Radio;
        } else if (key == '!' && previous == '*') {
            m_page = Page::Service;
        } else if (key == 'e') {
            m_stored = m_live;
            Show("\r\nSettings saved.\r\n", at);
            return;
        } else if (key != kEscape) {
            return;
        }
        break;
    case Page::Radio:
        if (key == '1') m_live.fec = !m_live.fec;
        else if (key == kEscape) m_page = Page::Main;
        else return;
        break;
    case Page::Service:
        if (key == '1') {
            m_page = Page::Frequencies;
        } else if (key >= '4' && key <= '7') {
            enter(key - '4', Page::Service, std::string(kLimitNames[key - '4']) + " limit");
            return;
        } else if (key == kEscape) {
            m_page = Page::Main;
        } else {
            return;
        }
        break;
    case Page::Frequencies:
        if (key == '1') {
            enter(4, Page::Frequencies, "Center frequency");
            return;
        }
        if (key != kEscape) return;
        m_page = Page::Service;
        break;
    case Page::Entry: return;
    }
    ShowPage(at);
}

// ---------------------------------------------------------------- flash loader

void SimUhfRadio::Ack(SimTime at) {
    if (m_silent || m_config.loaderFault == LoaderFault::Mute) return;
    ++m_stats.acks;
    m_port->DeviceSend({kAck}, kLoaderBaud, at);
}

void SimUhfRadio::LoaderByte(uint8_t value, SimTime at) {
    if (m_silent) return;
    if (m_message.empty()) {
        switch (value) {
        case 0x05: ++m_stats.enquiries; Ack(at); return;
        case 'H':
            ++m_stats.enters;
            m_entered = true;
            Ack(at);
            return;
        case 'C':
            ++m_stats.starts;
            if (m_eraseDone) {
                m_started = true;
                Ack(at);
            }
            return;
        case 'X':
        case 'P':
            m_messageBegan = at;
            m_message.push_back(value);
            return;
        default: return;  // noise between messages
        }
    }
    m_message.push_back(value);
    if (m_message[0] == 'X') {
        if (m_message.size() == 4) LoaderMessage(at);
        return;
    }
    if (m_message.size() == 2 + kProgramData) {
        LoaderMessage(at);
        return;
    }
    // Six bytes 'P' FF FF FF FF cs end the programming, unless more bytes
    // follow at once (a program message whose data begin the same way).
    static const uint8_t kEnd[6] = {'P', 0xFF, 0xFF, 0xFF, 0xFF, 0xB4};
    if (m_message.size() == 6 && std::equal(m_message.begin(), m_message.end(), kEnd)) {
        const uint64_t generation = m_messageGeneration;
        m_port->Receiver().ScheduleAt(at + 3 * ByteTime(kLoaderBaud), [this, generation](SimTime now) {
            if (generation == m_messageGeneration && m_message.size() == 6) LoaderMessage(now);
        });
    }
}

void SimUhfRadio::LoaderMessage(SimTime at) {
    const std::vector<uint8_t> message = std::move(m_message);
    m_message.clear();
    ++m_messageGeneration;
    uint8_t sum = 0;
    for (uint8_t b : message) sum = static_cast<uint8_t>(sum + b);
    const bool checksumGood = sum == 0;

    if (message[0] == 'X') {
        if (!checksumGood || message[1] != 0x01 || !m_entered) return;
        if (message[2] == 0xFF) {
            ++m_stats.endOfErase;
            if (std::all_of(std::begin(m_erased), std::end(m_erased), [](bool e) { return e; })) {
                m_eraseDone = true;
                Ack(at);
            }
            return;
        }
        ++m_stats.eraseMessages;
        const int sector = message[2];
        if (sector >= kSectors) return;
        if (m_config.loaderFault == LoaderFault::SectorAckedOnRetry && sector == m_config.faultIndex &&
            !m_sectorFaultUsed) {
            m_sectorFaultUsed = true;
            return;
        }
        m_erased[sector] = true;
        Ack(at + m_config.sectorEraseTime);
        if (m_config.loaderFault == LoaderFault::SilentAfterErase &&
            std::all_of(std::begin(m_erased), std::end(m_erased), [](bool e) { return e; }))
            m_silent = true;
        return;
    }
    if (message.size() == 6) {
        ++m_stats.endOfProgramming;
        m_started = false;
        Ack(at);
        return;
    }
    ++m_stats.programMessages;
    if (m_lastProgramBegan != kNever) {
        const SimTime gap = m_messageBegan - m_lastProgramBegan;
        m_stats.shortestProgramGap = std::min(m_stats.shortestProgramGap, gap);
        if (gap < kProgramPace) ++m_stats.paceViolations;
    }
    m_lastProgramBegan = m_messageBegan;
    if (!checksumGood) {
        ++m_stats.badChecksums;
        return;
    }
    if (!m_started) return;
    m_image.insert(m_image.end(), message.begin() + 1, message.begin() + 1 + kProgramData);
    if (m_config.loaderFault == LoaderFault::LostAck && m_stats.programMessages == m_config.faultIndex) return;
    Ack(at + m_config.programTime);
}

} // namespace qvr::sim
