#pragma once
#include <cstddef>
#include <cstdint>

#include "MAReceiver.h"

// What the UHF, GSM and upgrade pages and their service dialogs do when the
// operator presses their buttons, shared by every front end.
namespace qvr {

// ---------------------------------------------------------------- UHF radio

// The UHF Settings page's TX power choices, in watts as the list shows them.
inline constexpr int kUhfPowerChoiceCount = 7;
extern const char* const kUhfPowerChoices[kUhfPowerChoiceCount];  // ".010" ... "1.000"
// The entry the page selects for a TX power text in milliwatts (the last,
// "1.000", for anything that is not one of the others).
int UhfPowerChoiceIndex(const char* txPowerText);
// The entry for a number of milliwatts, or -1.
int UhfPowerChoiceForMilliwatts(long milliwatts);

// The UHF Settings page's Submit: the power always, then the frequency
// checks, error correction, the frequency and storing; the outcome message.
// The record takes the new power, frequency and error-correction flag.
bool SubmitUhfSettings(MAReceiver& receiver, ReceiverData& record, int powerChoice, const char* frequencyText,
                       bool errorCorrection);

enum class CenterChangeResult { NotUhf, Declined, InvalidNumber, Succeeded, Failed };
// Ctrl+F: the checks and question of the sheet, the dialog's OK with the
// text as typed, and the sheet's closing message. After Succeeded or Failed
// the program ends (the receiver must be restarted).
CenterChangeResult ChangeCenterFrequency(MAReceiver& receiver, const ReceiverData& record, const char* text);
// The same in the steps a front end with a dialog takes between them:
// the sheet's check and question (NotUhf, Declined or Succeeded = go on);
CenterChangeResult AskCenterFrequencyChange(IOperator& ui, const ReceiverData& record);
// the dialog's number check (false: the message was shown, the dialog
// stays): the text must be a number and nothing else, since it is typed
// into the radio's menu as it is;
bool CenterFrequencyTextValid(IOperator& ui, const char* text);
// the change with the text as typed and, on failure, the rejection message;
bool ApplyCenterFrequency(MAReceiver& receiver, const char* text);
// and the sheet's closing message, after which the program ends.
void ReportCenterFrequencyChange(IOperator& ui, bool succeeded);
// The checks of a typed centre frequency that need no radio (the dialog's
// and the change's 6250 Hz rule): nullptr, or the message.
const char* CenterFrequencyTextProblem(const char* text);

// ---------------------------------------------------------------- handheld Radio page

// The outcome of the handheld Radio page's Submit; everything but Updated
// sends the operator back to the frequency field.
enum class HandheldRadioResult { Updated, InvalidEntry, OutOfRange, OffRaster, Refused };
// True when the frequency lies within range 1 or range 2 of the radio (both
// limits included), compared in whole hertz.
bool FrequencyInRanges(const UhfBlock& uhf, double mhz);
// The handheld Radio page's Submit. First error correction (the PCC modes,
// index 1 and 2, run without it: switched off; otherwise switched when the
// box differs from the flag), then the protocol mode (when the index differs
// from the stored mode and the radio reported one), both kept even when the
// frequency is refused; then the frequency checks (a number, within the
// ranges, on the 12.5 kHz raster around the centre frequency, all in whole
// hertz), the frequency, storing, and the outcome message. The record takes
// the flag and the mode as soon as they are sent, the frequency once the
// radio has accepted it.
HandheldRadioResult SubmitHandheldRadio(MAReceiver& receiver, ReceiverData& record, int modeIndex, bool fecChecked,
                                        const char* frequencyText);

// ---------------------------------------------------------------- GSM module

// The site the TCP test uses: what follows the first "www.", or the whole text.
void TcpTestSite(const char* text, char* site, size_t size);
// The GSM Bearer page's Submit: bearer 0 (TCP GPRS) with its four fields
// (GPRS settings, authentication, default connection), or 2 (NO BEARER,
// the bearer cleared). A field too long for the module is refused with a
// message naming it before anything is sent (false). The writes stop at the
// first one the module does not confirm, with a message naming it (false);
// the record takes only what the module confirmed. True with the success
// message when every write was confirmed.
bool SubmitGsmBearer(MAReceiver& receiver, ReceiverData& record, int bearerType, const char* userName,
                     const char* password, const char* accessPointName, const char* timeoutText);
// The checks Submit makes on the TCP GPRS fields before anything is sent: a
// line end, quote or control character in a text, a text too long for its
// field or for one request, a time-out that is not a number of 0 to
// 2147483647. False with the message (naming the field) in message.
bool CheckGprsFields(const char* userName, const char* password, const char* accessPointName,
                     const char* timeoutText, char* message, size_t size);
// The time-out field as the module stores it: digits only, empty is 0.
bool ParseGprsTimeout(const char* text, int32_t* seconds);
// Whether the module's applet is recent enough for the MRS page (3.002 on).
bool MrsAvailable(const ReceiverData& record);
enum class MrsResult { NotAvailable, Declined, Invalid, Succeeded, Failed };
// The MRS page's Submit: availability, the cost question when enabling, the
// field checks in order, the write and its message.
MrsResult SubmitMrs(MAReceiver& receiver, ReceiverData& record, bool enabled, const char* portText,
                    const char* address, const char* mountPoint, const char* password);
// The MRS page's field checks, in its order (port 1 to 65535, address,
// mount point, password), then a line end, quote or control character in
// a text and a request too long to send. False with the message.
bool CheckMrsFields(const char* portText, const char* address, const char* mountPoint, const char* password,
                    char* message, size_t size);
// The AT Test Mode dialog's filter: false for commands that reset or
// rewrite the module's settings (ATZ, AT&Z, ATF, AT&F, ATW, AT&W in any case).
bool AtCommandAllowed(const char* command);
// How a Submit Command ended: refused by the filter or for a line end or
// another control character, too long for one line (all before anything is
// sent), answered, not answered (an empty reply), or cut off because the
// receiver stopped answering.
enum class AtTestResult { Refused, TooLong, Answered, NotAnswered, LinkLost };
// The dialog's Submit Command: the refusal text, or the module's reply.
// command is the caller's buffer (commandSize bytes); it gets "\r\n".
AtTestResult RunAtTestCommand(MAReceiver& receiver, char* command, size_t commandSize, char* result,
                              size_t resultSize);

// ---------------------------------------------------------------- upgrades and debug file

// The UHF Upgrade page's file checks: a regular, readable file of at most
// 1 MB (looked at without blocking), a path containing ".sfo" or ".SFO",
// a whole number of 132-byte program messages. nullptr when the file may be
// used, else the message to show.
const char* CheckUhfUpgradeFile(const char* path);
inline constexpr uint64_t kUhfProgramDataSize = 132;
// The upgrade pages' Start: the question (Yes/No) and, on Yes, the warning
// not to disturb the connection. applet: the GSM page's wording.
bool ConfirmUpgradeStart(IOperator& ui, bool applet);

} // namespace qvr
