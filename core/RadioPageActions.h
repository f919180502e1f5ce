#pragma once
#include <cstddef>

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
// the dialog's number check (false: the message was shown, the dialog stays);
bool CenterFrequencyTextValid(IOperator& ui, const char* text);
// the change with the text as typed and, on failure, the rejection message;
bool ApplyCenterFrequency(MAReceiver& receiver, const char* text);
// and the sheet's closing message, after which the program ends.
void ReportCenterFrequencyChange(IOperator& ui, bool succeeded);

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
// Whether the module's applet is recent enough for the MRS page (3.002 on).
bool MrsAvailable(const ReceiverData& record);
enum class MrsResult { NotAvailable, Declined, Invalid, Succeeded, Failed };
// The MRS page's Submit: availability, the cost question when enabling, the
// field checks in order, the write and its message.
MrsResult SubmitMrs(MAReceiver& receiver, ReceiverData& record, bool enabled, const char* portText,
                    const char* address, const char* mountPoint, const char* password);
// The AT Test Mode dialog's filter: false for commands that reset or
// rewrite the module's settings (ATZ, AT&Z, ATF, AT&F, ATW, AT&W in any case).
bool AtCommandAllowed(const char* command);
// How a Submit Command ended: refused by the filter, too long for one line
// (both before anything is sent), answered, not answered (an empty reply),
// or cut off because the receiver stopped answering.
enum class AtTestResult { Refused, TooLong, Answered, NotAnswered, LinkLost };
// The dialog's Submit Command: the refusal text, or the module's reply.
// command is the caller's buffer (commandSize bytes); it gets "\r\n".
AtTestResult RunAtTestCommand(MAReceiver& receiver, char* command, size_t commandSize, char* result,
                              size_t resultSize);

// ---------------------------------------------------------------- upgrades and debug file

// The UHF Upgrade page's file checks: nullptr when the file may be used,
// else the message to show.
const char* CheckUhfUpgradeFile(const char* path);
// The upgrade pages' Start: the question (Yes/No) and, on Yes, the warning
// not to disturb the connection. applet: the GSM page's wording.
bool ConfirmUpgradeStart(IOperator& ui, bool applet);

} // namespace qvr
