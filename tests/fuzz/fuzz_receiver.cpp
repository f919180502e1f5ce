// The receiver's own logs: the version log's entries and the user-info
// record written back from them, the audio defaults and extended-levels
// bodies, the debug file's header and blocks, and the whole data refresh
// that reads them all (with the radio search behind it).
#include <cstdio>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "FuzzBench.h"

namespace qvr::fuzz {

namespace {

bool InfoTerminated(const ReceiverInfo& i) {
    return Terminated(i.serialNumber) && Terminated(i.gpsCardSerialNumber) && Terminated(i.userAppVersion) &&
           Terminated(i.gpsCardVersion) && Terminated(i.peripheralName) && Terminated(i.auxSettings) &&
           Terminated(i.gpsCardModel) && Terminated(i.modelName);
}

// What the pages make of the identity and the audio settings.
void ShowValues(const MAReceiver& receiver) {
    QVR_FUZZ_CHECK(InfoTerminated(receiver.Info()));
    QVR_FUZZ_CHECK(Terminated(receiver.Audio().languageFile));
    Language ids[MAReceiver::kMaxLanguages];
    int count = -1;
    receiver.GetLanguageList(ids, &count);
    QVR_FUZZ_CHECK(count >= 0 && count <= MAReceiver::kMaxLanguages);
    (void)receiver.GetUserAppVersionNumber();
    const int timer = receiver.GetTimerMode();
    QVR_FUZZ_CHECK(timer == 0 || timer == 1);
}

// A folder of its own for the downloads, made once per process.
const std::string& DownloadFolder() {
    static const std::string folder = [] {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/qvr-fuzz-XXXXXX";
        return std::string(mkdtemp(pattern.data()) ? pattern.c_str() : ".");
    }();
    return folder;
}

class CountingProgress : public IProgressSink {
public:
    void SetRange(int lower, int upper) override { QVR_FUZZ_CHECK(lower <= upper && upper <= 65535); }
    void SetPosition(int position) override { QVR_FUZZ_CHECK(position >= 0 && position <= 65535); }
};

} // namespace

void RunReceiver(MAReceiver& receiver, uint8_t operation, uint8_t flags, const uint8_t* rest, size_t restSize) {
    switch (operation % kReceiverOperations) {
    case 0: {
        receiver.UpdateReceiverInfo();
        int powerup = -1;
        receiver.ReadPowerupConfig(&powerup);
        QVR_FUZZ_CHECK(powerup >= 0 && powerup <= 99);
        ShowValues(receiver);
        break;
    }
    case 1:
        receiver.UpdateAudioInfo();
        ShowValues(receiver);
        break;
    case 2: {
        uint8_t levels[MAReceiver::kExtLevelsSize];
        receiver.ReadExtLevels(levels);
        receiver.UpdateReceiverInfo();
        ShowValues(receiver);
        break;
    }
    case 3: {
        // The user-info record written back with what the radio search found.
        PeripheralBlock& p = receiver.Peripheral();
        p.kind = flags >> 6;
        std::snprintf(p.uhf.firmwareVersion, sizeof p.uhf.firmwareVersion, "%s", "V2.01");
        std::snprintf(p.gsm.appletVersion, sizeof p.gsm.appletVersion, "%s", "3.002");
        receiver.SetRadioRemovalConfirmed((flags & 4) != 0);
        receiver.WriteUserInfoPeripheral();
        receiver.WritePeripheralPlaceholder((flags & 8) != 0);
        break;
    }
    case 4:
        receiver.UpdateAudioInfo();
        receiver.WritePowerupConfig(flags % 12, (flags >> 4) & 1);
        receiver.WriteEnclosureSerial();
        receiver.WriteEnclosureModel("QVR4100 MAX");
        break;
    case 5: {
        // The entry readers straight on the bytes after the lead.
        uint8_t log[MAReceiver::kVersionLogSize] = {};
        if (rest) std::memcpy(log, rest, restSize < sizeof log ? restSize : sizeof log);
        for (uint32_t type : {1u, 3u, 8u, 0x3A7A0005u, static_cast<uint32_t>(flags)}) {
            int index = -1;
            if (MAReceiver::FindVersionComponent(log, type, &index)) QVR_FUZZ_CHECK(index >= 0 && index < 6);
            MAReceiver::VersionEntryTexts texts;
            if (MAReceiver::ReadVersionEntry(log, type, &texts))
                for (const auto& text : texts.text) QVR_FUZZ_CHECK(Terminated(text));
        }
        return;
    }
    case 6: {
        const std::string path = DownloadFolder() + "/debuglog.bin";
        CountingProgress progress;
        std::remove(path.c_str());
        const bool saved = receiver.DownloadDebugFile(path.c_str(), &progress);
        // Saved, or nothing left behind: no file, no temporary file.
        QVR_FUZZ_CHECK(receiver.DownloadTempPath()[0] == '\0');
        QVR_FUZZ_CHECK((access(path.c_str(), F_OK) == 0) == saved);
        // Nothing else in the folder: the temporary name is unique per download.
        std::error_code error;
        int entries = 0;
        for (const auto& entry : std::filesystem::directory_iterator(DownloadFolder(), error))
            entries += entry.path() != path;
        QVR_FUZZ_CHECK(!error && entries == 0);
        break;
    }
    default: {
        ReceiverData record;
        std::memset(&record, 0, sizeof record);
        receiver.UpdateAllData(record, nullptr);
        ShowValues(receiver);
        break;
    }
    }
}

int FuzzReceiver(const uint8_t* data, size_t size) {
    FuzzBench bench(data, size);
    RunReceiver(bench.receiver, bench.operation, bench.flags, bench.rest, bench.restSize);
    bench.CheckBounded(60);
    return 0;
}

} // namespace qvr::fuzz

#ifndef QVR_FUZZ_REPLAY
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return qvr::fuzz::FuzzReceiver(data, size);
}
#endif
