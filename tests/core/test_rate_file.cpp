// The remembered rates file: what it recalls after writes, damaged files
// and a folder that is not there yet.
#include <gtest/gtest.h>

#include <cstdio>
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
        const char* content;
        int com1;
    } cases[] = {
        {"57600 COM1\n", 57600},
        {"\x01\xff garbage\n57600 COM1\n", 57600},
        {"57600COM1\n", 0},
        {"-5 COM1\n", 0},
        {"57600 COM1", 0},  // cut short: no line end
        {"", 0},
    };
    for (const auto& c : cases) {
        const std::string path = FreshPath("/rates");
        WriteFile(path, c.content);
        RateFile file(path.c_str());
        EXPECT_EQ(file.Recall("COM1"), c.com1) << c.content;
        file.Remember("COM2", 9600);  // rewrites the file whole
        EXPECT_EQ(file.Recall("COM2"), 9600) << c.content;
        EXPECT_EQ(file.Recall("COM1"), c.com1) << c.content;
    }
    // A folder where the file should be: nothing recalled, nothing thrown.
    RateFile folder("/tmp");
    EXPECT_EQ(folder.Recall("COM1"), 0);
}
