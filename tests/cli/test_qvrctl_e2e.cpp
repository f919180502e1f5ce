// qvrctl against qvr-sim over a pseudo-terminal, in real time.
#include <gtest/gtest.h>

#include "SimProcess.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <chrono>
#include <thread>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "SimDebugFile.h"

extern char** environ;

namespace {

struct Outcome {
    int status;
    std::string out, err;
};

// Runs a shell command with its stderr in a file.
Outcome Shell(const std::string& line) {
    char errPath[] = "/tmp/qvrctl_e2e_XXXXXX";
    const int fd = mkstemp(errPath);
    close(fd);
    const std::string command = line + " 2>" + errPath;
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

// Runs qvrctl with the arguments (already quoted for the shell).
Outcome Qvrctl(const std::string& args) { return Shell(std::string(QVRCTL_PATH) + " " + args); }

using qvr::test::Simulator;

// Every qvrctl and qvr-sim of this test (ctest runs each test in a process
// of its own) gets a home and configuration folder of its own, so that
// nothing one run keeps for the next reaches another test.
struct OwnHome {
    OwnHome() {
        char folder[] = "/tmp/qvrctl_e2e_home_XXXXXX";
        if (!mkdtemp(folder)) return;
        path = folder;
        setenv("HOME", folder, 1);
        setenv("XDG_CONFIG_HOME", (path + "/.config").c_str(), 1);
    }
    ~OwnHome() {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
    std::string path;
} g_ownHome;

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// setpriv runs a program as another user (util-linux); "" when missing.
std::string Setpriv() {
    for (const char* path : {"/usr/bin/setpriv", "/bin/setpriv"})
        if (access(path, X_OK) == 0) return path;
    return "";
}
const char* const kAsNobody = " --reuid=65534 --regid=65534 --clear-groups ";

// qvrctl started in the background with its stderr in a file, to be
// interrupted.
class Background {
public:
    explicit Background(std::vector<std::string> argv) {
        char path[] = "/tmp/qvrctl_e2e_bg_XXXXXX";
        const int fd = mkstemp(path);
        m_errPath = path;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fd, 2);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        std::vector<char*> args;
        for (std::string& a : argv) args.push_back(a.data());
        args.push_back(nullptr);
        if (posix_spawn(&m_pid, args[0], &actions, nullptr, args.data(), environ) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(fd);
    }
    ~Background() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        unlink(m_errPath.c_str());
    }
    void Signal(int signal) const { kill(m_pid, signal); }
    // The exit status, or -1 when it is still running after timeoutMs.
    int Wait(int timeoutMs) {
        for (int waited = 0; waited <= timeoutMs; waited += 20) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 256 + WTERMSIG(status);  // killed: no status of its own
            }
            usleep(20000);
        }
        return -1;
    }
    std::string Err() const {
        std::ifstream in(m_errPath);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    pid_t m_pid = -1;
    std::string m_errPath;
};

// A pseudo-terminal of the test's own, nobody at its other end.
struct OwnPty {
    OwnPty() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        char name[128] = {};
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0 && ptsname_r(master, name, sizeof name) == 0)
            path = name;
    }
    ~OwnPty() {
        if (master >= 0) close(master);
    }
    int master = -1;
    std::string path;
};

