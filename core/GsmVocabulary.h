#pragma once
#include <cstddef>

#include "GsmRecords.h"

namespace qvr {

// What the front ends (desktop, handheld, command line) show of the GSM
// module's status: registration texts, signal classes, and the message for
// a setting too long to send.

// "Registered (home)" for 1 and so on; "Could not retrieve" for anything
// outside 0..5 (6 = not read).
const char* RegistrationText(int state);

// The class of a signal level in dBm: "unacceptable" below -100, "weak"
// below -90, "moderate" below -80, "good" below 0, else "not detectable".
const char* SignalClass(int dBm);

// The signal level text of the GSM block as a number (its leading decimal
// integer; 0 for an empty or unreadable text).
int SignalLevelValue(const char* text);

// "%d (%s)": the level and its class, as the status page shows it.
void FormatSignalLevel(char* destination, size_t size, const char* signalLevelText);
template <size_t N>
void FormatSignalLevel(char (&destination)[N], const char* signalLevelText) {
    FormatSignalLevel(destination, N, signalLevelText);
}

// How a field is called in messages ("GPRS access point name", ...); empty
// for GsmField::None.
const char* GsmFieldName(GsmField field);

// "The FIELD is too long to be sent to the GSM module. Please shorten it."
void FormatFieldTooLong(char* destination, size_t size, GsmField field);
template <size_t N>
void FormatFieldTooLong(char (&destination)[N], GsmField field) {
    FormatFieldTooLong(destination, N, field);
}

// "The FIELD contains a line break, quote or control character, which the
// GSM module cannot store. Please remove it."
void FormatFieldUnsafe(char* destination, size_t size, GsmField field);
template <size_t N>
void FormatFieldUnsafe(char (&destination)[N], GsmField field) {
    FormatFieldUnsafe(destination, N, field);
}

} // namespace qvr
