// qvrctl against qvr-sim over a pseudo-terminal, in real time.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <chrono>
#include <thread>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "SimDebugFile.h"

extern char** environ;

namespace {

struct Outcome {
    int status;
    std::string out, err;
};

// Runs qvrctl with the arguments (already quoted for the shell).
Outcome Qvrctl(const std::string& args) {
    char errPath[] = "/tmp/qvrctl_e2e_XXXXXX";
    const int fd = mkstemp(errPath);
    close(fd);
    const std::string command = std::string(QVRCTL_PATH) + " " + args + " 2>" + errPath;
    Outcome run{-1, {}, {}};
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
        const int status = pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::ifstream err(errPath);
    std::stringstream text;
    text << err.rdbuf();
    run.err = text.str();
    unlink(errPath);
    return run;
}

// qvr-sim with a preset, running until the test ends.
class Simulator {
public:
    explicit Simulator(const char* preset, std::vector<std::string> options = {}) {
        int out[2];
        if (pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        options.insert(options.begin(), {QVR_SIM_PATH, "--preset", preset});
        std::vector<char*> argv;
        for (std::string& option : options) argv.push_back(option.data());
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, QVR_SIM_PATH, &actions, nullptr, argv.data(), environ) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        char c;
        while (read(out[0], &c, 1) == 1 && c != '\n') m_path += c;
        close(out[0]);
    }
    ~Simulator() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            int status = 0;
            waitpid(m_pid, &status, 0);
        }
    }
    const std::string& Path() const { return m_path; }
    pid_t Pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
    std::string m_path;
};

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

double CpuSecondsOfChildren() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// qvrctl against a simulated receiver that vanishes (its pty closes, as a
// pulled cable) when the trigger text has reached it and then afterMs more:
// how qvrctl ended, how long after the vanishing, and the CPU it used.
struct Unplugged {
    Outcome run;
    double secondsAfterVanishing = -1;
    double cpuSeconds = -1;
};
Unplugged RunUnplugged(const char* preset, const char* trigger, int afterMs, const std::string& args,
                       std::vector<std::string> simOptions = {}) {
    simOptions.insert(simOptions.end(), {"--vanish-on", trigger, "--vanish-after", std::to_string(afterMs)});
    Simulator sim(preset, simOptions);
    Unplugged u;
    using Clock = std::chrono::steady_clock;
    Clock::time_point vanished{};
    // Waits for the simulator's end without reaping it, so that its CPU
    // time does not count as qvrctl's.
    std::thread watcher([&sim, &vanished] {
        siginfo_t info{};
        waitid(P_PID, static_cast<id_t>(sim.Pid()), &info, WEXITED | WNOWAIT);
        vanished = Clock::now();
    });
    const double cpuBefore = CpuSecondsOfChildren();
    u.run = Qvrctl(args + " -p " + sim.Path());
    const Clock::time_point ended = Clock::now();
    u.cpuSeconds = CpuSecondsOfChildren() - cpuBefore;
    watcher.join();
    u.secondsAfterVanishing = std::chrono::duration<double>(ended - vanished).count();
    return u;
}

} // namespace

TEST(QvrctlOverPty, InfoThenChangesSeenInASecondInfo) {
    Simulator sim("uhf");
    ASSERT_EQ(sim.Path().rfind("/dev/pts/", 0), 0u) << sim.Path();
    const std::string port = " -p " + sim.Path() + " ";

    Outcome info = Qvrctl("--json" + port + "info");
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_TRUE(Has(info.out, "\"serialNumber\":\"QV410002317\"")) << info.out;
    EXPECT_TRUE(Has(info.out, "\"model\":\"QVR4100 MAX\"")) << info.out;
    EXPECT_TRUE(Has(info.out, "\"kindText\":\"UHF\"")) << info.out;
    EXPECT_TRUE(Has(info.out, "\"currentFrequency\":450.0125")) << info.out;
    EXPECT_TRUE(Has(info.out, "\"ok\":true")) << info.out;

    Outcome receiver = Qvrctl(port + "receiver --volume 6 --language 2");
    EXPECT_EQ(receiver.status, 0) << receiver.err;
    EXPECT_TRUE(Has(receiver.err, "QVR Family Config Tool: Receiver Settings successfully updated.")) << receiver.err;

    Outcome uhf = Qvrctl(port + "uhf --frequency 450.025");
    EXPECT_EQ(uhf.status, 0) << uhf.err;
    EXPECT_TRUE(Has(uhf.err, "QVR Family Config Tool: Changes were successful.")) << uhf.err;

    Outcome again = Qvrctl("--json" + port + "info");
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_TRUE(Has(again.out, "\"volume\":6")) << again.out;
    EXPECT_TRUE(Has(again.out, "\"languageIndex\":2")) << again.out;
    EXPECT_TRUE(Has(again.out, "\"currentFrequency\":450.025,")) << again.out;
}

TEST(QvrctlOverPty, WrongPortFailsWithTheConnectionMessage) {
    Outcome run = Qvrctl("-p /dev/qvr-no-such-port info");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.err, "QVR Family Config Tool.: Unable to establish connection to receiver.")) << run.err;
    Outcome json = Qvrctl("--json -p /dev/qvr-no-such-port info");
    EXPECT_EQ(json.status, 1);
    EXPECT_TRUE(Has(json.out, "\"ok\":false")) << json.out;
    EXPECT_TRUE(Has(json.out, "\"caption\":\"QVR Family Config Tool.\"")) << json.out;
}

