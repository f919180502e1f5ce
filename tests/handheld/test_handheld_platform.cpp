// The handheld program's operating-system part against the real system (on
// Windows under Wine): the process list its guard against the field program
// reads, and the one-copy lock.

#include "handheld/ProcessList.h"
#include "handheld/SingleInstance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace {

TEST(SystemProcessList, ListsThisProcessByItsExecutableName)
{
    std::vector<std::string> names;
    ASSERT_TRUE(CreateSystemProcessList()->Snapshot(&names));
    // "test_handheld_platform.exe" on Windows; Linux cuts the name to 15
    // characters.
    const std::string self = std::string("test_handheld_platform").substr(0, 15);
    EXPECT_TRUE(std::any_of(names.begin(), names.end(),
                            [&](const std::string& name) { return name.rfind(self, 0) == 0; }))
        << names.size() << " processes";
    for (const std::string& name : names) EXPECT_EQ(name.find('\0'), std::string::npos);
}

TEST(SingleInstance, SecondLockOfTheSameNameIsRefusedUntilTheFirstGoes)
{
    const std::string name =
        "QVRPlatformTest-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    auto first = SingleInstance::Acquire(name.c_str());
    ASSERT_TRUE(first);
    EXPECT_FALSE(SingleInstance::Acquire(name.c_str()));
    EXPECT_TRUE(SingleInstance::Acquire((name + "-other").c_str()));
    first.reset();
    EXPECT_TRUE(SingleInstance::Acquire(name.c_str()));
}

} // namespace
