// The GSM module's replies: the applet reply reader, the value lookup, the
// module information, the bearer and NTRIP-source records, the signal
// level, the TCP test and the AUX exchange's reply collection (AT commands,
// the registration state), each run against what the fuzz device answers.
#include "FuzzBench.h"
#include "RadioPageActions.h"

namespace qvr::fuzz {

namespace {

bool RecordTerminated(const BearerRecord& r) {
    return Terminated(r.incomingChapUserName) && Terminated(r.incomingChapPassword) && Terminated(r.csdPppUserName) &&
           Terminated(r.csdPppPassword) && Terminated(r.csdGatewayNumber) && Terminated(r.gprsPppUserName) &&
           Terminated(r.gprsPppPassword) && Terminated(r.gprsAccessPointName);
}

bool RecordTerminated(const NtripSourceRecord& r) {
    return Terminated(r.casterAddress) && Terminated(r.mountPoint) && Terminated(r.password);
}

// What the GSM pages make of the module's texts.
void ShowValues(const GsmBlock& gsm) {
    static ReceiverData record;
    record.peripheral.gsm = gsm;
    (void)MrsAvailable(record);
}

bool BlockTerminated(const GsmBlock& g) {
    return Terminated(g.appletVersion) && Terminated(g.freeMemory) && Terminated(g.totalMemory) &&
           Terminated(g.moduleType) && Terminated(g.hardwareVersion) && Terminated(g.firmwareVersion) &&
           Terminated(g.signalLevel) && RecordTerminated(g.ntrip);
}

// The lookup and the record parsers straight on the bytes after the lead:
// key (up to a NUL, at most 32 bytes), terminator, value size, reply.
void ParseDirect(const uint8_t* data, size_t size) {
    static const uint8_t kNothing[1] = {};
    if (!data) data = kNothing, size = 0;
    size_t keyLength = 0;
    while (keyLength < size && keyLength < 32 && data[keyLength] != 0) ++keyLength;
    char key[33] = {};
    if (keyLength > 0) std::memcpy(key, data, keyLength);
    size_t at = keyLength + (keyLength < size ? 1 : 0);
    const char terminator = at < size ? static_cast<char>(data[at++]) : '+';
    const size_t valueSize = at < size ? data[at++] % 130 : 64;
    const char* reply = reinterpret_cast<const char*>(data + at);
    const size_t count = size - at;

    char value[130];
    std::memset(value, 'x', sizeof value);
    const bool found = MAReceiver::LookupValue(reply, count, key, terminator, value, valueSize);
    if (valueSize > 0) {
        const size_t length = strnlen(value, valueSize);
        QVR_FUZZ_CHECK(length < valueSize);
        QVR_FUZZ_CHECK(found == (length > 0));
    }
    QVR_FUZZ_CHECK(valueSize >= sizeof value || value[valueSize] == 'x');  // nothing written past the size

    BearerRecord bearer;
    MAReceiver::ParseBearerSettings(reply, count, &bearer);
    QVR_FUZZ_CHECK(RecordTerminated(bearer));
    NtripSourceRecord ntrip;
    MAReceiver::ParseNtripSettings(reply, count, &ntrip);
    QVR_FUZZ_CHECK(RecordTerminated(ntrip));
}

} // namespace

void RunGsm(MAReceiver& receiver, uint8_t operation, uint8_t flags, const uint8_t* rest, size_t restSize) {
    switch (operation % kGsmOperations) {
    case 0: {
        GsmBlock block;
        std::memset(&block, 0, sizeof block);
        receiver.QueryModuleInfo(&block);
        QVR_FUZZ_CHECK(BlockTerminated(block));
        ShowValues(block);
        break;
    }
    case 1: {
        BearerRecord record;
        receiver.ReadBearerSettings(&record);
        QVR_FUZZ_CHECK(RecordTerminated(record));
        break;
    }
    case 2: {
        NtripSourceRecord record;
        receiver.ReadNtripSettings(&record);
        QVR_FUZZ_CHECK(RecordTerminated(record));
        break;
    }
    case 3: {
        char level[64];
        receiver.QuerySignalLevel(level, sizeof level);
        QVR_FUZZ_CHECK(Terminated(level));
        break;
    }
    case 4: {
        char output[300];
        receiver.TestTcpConnection("caster.example", output, sizeof output);
        QVR_FUZZ_CHECK(Terminated(output));
        break;
    }
    case 5: {
        char command[32] = "AT+CSQ";
        char reply[64];
        receiver.ExchangeAtCommand(command, sizeof command, reply, sizeof reply);
        QVR_FUZZ_CHECK(Terminated(reply));
        break;
    }
    case 6: {
        receiver.Peripheral().kind = kPeripheralGsm;
        const int state = receiver.QueryRegistration();
        QVR_FUZZ_CHECK(state >= 0 && state <= 9);
        break;
    }
    case 7: {
        receiver.DetectGsmModule();
        const PeripheralBlock& p = receiver.Peripheral();
        QVR_FUZZ_CHECK(BlockTerminated(p.gsm) && RecordTerminated(p.bearer));
        ShowValues(p.gsm);
        break;
    }
    case 8: {
        // The reader itself, with capacities smaller than the replies.
        uint8_t buffer[MAReceiver::kAppletReplyCapacity + 8];
        const size_t capacity = 1 + (flags >> 2) * 33 % MAReceiver::kAppletReplyCapacity;
        std::memset(buffer, 0xA5, sizeof buffer);
        uint32_t type = 0;
        size_t received = 0;
        receiver.ReadAppletReply(buffer, capacity, &type, &received, 5000, (flags & 0x80) != 0);
        QVR_FUZZ_CHECK(received <= capacity);
        for (size_t i = capacity; i < sizeof buffer; ++i) QVR_FUZZ_CHECK(buffer[i] == 0xA5);
        break;
    }
    case 9:
        ParseDirect(rest, restSize);
        return;
    default: {
        // The writes: their replies decide success.
        BearerRecord record = {};
        std::strcpy(record.gprsAccessPointName, "internet");
        receiver.WriteGprsSettings(&record);
        receiver.WriteCsdSettings(&record);
        NtripSourceRecord ntrip = {};
        std::strcpy(ntrip.casterAddress, "caster.example");
        std::strcpy(ntrip.mountPoint, "RTCM3");
        ntrip.port = 2101;
        receiver.WriteNtripSettings(&ntrip);
        receiver.SetDefaultConnection(1);
        break;
    }
    }
}

int FuzzGsm(const uint8_t* data, size_t size) {
    FuzzBench bench(data, size);
    RunGsm(bench.receiver, bench.operation, bench.flags, bench.rest, bench.restSize);
    bench.CheckBounded(30);
    return 0;
}

} // namespace qvr::fuzz

#ifndef QVR_FUZZ_REPLAY
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return qvr::fuzz::FuzzGsm(data, size); }
#endif
