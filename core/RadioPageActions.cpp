// What the UHF and GSM pages and their service dialogs do with the receiver.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "GsmVocabulary.h"
#include "RadioPageActions.h"
#include "Text.h"

namespace qvr {

const char* const kUhfPowerChoices[kUhfPowerChoiceCount] = {".010", ".020", ".050", ".100", ".200", ".500", "1.000"};

namespace {

constexpr long kChoiceMilliwatts[kUhfPowerChoiceCount] = {10, 20, 50, 100, 200, 500, 1000};

void Say(MAReceiver& receiver, const char* text, MessageIcon icon) {
    receiver.Ui().ShowMessage(text, receiver.Caption(), icon, MessageButtons::Ok);
}

} // namespace

int UhfPowerChoiceIndex(const char* txPowerText) {
    const long milliwatts = static_cast<long>(MAReceiver::ReadDecimal(txPowerText));
    for (int i = 0; i + 1 < kUhfPowerChoiceCount; ++i)
        if (kChoiceMilliwatts[i] == milliwatts) return i;
    return kUhfPowerChoiceCount - 1;
}

int UhfPowerChoiceForMilliwatts(long milliwatts) {
    for (int i = 0; i < kUhfPowerChoiceCount; ++i)
        if (kChoiceMilliwatts[i] == milliwatts) return i;
    return -1;
}

bool SubmitUhfSettings(MAReceiver& receiver, ReceiverData& record, int powerChoice, const char* frequencyText,
                       bool errorCorrection) {
    UhfBlock& uhf = record.peripheral.uhf;
    if (powerChoice < 0 || powerChoice >= kUhfPowerChoiceCount) powerChoice = kUhfPowerChoiceCount - 1;
    // The power goes first, on every Submit, whatever the frequency checks say.
    const int milliwatts = static_cast<int>(MAReceiver::ReadDecimal(kUhfPowerChoices[powerChoice]) * 1000.0);
    std::snprintf(uhf.txPower, sizeof uhf.txPower, "%d", milliwatts);
    receiver.SetTxPower(uhf.txPower);

    const double f = MAReceiver::ReadDecimal(frequencyText, 63);
    if (f == 0) {
        Say(receiver, "Invalid entry for new frequency.", MessageIcon::None);
        return false;
    }
    // On the 12.5 kHz raster around the centre frequency, in whole hertz so
    // that a frequency typed exactly is never off by binary rounding.
    if ((MAReceiver::FrequencyHz(uhf.centerFrequency) - MAReceiver::FrequencyHz(f)) % 12500 != 0) {
        Say(receiver, "New current frequency must be a multiple of 12500 Hz from the center frequency.",
            MessageIcon::None);
        return false;
    }
    if (errorCorrection != (uhf.errorCorrection == 1)) {
        receiver.ToggleFec();
        uhf.errorCorrection = uhf.errorCorrection == 1 ? 0 : 1;
    }
    if (!receiver.SetCurrentFrequency(f)) {
        Say(receiver, "Errors were detected during frequency change.", MessageIcon::Error);
        return false;
    }
    receiver.StoreRadioSettings();
    Say(receiver, "Changes were successful.", MessageIcon::Information);
    uhf.currentFrequency = f;
    return true;
}

CenterChangeResult AskCenterFrequencyChange(IOperator& ui, const ReceiverData& record) {
    if (record.peripheral.kind != kPeripheralUhf) {
        ui.ShowMessage("Feature only applicable for receivers with UHF radios.", "Error", MessageIcon::Exclamation,
                       MessageButtons::Ok);
        return CenterChangeResult::NotUhf;
    }
    if (ui.ShowMessage("You are attempting to change the UHF Center frequency. Do you wish to proceed?", "Warning!",
                       MessageIcon::Exclamation, MessageButtons::OkCancel) != MessageAnswer::Ok)
        return CenterChangeResult::Declined;
    return CenterChangeResult::Succeeded;
}

bool CenterFrequencyTextValid(IOperator& ui, const char* text) {
    if (MAReceiver::ReadDecimal(text, 254) != 0) return true;
    ui.ShowMessage("Frequency does not appear to be a valid number?", "Error", MessageIcon::Error, MessageButtons::Ok);
    return false;
}

bool ApplyCenterFrequency(MAReceiver& receiver, const char* text) {
    char reason[MAReceiver::kCenterMessageSize] = {};
    if (receiver.SetCenterFrequency(text, reason)) return true;
    char message[MAReceiver::kCenterMessageSize + 160];
    std::snprintf(message, sizeof message,
                  "The center frequency change request was rejected for the following reason:\r\n\r\n%s\r\n\r\n"
                  "Please restart receiver and retry.",
                  reason);
    receiver.Ui().ShowMessage(message, "Error setting center frequency.", MessageIcon::Error, MessageButtons::Ok);
    return false;
}

void ReportCenterFrequencyChange(IOperator& ui, bool succeeded) {
    if (succeeded)
        ui.ShowMessage("Change was successful. Application will terminate, please restart receiver.", "Success!",
                       MessageIcon::None, MessageButtons::Ok);
    else
        ui.ShowMessage("Change was was not successful. Application will terminate, please restart receiver.",
                       "Failure!", MessageIcon::None, MessageButtons::Ok);
}

CenterChangeResult ChangeCenterFrequency(MAReceiver& receiver, const ReceiverData& record, const char* text) {
    IOperator& ui = receiver.Ui();
    const CenterChangeResult asked = AskCenterFrequencyChange(ui, record);
    if (asked != CenterChangeResult::Succeeded) return asked;
    if (!CenterFrequencyTextValid(ui, text)) return CenterChangeResult::InvalidNumber;
    const bool ok = ApplyCenterFrequency(receiver, text);
    ReportCenterFrequencyChange(ui, ok);
    return ok ? CenterChangeResult::Succeeded : CenterChangeResult::Failed;
}

void TcpTestSite(const char* text, char* site, size_t size) {
    const char* www = std::strstr(text, "www.");
    CopyCut(site, size, www ? www + 4 : text);
}

bool SubmitGsmBearer(MAReceiver& receiver, ReceiverData& record, int bearerType, const char* userName,
                     const char* password, const char* accessPointName, const char* timeoutText) {
    IOperator& ui = receiver.Ui();
    const char* caption = receiver.GetProfile().gsmBearerCaption;
    const auto fail = [&ui, caption](const char* text) {
        ui.ShowMessage(text, caption, MessageIcon::Error, MessageButtons::Ok);
        return false;
    };
    // The record follows the module: each part of it changes only once the
    // module has confirmed its write, and the first write it does not
    // confirm ends the submit.
    BearerRecord& bearer = record.peripheral.bearer;
    const int type = bearerType == kBearerGprs ? kBearerGprs : kBearerNone;
    if (type == kBearerNone) {
        if (!receiver.ClearBearer()) return fail("The bearer could not be cleared on the GSM module.");
        std::memset(&bearer, 0, sizeof bearer);
    } else {
        // Checked on a copy first, so a refused field leaves the record as it was.
        BearerRecord edited = bearer;
        edited.defaultConnection = type;
        edited.incomingChapEnabled = 0;
        edited.csdNumberAuthenticationEnabled = 0;
        const auto refuse = [&fail](GsmField field) {
            char message[160];
            FormatFieldTooLong(message, field);
            return fail(message);
        };
        // A text longer than its field would be written cut, and reported
        // as written: refused instead, before anything is sent.
        const struct {
            const char* text;
            GsmField field;
        } texts[] = {{userName, GsmField::GprsUserName},
                     {password, GsmField::GprsPassword},
                     {accessPointName, GsmField::GprsAccessPointName}};
        for (const auto& t : texts)
            if (std::strlen(t.text) >= sizeof edited.gprsPppUserName) return refuse(t.field);
        CopyCut(edited.gprsPppUserName, userName);
        CopyCut(edited.gprsPppPassword, password);
        CopyCut(edited.gprsAccessPointName, accessPointName);
        edited.gprsTimeout = static_cast<int32_t>(std::atol(timeoutText && *timeoutText ? timeoutText : "0"));
        edited.gprsEntered = 1;
        GsmField tooLong = GsmField::None;
        if (!receiver.WriteGprsSettings(&edited, &tooLong)) {
            if (tooLong != GsmField::None) return refuse(tooLong);
            return fail("The GPRS settings could not be written to the GSM module.");
        }
        CopyCut(bearer.gprsPppUserName, edited.gprsPppUserName);
        CopyCut(bearer.gprsPppPassword, edited.gprsPppPassword);
        CopyCut(bearer.gprsAccessPointName, edited.gprsAccessPointName);
        bearer.gprsTimeout = edited.gprsTimeout;
        bearer.gprsEntered = 1;
        if (!receiver.WriteAuthenticationSettings(&edited))
            return fail("The authentication settings could not be written to the GSM module.");
        bearer.incomingChapEnabled = 0;
        bearer.csdNumberAuthenticationEnabled = 0;
        std::memcpy(bearer.incomingChapUserName, edited.incomingChapUserName, sizeof bearer.incomingChapUserName);
        std::memcpy(bearer.incomingChapPassword, edited.incomingChapPassword, sizeof bearer.incomingChapPassword);
        if (!receiver.SetDefaultConnection(kBearerGprs))
            return fail("The default connection could not be set to GPRS on the GSM module.");
        bearer.defaultConnection = kBearerGprs;
    }
    ui.ShowMessage("GSM Settings successfully updated.", caption, MessageIcon::Information,
                   MessageButtons::Ok);
    return true;
}

bool MrsAvailable(const ReceiverData& record) {
    const float version = static_cast<float>(MAReceiver::ReadDecimal(record.peripheral.gsm.appletVersion));
    return static_cast<double>(version) >= 3.002;
}

MrsResult SubmitMrs(MAReceiver& receiver, ReceiverData& record, bool enabled, const char* portText,
                    const char* address, const char* mountPoint, const char* password) {
    if (!MrsAvailable(record)) {
        Say(receiver, "MRS is only available for GSM modules with an applet version of 3.002 or higher.",
            MessageIcon::Error);
        return MrsResult::NotAvailable;
    }
    if (enabled &&
        receiver.Ui().ShowMessage("You are configuring the GSM module to connect to an NTRIP caster and stream "
                                  "corrections everytime the receiver is powered on. This can result in large "
                                  "wireless service fees over time.\r\n\r\nDo you wish to continue? ",
                                  receiver.Caption(), MessageIcon::None, MessageButtons::YesNo) != MessageAnswer::Yes)
        return MrsResult::Declined;
    const size_t portLength = std::strlen(portText);
    const char* problem = nullptr;
    if (portLength == 0 || portLength > 5) problem = "Port number appears invalid. Please check.";
    else if (std::strlen(address) <= 4) problem = "Address appears invalid. Please check.";
    else if (mountPoint[0] == '\0') problem = "Mount point name appears invalid. Please check.";
    else if (password[0] == '\0') problem = "Password apears invalid. Please check.";
    if (problem) {
        Say(receiver, problem, MessageIcon::Error);
        return MrsResult::Invalid;
    }
    NtripSourceRecord edited = record.peripheral.gsm.ntrip;
    CopyCut(edited.casterAddress, address);
    CopyCut(edited.mountPoint, mountPoint);
    CopyCut(edited.password, password);
    edited.port = static_cast<int32_t>(std::atol(portText));
    edited.enabledOnStartup = enabled ? 1 : 0;
    GsmField tooLong = GsmField::None;
    const bool ok = receiver.WriteNtripSettings(&edited, &tooLong);
    if (!ok && tooLong != GsmField::None) {
        char message[160];
        FormatFieldTooLong(message, tooLong);
        Say(receiver, message, MessageIcon::Error);
        return MrsResult::Invalid;
    }
    record.peripheral.gsm.ntrip = edited;
    if (ok) Say(receiver, "MRS settings update was successful.", MessageIcon::None);
    else Say(receiver, "MRS settings update was not successful.", MessageIcon::Error);
    return ok ? MrsResult::Succeeded : MrsResult::Failed;
}

bool AtCommandAllowed(const char* command) {
    char lower[1024];
    CopyCut(lower, command);
    for (char* p = lower; *p; ++p) *p = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    static const char* const kRefused[] = {"atz", "at&z", "atf", "at&f", "atw", "at&w"};
    for (const char* refused : kRefused)
        if (std::strstr(lower, refused)) return false;
    return true;
}

AtTestResult RunAtTestCommand(MAReceiver& receiver, char* command, size_t commandSize, char* result,
                              size_t resultSize) {
    if (resultSize == 0) return AtTestResult::Refused;
    if (!AtCommandAllowed(command)) {
        CopyCut(result, resultSize, "ATZ, ATF, and ATW commands not allowed in tool.\r\n");
        return AtTestResult::Refused;
    }
    GsmField tooLong = GsmField::None;
    if (!receiver.ExchangeAtCommand(command, commandSize, result, resultSize, &tooLong)) {
        if (tooLong == GsmField::None) return AtTestResult::Refused;
        char message[160];
        FormatFieldTooLong(message, tooLong);
        CopyCut(result, resultSize, message);
        return AtTestResult::TooLong;
    }
    if (receiver.LinkLost()) return AtTestResult::LinkLost;
    return result[0] != '\0' ? AtTestResult::Answered : AtTestResult::NotAnswered;
}

const char* CheckUhfUpgradeFile(const char* path) {
    std::FILE* file = path && *path ? std::fopen(path, "rb") : nullptr;
    if (!file) return "The specified upgrade file does not seem to exist. Please reselect and try again.";
    std::fclose(file);
    if (!std::strstr(path, ".sfo") && !std::strstr(path, ".SFO")) return "You must select a valid UHF upgrade file.";
    return nullptr;
}

bool ConfirmUpgradeStart(IOperator& ui, bool applet) {
    const char* question =
        applet ? "This application will become unresponsive after the applet upgrade is complete, and will "
                 "automatically be closed. You must also turn off the QVR4100 MA receiver following the "
                 "upgrade.\r\n\r\nAre you sure you wish to continue?"
               : "This application will become unresponsive after the upgrade is complete, and will automatically "
                 "be closed. You must also turn off the QVR4100 MA receiver following the upgrade.\r\n\r\nAre you "
                 "sure you wish to continue?";
    if (ui.ShowMessage(question, kDesktopCaption, MessageIcon::Information, MessageButtons::YesNo) !=
        MessageAnswer::Yes)
        return false;
    ui.ShowMessage("Do not disturb the connection to the receiver during the upgrade process. Interruption of the "
                   "process will cause your radio to become inoperable, and your receiver will have to be sent to a "
                   "service center for repair.",
                   kDesktopCaption, MessageIcon::Exclamation, MessageButtons::Ok);
    return true;
}

} // namespace qvr
