#pragma once
#include <cstddef>
#include <cstdint>

#include "Languages.h"
#include "Variant.h"

// The receiver preferences as every front end (desktop, handheld, command
// line) lists them: voice prompt events, language lists, the POWERUP
// choices, the timer LED choices and the preference text kept in the
// receiver's user-info record. Plain tables and functions, no heap.
namespace qvr {

// ---------------------------------------------------------------- prompt events

// An event whose voice prompt the receiver can play as a sample: the keyword
// of "audiocfg send" and the name shown to the operator.
struct PromptEvent {
    const char* keyword;
    const char* displayName;
};

inline constexpr int kPromptEventCount = 16;
// In the receiver's numbering, which the desktop program uses.
extern const PromptEvent kPromptEvents[kPromptEventCount];

// The events a receiver of this model kind plays: all 16 on the
// "QVR1500 LBX", the first 14 on every other model.
int PromptEventCount(int32_t modelKind);

// The event that a program numbers `index`, or nullptr outside 0..15. The
// handheld program counts "shutdown" to "logepoch" as 0 to 12 and "startup"
// as 13; "swapwarn" and "swapcrit" are 14 and 15 in both programs.
const PromptEvent* PromptEventAt(Variant variant, int index);

// The entries of the desktop page's "Test sample" list (the first events of
// the table): 14 for the "QVR4100 MA" and the "QVR4100 MAX", 16 otherwise.
// For a model that is none of the three, the last two entries play nothing
// (PromptEventCount allows 14 there).
int TestSampleCount(int32_t modelKind);

// The handheld Receiver page's sample prompt ("btnignore") in its numbering.
inline constexpr int kHandheldSampleEvent = 9;

// ---------------------------------------------------------------- language lists

inline constexpr int kMaxLanguageList = 10;

// The list of prompt languages of the receiver's language file, in the
// receiver's own numbering (its language index points into it). `version`
// is the user application firmware version text, `languageFile` the name
// from the audio defaults. Returns the length, 5 or 10.
int LanguageList(Variant variant, int32_t modelKind, const char* version, const char* languageFile,
                 Language (&ids)[kMaxLanguageList]);

// The name of entry `index` of a language list, or "N/A" when the index is
// not inside the list (a receiver can report an index its file does not have).
const char* LanguageListName(const Language* ids, int count, int index);

// ---------------------------------------------------------------- POWERUP

// The configuration a receiver restores at a factory reset: the index of the
// chosen entry is what the preference text stores.
inline constexpr int kMaxPowerupEntries = 7;

// The user application firmware version as a number: its first four
// characters read as a decimal number (leading blanks, an optional sign,
// digits and one point; anything else ends it; no number gives 0). Does not
// depend on the C locale. Single precision, so "2.10" gives 2.0999999.
float UserAppVersionNumber(const char* version);

// Whether "RTCMV3 RTK Base (10 secs)" follows the four RTCM/RTCA entries:
// for the "QVR4100 MAX" from version 2.1 on, for the "QVR4100 MA" from 1.2
// on, never for other models.
bool OffersRtcmV3(int32_t modelKind, float userAppVersion);

// Fills the POWERUP list of a program, "NONE" first, and returns its length.
int PowerupList(Variant variant, int32_t modelKind, float userAppVersion,
                const char* (&entries)[kMaxPowerupEntries]);

// ---------------------------------------------------------------- timer LED

inline constexpr int kTimerModeCount = 2;  // 0: baseline length, 1: elapsed time

// The Timer LED row is hidden for the "QVR4100 MA", whose timer mode is 0.
bool HasTimerLed(int32_t modelKind);
// The text of a timer mode in a program's list, or nullptr outside 0..1.
const char* TimerLedChoice(Variant variant, int mode);

// ---------------------------------------------------------------- preference text

// The seventh text of the user-info record: at most 12 characters.
inline constexpr size_t kPreferenceTextSize = 13;

// Builds LL-PP (withTimerMode false, the "QVR4100 MA") or LL-PP-T. The
// receiver's record is read back by position (the POWERUP index at the
// fourth and fifth characters), so the language and POWERUP indexes must
// be 0..99 and the text must fit: false and an empty text otherwise.
bool FormatPreferenceText(char (&destination)[kPreferenceTextSize], int languageIndex, int powerupIndex,
                          int timerMode, bool withTimerMode);

} // namespace qvr
