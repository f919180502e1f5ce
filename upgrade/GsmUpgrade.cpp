#include "GsmUpgrade.h"

#include "UpgradeFile.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <exception>

namespace qvr {

namespace {

constexpr uint32_t kResendPauseMs = 200;
constexpr uint32_t kAfterCommitMs = 1000;
constexpr uint32_t kCommitPollMs = 1000;
constexpr uint32_t kCleanupStepMs = 1000;

const char* const kSuccessText = "Upgrade Successful!";
const char* const kFailureText =
    "Upgrade was not successful. Verify radio operation and contact a service depot for assistance.";


} // namespace

GsmUpgradeEngine::GsmUpgradeEngine(MAReceiver& receiver, UpgradeProgress& progress, IOperator& ui,
                                   ISerialDevice* serial, IClock* clock, ITrace* trace)
    : m_receiver(receiver),
      m_progress(progress),
      m_ui(ui),
      m_device(serial ? serial : &receiver.Port().Device()),
      m_clock(clock ? *clock : receiver.Port().Clock()),
      m_trace(trace ? trace : receiver.Port().Trace()) {}

GsmUpgradeEngine::~GsmUpgradeEngine() = default;

bool GsmUpgradeEngine::CheckAppletFile(const char* path, int moduleKind, const char** message) {
    const auto fail = [message](const char* text) {
        if (message) *message = text;
        return false;
    };
    if (message) *message = nullptr;
    // The file first, looked at without ever blocking on it: a regular,
    // readable file of at most 4 MB.
    const UpgradeFileProblem problem = CheckUpgradeFile(path, UpgradeFileKind::GsmApplet);
    if (problem != UpgradeFileProblem::None) return fail(UpgradeFileProblemText(problem, UpgradeFileKind::GsmApplet));
    if (moduleKind == kGsmModuleSiemens && !std::strstr(path, "SiemensBridge.jar"))
        return fail("Your GSM module appears to contain a Siemens module, but you are attempting to upgrade it with "
                    "the wrong midlet. Please Select a SiemensBridge.jar midlet.");
    if (moduleKind == kGsmModuleNokia && !std::strstr(path, "NokiaBridge.jar"))
        return fail("Your GSM module appears to contain a Nokia module, but you are attempting to upgrade it with "
                    "the wrong midlet. Please Select a NokiaBridge.jar midlet.");
    if (moduleKind == kGsmModuleUnknown)
        return fail("Upgrades cannot continue because your GSM module cannot be determined. Please try reconnecting.");
    if (!std::strstr(path, ".jar") && !std::strstr(path, ".JAR"))
        return fail("You must select a valid GSM applet upgrade file.");
    return true;
}

uint32_t GsmUpgradeEngine::FileChecksum(const uint8_t* bytes, size_t count) { return AppletChecksum(bytes, count); }

void GsmUpgradeEngine::SetReason(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(m_reason, sizeof m_reason, format, args);
    va_end(args);
}

bool GsmUpgradeEngine::StartGsmUpgrade(const char* path) {
    m_progress.Clear();
    m_reason[0] = '\0';
    m_linkLost = false;
    m_closeRequested = false;
    const Outcome outcome = Run(path);
    const bool result = outcome == Outcome::Succeeded;
    m_progress.SetEnded(result);
    // An upgrade that reached its end has told the operator its outcome;
    // the receiver stays bridged, so the program closes.
    if (outcome == Outcome::Succeeded || outcome == Outcome::Failed) {
        m_closeRequested = true;
        if (m_closeRequest) m_closeRequest();
    }
    return result;
}

bool GsmUpgradeEngine::ReadImage(const char* path) {
    m_image.clear();
    if (!path) path = "";
    // The same checks as the page's: a folder, a pipe or a device is never
    // opened, an empty or oversized file never read.
    uint64_t size = 0;
    UpgradeFileProblem problem = UpgradeFileProblem::None;
    std::FILE* file = OpenUpgradeFile(path, UpgradeFileKind::GsmApplet, &size, &problem);
    if (!file) {
        SetReason("%s", UpgradeFileProblemText(problem, UpgradeFileKind::GsmApplet));
        return false;
    }
    bool ok = true;
    try {
        m_image.resize(static_cast<size_t>(size));
    } catch (const std::exception&) {  // more than this worker can hold
        ok = false;
    }
    ok = ok && std::fread(m_image.data(), 1, m_image.size(), file) == m_image.size();
    std::fclose(file);
    if (!ok) {
        m_image.clear();
        SetReason("The applet file %s could not be read.", path);
    }
    return ok;
}

GsmUpgradeEngine::Outcome GsmUpgradeEngine::Run(const char* path) {
    if (!ReadImage(path)) {
        TraceF(m_trace, "GSM upgrade - the applet file cannot be read or is empty.\n");
        return Outcome::EndedEarly;  // ReadImage gave the reason
    }
    m_moduleKind = m_receiver.Peripheral().gsm.moduleKind;
    if (!m_receiver.OpenAuxBridge(kLinkRate)) {
        TraceF(m_trace, "GSM upgrade - no radio known, the bridge was not opened.\n");
        SetReason("The receiver's bridge to the GSM module could not be opened: no radio is known on its AUX port. "
                  "Please reconnect and try again.");
        return Outcome::EndedEarly;
    }
    char portName[MAReceiver::kPortNameSize];
    m_receiver.GetPortName(portName);
    static const char* const kRestart =
        "The receiver is left bridged to the module, which still has its old applet: switch the receiver off and "
        "on again, then run the upgrade again.";
    if (m_device == &m_receiver.Port().Device()) {
        // Taken over open: the port is never released, so no other program
        // can take it between the bridge and the transfer.
        m_count = 0;
        if (m_receiver.LinkLost() || !m_device->IsOpen() || !m_device->ApplyLineSettings(kLinkRate)) {
            TraceF(m_trace, "GSM upgrade - cannot take over %s.\n", portName);
            SetReason("The serial port %s could not be used at %d baud for the upgrade. %s", portName, kLinkRate,
                      kRestart);
            return Outcome::EndedEarly;
        }
    } else {
        m_receiver.Disconnect();
        if (!OpenFlashPort(portName, kLinkRate)) {
            TraceF(m_trace, "GSM upgrade - cannot open %s.\n", portName);
            SetReason("The serial port %s could not be opened at %d baud for the upgrade (another program may "
                      "have taken it). %s",
                      portName, kLinkRate, kRestart);
            return Outcome::EndedEarly;
        }
    }
    m_progress.SetStatusText("Beginning upgrade...");
    return Transfer();
}

bool GsmUpgradeEngine::OpenFlashPort(const char* portName, int baudRate) {
    if (m_device->IsOpen()) m_device->Close();
    m_count = 0;
    if (!m_device->Open(portName)) return false;
    m_device->FetchLineSettings();
    if (!m_device->ApplyLineSettings(baudRate)) {
        m_device->Close();
        return false;
    }
    return true;
}

bool GsmUpgradeEngine::SendAppletMessage(const AppletMessage& message) {
    if (!m_device->IsOpen() || message.length > kAppletMaxPayload) return false;
    uint8_t header[kAppletHeaderSize];
    message.WriteHeader(header);
    size_t written = 0;
    if (m_linkLost) return false;
    bool ok = m_device->Write(header, sizeof header, &written) && written == sizeof header;
    if (ok && message.length > 0)
        ok = m_device->Write(message.payload, message.length, &written) && written == message.length;
    if (!ok) m_linkLost = true;  // the device no longer takes data
    return ok;
}

int GsmUpgradeEngine::ReadLink(uint32_t timeoutMs) {
    // One read of up to 240 bytes with the port's total time-out: it lasts
    // its whole 100 ms unless 240 bytes arrive first, so the module is
    // answered at the pace these reads set, never at line speed. Bytes are
    // left in the driver rather than dropped when the buffer could not take
    // a whole read.
    if (m_count + kLinkReadSize >= kLinkBufferSize) {
        TraceF(m_trace, "Buffer full!!!\n");
        m_clock.Sleep(timeoutMs);
        return 0;
    }
    size_t got = 0;
    if (m_linkLost) return 0;
    if (!m_device->IsOpen() || !m_device->Read(m_buffer + m_count, kLinkReadSize, timeoutMs, &got)) {
        // The device has gone: the waits end at once (they check LinkLost).
        TraceF(m_trace, "GSM upgrade - the port stopped working. Last Error: %d\n", m_device->LastError());
        m_linkLost = true;
        return 0;
    }
    m_count += std::min(got, kLinkReadSize);
    return static_cast<int>(got);
}

bool GsmUpgradeEngine::TakeMessage(LinkMessage* message) {
    static constexpr uint8_t kMagicBytes[4] = {0xBB, 0x88, 0x33, 0x11};
    for (;;) {
        if (m_count < kAppletHeaderSize) return false;
        size_t at = 0;
        while (at + 4 <= m_count && std::memcmp(m_buffer + at, kMagicBytes, 4) != 0) ++at;
        if (at + 4 > m_count) {
            // No message begins here: keep only the last bytes, which may
            // be the start of a magic still arriving.
            std::memmove(m_buffer, m_buffer + m_count - 3, 3);
            m_count = 3;
            return false;
        }
        if (at > 0) {
            // What comes before a magic belongs to no message.
            std::memmove(m_buffer, m_buffer + at, m_count - at);
            m_count -= at;
        }
        if (m_count < kAppletHeaderSize) return false;
        const AppletHeader header = ReadAppletHeader(m_buffer);
        if (header.length > kMaxLinkPayload) {
            // A length no message of this link can have: not a header.
            std::memmove(m_buffer, m_buffer + 1, m_count - 1);
            m_count -= 1;
            continue;
        }
        const size_t end = kAppletHeaderSize + header.length;
        if (m_count < end) return false;  // wait for the rest
        if (message) {
            message->type = header.type;
            message->length = header.length;
            message->extra = header.extra;
            message->checksum = header.checksum;
            const size_t n = std::min<size_t>(header.length, sizeof message->text - 1);
            std::memcpy(message->text, m_buffer + kAppletHeaderSize, n);
            message->text[n] = '\0';
        }
        std::memmove(m_buffer, m_buffer + end, m_count - end);
        m_count -= end;
        return true;
    }
}

bool GsmUpgradeEngine::WaitForVerify(uint32_t sequence) {
    // Ten tries, each a read and one message taken, 100 ms apart.
    for (int attempt = 0; attempt < kVerifyTries; ++attempt) {
        ReadLink();
        LinkMessage message;
        if (TakeMessage(&message)) {
            switch (message.type) {
            case applet::Verify:
                TraceF(m_trace, "PACKET_TYPE_VERIFY found for packet ID  %d\n", static_cast<int>(message.extra));
                if (message.extra == sequence) return true;
                break;
            case applet::Success:
                TraceF(m_trace, "PACKET_TYPE_SUCCESS: %s\n", message.text);
                // A success that arrives during the commit's wait counts.
                if (m_committed) m_successSeen = true;
                if (message.extra == sequence) return false;
                break;
            case applet::Error:
                TraceF(m_trace, "PACKET_TYPE_ERROR: %s\n", message.text);
                if (message.extra == sequence) return false;
                break;
            default:
                break;  // not waited for: dropped
            }
        }
        if (m_linkLost) return false;
        m_clock.Sleep(kVerifyPauseMs);
    }
    return false;
}

bool GsmUpgradeEngine::WaitForType(uint32_t type) {
    if (type == applet::Success && m_successSeen) return true;
    // Eighteen tries, each a read and one message taken, 500 ms apart.
    for (int attempt = 0; attempt < kTypeTries; ++attempt) {
        ReadLink();
        LinkMessage message;
        if (TakeMessage(&message) && message.type == type) return true;
        if (m_linkLost) return false;
        m_clock.Sleep(kTypePauseMs);
    }
    return false;
}

GsmUpgradeEngine::Outcome GsmUpgradeEngine::Transfer() {
    const size_t size = m_image.size();
    const uint32_t checksum = FileChecksum(m_image.data(), size);
    const int pieces = static_cast<int>((size + kPieceSize - 1) / kPieceSize);
    m_resends = 0;
    m_committed = false;
    m_successSeen = false;

    AppletMessage message;
    message.Build(applet::UpgradeBegin);
    SendAppletMessage(message);
    uint8_t info[12];
    WriteLe32(info, kAppletMagic);
    WriteLe32(info + 4, static_cast<uint32_t>(size));
    WriteLe32(info + 8, checksum);
    message.Build(applet::UpgradeInfo, info, sizeof info);
    SendAppletMessage(message);
    WaitForVerify(0);  // the module's answer to the info is not needed

    char status[64];
    for (int j = 0; j < pieces; ++j) {
        std::snprintf(status, sizeof status, "Writing packet %d of %d", j, pieces);
        m_progress.SetStatusText(status);
        m_progress.SetPercent(static_cast<int32_t>(100LL * (j + 1) / pieces));
        const size_t offset = static_cast<size_t>(j) * kPieceSize;
        message.Build(applet::UpgradeData, m_image.data() + offset, std::min(kPieceSize, size - offset),
                      static_cast<uint32_t>(j));
        SendAppletMessage(message);
        while (!WaitForVerify(static_cast<uint32_t>(j))) {
            if (m_linkLost) return EndLinkLost();
            SendAppletMessage(message);
            ++m_resends;
            TraceF(m_trace, "Packet %d of %d resent. There have been #%d total resends.\n", j, pieces, m_resends);
            m_clock.Sleep(kResendPauseMs);
            if (m_resends > kMaxResends) {
                TraceF(m_trace, "Upgrade terminating, too many resends, check connection.\n");
                SetReason("Upgrade terminating, too many resends, check connection.");
                return Outcome::Abandoned;
            }
        }
        TraceF(m_trace, "Successfully sent Packet %d of %d.\r", j, pieces);
    }

    message.Build(applet::UpgradeCommit);
    SendAppletMessage(message);
    m_committed = true;
    WaitForVerify(0);
    m_clock.Sleep(kAfterCommitMs);

    m_progress.SetStatusText("Committing to flash.");
    m_progress.SetPercent(0);
    const uint32_t start = m_clock.GetTickCount();
    for (;;) {
        if (WaitForType(applet::Success)) break;
        if (m_linkLost) return EndLinkLost();
        const uint32_t seconds = (m_clock.GetTickCount() - start) / 1000;
        if (seconds > kSuccessLimitS) {
            SetReason("The GSM module did not report a successful upgrade within %u seconds of the commit.",
                      static_cast<unsigned>(kSuccessLimitS));
            Finish(false);
            return Outcome::Failed;
        }
        m_progress.SetPercent(static_cast<int32_t>(std::min<uint32_t>(10 * seconds, 100)));
        m_clock.Sleep(kCommitPollMs);
    }
    if (m_moduleKind == kGsmModuleSiemens) {
        m_progress.SetStatusText("Waiting for module cleanup.");
        for (int k = 0; k < kCleanupSeconds; ++k) {
            m_progress.SetPercent(100 * k / kCleanupSeconds);
            m_clock.Sleep(kCleanupStepMs);
        }
    }
    Finish(true);
    return Outcome::Succeeded;
}

GsmUpgradeEngine::Outcome GsmUpgradeEngine::EndLinkLost() {
    TraceF(m_trace, "GSM upgrade - ended: the receiver stopped answering.\n");
    SetReason("The receiver stopped answering during the applet upgrade. Reconnect the receiver, switch it off and "
              "on again, and connect: if the GSM module is not found, run the upgrade again.");
    return Outcome::Abandoned;
}

void GsmUpgradeEngine::Finish(bool success) {
    if (success) {
        m_progress.SetStatusText("Finished - Successful.");
        m_ui.ShowMessage(kSuccessText, "Success", MessageIcon::None, MessageButtons::Ok);
    } else {
        m_progress.SetStatusText("Finished - There were errors.");
        m_ui.ShowMessage(kFailureText, "Failure", MessageIcon::None, MessageButtons::Ok);
    }
    m_progress.SetStatusText("Finished.");
    m_progress.SetPercent(100);
}

} // namespace qvr
