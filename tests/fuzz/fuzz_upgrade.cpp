// The two upgrades' readers of the direct link: the GSM upgrade's link
// reader with its verify and type waits, and the UHF flash loader's ACK
// reader, each alone and in a whole upgrade of a small file.
#include <cstdio>
#include <string>

#include <unistd.h>

#include "FuzzBench.h"
#include "GsmUpgrade.h"
#include "UhfUpgrade.h"

namespace qvr::fuzz {

namespace {

// A small upgrade file of each kind, written once per process.
const std::string& UpgradeFile(bool applet) {
    static const std::string folder = [] {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/qvr-fuzz-XXXXXX";
        return std::string(mkdtemp(pattern.data()) ? pattern.c_str() : ".");
    }();
    static const std::string paths[2] = {folder + "/radio.sfo", folder + "/applet.jar"};
    static const bool written = [] {
        for (int i = 0; i < 2; ++i) {
            std::FILE* file = std::fopen(paths[i].c_str(), "wb");
            if (!file) continue;
            const size_t size = i == 0 ? 2 * UhfUpgradeEngine::kProgramDataSize : 600;
            for (size_t k = 0; k < size; ++k) std::fputc(static_cast<int>(k * 7 % 251), file);
            std::fclose(file);
        }
        return true;
    }();
    (void)written;
    return paths[applet ? 1 : 0];
}

} // namespace

void RunUpgrade(MAReceiver& receiver, uint8_t operation, uint8_t flags, const uint8_t*, size_t) {
    UpgradeProgress progress;
    switch (operation % kUpgradeOperations) {
    case 0: {
        GsmUpgradeEngine engine(receiver, progress, SilentOperator());
        const uint32_t sequence = flags >> 4;
        for (int i = 0; i < 8 && !engine.LinkLost(); ++i) {
            if (engine.WaitForVerify(sequence + static_cast<uint32_t>(i)))
                continue;
            engine.WaitForType(i % 2 ? applet::Success : applet::Error);
            QVR_FUZZ_CHECK(engine.Buffered() <= GsmUpgradeEngine::kLinkBufferSize);
        }
        GsmUpgradeEngine::LinkMessage message;
        while (engine.TakeMessage(&message)) QVR_FUZZ_CHECK(message.length <= GsmUpgradeEngine::kMaxLinkPayload);
        break;
    }
    case 1: {
        receiver.Peripheral().kind = kPeripheralGsm;
        receiver.Peripheral().gsm.moduleKind = (flags & 4) ? kGsmModuleSiemens : kGsmModuleNokia;
        GsmUpgradeEngine engine(receiver, progress, SilentOperator());
        const bool ok = engine.StartGsmUpgrade(UpgradeFile(true).c_str());
        QVR_FUZZ_CHECK(ok == (engine.FailureReason()[0] == '\0'));
        break;
    }
    case 2: {
        UhfUpgradeEngine engine(receiver, progress);
        for (int i = 0; i < 6 && !engine.LinkLost(); ++i) {
            engine.ReadForAck();
            engine.WaitForAck();
        }
        break;
    }
    default: {
        receiver.Peripheral().kind = kPeripheralUhf;
        UhfUpgradeEngine engine(receiver, progress);
        const bool ok = engine.StartUhfUpgrade(UpgradeFile(false).c_str());
        QVR_FUZZ_CHECK(ok == (engine.FailureReason()[0] == '\0'));
        break;
    }
    }
    QVR_FUZZ_CHECK(progress.Snapshot().engineEnded || operation % 2 == 0);
}

int FuzzUpgrade(const uint8_t* data, size_t size) {
    FuzzBench bench(data, size);
    RunUpgrade(bench.receiver, bench.operation, bench.flags, bench.rest, bench.restSize);
    bench.CheckBounded(30);
    return 0;
}

} // namespace qvr::fuzz

#ifndef QVR_FUZZ_REPLAY
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return qvr::fuzz::FuzzUpgrade(data, size); }
#endif