bool Exclusive(const std::string& tty) {
    const int fd = open(tty.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    int exclusive = 0;
    if (fd >= 0) ioctl(fd, TIOCGEXCL, &exclusive);
    if (fd >= 0) close(fd);
    return exclusive != 0;
}

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

// One qvrctl run with a connect per test where possible: each takes 20 to
// 45 s of waiting on the receiver's pauses, so the tests run side by side.

TEST(QvrctlOverPty, InfoPrintsIdentityAndRadio) {
    Simulator sim("uhf");
    ASSERT_EQ(sim.Path().rfind("/dev/pts/", 0), 0u) << sim.Path();
    Outcome info = Qvrctl("--json -p " + sim.Path() + " info");
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_TRUE(Has(info.out, "\"serialNumber\":\"QV410002317\"")) << info.out;
    EXPECT_TRUE(Has(info.out, "\"model\":\"QVR4100 MAX\"")) << info.out;
    EXPECT_TRUE(Has(info.out, "\"kindText\":\"UHF\"")) << info.out;
    EXPECT_TRUE(Has(info.out, "\"currentFrequency\":450.0125")) << info.out;
    EXPECT_TRUE(Has(info.out, "\"ok\":true")) << info.out;
}

// The receiver keeps what one qvrctl run changed for the next run (the
// QVR1500 LBX: the fastest refresh, no radio to search for).
TEST(QvrctlOverPty, ReceiverSettingsSeenInTheNextInfo) {
    Simulator sim("lbx");
    ASSERT_EQ(sim.Path().rfind("/dev/pts/", 0), 0u) << sim.Path();
    const std::string port = " -p " + sim.Path() + " ";
    Outcome receiver = Qvrctl(port + "receiver --volume 6 --language 2");
    EXPECT_EQ(receiver.status, 0) << receiver.err;
    EXPECT_TRUE(Has(receiver.err, "QVR Family Config Tool: Receiver Settings successfully updated.")) << receiver.err;
    Outcome again = Qvrctl("--json" + port + "info");
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_TRUE(Has(again.out, "\"volume\":6")) << again.out;
    EXPECT_TRUE(Has(again.out, "\"languageIndex\":2")) << again.out;
}

// What the radio stores is checked in virtual time (SubmitUhfSettings);
// here the command over a real port.
TEST(QvrctlOverPty, UhfSettingsChangeSucceeds) {
    Simulator sim("uhf");
    ASSERT_EQ(sim.Path().rfind("/dev/pts/", 0), 0u) << sim.Path();
    Outcome uhf = Qvrctl("-p " + sim.Path() + " uhf --frequency 450.025");
    EXPECT_EQ(uhf.status, 0) << uhf.err;
    EXPECT_TRUE(Has(uhf.err, "QVR Family Config Tool: Changes were successful.")) << uhf.err;
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
        std::string args;
        const char* says;
    } cases[] = {
        {"", "no command given"},
        {"-p x frobnicate", "unknown command frobnicate"},
        {"info", "no port given"},
        {"-p x receiver --volume 9", "--volume must be 0 to 7: 9"},
        {"-p x serial AB312345678", "serial number AB312345678 is not 3 letters and 8 digits"},
        {"-p x uhf --power 300", "--power must be 10, 20, 50, 100, 200, 500 or 1000: 300"},
        {"-p x gsm-mrs --startup maybe --address a --port 1 --mount m --password p", "--startup must be on or off"},
        // Numbers are refused, never wrapped: event 4294967296 would play event 0.
        {"-p x play 4294967296 3", "EVENT must be 0 to 15 or a keyword: 4294967296"},
        {"-p x gsm-bearer gprs --user u --password p --apn a --timeout 4294967297",
         "The connection timeout must be a whole number from 0 to 2147483647."},
        {"-p x gsm-mrs --startup off --address 1.2.3.4 --port 99999 --mount m --password p",
         "Port number appears invalid. Please check."},
        // A line end would shift the module's stored fields.
        {"-p x gsm-bearer gprs --user u --password p --apn \"$(printf 'a\\nb')\" --timeout 30",
         "The GPRS access point name contains a line break, quote or control character"},
        {"-p x gsm-mrs --startup off --address 1.2.3.4 --port 2101 --mount \"$(printf 'm\\nNS_PORT:1')\" --password p",
         "The mount point name contains a line break, quote or control character"},
        // A name cut to fit would open another port.
        {"-p /dev/" + std::string(128, 'x') + " info", "the port name is too long (at most 127 characters)"},
        // Typed into the radio's menu as it is; shown escaped.
        {"-p x uhf-center \"$(printf '450.0\\r\\n4')\"", "not a frequency: 450.0\\r\\n4"},
        {"-p x uhf-center 450.003", "New center frequency must be a multiple of 6250 hertz!"},
        {"\"$(printf 'fr\\033[31m')\"", "unknown command fr\\x1B[31m"},
        // --option=VALUE, for qvrctl's options and the commands' own.
        {"--port=/dev/" + std::string(128, 'x') + " info", "the port name is too long"},
        {"-p x receiver --volume=9", "--volume must be 0 to 7: 9"},
        {"-p x gsm-mrs --startup=off --address=1.2.3.4 --port=99999 --mount=m --password=p",
         "Port number appears invalid. Please check."},
        {"--json=yes -p x info", "--json takes no value: --json=yes"},
        {"-p tcp://127.0.0.1:99999 info", "a serial server is named tcp://HOST:PORT"},
        {"-p rfc2217://:23 info", "a serial server is named tcp://HOST:PORT"},
    };
    for (const Case& c : cases) {
        Outcome run = Qvrctl(c.args);
        EXPECT_EQ(run.status, 2) << c.args;
        EXPECT_TRUE(Has(run.err, c.says)) << c.args << ": " << run.err;
        EXPECT_FALSE(Has(run.err, "Connecting...")) << c.args << ": refused before connecting";
        EXPECT_FALSE(Has(run.err, "\x1b")) << c.args << ": no raw escape on the terminal";
    }
}

