// qvrctl's interruption handling, in a child process per case: Ctrl+C held
// off while a radio is programmed.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Interrupt.h"

using namespace qvr::cli;

// Ctrl+C pressed again and again while the radio is programmed (and after):
// the program goes on to report the upgrade's outcome, said once that it
// waits, and main ends it as interrupted afterwards.
TEST(Interrupt, RepeatedCtrlCWhileHeldWaitsForTheOutcome) {
    char errPath[] = "/tmp/qvr_interrupt_XXXXXX";
    const int errFd = mkstemp(errPath);
    ASSERT_GE(errFd, 0);
    const pid_t child = fork();
    if (child == 0) {
        dup2(errFd, STDERR_FILENO);
        InstallInterruptHandler();
        HoldInterrupt(true);  // programming
        for (int i = 0; i < 5; ++i) raise(SIGINT);
        HoldInterrupt(false);  // programming over; the upgrade goes on to its end
        raise(SIGINT);
        const char outcome[] = "Upgrade Successful!\n";
        if (write(STDERR_FILENO, outcome, sizeof outcome - 1) < 0) _exit(3);
        _exit(InterruptPending() ? 42 : 0);
    }
    close(errFd);
    int status = 0;
    waitpid(child, &status, 0);
    std::stringstream err;
    err << std::ifstream(errPath).rdbuf();
    unlink(errPath);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 42) << "status " << status << ": " << err.str();
    const std::string text = err.str();
    EXPECT_NE(text.find("Upgrade Successful!"), std::string::npos) << text;
    EXPECT_EQ(text.find("interrupted"), std::string::npos) << text;
    const std::string held = "the radio is being programmed";
    const size_t first = text.find(held);
    ASSERT_NE(first, std::string::npos) << text;
    EXPECT_EQ(text.find(held, first + 1), std::string::npos) << "said once: " << text;
}
