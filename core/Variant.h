#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "Operator.h"

namespace qvr {

// The two programs share one core; where the handheld program's behaviour
// differs, the receiver object and the serial port take this at run time.
enum class Variant { Desktop, Handheld };

// Captions of the core's own messages.
inline constexpr const char* kDesktopCaption = "QVR Family Config Tool";
inline constexpr const char* kHandheldCaption = "QVR Config Tool";

// A receiver port as the ASCII version log names it, and the number that
// "com COMn" takes for it.
struct ReceiverPortName {
    const char* name;
    int32_t number;
};

// The Debug File dialog's captions and outcome texts.
struct DebugFileTexts {
    const char* emptyPathCaption;  // of "Please check file save path, it appears to be empty."
    const char* questionCaption;   // of the retrieve and delete questions
    const char* downloadSucceeded; // after a download the receiver completed
    const char* downloadSucceededCaption;
    const char* downloadFailed;    // after a download that ended early
    const char* downloadFailedCaption;
    const char* deleted;           // after the delete command went out
    const char* deletedCaption;
    const char* deleteFailedCaption;  // the delete command could not be sent
};

// What a configured radio that was not found at connect looks like to the
// operator: the desktop asks in a dialog with a check box whether the radio
// was removed (ticked, the configuration is cleared); the handheld only says
// so.
struct RadioNotFoundTexts {
    bool asksForRemoval;        // dialog with the check box, else a message box
    const char* uhfMessage;     // the stored peripheral name contains "3AS"
    const char* gsmMessage;     // ... "Aplicom" or "Siemens"
    const char* uhfRemovedBox;  // the check box's text (dialog only)
    const char* gsmRemovedBox;
    const char* caption;        // the message box's caption (message box only)
};

// Everything in which the handheld program's copy of the core differs from
// the desktop program's, in one place. The core reads these fields instead
// of asking which program it is built into.
struct VariantProfile {
    // Caption of the core's messages: missing version log entries, the
    // audio defaults, the busy UHF radio, the automatic configuration
    // notices, the GSM registration warning, the out-of-date firmware
    // warning, the Receiver Settings and MRS pages.
    const char* caption;

    // --- serial port
    // Whether Open writes a trace line when the port's line settings cannot
    // be read or applied.
    bool tracesLineSettings;

    // --- finding the receiver
    // The controller's fast internal port (a PC port whose name contains
    // this text), or nullptr where there is none; IsFastInternalPort tells.
    // The rate search starts higher there, and a debug-file download keeps
    // the link's rate instead of raising it to 115200.
    const char* fastInternalPort;
    // On the fast internal port the rate search starts at this entry of
    // MAReceiver::kBaudRates (115200) instead of the first.
    int fastPortFirstRate;
    // Sent after "unlogall" in each connect attempt, and again in the data
    // refresh, to put the receiver under the controller's external control;
    // nullptr where nothing is sent.
    const char* extControlCommand;
    // The refresh's pause after "unlogall" before the command above.
    uint32_t extControlPauseMs;
    // The receiver port names looked for, in this order, in the ASCII
    // version log; the first found tells which receiver port the PC is on.
    const ReceiverPortName* receiverPortNames;
    size_t receiverPortNameCount;

    // --- identity (version log)
    // Whether the GPS card's serial number and model are kept in ReceiverInfo.
    bool readsGpsCardIdentity;
    // Icon of the "Version Log is missing ..." messages.
    MessageIcon missingEntryIcon;

    // --- data refresh
    // Whether a receiver whose serial number is not 11 characters is asked
    // for one (CEnclosureNumberDialog).
    bool asksForSerialNumber;
    // Whether a refresh that could not read the audio defaults still hands
    // the identity it read to the receiver data record.
    bool keepsIdentityOnAudioFailure;
    RadioNotFoundTexts radioNotFound;

    // --- audio and receiver preferences
    // How long the audio defaults log is waited for.
    uint32_t audioTimeoutMs;
    // The program's prompt numbering: "shutdown" to "logepoch" are 0 to 12
    // and "startup" 13 (in the receiver's own numbering "startup" is 0).
    bool startupPromptLast;
    // Whether a "QVR1500 LBX" always gets language list D; otherwise it
    // follows the language file name like a receiver of unknown version.
    bool lbxAlwaysListD;
    // Whether a language file "EXT2" or "ext2" gives list F.
    bool knowsLanguageListF;
    // Whether a "QVR1500 LBX" from user application version 1.1 on is
    // offered the RTCMV3 and RTCA base configurations as POWERUP choices.
    bool lbxPowerupRtkBases;
    // The Timer LED list: mode 0 and mode 1.
    const char* timerLedChoices[2];
    // Shown before the success message when a Receiver Settings submit
    // changed the POWERUP choice, or nullptr (the desktop page has a note).
    const char* powerupChangeNotice;

    // --- UHF radio
    // Whether the connect-time retrieval also reads the channel spacing,
    // the protocol mode and the "SL%D?" device text.
    bool readsUhfModeAndSpacing;
    // How long ReadFecSetting waits for each further menu-text log; 0 looks
    // only at what has already arrived.
    uint32_t fecMenuLogWaitMs;

