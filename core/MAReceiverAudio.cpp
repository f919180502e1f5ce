// Voice prompts (language, volume, samples), the timer LED and the POWERUP
// choice kept in the receiver's user-info record.
#include <cstdio>
#include <cstring>

#include "MAReceiver.h"
#include "Preferences.h"

namespace qvr {

namespace {

// The audio defaults log: language file name, language index, volume.
constexpr size_t kAudioFileNameOffset = 0;
constexpr size_t kAudioFileNameSize = 8;
constexpr size_t kAudioLanguageOffset = 8;
constexpr size_t kAudioVolumeOffset = 20;
constexpr size_t kAudioBodyMinimum = 24;

constexpr size_t kTimerModeOffset = 52;  // float in the extended levels
constexpr unsigned int kMaxVolume = 7;

constexpr uint32_t kUserInfoType = 8;

} // namespace

bool MAReceiver::UpdateAudioInfo() {
    m_port.Purge();
    SendCommand("log audiocfgdefb\r\n");
    if (!ReadLog(m_profile.audioTimeoutMs)) {
        if (!LinkLost()) Tell("Could not call 'audiocfgdef'?", MessageIcon::Exclamation);
        return false;
    }
    if (GetLogMessageId() != logid::AudioConfigDefaults) return false;
    // A body too short for the volume would leave the fields to whatever the
    // log buffer held before: keep the previous settings instead.
    if (LogBodyLength() < kAudioBodyMinimum) {
        TraceF(Trace(), "UpdateAudioInfo - audio defaults log of %u bytes, %u expected",
               static_cast<unsigned>(LogBodyLength()), static_cast<unsigned>(kAudioBodyMinimum));
        return false;
    }
    const uint8_t* body = LogBody();
    std::memset(m_audio.languageFile, 0, sizeof m_audio.languageFile);
    std::memcpy(m_audio.languageFile, body + kAudioFileNameOffset, kAudioFileNameSize);
    m_audio.languageIndex = ReadLe16(body + kAudioLanguageOffset);
    m_audio.volume = static_cast<int32_t>(ReadLe32(body + kAudioVolumeOffset));
    return true;
}

bool MAReceiver::SetAudioLanguage(int index) {
    char command[48];
    std::snprintf(command, sizeof command, "audiocfgindex %d\r\n", index);
    SendCommand(command);
    m_audio.languageIndex = static_cast<uint16_t>(index);
    return true;
}

bool MAReceiver::SetAudioVolume(unsigned int level) {
    if (level > kMaxVolume) return false;
    m_audio.volume = static_cast<int32_t>(level);
    char command[48];
    std::snprintf(command, sizeof command, "audiocfg set %u\r\n", level);
    SendCommand(command);
    SendCommand("audiocfg set logepoch 0\r\n");
    return true;
}

bool MAReceiver::PlayAudioPrompt(int eventIndex, int level) {
    if (eventIndex < 0 || eventIndex >= PromptEventCount(m_receiverInfo.modelKind)) return false;
    const PromptEvent* event = PromptEventAt(m_variant, eventIndex);
    if (!event) return false;
    char command[64];
    std::snprintf(command, sizeof command, "audiocfg send %s %d\r\n", event->keyword, level);
    SendCommand(command);
    return true;
}

void MAReceiver::SetTimerMode(int mode) {
    char command[48];
    std::snprintf(command, sizeof command, "appcontrol timermode %d\r\n", mode);
    SendCommand(command);
    const float value = static_cast<float>(mode);
    std::memcpy(m_extLevels + kTimerModeOffset, &value, sizeof value);
}

int MAReceiver::GetTimerMode() const {
    float value = 0.0f;
    std::memcpy(&value, m_extLevels + kTimerModeOffset, sizeof value);
    return value == 1.0f ? 1 : 0;
}

bool MAReceiver::RereadTimerMode() {
    uint8_t levels[kExtLevelsSize] = {};
    if (!ReadExtLevels(levels)) return false;
    std::memcpy(m_extLevels, levels, sizeof levels);
    return true;
}

bool MAReceiver::GetLanguageList(Language (&ids)[kMaxLanguages], int* count) const {
    static_assert(kMaxLanguages == kMaxLanguageList);
    *count = LanguageList(m_variant, m_receiverInfo.modelKind, m_receiverInfo.userAppVersion, m_audio.languageFile,
                          ids);
    return true;
}

float MAReceiver::GetUserAppVersionNumber() const { return UserAppVersionNumber(m_receiverInfo.userAppVersion); }

bool MAReceiver::WritePowerupConfig(int powerupIndex, int timerMode) {
    // The record is read back by position: an index that does not fit two
    // digits would be read as another choice, so nothing is written.
    char preference[kPreferenceTextSize];
    if (!FormatPreferenceText(preference, m_audio.languageIndex, powerupIndex, timerMode,
                              m_receiverInfo.modelKind != kModelQVR4100MA)) {
        TraceF(Trace(), "WritePowerupConfig - cannot store language %u, POWERUP %d, timer mode %d",
               static_cast<unsigned>(m_audio.languageIndex), powerupIndex, timerMode);
        return false;
    }

    uint8_t log[kVersionLogSize];
    VersionEntryTexts e;
    if (!GetVersionLog(log) || !ReadVersionEntry(log, kUserInfoType, &e)) return false;

    // The entry's first six texts as they are, each cut at its width.
    const char* const record[7] = {e.text[0], e.text[1], e.text[2], e.text[3], e.text[4], e.text[5], preference};
    // A record that cannot be sent back is refused before the timer mode
    // changes, so the receiver is left as it was.
    for (const char* text : record)
        if (!IsQuotable(text)) {
            TraceF(Trace(), "WritePowerupConfig - the user-info record cannot be written back");
            return false;
        }

    SetTimerMode(timerMode);
    return SendVersionInfo("userinfo", record);
}

} // namespace qvr
