// The remembered rates file: what it recalls after writes, damaged files
// and a folder that is not there yet.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <vector>
#include <cstdlib>
#include <string>

#include "RateMemory.h"
#include "TestFiles.h"

using namespace qvr;

namespace {

std::string FreshPath(const char* tail) {
    const std::string dir = test::MakeTempFolder("qvr_rates_");
    return (dir.empty() ? std::string("/tmp") : dir) + tail;
}

void WriteFile(const std::string& path, const std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

} // namespace

TEST(RateFile, RemembersPerPortInAFolderItCreates) {
    RateFile file(FreshPath("/a/b/rates").c_str());
    EXPECT_EQ(file.Recall("COM1"), 0);
    file.Remember("COM1", 57600);
    file.Remember("tcp://10.0.0.5:4001", 9600);
    file.Remember("COM1", 115200);
    EXPECT_EQ(file.Recall("COM1"), 115200);
    EXPECT_EQ(file.Recall("tcp://10.0.0.5:4001"), 9600);
    EXPECT_EQ(file.Recall("COM2"), 0);
    // Names that cannot be a line are neither kept nor found.
    file.Remember("bad\nname", 4800);
    EXPECT_EQ(file.Recall("bad\nname"), 0);
    file.SetEnabled(false);
    EXPECT_EQ(file.Recall("COM1"), 0);
    file.Remember("COM1", 4800);
    file.SetEnabled(true);
    EXPECT_EQ(file.Recall("COM1"), 115200);
}

TEST(RateFile, DamagedContentIsIgnoredLineByLine) {
    const struct {
        std::string content;
        int com1;
    } cases[] = {
        {"57600 COM1\n", 57600},
        {"\x01\xff garbage\n57600 COM1\n", 57600},
        {"57600COM1\n", 0},
        {"-5 COM1\n", 0},
        {"57600 COM1", 0},  // cut short: no line end
        {"", 0},
        // A NUL spoils its own line only, not the next one.
        {std::string("9600 COM3\0junk\n57600 COM1\n", 26), 57600},
        {std::string("9600 COM3\0\n57600 COM1\n", 22), 57600},
        // A line too long to be ours, then a good one.
        {"9600 \xff" + std::string(300, 'x') + "\n57600 COM1\n", 57600},
    };
    for (const auto& c : cases) {
        const std::string path = FreshPath("/rates");
        WriteFile(path, c.content);
        RateFile file(path.c_str());
        EXPECT_EQ(file.Recall("COM1"), c.com1) << c.content;
        EXPECT_EQ(file.Recall("COM3"), 0) << c.content;
        file.Remember("COM2", 9600);  // rewrites the file whole
        EXPECT_EQ(file.Recall("COM2"), 9600) << c.content;
        EXPECT_EQ(file.Recall("COM1"), c.com1) << c.content;
    }
    // A folder where the file should be: nothing recalled, nothing thrown.
    RateFile folder("/tmp");
    EXPECT_EQ(folder.Recall("COM1"), 0);
}

// A huge file (here 256 MiB, sparse, without one line end) is not ours: it
// is given up after the first 16 KiB, not read to its end.
TEST(RateFile, HugeFileReadOnlyUpToTheLimit) {
    const std::string path = FreshPath("/rates");
    WriteFile(path, "9");
    std::error_code error;
    std::filesystem::resize_file(path, 256ull << 20, error);
    if (error) GTEST_SKIP() << error.message();
    RateFile file(path.c_str());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(file.Recall("COM1"), 0);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 0.5);
    std::filesystem::remove(path, error);
}

// Connects that end together each keep their port's rate: the file is
// read, changed and written back under a lock.
TEST(RateFile, ConcurrentWritersLoseNoEntry) {
    for (int round = 0; round < 5; ++round) {
        const std::string path = FreshPath("/rates");
        std::vector<std::thread> writers;
        for (int i = 0; i < 10; ++i)
            writers.emplace_back([&path, i] {
                RateFile file(path.c_str());
                file.Remember(("ttyUSB" + std::to_string(i)).c_str(), 4800 * (i + 1));
            });
        for (auto& w : writers) w.join();
        RateFile file(path.c_str());
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(file.Recall(("ttyUSB" + std::to_string(i)).c_str()), 4800 * (i + 1)) << "round " << round;
    }
}
