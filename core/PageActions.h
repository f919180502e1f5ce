#pragma once
#include <cstddef>

#include "MAReceiver.h"

// What the desktop program's pages do when the operator presses their
// buttons, as functions on the receiver object, so that every front end
// (the desktop pages, the command-line tool) runs the same operations in the
// same order with the same checks and messages.
namespace qvr {

enum class ConnectResult { Connected, NoReceiver, RefreshFailed };

// The Connection page's Connect: finds the receiver, runs the data refresh
// and, for a "QVR4100 MAX" with old GPS card firmware, warns. The long
// connection-failure message is shown when no receiver is found.
ConnectResult ConnectAndRefresh(MAReceiver& receiver, const char* portName, ReceiverData& record,
                                IStatusSink* status, bool warnOutOfDate = true);
// The same after a connect that found the receiver: the refresh, and the
// out-of-date warning (Connected), or the link-lost message when the
// receiver stopped answering (RefreshFailed).
ConnectResult RefreshConnected(MAReceiver& receiver, ReceiverData& record, IStatusSink* status,
                               bool warnOutOfDate = true);
// The handheld Connection page's worker, first step: finds the receiver;
// when there is none, the connection-failure message with the program's
// caption. The refresh and the out-of-date warning follow separately.
bool ConnectReceiver(MAReceiver& receiver, const char* portName);
// The data refresh (UpdateAllData) without status texts of its own; when it
// fails because the receiver stopped answering, the link-lost message with
// the program's caption (the refresh tells its other failures itself).
bool RefreshReceiverData(MAReceiver& receiver, ReceiverData& record, IStatusSink* status);
// The Connection page's last step: the out-of-date firmware warning, when due,
// with the program's caption.
void WarnIfOutOfDate(MAReceiver& receiver, const ReceiverData& record);

// The GPS card firmware version read as the Connection page reads it (its
// first 5 characters, the leading decimal number) and whether it is too old.
double GpsFirmwareNumber(const char* version);
bool FirmwareOutOfDate(const ReceiverData& record);

// The Connection page's texts for the identity rows.
void FirmwareText(const ReceiverData& record, char* text, size_t size);
const char* RadioKindText(int32_t peripheralKind);  // "None", "UHF", "GSM/GPRS", or nullptr

// The serial-number service dialog's rule: exactly 11 characters, three
// letters A to Z then eight digits, after a to z became upper case. Writes
// the upper-case number into normalized (12 bytes) and tells whether it is
// acceptable.
bool NormalizeNewSerial(const char* typed, char (&normalized)[12]);
// Ctrl+N after the dialog: write the number; the record takes it only when
// the write went out, so it never shows a number the receiver does not have.
bool ChangeSerialNumber(MAReceiver& receiver, ReceiverData& record, const char* serial);

// The Receiver Settings page's Submit: language, volume, then the POWERUP
// choice with the timer mode, each only after the one before succeeded;
// on the handheld the factory-reset notice when the POWERUP choice changed;
// then the outcome message. The record takes the chosen values either way.
bool SubmitReceiverSettings(MAReceiver& receiver, ReceiverData& record, int languageIndex, int volume,
                            int powerupIndex, int timerMode);

} // namespace qvr
