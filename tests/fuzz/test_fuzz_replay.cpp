// Replays the inputs the fuzzers once failed on (tests/fuzz/regressions/
// TARGET/NAME) and the seeds taken from the golden transcripts through the
// fuzz targets' entry functions, without libFuzzer: a finding that comes
// back stops this test as it stopped the fuzzer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "FuzzBench.h"
#include "FuzzSeeds.h"

namespace qvr::fuzz {
namespace {

using Entry = int (*)(const uint8_t*, size_t);

struct Target {
    const char* name;
    Entry entry;
};
constexpr Target kTargets[] = {
    {"fuzz_readlog", FuzzReadLog}, {"fuzz_gsm", FuzzGsm},         {"fuzz_uhf", FuzzUhf},
    {"fuzz_receiver", FuzzReceiver}, {"fuzz_upgrade", FuzzUpgrade},
};

Entry EntryOf(const std::string& target) {
    for (const Target& t : kTargets)
        if (target == t.name) return t.entry;
    return nullptr;
}

int Play(Entry entry, const std::string& bytes) {
    return entry(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

TEST(FuzzReplay, RegressionInputsPass) {
    int played = 0;
    for (const auto& folder : std::filesystem::directory_iterator(QVR_FUZZ_REGRESSIONS)) {
        const Entry entry = EntryOf(folder.path().filename().string());
        ASSERT_NE(entry, nullptr) << "no fuzz target named " << folder.path();
        for (const auto& file : std::filesystem::directory_iterator(folder.path())) {
            std::ifstream in(file.path(), std::ios::binary);
            std::stringstream bytes;
            bytes << in.rdbuf();
            SCOPED_TRACE(file.path().string());
            EXPECT_EQ(Play(entry, bytes.str()), 0);
            ++played;
        }
    }
    EXPECT_GT(played, 0);
}

TEST(FuzzReplay, GoldenSeedsReachTheirTargets) {
    const std::vector<Seed> seeds = GoldenSeeds(QVR_GOLDEN_DIR);
    ASSERT_GE(seeds.size(), 12u);
    for (const Seed& seed : seeds) {
        SCOPED_TRACE(seed.target + "/" + seed.name);
        const Entry entry = EntryOf(seed.target);
        ASSERT_NE(entry, nullptr);
        EXPECT_GT(seed.bytes.size(), 100u);  // the transcript was read
        EXPECT_EQ(Play(entry, seed.bytes), 0);
    }
}

// A seed recorded from the simulated receiver, played by the fuzz device,
// brings the operation to the result it had against the simulator: the
// fuzzers start from exchanges that reach the parsers.
TEST(FuzzReplay, RecordedSeedsReplayTheSimulatedExchange) {
    using Run = void (*)(MAReceiver&, uint8_t, uint8_t, const uint8_t*, size_t);
    using Result = const char* (*)(const ReceiverData&);
    static const struct {
        const char* target;
        Run run;
        int operation;
        const char* preset;
        uint8_t flags;
        Result result;
    } kCases[] = {
        {"fuzz_gsm", RunGsm, 7, "gsm", 0,
         [](const ReceiverData& d) -> const char* { return d.peripheral.gsm.appletVersion; }},
        {"fuzz_uhf", RunUhf, 0, "uhf", kHandheld,
         [](const ReceiverData& d) -> const char* { return d.peripheral.uhf.firmwareVersion; }},
        {"fuzz_receiver", RunReceiver, 0, "ma", 0,
         [](const ReceiverData& d) -> const char* { return d.info.userAppVersion; }},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.target);
        Seed seed;
        ReceiverData simulated{};
        ASSERT_TRUE(RecordSeed(c.target, c.operation, c.preset, c.flags, &seed, &simulated));
        const auto* bytes = reinterpret_cast<const uint8_t*>(seed.bytes.data());
        FuzzBench bench(bytes, seed.bytes.size());
        c.run(bench.receiver, bench.operation, bench.flags, bench.rest, bench.restSize);
        const ReceiverData replayed{bench.receiver.Info(), bench.receiver.Peripheral(), bench.receiver.Audio()};
        EXPECT_STRNE(c.result(simulated), "");
        EXPECT_STREQ(c.result(replayed), c.result(simulated));
    }
}

} // namespace
} // namespace qvr::fuzz
