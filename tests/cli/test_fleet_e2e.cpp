// qvrctl fleet apply against eight qvr-sim receivers over pseudo-terminals,
// in real time, one of them vanishing mid-way; beside it, in the same run,
// profile apply on one receiver alone, for the wall-time ratio.
#include <gtest/gtest.h>

#include "SimProcess.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

struct Finished {
    int status = -1;
    std::string out;
    double seconds = 0;
};

Finished Shell(const std::string& line) {
    Finished run;
    const auto start = std::chrono::steady_clock::now();
    if (FILE* pipe = popen(line.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
        const int status = pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return run;
}

using qvr::test::Simulator;

double CpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(FleetE2e, EightReceiversAtOnceOneVanishingAndTheRatioToOneAlone) {
    char folder[] = "/tmp/qvr_fleet_XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string home = folder;
    setenv("HOME", folder, 1);
    setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    const std::string profile = home + "/volume.json";
    std::ofstream(profile) << R"({"format": "qvr-profile", "version": 1, "receiver": {"volume": 6}})" << "\n";

    double fleetSeconds = 0, aloneSeconds = 0;
    {
        std::vector<std::unique_ptr<Simulator>> sims;
        for (int i = 0; i < 8; ++i)
            // The seventh vanishes as the new volume reaches it.
            sims.push_back(std::make_unique<Simulator>(
                "uhf", i == 6 ? std::vector<std::string>{"--vanish-after", "0", "--vanish-on", "audiocfg set 6"}
                       : std::vector<std::string>{}));
        Simulator alone("uhf");
        std::string ports;
        for (auto& s : sims) {
            ASSERT_FALSE(s->Path().empty());
            ports += " -p " + s->Path();
        }
        Finished single;
        std::thread side([&] {
            single = Shell(std::string(QVRCTL_PATH) + " -p " + alone.Path() + " --json profile apply " + profile +
                           " 2>/dev/null");
        });
        const Finished fleet = Shell(std::string(QVRCTL_PATH) + " --json fleet apply " + profile + ports + " 2>/dev/null");
        side.join();
        fleetSeconds = fleet.seconds;
        aloneSeconds = single.seconds;

        EXPECT_EQ(single.status, 0) << single.out;
        EXPECT_TRUE(Has(single.out, R"("key":"receiver.volume","before":"4","profile":"6","readBack":"6","outcome":"applied and confirmed")"))
            << single.out;
        EXPECT_EQ(fleet.status, 1) << fleet.out;
        // One line per receiver, then the summary.
        std::istringstream lines(fleet.out);
        std::string line;
        int confirmed = 0, failed = 0;
        while (std::getline(lines, line)) {
            if (!Has(line, R"({"port":)")) continue;
            if (Has(line, R"("ok":true)") && Has(line, R"("readBack":"6","outcome":"applied and confirmed")")) ++confirmed;
            if (Has(line, R"("ok":false)")) {
                ++failed;
                EXPECT_TRUE(Has(line, sims[6]->Path())) << line;
                EXPECT_FALSE(Has(line, R"("outcome":"applied and confirmed")")) << line;
            }
        }
        EXPECT_EQ(confirmed, 7) << fleet.out;
        EXPECT_EQ(failed, 1) << fleet.out;
        EXPECT_TRUE(Has(fleet.out, R"("receivers":8,"succeeded":7,"failed":1)")) << fleet.out;
    }
    // With the simulators ended, their time counts too.
    const double cpu = CpuSeconds(RUSAGE_CHILDREN) + CpuSeconds(RUSAGE_SELF);
    const double ratio = fleetSeconds / aloneSeconds;
    std::printf("fleet_8_apply_wall_ratio: %.3f (goal <= 1.2)\nfleet_8_apply_wall_s: %.1f s\n"
                "fleet_1_apply_wall_s: %.1f s\nfleet_run_cpu_s: %.2f s\n",
                ratio, fleetSeconds, aloneSeconds, cpu);
    RecordProperty("fleet_8_apply_wall_ratio", std::to_string(ratio));
    RecordProperty("fleet_run_cpu_s", std::to_string(cpu));
    EXPECT_LE(ratio, 1.2);
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
}

} // namespace