// Files and ports that cannot be used are refused with their reason, files
// before anything is opened: a pipe as an upgrade file used to block the
// open for ever, a folder to end the program.
TEST(QvrctlOverPty, FilesAndPortsRefusedWithTheirReason) {
    char folder[] = "/tmp/qvrctl_files_XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string dir = folder;
    std::filesystem::create_directory(dir + "/radio.sfo");
    ASSERT_EQ(mkfifo((dir + "/NokiaBridge.jar").c_str(), 0600), 0);
    std::ofstream(dir + "/plain") << "not a port";
    OwnPty busy;
    ASSERT_FALSE(busy.path.empty());
    const int holder = open(busy.path.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);  // as another qvrctl holds it
    OwnPty closed;
    ASSERT_FALSE(closed.path.empty());
    chmod(closed.path.c_str(), 0600);
    struct Case {
        std::string args;
        std::string says;
        bool connects;  // gets as far as opening the port
    } cases[] = {
        {"-p x upgrade-uhf " + dir + "/radio.sfo",
         "The specified upgrade file is a folder, not a file. Please reselect and try again.", false},
        {"-p x upgrade-gsm " + dir + "/NokiaBridge.jar",
         "The specified upgrade file is not a regular file (a pipe or a device?)", false},
        {"-y -p x debuglog get " + dir + "/missing/debug.bin",
         "The debug file cannot be saved as " + dir + "/missing/debug.bin: its folder does not exist.", false},
        {"-p " + dir + " info", "cannot open " + dir + ": it is a folder, not a serial port", true},
        {"-p " + dir + "/plain info", "it is not a serial port", true},
        {"-p " + dir + "/none info", "there is no such device", true},
        {"-p " + busy.path + " info", "cannot open " + busy.path + ": the port is in use by another program", true},
        {"-p x upgrade-gsm /tmp/" + std::string(120000, 'j') + ".jar", "name is too long", false},
    };
    for (const Case& c : cases) {
        // A hang shows as the time-out's status (124), not as a stuck test.
        Outcome run = Shell("timeout 20 " + std::string(QVRCTL_PATH) + " " + c.args);
        EXPECT_EQ(run.status, 1) << c.args << ": " << run.err;
        EXPECT_TRUE(Has(run.err, c.says)) << c.args << ": " << run.err;
        EXPECT_EQ(Has(run.err, "Connecting..."), c.connects) << c.args;
    }
    // On Linux a port the user may not open says which group may (a pty
    // here: its group may be root or tty).
    if (!Setpriv().empty()) {
        Outcome run = Shell(Setpriv() + kAsNobody + QVRCTL_PATH + " -p " + closed.path + " info");
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_TRUE(Has(run.err, "cannot open " + closed.path + ": permission denied: " + closed.path)) << run.err;
        // A pty's group (tty) is no serial port group: joining it would
        // give write access to every terminal.
        EXPECT_FALSE(Has(run.err, "usermod -aG tty")) << run.err;
        EXPECT_TRUE(Has(run.err, "dialout")) << run.err;
        // A file anyone may write, in a folder only its owner may add to:
        // refused before the question, not after the transfer.
        if (geteuid() == 0) {
            const std::string locked = dir + "/locked";
            std::filesystem::create_directory(locked);
            chmod(dir.c_str(), 0755);
            chmod(locked.c_str(), 0755);
            std::ofstream(locked + "/debug.bin") << "old";
            chmod((locked + "/debug.bin").c_str(), 0666);
            Outcome get = Shell(Setpriv() + kAsNobody + QVRCTL_PATH + " -y -p x debuglog get " + locked + "/debug.bin");
            EXPECT_EQ(get.status, 1) << get.err;
            EXPECT_TRUE(Has(get.err, "its folder cannot be written to")) << get.err;
            EXPECT_FALSE(Has(get.err, "Connecting...")) << get.err;
        }
    }
    close(holder);
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

// Ctrl+C during a connect: the port is given up, exclusive mode and all,
// so that the next run, also as an ordinary user, can open it.
TEST(QvrctlOverPty, InterruptReleasesThePortForTheNextRun) {
    Simulator sim("uhf");
    ASSERT_EQ(sim.Path().rfind("/dev/pts/", 0), 0u) << sim.Path();
    {
        Background run({QVRCTL_PATH, "-p", sim.Path(), "info"});
        usleep(4000000);  // well into the connect: the port is open and exclusive
        ASSERT_TRUE(Exclusive(sim.Path()));
        run.Signal(SIGINT);
        EXPECT_EQ(run.Wait(3000), 130) << run.Err();
        EXPECT_TRUE(Has(run.Err(), "qvrctl: interrupted")) << run.Err();
    }
    EXPECT_FALSE(Exclusive(sim.Path())) << "exclusive mode outlived the interrupted run";
    const std::string setpriv = Setpriv();
    if (setpriv.empty()) GTEST_SKIP() << "no setpriv: the run as another user is not tried";
    // The second run as nobody: refused as busy while exclusive mode stays.
    chmod(sim.Path().c_str(), 0666);
    Background second({setpriv, "--reuid=65534", "--regid=65534", "--clear-groups", QVRCTL_PATH, "-p", sim.Path(),
                       "info"});
    usleep(4000000);
    EXPECT_TRUE(Exclusive(sim.Path())) << "the second run has the port: " << second.Err();
    second.Signal(SIGTERM);
    EXPECT_EQ(second.Wait(3000), 130) << second.Err();
    EXPECT_FALSE(Has(second.Err(), "cannot open")) << second.Err();
}

TEST(QvrctlOverPty, DebugLogGetAsksThenWritesTheReceiversFile) {
    Simulator sim("lbx", {"--debug-file-size", "3000"});
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
        int status;  // refused by the tool 1, an argument that cannot be sent 2
    } cases[] = {
        {"ATZ", "ATZ, ATF, and ATW commands not allowed in tool.", 1},
        {"at\\&w", "ATZ, ATF, and ATW commands not allowed in tool.", 1},
        {"AT" + std::string(300, 'E'), "The AT command is too long to be sent to the GSM module. Please shorten it.", 2},
    };
    for (const Case& c : cases) {
        Outcome run = Qvrctl("-p /dev/qvr-no-such-port gsm-at " + c.command);
        EXPECT_EQ(run.status, c.status) << c.command;
        EXPECT_TRUE(Has(run.err, "qvrctl: " + c.says)) << run.err;
        EXPECT_FALSE(Has(run.err, "Connecting...")) << run.err;
    }
}

