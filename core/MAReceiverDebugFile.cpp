// The receiver's debug log file "debuglog.bin": switching its recording on
// and off, deleting it, and downloading it in 1024-byte blocks over the link,
// raised to 115200 baud for the transfer.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "MAReceiver.h"
#include "TemporaryFiles.h"
#include "platform/Files.h"

namespace qvr {

namespace {

constexpr uint32_t kBlockSize = 1024;
constexpr int kTransferRate = 115200;
constexpr uint32_t kHeaderWaitMs = 2000;
constexpr uint32_t kBlockTimeoutMs = 5000;
constexpr size_t kFileSizeOffset = 12;  // in the file header body
constexpr size_t kBlockFieldsSize = 8;  // block number and data length
// Progress bars take 16-bit limits.
constexpr uint32_t kProgressLimit = 65535;

const char* const kCaption = "Error";

// Where a block number (or N at the end) stands on the progress bar. Up to
// 65535 blocks (a file of 64 MiB) that is the block number itself; larger
// files are scaled onto 0..65535 so that the bar still moves evenly.
int ProgressValue(uint32_t block, uint32_t blocks) {
    if (blocks <= kProgressLimit) return static_cast<int>(block);
    return static_cast<int>(uint64_t{block} * kProgressLimit / blocks);
}

} // namespace

void MAReceiver::SetDebugFileEnabled(bool enable) {
    if (enable) {
        SendCommand("dbglogfile open hw\r\n");
        SendCommand("dbglogfile open tracking\r\n");
        SendCommand("dbglogfile onstart hw\r\n");
        SendCommand("dbglogfile onstart tracking\r\n");
    } else {
        SendCommand("dbglogfile close\r\n");
        SendCommand("dbglogfile disable\r\n");
    }
}

bool MAReceiver::DeleteDebugFile() { return SendCommand("dbglogfile delete\r\n"); }

bool MAReceiver::DownloadDebugFile(const char* path, IProgressSink* progress) {
    // Recording was switched off for the transfer; every exit from here on
    // switches it on again and re-selects the receiver's current file.
    const auto restoreRecording = [this] {
        SendCommand("dbglogfile open\r\n");
        SendCommand("currentfile\r\n");
    };
    const auto showError = [this](const char* text) {
        m_ui->ShowMessage(text, kCaption, MessageIcon::Error, MessageButtons::Ok);
    };

    m_port.Purge();
    Pause(1000);
    m_port.Purge();
    SendCommand("dbglogfile close\r\n");
    SendCommand("currentfile debuglog.bin all\r\n");
    ReadLog(500);  // whatever the selection answers is of no interest

    SendCommand("log filehdrb\r\n");
    // A header too short to hold the size is as good as none.
    if (!ReadLog(kHeaderWaitMs) || GetLogMessageId() != logid::FileHeader ||
        LogBodyLength() < kFileSizeOffset + 4) {
        restoreRecording();
        return false;
    }
    const uint32_t fileSize = ReadLe32(LogBody() + kFileSizeOffset);
    if (fileSize == 0) {
        showError("Debug File appears empty?");
        restoreRecording();
        return false;
    }
    const uint32_t blocks = fileSize / kBlockSize + (fileSize % kBlockSize != 0 ? 1 : 0);
    if (progress) progress->SetRange(0, ProgressValue(blocks, blocks));

    // A file (or a name not taken yet) gets the blocks in a temporary file
    // of its own beside it (a new name, created exclusively: never a file
    // that exists, nor another download's), which takes its place only once
    // the whole file is there: a failed download leaves the previous file as
    // it was and nothing half written. A symbolic link is followed: the
    // temporary file goes beside the file it points to and replaces that,
    // and the link stays. Anything else (a device, a pipe) is written in
    // place: there is no file of ours to keep or to replace.
    std::FILE* file = nullptr;
    m_downloadTempPath[0] = '\0';
    char target[kMaxPathSize];
    const bool resolved = path && ResolveFinalTarget(path, target, sizeof target);
    const bool viaTemporary = resolved && GetPathKind(target) != PathKind::Other;
    if (resolved && !viaTemporary) {
        file = std::fopen(target, "w+b");
    } else if (viaTemporary) {
        file = CreateFileBeside(target, m_downloadTempPath, sizeof m_downloadTempPath, nullptr);
    }
    if (!file) {
        m_downloadTempPath[0] = '\0';
        restoreRecording();
        return false;
    }
    // An interrupted program (Ctrl+C) removes it as well.
    if (m_downloadTempPath[0] != '\0') RegisterTemporaryFile(m_downloadTempPath);
    const auto dropTemporary = [this] {
        if (m_downloadTempPath[0] != '\0') {
            std::remove(m_downloadTempPath);
            UnregisterTemporaryFile(m_downloadTempPath);
        }
        m_downloadTempPath[0] = '\0';
    };
    // Unbuffered: each block goes to the system at once, so a failed write
    // shows at that block (not at the close), and no buffer is allocated.
    std::setvbuf(file, nullptr, _IONBF, 0);

    // On the controller's fast internal link the rate stays; so it does on
    // a port that cannot follow a rate change (a raw TCP serial server): a
    // receiver raised to 115200 there could no longer be reached.
    char pcPortName[kPortNameSize];
    GetPortName(pcPortName);
    const bool rateFixed = !m_port.Device().CanChangeRate();
    const bool raiseRate = !m_profile.IsFastInternalPort(pcPortName) && !rateFixed;
    if (rateFixed)
        m_status->SetStatusText("The port cannot change its rate (a raw TCP serial server): the file is downloaded "
                                "at the current rate, which takes longer.");
    const int previousRate = m_port.BaudRate();
    if (raiseRate) ChangeBaudRate(kTransferRate);

    // Ends the transfer early: stop the stream, switch recording on again,
    // close the file and take the link back to its earlier rate.
    const auto abandon = [&] {
        SendCommand("unlogall\r\n");
        restoreRecording();
        std::fclose(file);
        dropTemporary();
        if (raiseRate) ChangeBaudRate(previousRate);
    };

    SendCommand("log filetransferb\r\n");
    uint32_t lastBlockAt = Clock().GetTickCount();
    const uint32_t progressStep = blocks / 10 > 0 ? blocks / 10 : 1;
    // Blocks 0 .. whole-1 are all in the file; the file is complete when
    // this reaches N. A block may come twice, or ahead of the one before
    // it: the blocks that came within the window past `whole` are marked
    // (by number modulo the window) until `whole` reaches them. A block
    // lost on the way keeps `whole` below N, and the download then ends in
    // the time-out.
    uint32_t whole = 0;
    constexpr uint32_t kWindow = 256;
    bool ahead[kWindow] = {};

    while (whole < blocks) {
        // Each block goes to its own place in the file. Blocks beyond the
        // last and blocks whose length field exceeds their frame are left
        // out; a last block longer than what is left of the announced size
        // is cut to it, a shorter one ends the file where it ends.
        while (whole < blocks && ReadLog(0) && GetLogMessageId() == logid::FileTransfer) {
            lastBlockAt = Clock().GetTickCount();
            const size_t bodyLength = LogBodyLength();
            if (bodyLength < kBlockFieldsSize) continue;
            const uint8_t* body = LogBody();
            const uint32_t number = ReadLe32(body);
            uint32_t length = ReadLe32(body + 4);
            if (number >= blocks || length > bodyLength - kBlockFieldsSize || length > kBlockSize) continue;
            const uint64_t offset = uint64_t{number} * kBlockSize;
            const uint64_t expected = fileSize - offset < kBlockSize ? fileSize - offset : kBlockSize;
            if (length > expected) {
                TraceF(Trace(), "DownloadDebugFile - block %u says %u bytes, %u are left of the file; cut.",
                       static_cast<unsigned>(number), static_cast<unsigned>(length), static_cast<unsigned>(expected));
                length = static_cast<uint32_t>(expected);
            }

            size_t written = 0;
            int error = 0;
            if (!SeekFileTo(file, offset)) {
                error = errno;
            } else {
                errno = 0;
                written = std::fwrite(body + kBlockFieldsSize, 1, length, file);
                error = errno;
            }
            if (written < length) {
                abandon();
                char text[160];
                std::snprintf(text, sizeof text,
                              "File write error.\r\n Last Error:%d\r\n Bytes Written: %d\r\nExpected to be Written: %d",
                              error, static_cast<int>(written), static_cast<int>(length));
                showError(text);
                return false;
            }
            // The last block completes the file whatever its length: a
            // receiver may send fewer bytes than its header counted. Any
            // other block counts only when whole; a short one leaves a hole,
            // and the download then ends in the time-out.
            const bool counts = length == expected || number == blocks - 1;
            if (counts && number >= whole && number - whole < kWindow) ahead[number % kWindow] = true;
            while (whole < blocks && ahead[whole % kWindow]) {
                ahead[whole % kWindow] = false;
                ++whole;
            }
            if (progress && number % progressStep == 0) progress->SetPosition(ProgressValue(number, blocks));
        }
        if (whole >= blocks) break;
        if (LinkLost()) {
            TraceF(Trace(), "DownloadDebugFile - the receiver stopped answering after %u of %u blocks.",
                   static_cast<unsigned>(whole), static_cast<unsigned>(blocks));
            abandon();
            return false;
        }
        if (Clock().GetTickCount() - lastBlockAt > kBlockTimeoutMs) {
            abandon();
            showError("Timeout encountered.");
            return false;
        }
    }

    // A close that fails may have lost the last data.
    const bool closed = std::fclose(file) == 0;
    if (!closed || (viaTemporary && !ReplaceFile(m_downloadTempPath, target))) {
        const int error = errno;
        dropTemporary();
        if (raiseRate) ChangeBaudRate(previousRate);
        restoreRecording();
        char text[160];
        std::snprintf(text, sizeof text, "The downloaded file could not be saved as %.80s (error %d).", path, error);
        showError(text);
        return false;
    }
    if (viaTemporary) UnregisterTemporaryFile(m_downloadTempPath);
    m_downloadTempPath[0] = '\0';
    if (raiseRate) ChangeBaudRate(previousRate);
    restoreRecording();
    if (progress) progress->SetPosition(ProgressValue(blocks, blocks));
    return true;
}

} // namespace qvr
