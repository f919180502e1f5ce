#pragma once
#include <cstddef>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "MAReceiver.h"
#include "UpgradeProgress.h"

namespace qvr {

// Replaces the GSM module's applet with a ".jar" file: bridges the PC port
// through the receiver to the module at 115200 baud, takes the port over
// with a handle of its own and sends the file as applet messages of at most
// 250 data bytes, each verified by the module, then a commit, and waits for
// the module to report success. Runs on a worker thread; progress goes to
// the shared progress record, the outcome to the operator, and at the end
// it asks the front end to close the program (the receiver stays bridged
// and must be restarted).
class GsmUpgradeEngine {
public:
    static constexpr size_t kPieceSize = 250;
    static constexpr int kLinkRate = 115200;
    static constexpr size_t kLinkBufferSize = 10000;
    static constexpr size_t kLinkReadSize = 240;
    static constexpr uint32_t kReadTimeoutMs = 100;
    // The longest payload a received message may announce: it must be able
    // to complete in the link buffer, which takes reads of 240 bytes.
    static constexpr size_t kMaxLinkPayload = kLinkBufferSize - kLinkReadSize - kAppletHeaderSize;
    // A verify is waited for in ten tries, a message of a given type in
    // eighteen; each try is one read of the link (its whole 100 ms) and one
    // message taken, then a pause of 100 ms (verify) or 500 ms (type).
    static constexpr int kVerifyTries = 10;
    static constexpr uint32_t kVerifyPauseMs = 100;
    static constexpr int kTypeTries = 18;
    static constexpr uint32_t kTypePauseMs = 500;
    static constexpr int kMaxResends = 1;
    static constexpr uint32_t kSuccessLimitS = 80;
    static constexpr int kCleanupSeconds = 60;

    // A message taken from the direct link; its payload as text (cut to
    // 255 characters).
    struct LinkMessage {
        uint32_t type = 0, length = 0, extra = 0, checksum = 0;
        char text[256] = {};
    };

    // Null services: the receiver object's own port, taken over open (never
    // released, so no other program can take it between the bridge and the
    // transfer), and the receiver's clock and trace. Another device is
    // opened on the receiver's port name after the receiver object has
    // closed its port (tests).
    GsmUpgradeEngine(MAReceiver& receiver, UpgradeProgress& progress, IOperator& ui, ISerialDevice* serial = nullptr,
                     IClock* clock = nullptr, ITrace* trace = nullptr);
    ~GsmUpgradeEngine();
    GsmUpgradeEngine(const GsmUpgradeEngine&) = delete;
    GsmUpgradeEngine& operator=(const GsmUpgradeEngine&) = delete;

    // The checks the GSM Upgrade page makes before it starts: true when the
    // file may be used, else false with the message to show. The file comes
    // first: a regular, readable file of at most 4 MB, looked at without
    // ever blocking on it (UpgradeFile.h).
    static bool CheckAppletFile(const char* path, int moduleKind, const char** message);

    // Runs a whole upgrade with the module kind of the receiver's GSM
    // block. True when the module reported success. Every return sets
    // engineEnded and engineResult in the progress record.
    bool StartGsmUpgrade(const char* path);
    // Why the last upgrade did not succeed, as a page can show it (empty
    // after a success). Read it once the progress record shows engineEnded.
    const char* FailureReason() const { return m_reason; }

    // Called once, from the engine's thread, after the result message of
    // an upgrade that reached its end: the front end closes the program.
    void SetCloseRequest(std::function<void()> request) { m_closeRequest = std::move(request); }
    bool CloseRequested() const { return m_closeRequested; }

    // --- the direct link (used by the transfer; open for tests)
    bool OpenFlashPort(const char* portName, int baudRate);
    // Writes the header, then the payload if there is one.
    bool SendAppletMessage(const AppletMessage& message);
    // One read of up to 240 bytes appended to the link buffer; it returns
    // when 240 bytes have arrived or after the time-out.
    int ReadLink(uint32_t timeoutMs = kReadTimeoutMs);
    // Takes one complete message from the link buffer (bytes before a
    // magic are discarded).
    bool TakeMessage(LinkMessage* message);
    bool WaitForVerify(uint32_t sequence);
    bool WaitForType(uint32_t type);
    static uint32_t FileChecksum(const uint8_t* bytes, size_t count);
    int Resends() const { return m_resends; }
    size_t Buffered() const { return m_count; }
    // True once a read or a write on the link has failed (the device has
    // gone); every wait then ends at once.
    bool LinkLost() const { return m_linkLost; }

private:
    enum class Outcome { EndedEarly, Abandoned, Succeeded, Failed };
    Outcome Run(const char* path);
    bool ReadImage(const char* path);
    Outcome Transfer();
    void Finish(bool success);
    Outcome EndLinkLost();
    void SetReason(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;

    MAReceiver& m_receiver;
    UpgradeProgress& m_progress;
    IOperator& m_ui;
    ISerialDevice* m_device;
    IClock& m_clock;
    ITrace* m_trace;
    std::function<void()> m_closeRequest;
    std::atomic<bool> m_closeRequested{false};  // read by the front end's thread

    std::vector<uint8_t> m_image;
    int32_t m_moduleKind = 0;
    int m_resends = 0;
    bool m_committed = false;
    bool m_successSeen = false;  // a success taken by another wait after the commit
    bool m_linkLost = false;
    uint8_t m_buffer[kLinkBufferSize] = {};
    size_t m_count = 0;
    char m_reason[256] = {};
};

} // namespace qvr
