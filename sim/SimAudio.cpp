#include "SimAudio.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "LogFrame.h"

namespace qvr::sim {

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A whole word of decimal digits (with an optional minus) in [low, high].
bool ParseInt(const std::string& word, long low, long high, long* value) {
    if (word.empty()) return false;
    char* end = nullptr;
    const long v = std::strtol(word.c_str(), &end, 10);
    if (*end != '\0' || v < low || v > high) return false;
    *value = v;
    return true;
}

constexpr const char* kEvents[] = {"startup", "shutdown", "memfull", "memlow", "rtkfixed", "rtkfixlost",
                                   "battlow", "btnpower", "btnfreset", "btnformat", "btnignore", "connect",
                                   "disconnect", "logepoch", "swapwarn", "swapcrit"};

} // namespace

SimAudio::SimAudio(SimReceiver& receiver) : m_receiver(receiver) {
    receiver.OnLog("audiocfgdefb", [this](const std::string&, Reply& reply) {
        if (m_state.audioDefaultsDelay) reply.Pause(m_state.audioDefaultsDelay);
        reply.Frame(m_state.audioDefaultsId, AudioDefaultsBody());
        return true;
    });
    receiver.OnLog("extlevelsb", [this](const std::string&, Reply& reply) {
        reply.Frame(kExtLevelsId, ExtLevelsBody());
        return true;
    });
    receiver.OnCommand("audiocfgindex", [this](const SimReceiver::Tokens& t, Reply&) {
        long index = 0;
        if (t.size() != 2 || !ParseInt(t[1], 0, 0xFFFF, &index)) return false;
        m_state.languageIndex = static_cast<uint16_t>(index);
        return true;
    });
    receiver.OnCommand("audiocfg", [this](const SimReceiver::Tokens& t, Reply&) {
        if (t.size() < 3) return false;
        const std::string sub = Lower(t[1]);
        if (sub == "set") return Set(t);
        if (sub == "send") return Send(t);
        return false;
    });
    receiver.OnSubCommand("appcontrol", "timermode", [this](const SimReceiver::Tokens& t, Reply&) {
        long mode = 0;
        if (t.size() != 3 || !ParseInt(t[2], 0, 1, &mode)) return false;
        m_state.timerMode = static_cast<float>(mode);
        return true;
    });
}

bool SimAudio::IsPromptEvent(const std::string& keyword) {
    const std::string k = Lower(keyword);
    return std::any_of(std::begin(kEvents), std::end(kEvents), [&](const char* e) { return k == e; });
}

bool SimAudio::Set(const SimReceiver::Tokens& t) {
    long level = 0;
    if (t.size() == 3) {  // "audiocfg set N": the volume of every prompt
        if (!ParseInt(t[2], 0, kMaxVolume, &level)) return false;
        m_state.volume = static_cast<int32_t>(level);
        return true;
    }
    // "audiocfg set EVENT N": one event's level
    if (t.size() != 4 || !IsPromptEvent(t[2]) || !ParseInt(t[3], 0, kMaxVolume, &level)) return false;
    m_state.eventLevels[Lower(t[2])] = static_cast<int>(level);
    return true;
}

bool SimAudio::Send(const SimReceiver::Tokens& t) {
    long level = 0;
    if (t.size() != 4 || !IsPromptEvent(t[2]) || !ParseInt(t[3], 0, kMaxVolume, &level)) return false;
    m_state.played.push_back({Lower(t[2]), static_cast<int>(level), m_receiver.Now()});
    return true;
}

std::vector<uint8_t> SimAudio::AudioDefaultsBody() const {
    // 0-7 language file name (NUL-padded), 8-9 language index, 10-19 not
    // used by the tool, 20-23 volume.
    std::vector<uint8_t> body(std::max<size_t>(m_state.audioDefaultsLength, 24), 0);
    std::memcpy(body.data(), m_state.languageFile.data(), std::min<size_t>(m_state.languageFile.size(), 8));
    WriteLe16(body.data() + 8, m_state.languageIndex);
    for (size_t i = 10; i < 20; ++i) body[i] = static_cast<uint8_t>(0xA0 + i);
    WriteLe32(body.data() + 20, static_cast<uint32_t>(m_state.volume));
    body.resize(m_state.audioDefaultsLength);
    return body;
}

std::vector<uint8_t> SimAudio::ExtLevelsBody() const {
    // The other levels are the receiver's own; a recognisable pattern.
    std::vector<uint8_t> body(std::max<size_t>(m_state.extLevelsLength, 64), 0);
    for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<uint8_t>(0x11 * (i % 15 + 1));
    uint32_t bits = 0;
    std::memcpy(&bits, &m_state.timerMode, sizeof bits);
    WriteLe32(body.data() + kExtLevelsTimerOffset, bits);
    body.resize(m_state.extLevelsLength);
    return body;
}

} // namespace qvr::sim
