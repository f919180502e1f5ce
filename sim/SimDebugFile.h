#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "SimReceiver.h"

namespace qvr::sim {

// Faults of the file-transfer stream ("log filetransferb").
enum class DebugStreamFault {
    LostBlock,         // the given block is not sent
    LastBlockLost,     // the file's last block is not sent
    Stall,             // a pause of pauseMs before the given block
    RepeatedBlock,     // the given block is sent twice in a row
    EarlyBlock,        // the given block jumps the queue: it is sent before the block ahead of it
    ExtraBlock,        // a full block numbered N follows the last one (N blocks)
    OverlongLastBlock, // the last block says 1024 bytes (and carries them) past the file's end
    LengthBeyondBody,  // the given block's length field says 4000, more than its frame holds
    ShortLastBlock,    // the last block carries `block` bytes fewer than the header's size leaves for it
                       // (at least one byte stays): the header counts bytes the stream never sends
};

// The receiver's debug log file "debuglog.bin": recording on and off, the
// file header log (147) and the file streamed as 1024-byte blocks (8192).
class SimDebugFile {
public:
    static constexpr uint32_t kBlockSize = 1024;
    static constexpr uint16_t kFileHeaderId = 147;
    static constexpr uint16_t kFileTransferId = 8192;
    static constexpr size_t kFileHeaderBodySize = 16;  // the size sits at byte 12

    explicit SimDebugFile(SimReceiver& receiver);
    SimDebugFile(const SimDebugFile&) = delete;
    SimDebugFile& operator=(const SimDebugFile&) = delete;

    // The file's bytes; an empty file is still present (size 0).
    void SetContent(std::vector<uint8_t> content);
    const std::vector<uint8_t>& Content() const { return m_content; }
    // A deterministic pseudo-random byte pattern.
    static std::vector<uint8_t> Pattern(size_t size, uint32_t seed = 1);
    // Text that reads as a recording, one 64-character line per record
    // ("QVR debug log line 000001 ..."), cut at exactly size bytes.
    static std::vector<uint8_t> LogText(size_t size);

    // Faults stay in force for every later stream until cleared.
    void InjectFault(DebugStreamFault fault, uint32_t block = 0, uint32_t pauseMs = 0);
    void ClearFaults() { m_faults.clear(); }

    // --- state
    bool Recording() const { return m_recording; }
    bool FilePresent() const { return m_present; }
    bool OnStartHw() const { return m_onStartHw; }
    bool OnStartTracking() const { return m_onStartTracking; }
    // The file "currentfile NAME" selected ("" before).
    const std::string& SelectedFile() const { return m_selected; }
    // Every "dbglogfile" and "currentfile" command that was understood,
    // its words joined by single blanks.
    const std::vector<std::string>& Commands() const { return m_commands; }

    // --- the transfer stream
    bool Streaming() const { return m_streaming; }
    int StreamsStarted() const { return m_streamsStarted; }
    // Blocks handed to the transmitter (in their order), and the moment
    // the last of them has left the receiver completely.
    const std::vector<uint32_t>& BlocksSent() const { return m_blocksSent; }
    SimTime LastBlockEnd() const { return m_lastBlockEnd; }
    // The rate each block went out at.
    const std::vector<int>& BlockRates() const { return m_blockRates; }

private:
    struct Fault {
        DebugStreamFault kind;
        uint32_t block;
        uint32_t pauseMs;
    };
    // One frame of the stream, planned when the stream starts.
    struct Step {
        uint32_t number;
        std::vector<uint8_t> body;  // block number, length field, data
        SimTime pause;              // before this frame
    };

    void Install();
    void Record(const SimReceiver::Tokens& tokens);
    std::vector<Step> PlanStream() const;
    void StartStream();
    void SendSteps(uint64_t generation, SimTime now);

    SimReceiver& m_receiver;
    std::vector<uint8_t> m_content;
    std::vector<Fault> m_faults;

    bool m_recording = false;
    bool m_present = true;
    bool m_onStartHw = false;
    bool m_onStartTracking = false;
    std::string m_selected;
    std::vector<std::string> m_commands;

    bool m_streaming = false;
    uint64_t m_generation = 0;
    std::vector<Step> m_plan;
    size_t m_nextStep = 0;
    bool m_pauseTaken = false;  // the next step's pause has passed
    int m_streamsStarted = 0;
    std::vector<uint32_t> m_blocksSent;
    std::vector<int> m_blockRates;
    SimTime m_lastBlockEnd = 0;
};

} // namespace qvr::sim
