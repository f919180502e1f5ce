#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "SimAuxPort.h"

namespace qvr::sim {

// Named faults of the simulated GSM module. Each applies `count` times;
// SplitReply and OversizeReply stay in force until the faults are cleared.
enum class GsmModuleFault {
    LostVerify,     // upgrade piece `piece` gets no verify
    WrongVerify,    // upgrade piece `piece` is answered with the verify of piece + 1
    ErrorReply,     // upgrade piece `piece` is answered with an error; with
                    // `requestType` set, that applet request is instead
    NoSuccess,      // the commit is never followed by the success
    SlowStart,      // the applet is still starting: module-information requests go unanswered
    SplitReply,     // applet replies come in several pass-through frames
    OversizeReply,  // the module information is longer than 1024 bytes
};

struct GsmFault {
    GsmModuleFault kind;
    int piece = 0;
    int count = 1;
    uint32_t requestType = 0;
};

// The module's settings as its applet keeps them (texts as sent).
struct SimBearerSettings {
    std::string gprsUserName, gprsPassword, gprsAccessPointName;
    int gprsTimeout = 0;
    std::string csdUserName, csdPassword, csdGatewayNumber;
    int csdTimeout = 0;
    bool csdNumberAuthentication = false;
    std::string incomingChapUserName, incomingChapPassword;
    bool incomingChapEnabled = false;
    int defaultConnection = 0;
};

struct SimNtripSettings {
    std::string casterAddress, mountPoint, password;
    std::string port = "0";
    std::string onStartup = "0";
};

struct GsmModuleConfig {
    std::string productName = "TC65";  // "RX-9", "RX-2", anything
    std::string appletVersion = "3.002";
    std::string hardwareVersion = "HW 02.100";
    std::string firmwareVersion = "SW 03.010";
    std::string freeMemory = "1578432";
    std::string totalMemory = "1700000";
    int signalLevel = -75;  // dBm; 0 = not detectable
    int registration = 1;   // the state in "+CREG: 0,N"
    std::string cregLine;   // when not empty, the whole "+CREG..." answer line
    std::string tcpAnswer = "HTTP/1.1 200 OK";
    bool tcpAnswers = true;
    // Between the module information's items, after each "+": "" (none),
    // or blanks or a line end as some applets put there.
    std::string infoItemGap;
    bool ntripFinalLineFeed = true;  // false: the last NTRIP item has no line end
    bool verifyCommit = true;        // false: the commit is answered only by the success
    SimBearerSettings bearer;
    SimNtripSettings ntrip;

    SimTime atDelay = Ms(50);        // from an AT command line to its answer
    SimTime replyDelay = Ms(30);     // from a complete applet request to its reply
    SimTime tcpDelay = Ms(1500);     // the TCP test takes longer
    SimTime verifyDelay = Ms(1);     // from a complete upgrade message to its verify
    SimTime successDelay = Ms(5000); // from the commit to the success
    SimTime splitGap = Ms(40);       // between the portions of a split reply
};

// The GSM module on the receiver's AUX port. With user output 1 high and
// the port at 9600 baud its AT interpreter answers (with echo); with user
// output 1 low at 115200 baud its applet answers applet messages, through
// "sendhex" and the pass-through log or through the bridge, where it also
// takes an applet upgrade.
class SimGsmModule : public IAuxDevice {
public:
    static constexpr int kAtRate = 9600;
    static constexpr int kAppletRate = 115200;

    struct Request {
        uint32_t type, extra;
        std::vector<uint8_t> payload;
        SimTime at;
    };

    explicit SimGsmModule(GsmModuleConfig config = {});

    void Receive(uint8_t value, int baud, SimTime at) override;
    void LinesChanged(const AuxLines& lines, SimTime at) override;

    GsmModuleConfig& Config() { return m_config; }
    const SimBearerSettings& Bearer() const { return m_config.bearer; }
    const SimNtripSettings& Ntrip() const { return m_config.ntrip; }
    void InjectFault(GsmFault fault) { m_faults.push_back(fault); }
    void ClearFaults() { m_faults.clear(); }

    // Every applet message received, and every AT command line.
    const std::vector<Request>& Requests() const { return m_requests; }
    const std::vector<std::string>& AtLines() const { return m_atLines; }

    // --- the applet upgrade
    bool UpgradeBegun() const { return m_upgradeBegun; }
    bool Committed() const { return m_committed; }
    uint32_t AnnouncedSize() const { return m_announcedSize; }
    uint32_t AnnouncedChecksum() const { return m_announcedChecksum; }
    // Data messages received, resends included.
    int DataMessages() const { return m_dataMessages; }
    // The pieces received, joined in the order of their sequence numbers.
    std::vector<uint8_t> Image() const;

    // The payloads the applet answers reads with, as they would go out now.
    std::string ModuleInfoText() const;
    std::string BearerText() const;
    std::string NtripText() const;
    static std::vector<uint8_t> Message(uint32_t type, uint32_t extra, const std::vector<uint8_t>& payload);
    static std::vector<uint8_t> TextPayload(const std::string& text);  // with its NUL

private:
    void ReceiveAt(uint8_t value, SimTime at);
    void AnswerAt(const std::string& line, SimTime at);
    void ReceiveApplet(uint8_t value, SimTime at);
    void HandleRequest(const Request& request, SimTime at);
    void HandleUpgrade(const Request& request, SimTime at);
    void SendApplet(const std::vector<uint8_t>& bytes, SimTime at);
    // True (and one use spent) when a fault of this kind applies.
    bool TakeFault(GsmModuleFault kind, int piece = -1, uint32_t requestType = 0);
    bool HasFault(GsmModuleFault kind) const;

    GsmModuleConfig m_config;
    std::vector<GsmFault> m_faults;
    std::string m_atLine;
    std::vector<uint8_t> m_rx;
    std::vector<Request> m_requests;
    std::vector<std::string> m_atLines;

    bool m_upgradeBegun = false;
    bool m_committed = false;
    uint32_t m_announcedSize = 0;
    uint32_t m_announcedChecksum = 0;
    int m_dataMessages = 0;
    std::map<uint32_t, std::vector<uint8_t>> m_pieces;
};

} // namespace qvr::sim
