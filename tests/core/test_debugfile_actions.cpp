// The Debug File dialog's Get File and Delete File: questions, transfer and
// outcome messages, against a whole simulated unit in virtual time.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "DebugFileActions.h"
#include "TestFiles.h"
#include "UnitBench.h"

using namespace qvr;
using Msg = qvr::test::ShownMessage;

namespace {

struct TempDir {
    TempDir() {
        path = test::MakeTempFolder("qvr_debugactions_");
    }
    ~TempDir() {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
    std::string path;
};

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A connected preset unit with its debug file; the lines sent from here on.
struct Connected : test::UnitBench {
    explicit Connected(Variant variant) : UnitBench("none", variant) {
        connected = ma.Connect("COM1");
        Settle();
        mark = LineCount();
    }
    bool connected = false;
    size_t mark = 0;
};

const char* const kRetrieve = "Are you sure you wish to retrieve the file? It may take a long time to download.";
const char* const kDelete = "Are you sure you wish to delete the debug file?";

} // namespace

TEST(GetDebugFile, PathQuestionTransferAndOutcome) {
    enum class Path { Empty, Null, Good, MissingFolder, Folder };
    struct Case {
        const char* name;
        Variant variant;
        Path path;
        MessageAnswer answer;
        DebugDownloadResult result;
        std::vector<Msg> messages;
    } cases[] = {
        {"empty path", Variant::Desktop, Path::Empty, MessageAnswer::Ok, DebugDownloadResult::EmptyPath,
         {{"Please check file save path, it appears to be empty.", "", MessageIcon::Error}}},
        {"no path, handheld", Variant::Handheld, Path::Null, MessageAnswer::Ok, DebugDownloadResult::EmptyPath,
         {{"Please check file save path, it appears to be empty.", "QVR Config Tool", MessageIcon::Error}}},
        {"declined", Variant::Desktop, Path::Good, MessageAnswer::Cancel, DebugDownloadResult::Declined,
         {{kRetrieve, "Warning", MessageIcon::Exclamation}}},
        {"downloaded", Variant::Desktop, Path::Good, MessageAnswer::Ok, DebugDownloadResult::Succeeded,
         {{kRetrieve, "Warning", MessageIcon::Exclamation},
          {"File Download Successful!", "Success", MessageIcon::None}}},
        {"downloaded, handheld", Variant::Handheld, Path::Good, MessageAnswer::Ok, DebugDownloadResult::Succeeded,
         {{kRetrieve, "Warning!", MessageIcon::Exclamation}, {"Successful!", "Successful!", MessageIcon::None}}},
        {"no such folder", Variant::Desktop, Path::MissingFolder, MessageAnswer::Ok, DebugDownloadResult::PathRefused,
         {{"The debug file cannot be saved as %s: its folder does not exist. Please check file save path.", "",
           MessageIcon::Error}}},
        {"a folder", Variant::Desktop, Path::Folder, MessageAnswer::Ok, DebugDownloadResult::PathRefused,
         {{"The debug file cannot be saved as %s: it is a folder. Please check file save path.", "",
           MessageIcon::Error}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        Connected b(c.variant);
        ASSERT_TRUE(b.connected);
        b.op.answers.push_back(c.answer);
        const std::string file = dir.path + (c.path == Path::MissingFolder ? "/missing/debug.bin" : "/debug.bin");
        if (c.path == Path::Folder) std::filesystem::create_directory(file);
        const char* path = c.path == Path::Empty ? "" : c.path == Path::Null ? nullptr : file.c_str();
        EXPECT_EQ(GetDebugFile(b.ma, path, &b.op), c.result);
        std::vector<Msg> expected = c.messages;
        for (Msg& m : expected)
            if (const size_t at = m.text.find("%s"); at != std::string::npos) m.text.replace(at, 2, file);
        EXPECT_EQ(b.op.Shown(), expected);
        if (c.result != DebugDownloadResult::Succeeded) {
            EXPECT_EQ(b.LineCount(), b.mark) << "nothing is sent";
            EXPECT_EQ(std::filesystem::exists(file), c.path == Path::Folder);
        }
        if (c.result == DebugDownloadResult::Succeeded) {
            // Every preset records 200 KiB of numbered text lines.
            const std::vector<uint8_t> got = ReadWholeFile(file);
            EXPECT_EQ(got, b.unit->debugFile.Content());
            EXPECT_EQ(got, sim::SimDebugFile::LogText(sim::kPresetDebugFileSize));
            EXPECT_EQ(std::string(got.begin(), got.begin() + 64),
                      "QVR debug log line 000001  hw+tracking  epoch 0000000200  ch 02\n");
        }
    }
}

TEST(DeleteDebugFileAsked, QuestionCommandAndOutcome) {
    struct Case {
        const char* name;
        Variant variant;
        MessageAnswer answer;
        bool portClosed;  // the command cannot be sent
        DebugDeleteResult result;
        std::vector<Msg> messages;
    } cases[] = {
        {"declined", Variant::Desktop, MessageAnswer::Cancel, false, DebugDeleteResult::Declined,
         {{kDelete, "Warning", MessageIcon::Exclamation}}},
        {"deleted", Variant::Desktop, MessageAnswer::Ok, false, DebugDeleteResult::Deleted,
         {{kDelete, "Warning", MessageIcon::Exclamation},
          {"File deleted successfully!", "Success", MessageIcon::None}}},
        {"deleted, handheld", Variant::Handheld, MessageAnswer::Ok, false, DebugDeleteResult::Deleted,
         {{kDelete, "Warning!", MessageIcon::Exclamation}, {"Successful!", "Successful!", MessageIcon::None}}},
        {"not sent", Variant::Desktop, MessageAnswer::Ok, true, DebugDeleteResult::Failed,
         {{kDelete, "Warning", MessageIcon::Exclamation},
          {"The debug file could not be deleted: the receiver could not be reached.", "Failure",
           MessageIcon::Error}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Connected b(c.variant);
        ASSERT_TRUE(b.connected);
        if (c.portClosed) b.ma.Port().Close();
        b.op.answers.push_back(c.answer);
        EXPECT_EQ(DeleteDebugFileAsked(b.ma), c.result);
        b.Settle();
        EXPECT_EQ(b.op.Shown(), c.messages);
        const bool sent = c.result == DebugDeleteResult::Deleted;
        EXPECT_EQ(b.Lines(b.mark),
                  sent ? std::vector<std::string>{"dbglogfile delete\r\n"} : std::vector<std::string>{});
        EXPECT_EQ(b.unit->debugFile.FilePresent(), !sent);
    }
}

// The save-path check looks and changes nothing: no file made, no link
// removed, no file touched, whatever the operator answers next. A file in a
// folder that takes no new file is refused before the question: the
// download could never put its file there.
TEST(DebugSavePathUsable, ChecksWithoutChangingAnythingOnDisk) {
    TempDir dir;
    ASSERT_FALSE(dir.path.empty());
    std::ofstream(dir.path + "/old.bin") << "kept";
    std::error_code noLinks;
    std::filesystem::create_symlink("gone/target.bin", dir.path + "/dangling.bin", noLinks);
    std::filesystem::create_directory(dir.path + "/gone");
    std::filesystem::create_symlink("old.bin", dir.path + "/link.bin", noLinks);
    const auto listing = [&dir] {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::recursive_directory_iterator(dir.path))
            names.push_back(e.path().string() + (e.is_symlink() ? " link" : "") + " " +
                            std::to_string(e.is_regular_file() ? e.file_size() : 0));
        std::sort(names.begin(), names.end());
        return names;
    };
    const std::vector<std::string> before = listing();
    for (const char* name : {"new.bin", "old.bin", "dangling.bin", "link.bin"}) {
        if (noLinks && std::string(name).find("link") != std::string::npos) continue;
        char reason[128];
        EXPECT_TRUE(DebugSavePathUsable((dir.path + "/" + name).c_str(), reason, sizeof reason)) << name << reason;
        EXPECT_EQ(listing(), before) << name;
    }
    // A writable file in a folder that takes no new file, even for root.
    const struct {
        std::string path;
        const char* says;
    } refused[] = {
        {"/proc/self/comm", "its folder cannot be written to"},
        {dir.path + "/" + std::string(5000, 'n'), "the name is too long"},
    };
    for (const auto& r : refused) {
        char reason[128];
        if (access(r.path.substr(0, r.path.rfind('/')).c_str(), F_OK) != 0) continue;  // no /proc here
        EXPECT_FALSE(DebugSavePathUsable(r.path.c_str(), reason, sizeof reason)) << r.path;
        EXPECT_NE(std::string(reason).find(r.says), std::string::npos) << reason;
    }
}
