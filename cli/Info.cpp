// What `qvrctl info` shows: the receiver data record after the refresh,
// for people and, with --json, for scripts.
#include <cstdio>
#include <string>

#include "Cli.h"
#include "GsmVocabulary.h"
#include "PageActions.h"
#include "Preferences.h"

namespace qvr::cli {

namespace {

// Radio answers keep their line end in the record; shown without it.
std::string Trim(const char* text) {
    std::string s = text;
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
}

const char* ModelKindName(int32_t kind) {
    switch (kind) {
    case kModelQVR4100MA: return "QVR4100 MA";
    case kModelQVR4100MAX: return "QVR4100 MAX";
    case kModelQVR1500LBX: return "QVR1500 LBX";
    default: return "unknown";
    }
}

void UhfJson(Json& j, const UhfBlock& u) {
    j.Key("uhf").Open()
        .Member("firmwareVersion", Trim(u.firmwareVersion).c_str())
        .Member("txPower", Trim(u.txPower).c_str())
        .Member("moduleName", Trim(u.moduleName).c_str())
        .Member("deviceText", Trim(u.deviceText).c_str())
        .MemberReal("centerFrequency", u.centerFrequency)
        .MemberReal("currentFrequency", u.currentFrequency)
        .MemberReal("range1Lower", u.range1Lower)
        .MemberReal("range1Upper", u.range1Upper)
        .MemberReal("range2Lower", u.range2Lower)
        .MemberReal("range2Upper", u.range2Upper)
        .Member("errorCorrection", u.errorCorrection)
        .Member("channelSpacing", u.channelSpacing)
        .Member("protocolMode", u.protocolMode)
        .Close();
}

void GsmJson(Json& j, const GsmBlock& g, const BearerRecord& b) {
    j.Key("gsm").Open()
        .Member("appletVersion", g.appletVersion)
        .Member("freeMemory", g.freeMemory)
        .Member("totalMemory", g.totalMemory)
        .Member("moduleType", g.moduleType)
        .Member("hardwareVersion", g.hardwareVersion)
        .Member("firmwareVersion", g.firmwareVersion)
        .Member("signalLevel", g.signalLevel)
        .Member("signalClass", SignalClass(SignalLevelValue(g.signalLevel)))
        .Member("registrationState", g.registrationState)
        .Member("registrationText", RegistrationText(g.registrationState))
        .Member("moduleKind", g.moduleKind);
    j.Key("bearer").Open()
        .Member("defaultConnection", b.defaultConnection)
        .MemberBool("csdNumberAuthenticationEnabled", b.csdNumberAuthenticationEnabled != 0)
        .Member("csdPppUserName", b.csdPppUserName)
        .Member("csdPppPassword", b.csdPppPassword)
        .Member("csdTimeout", b.csdTimeout)
        .Member("csdGatewayNumber", b.csdGatewayNumber)
        .Member("gprsPppUserName", b.gprsPppUserName)
        .Member("gprsPppPassword", b.gprsPppPassword)
        .Member("gprsAccessPointName", b.gprsAccessPointName)
        .Member("gprsTimeout", b.gprsTimeout)
        .Close();
    j.Key("ntrip").Open()
        .MemberBool("enabledOnStartup", g.ntrip.enabledOnStartup != 0)
        .Member("casterAddress", g.ntrip.casterAddress)
        .Member("port", g.ntrip.port)
        .Member("mountPoint", g.ntrip.mountPoint)
        .Member("password", g.ntrip.password)
        .Close();
    j.Close();
}

} // namespace

void WriteInfoJson(Context& c) {
    const ReceiverData& d = c.record;
    MAReceiver& r = *c.receiver;
    Json& j = c.json;
    j.Key("receiver").Open()
        .Member("serialNumber", d.info.serialNumber)
        .Member("userAppVersion", d.info.userAppVersion)
        .Member("gpsCardVersion", d.info.gpsCardVersion)
        .Member("peripheralName", d.info.peripheralName)
        .Member("auxSettings", d.info.auxSettings)
        .Member("model", d.info.modelName)
        .Member("modelKind", d.info.modelKind)
        .Member("powerupIndex", d.info.powerupIndex)
        .MemberBool("firmwareOutOfDate", FirmwareOutOfDate(d))
        .Close();
    Language ids[MAReceiver::kMaxLanguages];
    int count = 0;
    r.GetLanguageList(ids, &count);
    j.Key("audio").Open()
        .Member("languageIndex", d.audio.languageIndex)
        .Member("languageName", LanguageListName(ids, count, d.audio.languageIndex))
        .Member("volume", d.audio.volume)
        .Member("languageFile", d.audio.languageFile)
        .Member("timerMode", r.GetTimerMode());
    j.Key("languages").OpenArray();
    for (int i = 0; i < count; ++i) j.String(LanguageName(ids[i]));
    j.CloseArray();
    const char* powerups[kMaxPowerupEntries];
    const int powerupCount = PowerupList(r.GetVariant(), d.info.modelKind, r.GetUserAppVersionNumber(), powerups);
    j.Key("powerupChoices").OpenArray();
    for (int i = 0; i < powerupCount; ++i) j.String(powerups[i]);
    j.CloseArray().Close();
    j.Key("peripheral").Open().Member("kind", d.peripheral.kind);
    const char* kindText = RadioKindText(d.peripheral.kind);
    j.Member("kindText", kindText ? kindText : "");
    if (d.peripheral.kind == kPeripheralUhf) UhfJson(j, d.peripheral.uhf);
    else j.Key("uhf").Null();
    if (d.peripheral.kind == kPeripheralGsm) GsmJson(j, d.peripheral.gsm, d.peripheral.bearer);
    else j.Key("gsm").Null();
    j.Close();
    j.Key("link").Open()
        .Member("port", c.options.port.c_str())
        .Member("baud", r.Port().BaudRate())
        .Member("receiverPort", r.ReceiverPortNumber())
        .Close();
}

void PrintInfo(Context& c) {
    const ReceiverData& d = c.record;
    MAReceiver& r = *c.receiver;
    char firmware[300];
    FirmwareText(d, firmware, sizeof firmware);
    Language ids[MAReceiver::kMaxLanguages];
    int count = 0;
    r.GetLanguageList(ids, &count);
    const char* powerups[kMaxPowerupEntries];
    const int powerupCount = PowerupList(r.GetVariant(), d.info.modelKind, r.GetUserAppVersionNumber(), powerups);
    const char* kindText = RadioKindText(d.peripheral.kind);
    std::printf("Model:             %s (%s)\n", d.info.modelName, ModelKindName(d.info.modelKind));
    std::printf("Serial number:     %s\n", d.info.serialNumber);
    std::printf("Firmware version:  %s\n", firmware);
    std::printf("Internal radio:    %s\n", kindText ? kindText : "?");
    std::printf("Link:              %s at %d baud, receiver port COM%d\n", c.options.port.c_str(), r.Port().BaudRate(),
                r.ReceiverPortNumber());
    std::printf("Language:          %s (index %d, file \"%s\")\n", LanguageListName(ids, count, d.audio.languageIndex),
                d.audio.languageIndex, d.audio.languageFile);
    std::printf("Volume:            %d\n", d.audio.volume);
    if (HasTimerLed(d.info.modelKind))
        std::printf("Timer LED:         %s\n", TimerLedChoice(r.GetVariant(), r.GetTimerMode()));
    std::printf("Factory POWERUP:   %s\n",
                d.info.powerupIndex >= 0 && d.info.powerupIndex < powerupCount ? powerups[d.info.powerupIndex] : "?");
    if (d.peripheral.kind == kPeripheralUhf) {
        const UhfBlock& u = d.peripheral.uhf;
        std::printf("UHF module name:   %s\n", Trim(u.moduleName).c_str());
        std::printf("UHF firmware:      %s\n", Trim(u.firmwareVersion).c_str());
        std::printf("Frequency ranges:  %.5f-%.5f, %.5f-%.5f MHz\n", u.range1Lower, u.range1Upper, u.range2Lower,
                    u.range2Upper);
        std::printf("Center frequency:  %f MHz\n", u.centerFrequency);
        std::printf("Current frequency: %f MHz\n", u.currentFrequency);
        std::printf("TX power:          %s mW\n", Trim(u.txPower).c_str());
        std::printf("Error correction:  %s\n", u.errorCorrection == 1 ? "on" : "off");
    } else if (d.peripheral.kind == kPeripheralGsm) {
        const GsmBlock& g = d.peripheral.gsm;
        char signal[96];
        FormatSignalLevel(signal, g.signalLevel);
        std::printf("GSM module type:   %s\n", g.moduleType);
        std::printf("Applet version:    %s\n", g.appletVersion);
        std::printf("Module firmware:   %s (hardware %s)\n", g.firmwareVersion, g.hardwareVersion);
        std::printf("Signal level:      %s\n", signal);
        std::printf("Network status:    %s\n", RegistrationText(g.registrationState));
        std::printf("Default bearer:    %s\n", d.peripheral.bearer.defaultConnection == kBearerGprs ? "GPRS"
                                               : d.peripheral.bearer.defaultConnection == kBearerCsd ? "CSD"
                                                                                                     : "none");
        std::printf("GPRS APN:          %s\n", d.peripheral.bearer.gprsAccessPointName);
        std::printf("NTRIP source:      %s:%d/%s (%s on start)\n", g.ntrip.casterAddress, g.ntrip.port,
                    g.ntrip.mountPoint, g.ntrip.enabledOnStartup ? "enabled" : "disabled");
    }
}

} // namespace qvr::cli
