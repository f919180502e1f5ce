#pragma once
#include <cstdint>

namespace qvr {

// What the tool knows of the UHF radio, as DetectUhfRadio read it at
// connect. One record for both programs: the desktop program leaves the
// handheld fields (device text, channel spacing, protocol mode) at zero.
// Frequencies in MHz; 0 means "could not be read". Texts are NUL-terminated.
struct UhfBlock {
    static constexpr int kTextSize = 64;

    char firmwareVersion[kTextSize];  // "SL%V?"
    char txPower[kTextSize];          // "SL@P?": milliwatts as decimal digits
    char moduleName[kTextSize];       // "SL!V?"; "NOT AVAIL" when not read
    char deviceText[kTextSize];       // handheld: "SL%D?"; "NOT AVAIL" when not read
    char spare[kTextSize];            // not filled
    double centerFrequency;           // "SL&C?"
    double currentFrequency;          // "SL&F?"
    double range1Lower;               // "SL!D?", snapped to a whole kHz
    double range1Upper;               // "SL!U?", snapped
    double range2Lower;               // "SL!W?", snapped
    double range2Upper;               // "SL!Y?", snapped
    int32_t errorCorrection;          // 1 when the radio menu shows it on
    int32_t channelSpacing;           // handheld: hertz, -1 when not found
    int32_t protocolMode;             // handheld: 0 "3AS PT", 1 "PCC-4FSK", 2 "PCC-GMSK", 3 not supported
};

// Protocol modes of the handheld radio page.
enum UhfProtocolMode : int32_t {
    kUhfMode3asPt = 0,
    kUhfModePcc4Fsk = 1,
    kUhfModePccGmsk = 2,
    kUhfModeNotSupported = 3,
};

} // namespace qvr
