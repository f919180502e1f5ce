#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "SimAuxPort.h"

namespace qvr::sim {

// How the radio answers "SL%V?": as it is, with one trailing blank, or the
// text twice in one answer.
enum class FirmwareAnswer { Plain, TrailingBlank, Doubled };

// Faults of the flash loader.
enum class LoaderFault {
    None,
    Mute,                // greets, then never acknowledges anything
    SectorAckedOnRetry,  // the first erase of sector faultIndex goes unacknowledged
    SilentAfterErase,    // stops answering once the 16th sector is erased
    LostAck,             // the ACK of program message faultIndex (1 = first) is lost
};

struct UhfRadioConfig {
    // Band limits, centre and current frequency in MHz (kept in whole hertz).
    double range1Lower = 403.0, range1Upper = 430.0;
    double range2Lower = 430.0, range2Upper = 473.0;
    double center = 450.0;
    double current = 450.0125;
    int txPowerMw = 500;
    std::string firmware = "V1.07";
    FirmwareAnswer firmwareAnswer = FirmwareAnswer::Plain;
    std::string moduleName = "SL 450 MHz";
    std::string deviceText = "3AS PT RADIO";
    bool fec = true;
    int channelSpacingHz = 12500;
    int protocolMode = 0;  // 0..2; -1: the radio does not know "SL@S" ("ERROR")
    int rssi = -112;       // "SL@R?"

    // Receiving data: the frequency questions go unanswered until "SL&+=29";
    // every power-up starts receiving again (the transmitter is still on).
    bool busy = false;
    bool doubledAnswers = false;  // every answer comes twice in one burst
    bool echoOnly = false;        // not a radio: sends back what it gets
    bool splitMenuText = false;   // menu pages come in two bursts 50 ms apart
    // Fault mode "chatter": the radio reports what it hears, a line every
    // 300 ms for as long as it is powered (outside its loader), whatever
    // else it is doing.
    bool chatter = false;

    LoaderFault loaderFault = LoaderFault::None;
    int faultIndex = 0;

    SimTime answerDelay = Ms(20);
    SimTime sectorEraseTime = Ms(40);
    SimTime programTime = Ms(1);
};

// A UHF radio modem on the receiver's AUX port, selected by user output 1
// high; it talks at 9600 baud. With user output 2 high it answers "SL"
// command lines, but sends its answers only while the AUX port's RTS is
// low (with RTS high its output is the data it receives on air, and the
// answers are lost); with it low it runs its keystroke menu. Switched to
// its menu, the radio prints the menu for about a second; a receiver whose
// AUX port is not in input mode "none" then takes that text as commands
// and answers with its prompt "[AUX]" (no line end), which the menu takes
// as keystrokes, so a following "SLFLOEM" line is not understood. "SLFLOEM" starts
// its flash loader, which greets with "H8OEM" and then speaks the loader
// byte protocol at 38400 baud. Settings changed by commands are live until
// "SL**>" stores them; menu changes are stored by the menu's "e". A power
// cycle ("comvout aux off"/"on") brings back the stored settings.
class SimUhfRadio : public IAuxDevice {
public:
    static constexpr int kBaud = 9600;
    static constexpr int kLoaderBaud = 38400;
    static constexpr int kSectors = 16;
    static constexpr size_t kProgramData = 132;

    struct Settings {
        int64_t limitsHz[4];  // range 1 lower, upper, range 2 lower, upper
        int64_t centerHz;
        int64_t currentHz;
        int txPowerMw;
        bool fec;
        int protocolMode;
    };

    struct LoaderStats {
        int enquiries = 0;
        int enters = 0;
        int eraseMessages = 0;
        int endOfErase = 0;
        int starts = 0;
        int programMessages = 0;  // well-formed, checksum good or not
        int badChecksums = 0;
        int endOfProgramming = 0;
        int acks = 0;
        // Violation "program pace": a program message that began less than
        // kProgramPace after the previous one began. The loader was never
        // driven faster; a loader that cannot keep up loses the firmware.
        int paceViolations = 0;
        SimTime shortestProgramGap = kNever;  // between two program messages' starts
    };
    static constexpr SimTime kProgramPace = Ms(100);

    explicit SimUhfRadio(UhfRadioConfig config = {});

    void Attach(SimAuxPort& port) override;
    void Receive(uint8_t value, int baud, SimTime at) override;
    void LinesChanged(const AuxLines& lines, SimTime at) override;

    UhfRadioConfig& Config() { return m_config; }
    const Settings& Live() const { return m_live; }
    const Settings& Stored() const { return m_stored; }
    bool Busy() const { return m_busy; }
    bool InLoader() const { return m_loader; }
    int PowerUps() const { return m_powerUps; }
    // Command lines received in command mode (without the line end).
    const std::vector<std::string>& Commands() const { return m_commands; }
    // Every byte the host sent in menu mode, in order.
    const std::string& Keystrokes() const { return m_keys; }
    // What the flash loader has programmed, in order.
    const std::vector<uint8_t>& Image() const { return m_image; }
    const LoaderStats& Loader() const { return m_stats; }

    static int64_t Hz(double mhz);

private:
    enum class Page { Main, Radio, Service, Frequencies, Entry };

    void PowerUp();
    void Answer(const std::string& text, SimTime at);
    void CommandLine(const std::string& line, SimTime at);
    void Key(uint8_t key, SimTime at);
    void ShowPage(SimTime at);
    void Show(const std::string& text, SimTime at);
    void LoaderByte(uint8_t value, SimTime at);
    void LoaderMessage(SimTime at);
    void Ack(SimTime at);
    void Chatter(SimTime at);
    void MenuPrinted();
    static std::string Mhz(int64_t hz);

    UhfRadioConfig m_config;
    Settings m_live{};
    Settings m_stored{};
    bool m_powered = true;
    bool m_busy = false;
    int m_powerUps = 0;
    std::string m_line;      // command line being received
    std::string m_keyLine;   // menu keystrokes since the last line end
    std::vector<std::string> m_commands;
    std::string m_keys;

    Page m_page = Page::Main;
    Page m_entryReturn = Page::Main;
    int m_entryField = -1;  // 0..3 a band limit, 4 the centre
    std::string m_entry;
    uint8_t m_previousKey = 0;
    bool m_menuMode = false;
    uint64_t m_menuGeneration = 0;

    bool m_loader = false;
    bool m_silent = false;
    bool m_entered = false;
    bool m_started = false;
    bool m_erased[kSectors] = {};
    bool m_eraseDone = false;
    bool m_sectorFaultUsed = false;
    std::vector<uint8_t> m_message;
    SimTime m_messageBegan = 0;
    SimTime m_lastProgramBegan = kNever;
    uint64_t m_messageGeneration = 0;
    std::vector<uint8_t> m_image;
    LoaderStats m_stats;
};

} // namespace qvr::sim
