// Ctrl+C (SIGINT), SIGTERM and SIGHUP on POSIX systems.
#include "Interrupt.h"

#include <csignal>
#include <cstring>

#include <unistd.h>

#include "TemporaryFiles.h"
#include "platform/SerialDevice.h"

namespace qvr::cli {

namespace {

volatile std::sig_atomic_t g_hold = 0;
volatile std::sig_atomic_t g_pending = 0;

void Say(const char* text) {
    // write(2) is safe in a signal handler; stdio is not.
    const ssize_t ignored = ::write(STDERR_FILENO, text, std::strlen(text));
    (void)ignored;
}

void RemoveFile(const char* path) { ::unlink(path); }

void OnInterrupt(int) {
    if (g_hold) {
        g_pending = 1;
        Say("\nqvrctl: the radio is being programmed; stopping now would leave it unusable. qvrctl ends when the "
            "programming is over.\n");
        return;
    }
    ReleaseSerialDevicesOnInterrupt();
    ForEachTemporaryFile(&RemoveFile);
    Say("\nqvrctl: interrupted\n");
    ::_exit(kExitInterrupted);
}

} // namespace

void InstallInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = &OnInterrupt;
    sigemptyset(&action.sa_mask);
    // A closed terminal (SIGHUP) ends the program the same way. The others
    // wait while the handler runs.
    const int signals[] = {SIGINT, SIGTERM, SIGHUP};
    for (int number : signals) sigaddset(&action.sa_mask, number);
    action.sa_flags = SA_RESTART;
    for (int number : signals) sigaction(number, &action, nullptr);
}

void HoldInterrupt(bool hold) { g_hold = hold ? 1 : 0; }

bool InterruptPending() { return g_pending != 0; }

} // namespace qvr::cli
