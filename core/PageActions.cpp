#include "PageActions.h"

#include <cstdio>
#include <cstring>

#include "Text.h"

namespace qvr {

namespace {

constexpr const char* kConnectFailed =
    "Unable to establish connection to receiver. \r\n\r\nPlease verify the following and try again:\r\n\r\n1) You "
    "have selected the correct PC COM port.\r\n2) Ensure the receiver is powered on and ready.\r\n3) The selected "
    "PC COM port is not currently in use by another application.";
constexpr const char* kLinkLost =
    "The receiver stopped answering while its data were being read. Check the cable and the receiver's power, "
    "then connect again.";
constexpr const char* kOutOfDate =
    "The firmware (OEM and/or UserApp) for this receiver is out of date.\r\nPlease contact your Brenor dealer for "
    "upgrade details.";

} // namespace

ConnectResult ConnectAndRefresh(MAReceiver& receiver, const char* portName, ReceiverData& record,
                                IStatusSink* status, bool warnOutOfDate) {
    if (status) status->SetStatusText("Connecting...");
    if (!ConnectReceiver(receiver, portName)) {
        if (status) status->SetStatusText("Not Connected.");
        return ConnectResult::NoReceiver;
    }
    return RefreshConnected(receiver, record, status, warnOutOfDate);
}

ConnectResult RefreshConnected(MAReceiver& receiver, ReceiverData& record, IStatusSink* status, bool warnOutOfDate) {
    if (status) status->SetStatusText("Collecting Data...");
    if (!RefreshReceiverData(receiver, record, status)) {
        if (status) status->SetStatusText("Not Connected.");
        return ConnectResult::RefreshFailed;
    }
    if (status) status->SetStatusText("Connected.");
    if (warnOutOfDate) WarnIfOutOfDate(receiver, record);
    return ConnectResult::Connected;
}

bool RefreshReceiverData(MAReceiver& receiver, ReceiverData& record, IStatusSink* status) {
    if (receiver.UpdateAllData(record, status)) return true;
    if (receiver.LinkLost())
        receiver.Ui().ShowMessage(kLinkLost, receiver.Caption(), MessageIcon::Exclamation, MessageButtons::Ok);
    return false;
}

bool ConnectReceiver(MAReceiver& receiver, const char* portName) {
    if (receiver.Connect(portName)) return true;
    receiver.Ui().ShowMessage(kConnectFailed, receiver.GetProfile().connectFailedCaption, MessageIcon::None,
                              MessageButtons::Ok);
    return false;
}

void WarnIfOutOfDate(MAReceiver& receiver, const ReceiverData& record) {
    if (FirmwareOutOfDate(record))
        receiver.Ui().ShowMessage(kOutOfDate, receiver.Caption(), MessageIcon::Exclamation, MessageButtons::Ok);
}

double GpsFirmwareNumber(const char* version) {
    char text[6];
    CopyCut(text, version);
    // The leading decimal number: digits, one point, digits.
    double value = 0, scale = 0;
    for (const char* p = text; *p; ++p) {
        if (*p >= '0' && *p <= '9') {
            if (scale == 0) {
                value = value * 10 + (*p - '0');
            } else {
                value += (*p - '0') * scale;
                scale /= 10;
            }
        } else if (*p == '.' && scale == 0) {
            scale = 0.1;
        } else {
            break;
        }
    }
    return value;
}

bool FirmwareOutOfDate(const ReceiverData& record) {
    return record.info.modelKind == kModelQVR4100MAX && GpsFirmwareNumber(record.info.gpsCardVersion) < 3.11;
}

void FirmwareText(const ReceiverData& record, char* text, size_t size) {
    std::snprintf(text, size, "%s / %s", record.info.gpsCardVersion, record.info.userAppVersion);
}

const char* RadioKindText(int32_t peripheralKind) {
    switch (peripheralKind) {
    case kPeripheralNone: return "None";
    case kPeripheralUhf: return "UHF";
    case kPeripheralGsm: return "GSM/GPRS";
    default: return nullptr;
    }
}

bool NormalizeNewSerial(const char* typed, char (&normalized)[12]) {
    normalized[0] = '\0';
    if (std::strlen(typed) != 11) return false;
    for (int i = 0; i < 11; ++i) {
        char c = typed[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        normalized[i] = c;
        if (i < 3 ? !(c >= 'A' && c <= 'Z') : !(c >= '0' && c <= '9')) {
            normalized[i + 1] = '\0';
            return false;
        }
    }
    normalized[11] = '\0';
    return true;
}

bool ChangeSerialNumber(MAReceiver& receiver, ReceiverData& record, const char* serial) {
    if (!receiver.SetSerialNumber(serial)) return false;
    CopyCut(record.info.serialNumber, serial);
    return true;
}

bool SubmitReceiverSettings(MAReceiver& receiver, ReceiverData& record, int languageIndex, int volume,
                            int powerupIndex, int timerMode) {
    if (receiver.Info().modelKind == kModelQVR4100MA) timerMode = 0;
    const bool ok = receiver.SetAudioLanguage(languageIndex) &&
                    receiver.SetAudioVolume(static_cast<unsigned int>(volume)) &&
                    receiver.WritePowerupConfig(powerupIndex, timerMode);
    const char* caption = receiver.Caption();
    if (ok) {
        // A new POWERUP choice takes a factory reset: the handheld page says
        // so here, the desktop page in a note.
        const char* notice = receiver.GetProfile().powerupChangeNotice;
        if (notice && powerupIndex != record.info.powerupIndex)
            receiver.Ui().ShowMessage(notice, caption, MessageIcon::Error, MessageButtons::Ok);
        receiver.Ui().ShowMessage("Receiver Settings successfully updated.", caption, MessageIcon::Information,
                                  MessageButtons::Ok);
    } else {
        receiver.Ui().ShowMessage("Errors occurred while adjusting new settings.", caption, MessageIcon::Error,
                                  MessageButtons::Ok);
    }
    record.audio.volume = volume;
    record.audio.languageIndex = static_cast<uint16_t>(languageIndex);
    record.info.powerupIndex = powerupIndex;
    return ok;
}

} // namespace qvr