TEST(QvrctlOverPty, UsageErrorsNameTheArgument) {
    struct Case {
        const char* args;
        const char* says;
    } cases[] = {
        {"", "no command given"},
        {"-p x frobnicate", "unknown command frobnicate"},
        {"info", "no port given"},
        {"-p x receiver --volume 9", "--volume must be 0 to 7: 9"},
        {"-p x serial AB312345678", "serial number AB312345678 is not 3 letters and 8 digits"},
        {"-p x uhf --power 300", "--power must be 10, 20, 50, 100, 200, 500 or 1000: 300"},
        {"-p x gsm-mrs --startup maybe --address a --port 1 --mount m --password p", "--startup must be on or off"},
    };
    for (const Case& c : cases) {
        Outcome run = Qvrctl(c.args);
        EXPECT_EQ(run.status, 2) << c.args;
        EXPECT_TRUE(Has(run.err, c.says)) << c.args << ": " << run.err;
    }
}

TEST(QvrctlOverPty, DebugLogGetAsksThenWritesTheReceiversFile) {
    Simulator sim("uhf", {"--debug-file-size", "3000"});
    ASSERT_EQ(sim.Path().rfind("/dev/pts/", 0), 0u) << sim.Path();
    char folder[] = "/tmp/qvrctl_debuglog_XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string file = std::string(folder) + "/debug.bin";

    Outcome run = Qvrctl("-y --json -p " + sim.Path() + " debuglog get " + file);
    EXPECT_EQ(run.status, 0) << run.err;
    std::ifstream in(file, std::ios::binary);
    const std::vector<uint8_t> got{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(got, qvr::sim::SimDebugFile::LogText(3000));
    EXPECT_TRUE(Has(run.err, "Warning: Are you sure you wish to retrieve the file? It may take a long time to "
                             "download. [ok]"))
        << run.err;
    EXPECT_TRUE(Has(run.err, "Success: File Download Successful!")) << run.err;
    EXPECT_TRUE(Has(run.out, "\"text\":\"File Download Successful!\"")) << run.out;
    EXPECT_TRUE(Has(run.out, "\"ok\":true")) << run.out;
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

TEST(QvrctlOverPty, GsmAtRefusalsEndBeforeConnecting) {
    struct Case {
        std::string command, says;
    } cases[] = {
        {"ATZ", "ATZ, ATF, and ATW commands not allowed in tool."},
        {"at\\&w", "ATZ, ATF, and ATW commands not allowed in tool."},
        {"AT" + std::string(300, 'E'), "the AT command is longer than 244 characters and cannot be sent"},
    };
    for (const Case& c : cases) {
        Outcome run = Qvrctl("-p /dev/qvr-no-such-port gsm-at " + c.command);
        EXPECT_EQ(run.status, 1) << c.command;
        EXPECT_TRUE(Has(run.err, "qvrctl: " + c.says)) << run.err;
        EXPECT_FALSE(Has(run.err, "Connecting...")) << run.err;
    }
}

// A receiver that vanishes midway: every operation ends as a failure with
// the reason, within 5 s and with little CPU, never as a success.
TEST(QvrctlOverPty, UnplugDuringInfoOrAnAtCommandIsAFailure) {
    Unplugged info = RunUnplugged("uhf", "log passauxb onnew", 3000, "info");  // in the radio search
    EXPECT_EQ(info.run.status, 1) << info.run.err;
    EXPECT_TRUE(Has(info.run.err, "qvrctl: the receiver stopped answering")) << info.run.err;
    EXPECT_FALSE(Has(info.run.out, "Internal radio")) << info.run.out;
    EXPECT_LT(info.secondsAfterVanishing, 5.0);
    EXPECT_LT(info.cpuSeconds, 1.0);

    // "AT+CSQ\r\n" in its sendhex line: gone while the module answers.
    Unplugged at = RunUnplugged("gsm", "41542b435351", 1000, "gsm-at AT+CSQ");
    EXPECT_EQ(at.run.status, 1) << at.run.err;
    EXPECT_TRUE(Has(at.run.err, "qvrctl: the receiver stopped answering")) << at.run.err;
    EXPECT_LT(at.secondsAfterVanishing, 5.0);
    EXPECT_LT(at.cpuSeconds, 1.0);
}

TEST(QvrctlOverPty, UnplugDuringAnUpgradeOrADownloadIsAFailure) {
    char folder[] = "/tmp/qvrctl_unplug_XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string image = std::string(folder) + "/radio.sfo";
    std::ofstream(image, std::ios::binary) << std::string(400 * 132, '\x5a');
    // Programming has begun 6 s after the bridge to the loader opened.
    Unplugged upgrade = RunUnplugged("uhf", "INTERFACEMODE COM1 TAUX", 6000, "-y upgrade-uhf " + image);
    EXPECT_EQ(upgrade.run.status, 1) << upgrade.run.err;
    EXPECT_TRUE(Has(upgrade.run.err, "qvrctl: The receiver stopped answering while programming")) << upgrade.run.err;
    EXPECT_LT(upgrade.secondsAfterVanishing, 5.0);
    EXPECT_LT(upgrade.cpuSeconds, 1.0);

    const std::string file = std::string(folder) + "/debug.bin";
    const std::string previous = "the file of an earlier download\n";
    std::ofstream(file, std::ios::binary) << previous;
    Unplugged download = RunUnplugged("uhf", "log filetransferb", 3000, "-y debuglog get " + file);
    EXPECT_EQ(download.run.status, 1) << download.run.err;
    EXPECT_TRUE(Has(download.run.err, "qvrctl: the receiver stopped answering")) << download.run.err;
    std::ifstream in(file, std::ios::binary);
    const std::string kept{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(kept, previous) << "the earlier file byte for byte";
    EXPECT_FALSE(std::filesystem::exists(file + ".part"));
    EXPECT_LT(download.secondsAfterVanishing, 5.0);
    EXPECT_LT(download.cpuSeconds, 1.0);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}
