#include "GsmVocabulary.h"

#include <cstdio>
#include <cstdlib>

namespace qvr {

const char* RegistrationText(int state) {
    switch (state) {
    case 0: return "Not registered (no SIM?)";
    case 1: return "Registered (home)";
    case 2: return "Not registered (but searching)";
    case 3: return "Registration denied";
    case 4: return "Unknown";
    case 5: return "Registered (roaming)";
    default: return "Could not retrieve";
    }
}

const char* SignalClass(int dBm) {
    if (dBm < -100) return "unacceptable";
    if (dBm < -90) return "weak";
    if (dBm < -80) return "moderate";
    if (dBm < 0) return "good";
    return "not detectable";
}

int SignalLevelValue(const char* text) {
    if (!text) return 0;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (value < -100000 || value > 100000) return 0;  // not a level at all
    return static_cast<int>(value);
}

void FormatSignalLevel(char* destination, size_t size, const char* signalLevelText) {
    if (size == 0) return;
    const int level = SignalLevelValue(signalLevelText);
    std::snprintf(destination, size, "%d (%s)", level, SignalClass(level));
}

const char* GsmFieldName(GsmField field) {
    switch (field) {
    case GsmField::None: return "";
    case GsmField::GprsUserName: return "GPRS user name";
    case GsmField::GprsPassword: return "GPRS password";
    case GsmField::GprsAccessPointName: return "GPRS access point name";
    case GsmField::CsdUserName: return "CSD user name";
    case GsmField::CsdPassword: return "CSD password";
    case GsmField::CsdGatewayNumber: return "CSD gateway number";
    case GsmField::IncomingChapUserName: return "incoming CHAP user name";
    case GsmField::IncomingChapPassword: return "incoming CHAP password";
    case GsmField::NtripCasterAddress: return "IP address";
    case GsmField::NtripMountPoint: return "mount point name";
    case GsmField::NtripPassword: return "password";
    case GsmField::WebSite: return "web site";
    case GsmField::AtCommand: return "AT command";
    }
    return "";
}

void FormatFieldTooLong(char* destination, size_t size, GsmField field) {
    if (size == 0) return;
    std::snprintf(destination, size, "The %s is too long to be sent to the GSM module. Please shorten it.",
                  GsmFieldName(field));
}

void FormatFieldUnsafe(char* destination, size_t size, GsmField field) {
    if (size == 0) return;
    std::snprintf(destination, size,
                  "The %s contains a line break, quote or control character, which the GSM module cannot store. "
                  "Please remove it.",
                  GsmFieldName(field));
}

} // namespace qvr
