// The version log, the receiver's identity and the records the tool writes
// into it ("setversioninfo userinfo" and "setversioninfo ENCLOSURE").
#include <cstdio>
#include <cstring>

#include "MAReceiver.h"
#include "Text.h"

namespace qvr {

namespace {

constexpr size_t kEntrySize = 108;
constexpr size_t kMaxEntries = 6;
constexpr size_t kTextOffsets[7] = {4, 20, 36, 52, 68, 84, 96};
constexpr size_t kTextWidths[7] = {16, 16, 16, 16, 16, 12, 12};

enum ComponentType : uint32_t {
    kGpsCard = 1,
    kEnclosure = 3,
    kUserInfo = 8,
    kUserAppAuto = 0x3A7A0005,
};

const uint8_t* Entry(const uint8_t* log, int index) { return log + 4 + kEntrySize * static_cast<size_t>(index); }

// Copies text t (1..7) of an entry, which need not be NUL-terminated when
// it fills its width, into a destination of at least width + 1 bytes.
void CopyText(char* destination, const uint8_t* entry, int t) {
    const size_t width = kTextWidths[t - 1];
    std::memcpy(destination, entry + kTextOffsets[t - 1], width);
    destination[width] = '\0';
}

} // namespace

bool MAReceiver::ReadVersionEntry(const uint8_t (&versionLog)[kVersionLogSize], uint32_t type,
                                  VersionEntryTexts* texts) {
    int index = 0;
    if (!FindVersionComponent(versionLog, type, &index)) return false;
    for (int t = 1; t <= 7; ++t) CopyText(texts->text[t - 1], Entry(versionLog, index), t);
    return true;
}

bool MAReceiver::GetVersionLog(uint8_t (&destination)[kVersionLogSize]) {
    std::memset(destination, 0, sizeof destination);
    m_port.Purge();
    SendCommand("log versionb\r\n");
    if (!ReadLog(500) || GetLogMessageId() != logid::Version) return false;
    size_t length = LogBodyLength();
    if (length > kVersionLogSize) length = kVersionLogSize;
    std::memcpy(destination, LogBody(), length);
    return true;
}

bool MAReceiver::FindVersionComponent(const uint8_t (&versionLog)[kVersionLogSize], uint32_t type, int* index) {
    const uint32_t count = ReadLe32(versionLog);
    for (uint32_t i = 0; i < count && i < kMaxEntries; ++i) {
        if (ReadLe32(Entry(versionLog, static_cast<int>(i))) == type) {
            *index = static_cast<int>(i);
            return true;
        }
    }
    *index = 0;
    return false;
}

bool MAReceiver::UpdateReceiverInfo() {
    std::memset(&m_receiverInfo, 0, sizeof m_receiverInfo);
    uint8_t log[kVersionLogSize];
    if (!GetVersionLog(log)) {
        TraceF(Trace(), "UpdateReceiverInfo failed. File: %s Line %d", __FILE__, __LINE__);
        return false;
    }
    const MessageIcon icon = m_profile.missingEntryIcon;
    int index = 0;

    if (!FindVersionComponent(log, kGpsCard, &index)) {
        Tell("Version Log is missing DB_VLOG_GPSCARD entry.", icon);
        return false;
    }
    CopyText(m_receiverInfo.gpsCardVersion, Entry(log, index), 4);
    if (m_profile.readsGpsCardIdentity) {
        CopyText(m_receiverInfo.gpsCardSerialNumber, Entry(log, index), 2);
        CopyText(m_receiverInfo.gpsCardModel, Entry(log, index), 1);
    }

    if (!FindVersionComponent(log, kEnclosure, &index)) {
        Tell("Version Log is missing ENCLOSURE entry!", icon);
        return false;
    }
    CopyText(m_receiverInfo.serialNumber, Entry(log, index), 2);

    if (!FindVersionComponent(log, kUserAppAuto, &index)) {
        Tell("Version Log is missing DB_VLOG_USERAPPAUTO entry.", icon);
        return false;
    }
    CopyText(m_receiverInfo.userAppVersion, Entry(log, index), 4);
    CopyText(m_receiverInfo.modelName, Entry(log, index), 1);
    IdentifyModel(m_receiverInfo.modelName);

    if (!FindVersionComponent(log, kUserInfo, &index)) {
        Tell("Version Log is missing DB_VLOG_USERINFO entry.", icon);
        return false;
    }
    CopyText(m_receiverInfo.peripheralName, Entry(log, index), 3);
    CopyText(m_receiverInfo.auxSettings, Entry(log, index), 6);
    if (char* blank = std::strchr(m_receiverInfo.auxSettings, ' ')) *blank = '\0';

    int powerup = 0;
    if (!ReadPowerupConfig(&powerup)) {
        TraceF(Trace(), "UpdateReceiverInfo failed. File: %s Line %d", __FILE__, __LINE__);
        return false;
    }
    if (!ReadExtLevels(m_extLevels)) TraceF(Trace(), "UpdateReceiverInfo failed. File: %s Line %d", __FILE__, __LINE__);
    m_receiverInfo.powerupIndex = powerup;
    return true;
}

bool MAReceiver::ReadPowerupConfig(int* powerupIndex) {
    *powerupIndex = 0;
    uint8_t log[kVersionLogSize];
    int index = 0;
    if (!GetVersionLog(log) || !FindVersionComponent(log, kUserInfo, &index)) return false;
    char preference[13];
    CopyText(preference, Entry(log, index), 7);
    if (std::strlen(preference) < 4) std::strcpy(preference, "00-00");
    preference[5] = '\0';  // LL-PP: the POWERUP index starts at the fourth character
    int value = 0;
    for (const char* p = preference + 3; *p >= '0' && *p <= '9'; ++p) value = value * 10 + (*p - '0');
    *powerupIndex = value;
    return true;
}

void MAReceiver::IdentifyModel(const char* modelName) {
    if (std::strcmp(modelName, "QVR4100 MAX") == 0) m_receiverInfo.modelKind = kModelQVR4100MAX;
    else if (std::strcmp(modelName, "QVR4100 MA") == 0) m_receiverInfo.modelKind = kModelQVR4100MA;
    else if (std::strcmp(modelName, "QVR1500 LBX") == 0) m_receiverInfo.modelKind = kModelQVR1500LBX;
    else m_receiverInfo.modelKind = kModelUnknown;
}

bool MAReceiver::ReadExtLevels(uint8_t (&destination)[kExtLevelsSize]) {
    std::memset(destination, 0, sizeof destination);
    SendCommand("log extlevelsb\r\n");
    if (!ReadLog(500) || GetLogMessageId() != logid::ExtLevels) return false;
    size_t length = LogBodyLength();
    if (length > kExtLevelsSize) length = kExtLevelsSize;
    std::memcpy(destination, LogBody(), length);
    return true;
}

bool MAReceiver::SetSerialNumber(const char* text) {
    if (std::strlen(text) != 11 || !IsQuotable(text)) return false;
    char previous[sizeof m_receiverInfo.serialNumber];
    CopyCut(previous, m_receiverInfo.serialNumber);
    CopyCut(m_receiverInfo.serialNumber, text);
    if (WriteEnclosureSerial()) return true;
    // Not written: keep the number the receiver still has.
    CopyCut(m_receiverInfo.serialNumber, previous);
    return false;
}

bool MAReceiver::WriteEnclosureSerial() {
    uint8_t log[kVersionLogSize];
    if (!GetVersionLog(log)) return false;
    char serial[17];
    CopyCut(serial, m_receiverInfo.serialNumber);  // the first 16 characters
    VersionEntryTexts e;
    if (ReadVersionEntry(log, kEnclosure, &e)) {
        const char* const texts[7] = {e.text[0], serial, e.text[2], e.text[3], e.text[4], e.text[5], e.text[6]};
        return SendVersionInfo("ENCLOSURE", texts);
    }
    const char* const texts[7] = {"QVR4100 MA", serial, "0", "0", "0", "0", "0"};
    return SendVersionInfo("ENCLOSURE", texts);
}

bool MAReceiver::WriteEnclosureModel(const char* modelName) {
    uint8_t log[kVersionLogSize];
    VersionEntryTexts e;
    if (!GetVersionLog(log) || !ReadVersionEntry(log, kEnclosure, &e)) return false;
    char model[17];
    CopyCut(model, modelName);
    const char* const texts[7] = {model, e.text[1], e.text[2], e.text[3], e.text[4], e.text[5], e.text[6]};
    return SendVersionInfo("ENCLOSURE", texts);
}

bool MAReceiver::IsQuotable(const char* text) {
    // Texts go between double quotes as they are: a quote or a control
    // character inside one would end the field early or split the command.
    for (const char* p = text; *p; ++p)
        if (*p == '"' || static_cast<unsigned char>(*p) < 0x20 || *p == 0x7F) return false;
    return true;
}

bool MAReceiver::MakeQuotable(char* text, const char* what) {
    char* out = text;
    const char* p = text;
    for (; *p; ++p)
        if (*p != '"' && static_cast<unsigned char>(*p) >= 0x20 && *p != 0x7F) *out++ = *p;
    if (out == p) return false;
    *out = '\0';
    TraceF(Trace(), "%s - removed quotes or control characters: %s", what, text);
    return true;
}

bool MAReceiver::SendVersionInfo(const char* entry, const char* const (&texts)[7]) {
    for (const char* text : texts)
        if (!IsQuotable(text)) {
            TraceF(Trace(), "SendVersionInfo - refused a text that cannot be quoted: %s", text);
            return false;
        }
    char command[kCommandSize];
    const int n = std::snprintf(command, sizeof command,
                                "setversioninfo %s \"%s\" \"%s\" \"%s\" \"%s\" \"%s\" \"%s\" \"%s\"\r\n", entry, texts[0],
                                texts[1], texts[2], texts[3], texts[4], texts[5], texts[6]);
    if (n < 0 || static_cast<size_t>(n) >= sizeof command) return false;
    SendCommand(command);  // sent blind, as every record write
    return true;
}

} // namespace qvr