    // --- GSM Bearer page
    // Caption of the page's messages (the handheld page keeps the desktop's).
    const char* gsmBearerCaption;

    // --- Connection page
    // Caption of "Unable to establish connection to receiver. ..." (the
    // desktop's ends with a full stop).
    const char* connectFailedCaption;

    // --- debug file
    DebugFileTexts debugFile;

    // Whether the PC port of that name is the fast internal port.
    bool IsFastInternalPort(const char* pcPortName) const {
        return fastInternalPort && pcPortName && std::strstr(pcPortName, fastInternalPort);
    }
};

inline constexpr ReceiverPortName kDesktopReceiverPorts[] = {{"COM1", 1}, {"COM2", 2}, {"COM3", 3}};
// The handheld also knows the expansion ports, both reached as COM3.
inline constexpr ReceiverPortName kHandheldReceiverPorts[] = {
    {"XCOM2", 3}, {"XCOM3", 3}, {"COM1", 1}, {"COM2", 2}, {"COM3", 3}};

inline constexpr VariantProfile kDesktopProfile = {
    kDesktopCaption,
    /* tracesLineSettings */ true,
    /* fastInternalPort */ nullptr,
    /* fastPortFirstRate */ 0,
    /* extControlCommand */ nullptr,
    /* extControlPauseMs */ 0,
    kDesktopReceiverPorts,
    std::size(kDesktopReceiverPorts),
    /* readsGpsCardIdentity */ false,
    /* missingEntryIcon */ MessageIcon::Warning,
    /* asksForSerialNumber */ true,
    /* keepsIdentityOnAudioFailure */ false,
    {/* asksForRemoval */ true,
     "The current receiver configuration indicates that a UHF radio is installed, but one was not detected.\r\n\r\n"
     "This typically occurs when:\r\n\r\n1) The radio is receiving UHF transmissions from another source and will "
     "not respond to commands, or \r\n2) The radio is inoperative or has been removed.\r\n\r\nPlease ensure that "
     "no radio sources are actively transmitting and try connecting again.",
     "The current receiver configuration indicates that a GSM radio is installed, but one was not detected.\r\n\r\n"
     "This typically occurs when:\r\n\r\n1) The GSM radio is already in use, or \r\n2) The radio is inoperative or "
     "has been removed.\r\n\r\nPlease ensure that no other devices are connected to the receiver and that no GSM "
     "RTK connections are active, and try connecting again.",
     "Update configuration: A UHF radio has been removed from this receiver.",
     "Update configuration: A GSM radio has been removed from this receiver.",
     /* caption */ nullptr},
    /* audioTimeoutMs */ 500,
    /* startupPromptLast */ false,
    /* lbxAlwaysListD */ true,
    /* knowsLanguageListF */ false,
    /* lbxPowerupRtkBases */ false,
    {"Baseline Length", "Elapsed Time"},
    /* powerupChangeNotice */ nullptr,
    /* readsUhfModeAndSpacing */ false,
    /* fecMenuLogWaitMs */ 100,
    /* gsmBearerCaption */ kDesktopCaption,
    /* connectFailedCaption */ "QVR Family Config Tool.",
    {"", "Warning", "File Download Successful!", "Success", "File Download Failed!", "Failure",
     "File deleted successfully!", "Success", "Failure"},
};

inline constexpr VariantProfile kHandheldProfile = {
    kHandheldCaption,
    /* tracesLineSettings */ false,
    /* fastInternalPort */ "COM6",
    /* fastPortFirstRate */ 1,
    /* extControlCommand */ "extcontrol\r\n",
    /* extControlPauseMs */ 200,
    kHandheldReceiverPorts,
    std::size(kHandheldReceiverPorts),
    /* readsGpsCardIdentity */ true,
    /* missingEntryIcon */ MessageIcon::None,
    /* asksForSerialNumber */ false,
    /* keepsIdentityOnAudioFailure */ true,
    {/* asksForRemoval */ false,
     "A UHF radio is reported to be in this receiver, however the config tool was unable to find it.",
     "Receiver configuration indicates the presence of a GSM radio, however none was detected.",
     /* uhfRemovedBox */ nullptr, /* gsmRemovedBox */ nullptr,
     "Searching for installed radio..."},
    /* audioTimeoutMs */ 750,
    /* startupPromptLast */ true,
    /* lbxAlwaysListD */ false,
    /* knowsLanguageListF */ true,
    /* lbxPowerupRtkBases */ true,
    {"Baseline length", "Elapsed time"},
    "You must factory reset the receiver before changes to the Factory POWERUP settings will take effect.",
    /* readsUhfModeAndSpacing */ true,
    /* fecMenuLogWaitMs */ 0,
    /* gsmBearerCaption */ kDesktopCaption,
    /* connectFailedCaption */ kHandheldCaption,
    // The handheld names its outcomes shortly.
    {kHandheldCaption, "Warning!", "Successful!", "Successful!", "Failed!", "Failed!", "Successful!", "Successful!",
     "Failed!"},
};

constexpr const VariantProfile& Profile(Variant variant) {
    return variant == Variant::Handheld ? kHandheldProfile : kDesktopProfile;
}

} // namespace qvr
