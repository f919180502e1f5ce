#pragma once
#include <cstdint>

#include "GsmRecords.h"
#include "UhfRecords.h"

namespace qvr {

// Model kinds, from the user application's model name.
enum ModelKind : int32_t { kModelUnknown = 0, kModelQVR4100MA = 1, kModelQVR4100MAX = 2, kModelQVR1500LBX = 3 };

// Peripheral kinds: which radio sits on the receiver's AUX port.
enum PeripheralKind : int32_t { kPeripheralNone = 0, kPeripheralUhf = 1, kPeripheralGsm = 2 };

// The receiver's identity, read from its version log. The handheld
// program's extra fields (GPS card serial number and model) are kept in the
// same record; the desktop program leaves them empty.
struct ReceiverInfo {
    char serialNumber[128];
    char gpsCardSerialNumber[128];  // handheld
    char userAppVersion[128];
    char gpsCardVersion[128];
    char peripheralName[17];
    char auxSettings[13];
    char gpsCardModel[17];  // handheld
    char modelName[17];
    int32_t modelKind;
    int32_t powerupIndex;
};

// Audio preferences of the receiver's voice prompts, from the audio
// defaults log (language file name, language index, volume).
struct AudioSettings {
    uint16_t languageIndex;
    int32_t volume;
    char languageFile[9];  // 8 characters, NUL-padded, and a NUL
};

// Which radio was found and what it reported.
struct PeripheralBlock {
    int32_t kind;  // PeripheralKind
    BearerRecord bearer;
    UhfBlock uhf;
    GsmBlock gsm;
};

// The copy of the receiver's data that the pages read, filled once per
// connection by the data refresh.
struct ReceiverData {
    ReceiverInfo info;
    PeripheralBlock peripheral;
    AudioSettings audio;
};

} // namespace qvr
