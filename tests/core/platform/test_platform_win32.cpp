// The Windows platform layer against the real system services (run under
// Wine on the build machine): the registry port list over a key of the
// test's own, seeking in large files, and opening a port that is not there.

#include "platform/PortEnumerator_win32.h"
#include "platform/Files.h"
#include "platform/SerialDevice.h"

#include "RecordingTrace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace qvr {
namespace {

const char* const kTestKey = "Software\\QvrPlatformTest\\SERIALCOMM";

void Collect(void* context, const char* name) { static_cast<std::vector<std::string>*>(context)->push_back(name); }

TEST(RegistryPortEnumerator, SkipsUnusableValuesAndTracesSubkeys)
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QvrPlatformTest");
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                nullptr),
              ERROR_SUCCESS);
    const std::string tooLong(300, 'C');
    const DWORD number = 7;
    const struct {
        const char* name;
        DWORD type;
        const void* data;
        DWORD size;
    } values[] = {
        {"\\Device\\Serial0", REG_SZ, "COM3", 5},
        {"\\Device\\Long", REG_SZ, tooLong.c_str(), 301},
        {"\\Device\\Number", REG_DWORD, &number, sizeof number},
        {"\\Device\\Empty", REG_SZ, "", 1},
        {"\\Device\\Unterminated", REG_SZ, "COM11", 5},
        {"\\Device\\Serial1", REG_SZ, "COM1", 5},
    };
    for (const auto& v : values)
        ASSERT_EQ(::RegSetValueExA(key, v.name, 0, v.type, static_cast<const BYTE*>(v.data), v.size), ERROR_SUCCESS);
    for (const char* sub : {"Alpha", "Beta"}) {
        HKEY subkey = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(key, sub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &subkey, nullptr), ERROR_SUCCESS);
        ::RegCloseKey(subkey);
    }
    ::RegCloseKey(key);

    test::RecordingTrace trace;
    std::vector<std::string> names;
    ASSERT_TRUE(CreateRegistryPortEnumerator(HKEY_CURRENT_USER, kTestKey, &trace)->Enumerate(Collect, &names));
    std::sort(names.begin(), names.end()); // the registry keeps an order of its own
    EXPECT_EQ(names, (std::vector<std::string>{"COM1", "COM11", "COM3"}));
    EXPECT_EQ(trace.lines, (std::vector<std::string>{"\nNumber of subkeys: 2\n", "(1) Alpha\n", "(2) Beta\n"}));

    names.clear();
    EXPECT_FALSE(CreateRegistryPortEnumerator(HKEY_CURRENT_USER, "Software\\QvrPlatformTest\\Missing", &trace)
                     ->Enumerate(Collect, &names));
    EXPECT_TRUE(names.empty());
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QvrPlatformTest");
}

TEST(Files, SeeksBeyondFourGibibytes)
{
    char path[MAX_PATH];
    char folder[MAX_PATH];
    ASSERT_NE(::GetTempPathA(sizeof folder, folder), 0u);
    ASSERT_NE(::GetTempFileNameA(folder, "qvr", 0, path), 0u);
    std::FILE* file = std::fopen(path, "rb");
    ASSERT_NE(file, nullptr);
    for (const uint64_t offset : {uint64_t{5}, uint64_t{5} << 30, uint64_t{0}}) {
        EXPECT_TRUE(SeekFileTo(file, offset)) << offset;
        EXPECT_EQ(static_cast<uint64_t>(_ftelli64(file)), offset);
    }
    EXPECT_FALSE(SeekFileTo(file, ~uint64_t{0}));
    std::fclose(file);
    ::DeleteFileA(path);
}

TEST(Win32SerialDevice, OpeningAMissingPortFailsWithTheSystemError)
{
    auto device = CreateSystemSerialDevice();
    for (const char* name : {"COM250", "\\\\.\\COM251", ""}) {
        EXPECT_FALSE(device->Open(name)) << name;
        EXPECT_FALSE(device->IsOpen());
        EXPECT_NE(device->LastError(), 0) << name;
    }
    uint8_t byte = 0;
    size_t n = 1;
    EXPECT_FALSE(device->Read(&byte, 1, 10, &n));
    EXPECT_EQ(n, 0u);
}

} // namespace
} // namespace qvr
