// What the UHF and GSM pages and their service dialogs do with the receiver.
#include <cctype>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "GsmVocabulary.h"
#include "RadioPageActions.h"
#include "Text.h"
#include "UpgradeFile.h"

namespace qvr {

const char* const kUhfPowerChoices[kUhfPowerChoiceCount] = {".010", ".020", ".050", ".100", ".200", ".500", "1.000"};

namespace {

constexpr long kChoiceMilliwatts[kUhfPowerChoiceCount] = {10, 20, 50, 100, 200, 500, 1000};
// The centre-frequency dialog's field holds at most 254 characters.
constexpr size_t kCenterFrequencyTextMax = 254;
const char* const kCenterNotANumber = "Frequency does not appear to be a valid number?";
const char* const kTimeoutInvalid = "The connection timeout must be a whole number from 0 to 2147483647.";
const char* const kAtCommandUnsafe =
    "The AT command contains a line break or control character. Please remove it.\r\n";
const char* const kAtLinkLost =
    "The receiver stopped answering. Check the cable and the receiver's power, then connect again.\r\n";
const char* const kPortInvalid = "Port number appears invalid. Please check.";

void Say(MAReceiver& receiver, const char* text, MessageIcon icon) {
    receiver.Ui().ShowMessage(text, receiver.Caption(), icon, MessageButtons::Ok);
}

} // namespace

int UhfPowerChoiceIndex(const char* txPowerText) {
    // The radio's text: a number too large for a long matches no choice
    // (and must not be converted).
    const double read = MAReceiver::ReadDecimal(txPowerText);
    if (!(std::fabs(read) < 1e9)) return kUhfPowerChoiceCount - 1;
    const long milliwatts = static_cast<long>(read);
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

bool FrequencyInRanges(const UhfBlock& uhf, double mhz) {
    const int64_t hz = MAReceiver::FrequencyHz(mhz);
    const auto within = [hz](double lower, double upper) {
        return hz >= MAReceiver::FrequencyHz(lower) && hz <= MAReceiver::FrequencyHz(upper);
    };
    return within(uhf.range1Lower, uhf.range1Upper) || within(uhf.range2Lower, uhf.range2Upper);
}

HandheldRadioResult SubmitHandheldRadio(MAReceiver& receiver, ReceiverData& record, int modeIndex, bool fecChecked,
                                        const char* frequencyText) {
    UhfBlock& uhf = record.peripheral.uhf;
    const auto say = [&receiver](const char* text, MessageIcon icon) {
        receiver.Ui().ShowMessage(text, kHandheldCaption, icon, MessageButtons::Ok);
    };
    const bool pcc = modeIndex == kUhfModePcc4Fsk || modeIndex == kUhfModePccGmsk;
    if (pcc) {
        if (uhf.errorCorrection == 1) {
            receiver.ToggleFec();
            uhf.errorCorrection = 0;
        }
    } else if (fecChecked != (uhf.errorCorrection == 1)) {
        receiver.ToggleFec();
        uhf.errorCorrection = uhf.errorCorrection == 1 ? 0 : 1;
    }
    // A radio that did not report its mode keeps it; no selection changes nothing.
    if (modeIndex >= kUhfMode3asPt && modeIndex <= kUhfModePccGmsk && modeIndex != uhf.protocolMode &&
        uhf.protocolMode != kUhfModeNotSupported) {
        receiver.SetProtocolMode(modeIndex);
        uhf.protocolMode = modeIndex;
    }

    const double f = MAReceiver::ReadDecimal(frequencyText, 127);
    if (f == 0) {
        say("Invalid entry for new frequency.", MessageIcon::Error);
        return HandheldRadioResult::InvalidEntry;
    }
    if (!FrequencyInRanges(uhf, f)) {
        say("The specified frequency does not fall within the specified ranges.", MessageIcon::Error);
        return HandheldRadioResult::OutOfRange;
    }
    // In whole hertz, so that a frequency typed exactly is never off the
    // raster by binary rounding.
    if ((MAReceiver::FrequencyHz(uhf.centerFrequency) - MAReceiver::FrequencyHz(f)) % 12500 != 0) {
        say("New current frequency must be a multiple of 12500 Hz.", MessageIcon::Error);
        return HandheldRadioResult::OffRaster;
    }
    if (!receiver.SetCurrentFrequency(f)) {
        say("Radio did not accept frequency change. Please check new frequency entry.", MessageIcon::Error);
        return HandheldRadioResult::Refused;
    }
    receiver.StoreRadioSettings();
    say("Frequency change successfully updated.", MessageIcon::Information);
    uhf.currentFrequency = f;
    return HandheldRadioResult::Updated;
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

const char* CenterFrequencyTextProblem(const char* text) {
    // The text is typed into the radio's menu as it is: a line end or any
    // other character after the number would press keys of its own.
    if (!MAReceiver::IsPlainDecimal(text, kCenterFrequencyTextMax) ||
        MAReceiver::ReadDecimal(text, kCenterFrequencyTextMax) == 0)
        return kCenterNotANumber;
    if (!MAReceiver::OnCenterFrequencyRaster(MAReceiver::ReadDecimal(text)))
        return "New center frequency must be a multiple of 6250 hertz!";
    return nullptr;
}

bool CenterFrequencyTextValid(IOperator& ui, const char* text) {
    if (MAReceiver::IsPlainDecimal(text, kCenterFrequencyTextMax) &&
        MAReceiver::ReadDecimal(text, kCenterFrequencyTextMax) != 0)
        return true;
    ui.ShowMessage(kCenterNotANumber, "Error", MessageIcon::Error, MessageButtons::Ok);
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

bool ParseGprsTimeout(const char* text, int32_t* seconds) {
    // Digits only (an empty field is 0), within what the module stores: a
    // larger number would be kept as another one.
    int64_t value = 0;
    for (const char* p = text ? text : ""; *p; ++p) {
        if (*p < '0' || *p > '9') return false;
        value = value * 10 + (*p - '0');
        if (value > INT32_MAX) return false;
    }
    if (seconds) *seconds = static_cast<int32_t>(value);
    return true;
}

bool CheckGprsFields(const char* userName, const char* password, const char* accessPointName,
                     const char* timeoutText, char* message, size_t size) {
    const struct {
        const char* text;
        GsmField field;
    } texts[] = {{userName ? userName : "", GsmField::GprsUserName},
                 {password ? password : "", GsmField::GprsPassword},
                 {accessPointName ? accessPointName : "", GsmField::GprsAccessPointName}};
    for (const auto& t : texts) {
        if (HasControlOrQuote(t.text)) {
            FormatFieldUnsafe(message, size, t.field);
            return false;
        }
        // A text longer than its field would be written cut, and reported
        // as written.
        if (std::strlen(t.text) >= sizeof(BearerRecord::gprsPppUserName)) {
            FormatFieldTooLong(message, size, t.field);
            return false;
        }
    }
    BearerRecord record{};
    if (!ParseGprsTimeout(timeoutText, &record.gprsTimeout)) {
        CopyCut(message, size, kTimeoutInvalid);
        return false;
    }
    CopyCut(record.gprsPppUserName, texts[0].text);
    CopyCut(record.gprsPppPassword, texts[1].text);
    CopyCut(record.gprsAccessPointName, texts[2].text);
    char payload[MAReceiver::kMaxSendHexData + 1];
    GsmField tooLong = GsmField::None;
    if (!MAReceiver::FormatGprsPayload(record, payload, sizeof payload, &tooLong)) {
        FormatFieldTooLong(message, size, tooLong);
        return false;
    }
    return true;
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
        // Checked before anything is sent, so a refused field leaves the
        // module and the record as they were.
        char problem[200];
        if (!CheckGprsFields(userName, password, accessPointName, timeoutText, problem, sizeof problem))
            return fail(problem);
        BearerRecord edited = bearer;
        edited.defaultConnection = type;
        edited.incomingChapEnabled = 0;
        edited.csdNumberAuthenticationEnabled = 0;
        CopyCut(edited.gprsPppUserName, userName);
        CopyCut(edited.gprsPppPassword, password);
        CopyCut(edited.gprsAccessPointName, accessPointName);
        ParseGprsTimeout(timeoutText, &edited.gprsTimeout);
        edited.gprsEntered = 1;
        const auto refuse = [&fail](GsmField field) {
            char message[160];
            FormatFieldTooLong(message, field);
            return fail(message);
        };
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
    // Compared in single precision as the page always did; a number beyond
    // its range (the module's text) is a version far above 3.002 or below.
    const double read = MAReceiver::ReadDecimal(record.peripheral.gsm.appletVersion);
    if (!(std::fabs(read) < 1e30)) return read > 0;
    const float version = static_cast<float>(read);
    return static_cast<double>(version) >= 3.002;
}

bool CheckMrsFields(const char* portText, const char* address, const char* mountPoint, const char* password,
                    char* message, size_t size) {
    if (!portText) portText = "";
    if (!address) address = "";
    if (!mountPoint) mountPoint = "";
    if (!password) password = "";
    // A TCP port: 1 to 65535, in digits.
    const size_t portLength = std::strlen(portText);
    bool portOk = portLength >= 1 && portLength <= 5;
    long port = 0;
    for (const char* p = portText; portOk && *p; ++p) {
        portOk = *p >= '0' && *p <= '9';
        port = port * 10 + (*p - '0');
    }
    const char* problem = nullptr;
    if (!portOk || port < 1 || port > 65535) problem = kPortInvalid;
    else if (std::strlen(address) <= 4) problem = "Address appears invalid. Please check.";
    else if (mountPoint[0] == '\0') problem = "Mount point name appears invalid. Please check.";
    else if (password[0] == '\0') problem = "Password apears invalid. Please check.";
    if (problem) {
        CopyCut(message, size, problem);
        return false;
    }
    const struct {
        const char* text;
        GsmField field;
    } texts[] = {{address, GsmField::NtripCasterAddress},
                 {mountPoint, GsmField::NtripMountPoint},
                 {password, GsmField::NtripPassword}};
    NtripSourceRecord record{};
    for (const auto& t : texts) {
        if (HasControlOrQuote(t.text)) {
            FormatFieldUnsafe(message, size, t.field);
            return false;
        }
        if (std::strlen(t.text) >= sizeof(NtripSourceRecord::casterAddress)) {
            FormatFieldTooLong(message, size, t.field);
            return false;
        }
    }
    CopyCut(record.casterAddress, address);
    CopyCut(record.mountPoint, mountPoint);
    CopyCut(record.password, password);
    record.port = static_cast<int32_t>(port);
    char payload[MAReceiver::kMaxSendHexData + 1];
    GsmField tooLong = GsmField::None;
    if (!MAReceiver::FormatNtripPayload(record, payload, sizeof payload, &tooLong)) {
        FormatFieldTooLong(message, size, tooLong);
        return false;
    }
    return true;
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
    char problem[200];
    if (!CheckMrsFields(portText, address, mountPoint, password, problem, sizeof problem)) {
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
    // A line end inside would send a second command past the filter.
    if (HasControlCharacter(command)) {
        CopyCut(result, resultSize, kAtCommandUnsafe);
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
    if (receiver.LinkLost()) {
        // Said in the reply box, where the operator is looking.
        if (result[0] == '\0') CopyCut(result, resultSize, kAtLinkLost);
        return AtTestResult::LinkLost;
    }
    return result[0] != '\0' ? AtTestResult::Answered : AtTestResult::NotAnswered;
}

const char* CheckUhfUpgradeFile(const char* path) {
    // Looked at before anything else, without ever blocking on it: a
    // regular file, readable, within the size a radio image can have.
    uint64_t size = 0;
    UpgradeFileProblem problem = UpgradeFileProblem::None;
    std::FILE* file = OpenUpgradeFile(path, UpgradeFileKind::UhfFirmware, &size, &problem);
    if (!file) return UpgradeFileProblemText(problem, UpgradeFileKind::UhfFirmware);
    std::fclose(file);
    if (!std::strstr(path, ".sfo") && !std::strstr(path, ".SFO")) return "You must select a valid UHF upgrade file.";
    // The loader takes whole 132-byte program messages.
    if (size % kUhfProgramDataSize != 0)
        return "The specified upgrade file is not a UHF radio firmware file: its size is not a multiple of 132 "
               "bytes. Please reselect and try again.";
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
