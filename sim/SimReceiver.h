#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "SimTime.h"
#include "Transcript.h"
#include "VersionLog.h"

namespace qvr::sim {

// Named faults the simulated receiver can put into its binary log frames.
enum class FrameFault {
    LostFrame,      // the frame is not sent at all
    BadCrc,         // the CRC does not match the frame
    SplitFrame,     // the frame is sent in two parts with a pause between
    ChunkedReply,   // the frame is sent in several small pieces with pauses
    GarbageLength,  // the header's body-length field is garbage (3000)
    Oversized,      // a frame of 2052 bytes, more than a host reads
    TextBefore,     // text arrives right before the frame
};

struct ReceiverConfig {
    int baud = 9600;
    // The receiver port the PC is plugged into, as the receiver names it
    // ("COM1", "COM2", "COM3").
    std::string port = "COM1";
    std::vector<VersionComponent> components = DefaultComponents();
    // Extra text inside the ASCII version log (it may name other ports).
    std::string versionaExtra;
    uint16_t gpsWeek = 2391;
    // From the end of a command line to the start of the answer.
    SimTime replyDelay = Ms(2);
};

// What a command handler sends back after the acknowledgement.
class Reply {
public:
    void Text(const std::string& text);
    void Bytes(const std::vector<uint8_t>& bytes);
    void Frame(uint16_t messageId, const std::vector<uint8_t>& body);
    void Pause(SimTime duration);
    // Runs once everything before it has left the receiver.
    void Then(std::function<void()> action);
    // Suppresses the acknowledgement.
    void Silent() { m_silent = true; }

    struct Piece {
        enum class Kind { Data, Frame, Pause, Action } kind;
        std::vector<uint8_t> bytes;
        uint16_t messageId = 0;
        SimTime pause = 0;
        std::function<void()> action;
    };
    const std::vector<Piece>& Pieces() const { return m_pieces; }
    bool IsSilent() const { return m_silent; }

private:
    std::vector<Piece> m_pieces;
    bool m_silent = false;
};

// The simulated receiver: a state machine fed with the bytes that reach its
// port (each with its arrival time and the rate it was sent at) and asked to
// run its timed actions up to a moment. It schedules the bytes it sends, so
// the same machine runs in virtual time (tests) and in real time (a pty).
class SimReceiver {
public:
    using Tokens = std::vector<std::string>;
    using CommandHandler = std::function<bool(const Tokens& tokens, Reply& reply)>;
    // A log request: the log's name (lower case) and its trigger ("once",
    // "onnew", ... or empty).
    using LogHandler = std::function<bool(const std::string& trigger, Reply& reply)>;

    explicit SimReceiver(ReceiverConfig config = {});
    virtual ~SimReceiver() = default;

    // --- the line
    void Receive(const WireByte& byte);
    SimTime NextActionTime() const;
    void RunUntil(SimTime t);
    // Bytes the receiver has sent (or scheduled) on the host's port.
    std::deque<WireByte>& Output() { return m_output; }

    // --- state
    int Baud() const { return m_config.baud; }
    const std::string& Port() const { return m_config.port; }
    ReceiverConfig& Config() { return m_config; }
    // Every complete command line received intact, in order.
    const std::vector<std::string>& CommandsReceived() const { return m_commands; }
    // Lines that arrived garbled (sent at another rate).
    int GarbledLines() const { return m_garbledLines; }
    const std::map<std::string, std::string>& InterfaceModes() const { return m_interfaceModes; }
    bool ExtControl() const { return m_extControl; }

    void InjectFault(FrameFault fault, int count = 1, uint32_t pauseMs = 2000);
    // Mode "NMEA streaming": the host port sends a burst of NMEA sentences
    // (GGA, GSA, three GSV, RMC: about 450 bytes) every periodMs, as a
    // receiver set up for a data logger does, until "unlogall" stops it.
    // Replies queue behind the sentences on the line.
    void StreamNmea(uint32_t periodMs = 100);
    bool StreamingNmea() const { return m_nmeaPeriod != 0; }
    void SetTranscript(Transcript* transcript) { m_transcript = transcript; }
    // Adds an entry for traffic the receiver sees elsewhere (the AUX line).
    void Record(SimTime at, Transcript::Kind kind, int baud, const std::vector<uint8_t>& bytes) {
        if (m_transcript) m_transcript->Add(at, kind, baud, {}, bytes.data(), bytes.size());
    }

