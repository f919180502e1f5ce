// The UHF radio's answers: the detection and its queries (version, numbers,
// texts, protocol mode), the menu texts (error correction, channel spacing),
// the flash loader's greeting and the centre frequency typed into the
// service menu, and what the radio page makes of the values read.
#include <cmath>

#include "FuzzBench.h"
#include "RadioPageActions.h"

namespace qvr::fuzz {

namespace {

bool BlockTerminated(const UhfBlock& u) {
    return Terminated(u.firmwareVersion) && Terminated(u.txPower) && Terminated(u.moduleName) &&
           Terminated(u.deviceText) && Terminated(u.spare);
}

// What the radio pages show of the values the radio gave.
void ShowValues(const UhfBlock& uhf) {
    const int choice = UhfPowerChoiceIndex(uhf.txPower);
    QVR_FUZZ_CHECK(choice >= 0 && choice < kUhfPowerChoiceCount);
    (void)FrequencyInRanges(uhf, uhf.centerFrequency);
}

} // namespace

void RunUhf(MAReceiver& receiver, uint8_t operation, uint8_t, const uint8_t*, size_t) {
    UhfBlock& uhf = receiver.Peripheral().uhf;
    switch (operation % kUhfOperations) {
    case 0:
        receiver.DetectUhfRadio();
        QVR_FUZZ_CHECK(BlockTerminated(uhf));
        ShowValues(uhf);
        break;
    case 1:
        receiver.ReadFecSetting();
        break;
    case 2: {
        const int hertz = receiver.ReadChannelSpacing();
        QVR_FUZZ_CHECK(hertz > -10000000 && hertz < 10000000);  // four characters of kHz
        break;
    }
    case 3: {
        double values[6] = {};
        receiver.QueryCenterFrequency(&values[0]);
        receiver.QueryCurrentFrequency(&values[1]);
        receiver.QueryLowerLimit(1, &values[2]);
        receiver.QueryUpperLimit(1, &values[3]);
        receiver.QueryLowerLimit(2, &values[4]);
        receiver.QueryUpperLimit(2, &values[5]);
        for (double v : values) QVR_FUZZ_CHECK(std::isfinite(v));
        break;
    }
    case 4: {
        receiver.QueryFirmwareVersion(uhf.firmwareVersion, sizeof uhf.firmwareVersion);
        receiver.QueryTxPower(uhf.txPower, sizeof uhf.txPower);
        receiver.QueryModuleName(uhf.moduleName, sizeof uhf.moduleName);
        receiver.QueryDeviceText(uhf.deviceText, sizeof uhf.deviceText);
        int mode = -1;
        receiver.QueryProtocolMode(&mode);
        QVR_FUZZ_CHECK(BlockTerminated(uhf));
        ShowValues(uhf);
        break;
    }
    case 5:
        receiver.Peripheral().kind = kPeripheralUhf;
        receiver.EnterFlashLoader();
        break;
    default: {
        // The service menu gets the limits the radio reported.
        receiver.Peripheral().kind = kPeripheralUhf;
        receiver.QueryLowerLimit(1, &uhf.range1Lower);
        receiver.QueryUpperLimit(1, &uhf.range1Upper);
        receiver.QueryLowerLimit(2, &uhf.range2Lower);
        receiver.QueryUpperLimit(2, &uhf.range2Upper);
        char message[256];
        receiver.SetCenterFrequency("450.0125", message);
        QVR_FUZZ_CHECK(Terminated(message));
        break;
    }
    }
}

int FuzzUhf(const uint8_t* data, size_t size) {
    FuzzBench bench(data, size);
    RunUhf(bench.receiver, bench.operation, bench.flags, bench.rest, bench.restSize);
    bench.CheckBounded(30);
    return 0;
}

} // namespace qvr::fuzz

#ifndef QVR_FUZZ_REPLAY
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return qvr::fuzz::FuzzUhf(data, size); }
#endif
