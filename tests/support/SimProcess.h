#pragma once
// qvr-sim as a process of its own for the end-to-end tests over a pty: it
// runs from construction until the test ends, and Path() is the pty it
// serves. The test target defines QVR_SIM_PATH.
#include <csignal>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qvr::test {

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
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;
    const std::string& Path() const { return m_path; }
    pid_t Pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
    std::string m_path;
};

}  // namespace qvr::test
