// The data refresh after a connect: identity, audio, the radio on the AUX
// port, the user-info record kept in step with what was found, and the
// consolidated receiver data record for the pages.
#include <cstdio>
#include <cstring>

#include "MAReceiver.h"
#include "Text.h"

namespace qvr {

namespace {

constexpr uint32_t kUserInfoType = 8;

bool NamesGsm(const char* name) { return std::strstr(name, "Aplicom") || std::strstr(name, "Siemens"); }

} // namespace

bool MAReceiver::UpdateAllData(ReceiverData& record, IStatusSink* status, bool* infoRead) {
    IStatusSink& out = status ? *status : *m_status;
    if (infoRead) *infoRead = false;
    SendCommand("unlogall\r\n");
    if (m_profile.extControlCommand) {
        Pause(m_profile.extControlPauseMs);
        SendCommand(m_profile.extControlCommand);
    }
    out.SetStatusText("Retrieving receiver settings...");
    if (!UpdateReceiverInfo()) {
        TraceF(Trace(), "UpdateReceiverInfo failed: Returning UpdateAllData false\r\n");
        return false;
    }
    if (infoRead) *infoRead = true;
    out.SetStatusText("Retrieving audio settings...");
    if (!UpdateAudioInfo()) {
        TraceF(Trace(), "UpdateAudioInfo failed: Returning UpdateAllData false\r\n");
        if (m_profile.keepsIdentityOnAudioFailure) record.info = m_receiverInfo;
        return false;
    }
    out.SetStatusText("Retrieving device settings...");
    UpdateDeviceInfo(&out);
    // Whatever was read before the link was lost is incomplete (a radio
    // half read, or none found because nothing answered any more).
    if (LinkLost()) {
        TraceF(Trace(), "The receiver stopped answering: Returning UpdateAllData false\r\n");
        return false;
    }

    if (m_profile.asksForSerialNumber && std::strlen(m_receiverInfo.serialNumber) != 11) {
        char entered[128] = {};
        if (m_ui->AskEnclosureSerial(entered, sizeof entered) && std::strlen(entered) == 11) {
            char read[sizeof m_receiverInfo.serialNumber];
            CopyCut(read, m_receiverInfo.serialNumber);
            CopyCut(m_receiverInfo.serialNumber, entered);
            // A failed write keeps the number read from this receiver: the
            // record's number from before this refresh may be another
            // receiver's.
            if (!WriteEnclosureSerial()) CopyCut(m_receiverInfo.serialNumber, read);
        }
    }

    std::memset(&record, 0, sizeof record);
    record.info = m_receiverInfo;
    record.peripheral = m_peripheral;
    record.audio = m_audio;
    TraceF(Trace(), "MAReceiver::UpdateAllData succeeded\r\n");

    if (m_receiverInfo.modelKind == kModelQVR4100MAX) WriteEnclosureModel("QVR4100 MAX");
    if (LinkLost()) {
        TraceF(Trace(), "The receiver stopped answering: Returning UpdateAllData false\r\n");
        return false;
    }

    if (m_peripheral.kind == kPeripheralGsm) {
        int state = QueryRegistration();
        if (state == 6) state = QueryRegistration();
        if (LinkLost()) {
            TraceF(Trace(), "The receiver stopped answering: Returning UpdateAllData false\r\n");
            return false;
        }
        m_peripheral.gsm.registrationState = state;
        record.peripheral.gsm.registrationState = state;
        if (state != 1 && state != 5 && state != 6)
            Tell("Warning: There appears to be a problem with your GSM's network registration. Please check the "
                 "field 'Network status' in the 'GSM Settings' page for details.",
                 MessageIcon::Warning);
    }
    return true;
}

bool MAReceiver::UpdateDeviceInfo(IStatusSink* status) {
    IStatusSink& out = status ? *status : *m_status;
    SendCommand("comvout aux on\r\n");
    SendCommand("log passauxb onnew\r\n");
    m_peripheral.kind = kPeripheralNone;
    // The operator's answer about a removed radio holds for the receiver it
    // was given for: a later refresh (possibly of another receiver) where no
    // one is asked must not clear that receiver's configuration with it.
    m_radioRemovalConfirmed = 0;
    const bool lbx = m_receiverInfo.modelKind == kModelQVR1500LBX;
    if (!lbx) out.SetStatusText("Searching for installed radio...");

    bool undoPlaceholder = false;
    if (m_receiverInfo.peripheralName[0] == '\0') {
        WritePeripheralPlaceholder(true);
        undoPlaceholder = true;
    }
    bool found = false;
    if (!lbx) {
        if (NamesGsm(m_receiverInfo.peripheralName))
            found = DetectGsmModule(&out) || DetectUhfRadio(&out);
        else
            found = DetectUhfRadio(&out) || DetectGsmModule(&out);
        if (found) undoPlaceholder = false;
    }
    // A search that ended because the receiver stopped answering found
    // nothing about the radio: no dialog, nothing written.
    if (LinkLost()) {
        TraceF(Trace(), "UpdateDeviceInfo - the receiver stopped answering during the radio search.\r\n");
        return true;
    }
    if (!lbx && !found) {
        if (m_receiverInfo.auxSettings[0] != '\0') {
            char command[64];
            std::snprintf(command, sizeof command, "com aux %s\r\n", m_receiverInfo.auxSettings);
            SendCommand(command);
        }
        const bool uhf = std::strstr(m_receiverInfo.peripheralName, "3AS") != nullptr;
        const bool gsm = !uhf && NamesGsm(m_receiverInfo.peripheralName);
        if (uhf || gsm) {
            const RadioNotFoundTexts& texts = m_profile.radioNotFound;
            const char* message = uhf ? texts.uhfMessage : texts.gsmMessage;
            if (texts.asksForRemoval) {
                bool removed = false;
                m_ui->ConfirmRadioNotFound(message, uhf ? texts.uhfRemovedBox : texts.gsmRemovedBox, &removed);
                SetRadioRemovalConfirmed(removed);
            } else {
                // Said, and the configuration is never cleared.
                m_ui->ShowMessage(message, texts.caption, MessageIcon::Warning, MessageButtons::Ok);
            }
        }
    }
    SendCommand("unlog passauxb\r\n");
    WriteUserInfoPeripheral();
    if (undoPlaceholder) WritePeripheralPlaceholder(false);
    return true;
}

bool MAReceiver::WriteUserInfoPeripheral() {
    uint8_t log[kVersionLogSize];
    VersionEntryTexts entry;
    if (!GetVersionLog(log) || !ReadVersionEntry(log, kUserInfoType, &entry)) return false;
    // The record's own texts and the radio's version go back as they can
    // be quoted: one bad character must not keep the record from ever
    // being written again.
    for (char* text : entry.text) MakeQuotable(text, "WriteUserInfoPeripheral");
    const char* text1 = entry.text[0];
    const char* text2 = entry.text[1];
    const char* text7 = entry.text[6];

    char version[UhfBlock::kTextSize + 2] = "";
    const char* name = "";
    const char* flags = "";
    const char* aux = "";
    const char* message = nullptr;
    switch (m_peripheral.kind) {
    case kPeripheralUhf:
        name = "3AS/PT";
        std::snprintf(version, sizeof version, "%s*", m_peripheral.uhf.firmwareVersion);
        MakeQuotable(version, "WriteUserInfoPeripheral");
        flags = "0000000000000001";
        aux = "0096N81NNNNN";
        message = "A new UHF radio has been detected and automatically configured.";
        break;
    case kPeripheralGsm:
        name = m_peripheral.gsm.moduleKind == kGsmModuleSiemens ? "Siemens" : "Aplicom12";
        CopyCut(version, m_peripheral.gsm.appletVersion);
        MakeQuotable(version, "WriteUserInfoPeripheral");
        flags = "0000000000000000";
        aux = "1152N81NNNNN";
        message = "A new GSM radio has been detected and automatically configured.";
        break;
    default:
        if (!m_radioRemovalConfirmed) return false;
        message = "No peripheral device was found. Configuration has been automatically updated to reflect this.";
        break;
    }
    const char* const texts[7] = {text1, text2, name, version, flags, aux, text7};
    if (!SendVersionInfo("userinfo", texts)) return false;
    if (std::strcmp(name, m_receiverInfo.peripheralName) != 0)
        Tell(message, MessageIcon::None);
    else if (std::strcmp(aux, m_receiverInfo.auxSettings) != 0)
        Tell("Incorrect radio settings were detected and have been automatically corrected.", MessageIcon::None);
    return true;
}

bool MAReceiver::WritePeripheralPlaceholder(bool placeholder) {
    uint8_t log[kVersionLogSize];
    VersionEntryTexts e;
    if (!GetVersionLog(log) || !ReadVersionEntry(log, kUserInfoType, &e)) return false;
    for (char* text : e.text) MakeQuotable(text, "WritePeripheralPlaceholder");
    CopyCut(e.text[2], placeholder ? "NONE" : "");
    const char* const fields[7] = {e.text[0], e.text[1], e.text[2], e.text[3], e.text[4], e.text[5], e.text[6]};
    SendVersionInfo("userinfo", fields);
    SendCommand("log xcom1_28 versionb once\r\n");
    Pause(1000);
    if (placeholder) {
        SendCommand("comvout aux on\r\n");
        Pause(3000);
    }
    return true;
}

void MAReceiver::SetRadioRemovalConfirmed(bool flag) { m_radioRemovalConfirmed = flag ? 1 : 0; }

} // namespace qvr
