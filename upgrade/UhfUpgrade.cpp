#include "UhfUpgrade.h"

#include "UpgradeFile.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

namespace qvr {

namespace {

constexpr uint8_t kEnquiry = 0x05;
constexpr uint8_t kEnterLoader = 'H';
constexpr uint8_t kStartProgramming = 'C';
constexpr uint32_t kAckReadMs = 100;  // the flash port's total read time-out
constexpr size_t kAckReadSize = 1023;
constexpr uint32_t kAckGiveUpMs = 3999;
constexpr const char* kStars = "************************************************************";

} // namespace

UhfUpgradeEngine::UhfUpgradeEngine(MAReceiver& receiver, UpgradeProgress& progress, ISerialDevice* device,
                                   IClock* clock, ITrace* trace)
    : m_receiver(receiver),
      m_progress(progress),
      m_device(device ? device : &receiver.Port().Device()),
      m_clock(clock ? *clock : receiver.Port().Clock()),
      m_trace(trace ? trace : receiver.Port().Trace()) {}

UhfUpgradeEngine::~UhfUpgradeEngine() = default;

// ---------------------------------------------------------------- messages

uint8_t UhfUpgradeEngine::Checksum(const uint8_t* bytes, size_t count) {
    uint8_t sum = 0;
    for (size_t i = 0; i < count; ++i) sum = static_cast<uint8_t>(sum + bytes[i]);
    return static_cast<uint8_t>(0x100 - sum);
}

void UhfUpgradeEngine::EraseMessage(uint8_t sector, uint8_t (&message)[4]) {
    message[0] = 0x58;
    message[1] = 0x01;
    message[2] = sector;
    message[3] = Checksum(message, 3);
}

void UhfUpgradeEngine::ProgramMessage(const uint8_t* data, uint8_t (&message)[kProgramMessageSize]) {
    message[0] = 0x50;
    std::memcpy(message + 1, data, kProgramDataSize);
    message[kProgramMessageSize - 1] = Checksum(message, kProgramMessageSize - 1);
}

void UhfUpgradeEngine::EndOfProgrammingMessage(uint8_t (&message)[6]) {
    message[0] = 0x50;
    std::memset(message + 1, 0xFF, 4);
    message[5] = Checksum(message, 5);
}

// ---------------------------------------------------------------- port

void UhfUpgradeEngine::SetReason(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(m_reason, sizeof m_reason, format, args);
    va_end(args);
}

bool UhfUpgradeEngine::OpenFlashPort(const char* portName, int baud) {
    if (m_device->IsOpen()) m_device->Close();
    if (!m_device->Open(portName)) {
        TraceF(m_trace, "Cannot open %s for the flash loader. LastError = %d", portName, m_device->LastError());
        SetReason("The serial port %s could not be opened for the upgrade.", portName);
        return false;
    }
    m_device->FetchLineSettings();  // the other line settings stay as they are
    if (!m_device->ApplyLineSettings(baud)) {
        TraceF(m_trace, "Cannot set %s to %d baud for the flash loader. LastError = %d", portName, baud,
               m_device->LastError());
        SetReason("The serial port %s could not be set to %d baud for the upgrade.", portName, baud);
        m_device->Close();
        return false;
    }
    return true;
}

bool UhfUpgradeEngine::Send(const uint8_t* bytes, size_t count) {
    if (m_linkLost) return false;
    size_t written = 0;
    if (m_device->Write(bytes, count, &written) && written == count) return true;
    TraceF(m_trace, "Error writing to the flash port. Last Error: %d", m_device->LastError());
    m_linkLost = true;
    return false;
}

size_t UhfUpgradeEngine::ReadFlashPort(uint8_t* buffer, size_t count) {
    // One read with the flash port's total time-out: it lasts its whole
    // 100 ms unless count bytes arrive first. The loader is paced by these
    // reads (a program message follows the previous one's ACK read, so
    // messages begin at least 100 ms apart); an ACK does not end one early.
    // A read that fails (the device has gone) is not tried again.
    size_t received = 0;
    if (m_linkLost) return 0;
    if (!m_device->Read(buffer, count, kAckReadMs, &received)) {
        TraceF(m_trace, "Error reading from the flash port. Last Error: %d", m_device->LastError());
        m_linkLost = true;
        return 0;
    }
    return received;
}

bool UhfUpgradeEngine::ReadForAck() {
    m_clock.Sleep(200);
    const size_t n = ReadFlashPort(m_readBuffer, sizeof m_readBuffer);
    for (size_t i = 0; i < n && m_readBuffer[i] != 0; ++i)
        if (m_readBuffer[i] == kAck) return true;
    return false;
}

bool UhfUpgradeEngine::WaitForAck() {
    const uint32_t start = m_clock.GetTickCount();
    for (;;) {
        const size_t n = ReadFlashPort(m_readBuffer, kAckReadSize);
        if (std::memchr(m_readBuffer, kAck, n)) return true;
        if (m_linkLost || m_clock.GetTickCount() - start > kAckGiveUpMs) return false;
        m_clock.Sleep(100);
    }
}

// ---------------------------------------------------------------- upgrade

bool UhfUpgradeEngine::StartUhfUpgrade(const char* path) {
    m_progress.Clear();
    m_reason[0] = '\0';
    m_linkLost = false;
    const bool result = ReadFile(path) && FlashProcedure();
    m_progress.SetEnded(result);
    return result;
}

bool UhfUpgradeEngine::ReadFile(const char* path) {
    m_image.reset();
    m_imageSize = 0;
    if (!path) path = "";
    // Read only: the file is never written, and may well be read-only. A
    // folder, a pipe or a device is refused before it is opened.
    uint64_t fileSize = 0;
    UpgradeFileProblem problem = UpgradeFileProblem::None;
    std::FILE* file = OpenUpgradeFile(path, UpgradeFileKind::UhfFirmware, &fileSize, &problem);
    if (!file) {
        TraceF(m_trace, "Cannot use the UHF upgrade file %s.", path);
        SetReason("%s", UpgradeFileProblemText(problem, UpgradeFileKind::UhfFirmware));
        return false;
    }
    const long size = static_cast<long>(fileSize);
    // The loader takes whole program messages: a rest would be left out.
    if (size % static_cast<long>(kProgramDataSize) != 0) {
        std::fclose(file);
        TraceF(m_trace, "The UHF upgrade file %s has %ld bytes, not a multiple of %u. Refused, nothing sent.", path,
               size, static_cast<unsigned>(kProgramDataSize));
        SetReason("The upgrade file is not a UHF radio firmware file: its size (%ld bytes) is not a multiple of "
                  "%u bytes.",
                  size, static_cast<unsigned>(kProgramDataSize));
        return false;
    }
    m_image.reset(new (std::nothrow) uint8_t[static_cast<size_t>(size)]);
    if (!m_image) {
        std::fclose(file);
        TraceF(m_trace, "No memory for the UHF upgrade file (%ld bytes).", size);
        SetReason("There is not enough memory to read the upgrade file.");
        return false;
    }
    std::rewind(file);
    const size_t read = std::fread(m_image.get(), 1, static_cast<size_t>(size), file);
    std::fclose(file);
    if (read != static_cast<size_t>(size)) {
        m_image.reset();
        TraceF(m_trace, "Read %u of %ld bytes of the UHF upgrade file %s.", static_cast<unsigned>(read), size, path);
        SetReason("The upgrade file %s could not be read.", path);
        return false;
    }
    m_imageSize = static_cast<size_t>(size);
    return true;
}

bool UhfUpgradeEngine::FlashProcedure() {
    TraceF(m_trace, "%s", kStars);
    TraceF(m_trace, "*                  Beginning FLASH update.                 *");
    TraceF(m_trace, "%s", kStars);

    if (!m_receiver.EnterFlashLoader()) {
        if (m_receiver.LinkLost())
            SetReason("The receiver stopped answering before the upgrade began; the radio was not changed. "
                      "Check the cable and the receiver's power, then connect again.");
        else
            SetReason("The radio's flash loader did not answer.");
        return false;
    }
    char portName[MAReceiver::kPortNameSize];
    m_receiver.GetPortName(portName);
    // The radio now waits in its loader, not yet erased.
    static const char* const kWaitingInLoader =
        "The radio is waiting in its flash loader and has not been erased: switch the receiver off and on again "
        "to restart the radio with its old firmware, then run the upgrade again.";
    if (m_device == &m_receiver.Port().Device()) {
        // Taken over open: the port is never released, so no other program
        // can take it between the bridge and the loader.
        if (!m_device->IsOpen() || !m_device->ApplyLineSettings(kFlashBaud)) {
            TraceF(m_trace, "Cannot take over %s at %d baud for the flash loader. LastError = %d", portName,
                   kFlashBaud, m_device->LastError());
            SetReason("The serial port %s could not be used for the upgrade. %s", portName, kWaitingInLoader);
            return false;
        }
    } else {
        m_receiver.Disconnect();
        if (!OpenFlashPort(portName, kFlashBaud)) {
            SetReason("The serial port %s could not be opened for the upgrade (another program may have taken "
                      "it). %s",
                      portName, kWaitingInLoader);
            return false;
        }
    }

    const uint8_t enquiry = kEnquiry;
    Send(&enquiry, 1);
    m_clock.Sleep(1000);
    if (!ReadForAck()) {
        if (m_linkLost) return EndLinkLost(nullptr);
        TraceF(m_trace, "Error kicking off upgrade. Returning prematurely.");
        SetReason("The radio's flash loader did not acknowledge the start of the upgrade.");
        return false;
    }
    const uint8_t enter = kEnterLoader;
    Send(&enter, 1);
    m_clock.Sleep(1000);
    if (!WaitForAck()) {
        if (m_linkLost) return EndLinkLost(nullptr);
        TraceF(m_trace, "Error kicking off upgrade. Returning prematurely.");
        SetReason("The radio's flash loader did not acknowledge the start of the upgrade.");
        return false;
    }

    // From here on an error is noted and every remaining message still sent.
    bool error = false;
    m_progress.SetState(kUpgradeErasing);
    // From the first erase the radio has no whole firmware until the last
    // program message: the progress record says so until the engine returns.
    m_progress.SetProgramming(true);
    uint8_t erase[4];
    for (int sector = 0; sector < kSectorCount; ++sector) {
        EraseMessage(static_cast<uint8_t>(sector), erase);
        Send(erase, sizeof erase);
        if (WaitForAck()) {
            TraceF(m_trace, "Erase flash index %d successful.", sector);
            continue;
        }
        if (m_linkLost) return EndLinkLost("while erasing");
        TraceF(m_trace, "Did not read positive response while erasing flash index %d. Retrying...\r\n", sector);
        Send(erase, sizeof erase);
        if (WaitForAck()) {
            TraceF(m_trace, "Retry successful.");
        } else {
            if (m_linkLost) return EndLinkLost("while erasing");
            TraceF(m_trace, "Error found while erasing flash.");
            error = true;
        }
    }

    m_progress.SetState(kUpgradeEraseFinished);
    EraseMessage(0xFF, erase);
    Send(erase, sizeof erase);
    if (!WaitForAck()) {
        if (m_linkLost) return EndLinkLost("after erasing");
        TraceF(m_trace, "Error found during ending flash erase.");
        error = true;
    }
    const uint8_t start = kStartProgramming;
    Send(&start, 1);
    if (!WaitForAck()) {
        if (m_linkLost) return EndLinkLost("after erasing");
        TraceF(m_trace, "Error found kicking off flash program.");
        error = true;
    }

    m_progress.SetState(kUpgradeProgramming);
    const size_t messages = m_imageSize / kProgramDataSize;
    uint8_t program[kProgramMessageSize];
    for (size_t k = 1; k <= messages; ++k) {
        ProgramMessage(m_image.get() + (k - 1) * kProgramDataSize, program);
        Send(program, sizeof program);
        if (!WaitForAck()) {
            if (m_linkLost) return EndLinkLost("while programming");
            TraceF(m_trace, "Error found during write flash.");
            error = true;
        }
        m_progress.SetPercent(static_cast<int32_t>(100ULL * k / messages));
    }
    uint8_t end[6];
    EndOfProgrammingMessage(end);
    Send(end, sizeof end);

    m_progress.SetDone(error);
    if (error) SetReason("The radio's flash loader reported errors during the upgrade.");
    return !error;
}

bool UhfUpgradeEngine::EndLinkLost(const char* when) {
    const UpgradeProgressRecord record = m_progress.Snapshot();
    TraceF(m_trace, "The flash port stopped working %s (state %d, %d%%). Upgrade ended.",
           when ? when : "before erasing", static_cast<int>(record.state), static_cast<int>(record.percent));
    if (!when)
        SetReason("The receiver stopped answering before the upgrade began. The radio has not been erased: switch "
                  "the receiver off and on again to restart the radio with its old firmware.");
    else
        SetReason("The receiver stopped answering %s (%d%% programmed). The radio's firmware is incomplete: "
                  "reconnect the receiver, switch it off and on again, and run the upgrade again. If the radio's "
                  "flash loader does not answer any more, the receiver must go to a service centre.",
                  when, static_cast<int>(record.percent));
    return false;
}

} // namespace qvr
