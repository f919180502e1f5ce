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

} // namespace
} // namespace qvr::fuzz