namespace {

// A receiver that vanishes midway: every operation ends as a failure with
// the reason, within 5 s and with little CPU, never as a success.
void ExpectLinkLostFailure(const Unplugged& u, const char* says = "qvrctl: the receiver stopped answering") {
    EXPECT_EQ(u.run.status, 1) << u.run.err;
    EXPECT_TRUE(Has(u.run.err, says)) << u.run.err;
    EXPECT_LT(u.secondsAfterVanishing, 5.0);
    EXPECT_LT(u.cpuSeconds, 1.0);
}

struct TempFolder {
    TempFolder() {
        char folder[] = "/tmp/qvrctl_unplug_XXXXXX";
        if (mkdtemp(folder)) path = folder;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string path;
};

} // namespace

TEST(QvrctlOverPty, UnplugDuringInfoIsAFailure) {
    Unplugged info = RunUnplugged("uhf", "log passauxb onnew", 3000, "info");  // in the radio search
    ExpectLinkLostFailure(info);
    EXPECT_FALSE(Has(info.run.out, "Internal radio")) << info.run.out;
}

TEST(QvrctlOverPty, UnplugDuringAnAtCommandIsAFailure) {
    // "AT+CSQ\r\n" in its sendhex line: gone while the module answers.
    ExpectLinkLostFailure(RunUnplugged("gsm", "41542b435351", 1000, "gsm-at AT+CSQ"));
}

TEST(QvrctlOverPty, UnplugDuringAnUpgradeIsAFailure) {
    TempFolder folder;
    ASSERT_FALSE(folder.path.empty());
    const std::string image = folder.path + "/radio.sfo";
    std::ofstream(image, std::ios::binary) << std::string(400 * 132, '\x5a');
    // Programming has begun 6 s after the bridge to the loader opened.
    ExpectLinkLostFailure(RunUnplugged("uhf", "INTERFACEMODE COM1 TAUX", 6000, "-y upgrade-uhf " + image),
                          "qvrctl: The receiver stopped answering while programming");
}

TEST(QvrctlOverPty, UnplugDuringADownloadKeepsTheEarlierFile) {
    TempFolder folder;
    ASSERT_FALSE(folder.path.empty());
    const std::string file = folder.path + "/debug.bin";
    const std::string previous = "the file of an earlier download\n";
    std::ofstream(file, std::ios::binary) << previous;
    // The debug file is the receiver's, whatever its radio: the LBX connects fastest.
    ExpectLinkLostFailure(RunUnplugged("lbx", "log filetransferb", 3000, "-y debuglog get " + file));
    std::ifstream in(file, std::ios::binary);
    const std::string kept{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(kept, previous) << "the earlier file byte for byte";
    for (const auto& entry : std::filesystem::directory_iterator(folder.path))
        EXPECT_EQ(entry.path(), file) << "no temporary file left beside it";
}

// A receiver port that streams NMEA at 115200 (a common field state): the
// bytes that are no log fill the receive buffer, which must not stop the
// reader from seeing the version log behind them, nor make it spin.
TEST(QvrctlOverPty, NmeaStreamingReceiverIsFoundWithoutSpinning) {
    Simulator sim("lbx", {"--baud", "115200", "--nmea"});
    ASSERT_EQ(sim.Path().rfind("/dev/pts/", 0), 0u) << sim.Path();
    const double cpuBefore = CpuSecondsOfChildren();
    Outcome info = Qvrctl("--json -p " + sim.Path() + " info");
    const double cpu = CpuSecondsOfChildren() - cpuBefore;
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_TRUE(Has(info.out, "\"model\":\"QVR1500 LBX\"")) << info.out;
    EXPECT_LT(cpu, 1.5) << "CPU seconds of a connect that mostly waits";
}

// Output that cannot be written is a failure, said on stderr; control
// characters of an argument never reach the terminal through the trace.
TEST(QvrctlOverPty, UnwritableOutputAndHostileTraceText) {
    struct Case {
        std::string args;
        int status;
        const char* says;
    } cases[] = {
        {"ports >&-", 1, "qvrctl: the output could not be written: standard output is closed"},
        {"--help >/dev/full", 1, "qvrctl: the output could not be written"},
        {"--trace -p \"/dev/qvr-$(printf '\\033')[31m$(printf '\\007')\" info", 1, "/dev/qvr-\\x1B[31m\\x07"},
    };
    for (const Case& c : cases) {
        Outcome run = Shell("timeout 60 " + std::string(QVRCTL_PATH) + " " + c.args);
        EXPECT_EQ(run.status, c.status) << c.args << ": " << run.err;
        EXPECT_TRUE(Has(run.err, c.says)) << c.args << ": " << run.err;
        EXPECT_FALSE(Has(run.err, "\x1b")) << c.args << ": a raw ESC on the terminal";
        EXPECT_FALSE(Has(run.err, "\x07")) << c.args << ": a raw BEL on the terminal";
    }
}

// SIGQUIT (Ctrl+\\) ends qvrctl as Ctrl+C does: the port is given up,
// exclusive mode and all.
TEST(QvrctlOverPty, QuitSignalReleasesThePort) {
    Simulator sim("uhf");
    ASSERT_EQ(sim.Path().rfind("/dev/pts/", 0), 0u) << sim.Path();
    Background run({QVRCTL_PATH, "-p", sim.Path(), "info"});
    usleep(4000000);
    ASSERT_TRUE(Exclusive(sim.Path()));
    run.Signal(SIGQUIT);
    EXPECT_EQ(run.Wait(3000), 130) << run.Err();
    EXPECT_FALSE(Exclusive(sim.Path())) << "exclusive mode outlived the run";
}

// A download past the file-size limit ("ulimit -f") fails as a write
// error, leaving neither the file nor a temporary file.
TEST(QvrctlOverPty, DownloadPastTheFileSizeLimitFailsCleanly) {
    Simulator sim("lbx", {"--debug-file-size", "40000"});
    ASSERT_EQ(sim.Path().rfind("/dev/pts/", 0), 0u) << sim.Path();
    TempFolder folder;
    ASSERT_FALSE(folder.path.empty());
    const std::string file = folder.path + "/debug.bin";
    Outcome run = Shell("ulimit -f 20; " + std::string(QVRCTL_PATH) + " -y -p " + sim.Path() + " debuglog get " + file);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(Has(run.err, "File write error.")) << run.err;
    EXPECT_FALSE(std::filesystem::exists(file));
    for (const auto& entry : std::filesystem::directory_iterator(folder.path))
        ADD_FAILURE() << "left behind: " << entry.path();
}

// gsm-at shows the command and each line the module sent on lines of
// their own.
TEST(QvrctlOverPty, GsmAtPrintsCommandAndAnswerLineByLine) {
    Simulator sim("gsm");
    ASSERT_EQ(sim.Path().rfind("/dev/pts/", 0), 0u) << sim.Path();
    Outcome run = Qvrctl("-p " + sim.Path() + " gsm-at AT+CSQ");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("AT+CSQ\n", 0), 0u) << run.out;
    EXPECT_FALSE(Has(run.out, "AT+CSQAT+CSQ")) << run.out;
    EXPECT_FALSE(Has(run.out, "\r")) << run.out;
    EXPECT_TRUE(Has(run.out, "+CSQ:")) << run.out;
    EXPECT_EQ(run.out.back(), '\n') << run.out;
}