    // --- extension points for the receiver's other features
    void OnCommand(const std::string& keyword, CommandHandler handler);
    void OnLog(const std::string& name, LogHandler handler);
    // A command whose second word picks the handler ("appcontrol USERGPIO
    // ...", "appcontrol timermode ..."); several features share the keyword.
    void OnSubCommand(const std::string& keyword, const std::string& sub, CommandHandler handler);
    // "unlog [port] NAME" for a log that keeps running.
    void OnUnlog(const std::string& name, std::function<void()> handler);
    // "unlogall": every running log stops.
    void OnUnlogAll(std::function<void()> handler);
    // Called after every command line that was understood, with its words.
    void OnAnyCommand(std::function<void(const Tokens&)> listener);
    // Takes the bytes the host sends instead of the command interpreter
    // (the transparent bridge to the AUX port); an empty function ends it.
    void SetHostByteSink(std::function<void(const WireByte&)> sink) { m_hostSink = std::move(sink); }

    // --- for the features: time, timed actions and output to the host
    SimTime Now() const { return m_lastTime; }
    void ScheduleAt(SimTime at, std::function<void(SimTime)> action) { Schedule(at, std::move(action)); }
    // Bytes to the host at the host port's rate, after what is already queued.
    void SendToHost(const std::vector<uint8_t>& bytes, SimTime earliest) { Send(bytes, earliest); }
    // A binary log frame to the host, with the injected frame faults applied.
    void SendLogToHost(uint16_t messageId, const std::vector<uint8_t>& body, SimTime earliest) {
        SendFrame(BuildFrame(messageId, body), earliest);
    }
    // The moment the host port's transmitter is free again.
    SimTime TransmitterFree() const { return m_txFree; }
    // The rate set for a receiver port with "com" ("aux", "com2", ...).
    int PortRate(const std::string& port) const;
    const std::vector<VersionComponent>& Components() const { return m_config.components; }
    std::vector<VersionComponent>& Components() { return m_config.components; }

    // A complete binary frame with the receiver's header and CRC.
    std::vector<uint8_t> BuildFrame(uint16_t messageId, const std::vector<uint8_t>& body);
    std::string BuildVersionA() const;
    static Tokens Tokenize(const std::string& line);

protected:
    void Schedule(SimTime at, std::function<void(SimTime)> action);
    void Send(const std::vector<uint8_t>& bytes, SimTime earliest);
    void HandleLine(const std::string& line, bool garbled, SimTime now);
    void SendReply(const Reply& reply, bool ok, SimTime now);
    void SendFrame(std::vector<uint8_t> frame, SimTime now);
    bool IsReceiverPortName(const std::string& token) const;

private:
    void InstallBasicCommands();

    ReceiverConfig m_config;
    std::deque<WireByte> m_output;
    std::multimap<SimTime, std::function<void(SimTime)>> m_actions;
    SimTime m_txFree = 0;
    SimTime m_lastTime = 0;

    std::string m_line;
    bool m_lineGarbled = false;
    std::vector<std::string> m_commands;
    int m_garbledLines = 0;
    std::map<std::string, std::string> m_interfaceModes;
    bool m_extControl = false;
    std::map<std::string, CommandHandler> m_commandHandlers;
    std::map<std::string, LogHandler> m_logHandlers;
    std::map<std::string, std::map<std::string, CommandHandler>> m_subCommands;
    std::map<std::string, std::function<void()>> m_unlogHandlers;
    std::vector<std::function<void()>> m_unlogAll;
    std::vector<std::function<void(const Tokens&)>> m_commandListeners;
    std::function<void(const WireByte&)> m_hostSink;
    std::map<std::string, int> m_portRates;  // lower-case port name -> rate

    struct FaultPlan {
        FrameFault fault;
        int remaining;
        uint32_t pauseMs;
    };
    std::deque<FaultPlan> m_faults;
    Transcript* m_transcript = nullptr;
    uint16_t m_sequence = 0;
    void NmeaTick(uint64_t generation, SimTime now);
    SimTime m_nmeaPeriod = 0;
    uint64_t m_nmeaGeneration = 0;
    uint32_t m_nmeaEpoch = 0;
};

} // namespace qvr::sim
