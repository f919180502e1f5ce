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
        // Said once, however often the key is pressed.
        if (g_pending) return;
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
    // A closed terminal (SIGHUP) and SIGQUIT (Ctrl+\\) end the program the
    // same way. The others wait while the handler runs.
    const int signals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
    for (int number : signals) sigaddset(&action.sa_mask, number);
    action.sa_flags = SA_RESTART;
    for (int number : signals) sigaction(number, &action, nullptr);
    // A file grown past the size limit ("ulimit -f") would end the program
    // at once, leaving the temporary file; ignored, the write fails (EFBIG)
    // and the download ends as a failed write.
    std::signal(SIGXFSZ, SIG_IGN);
}

void HoldInterrupt(bool hold) {
    // An interruption that came while held ends the program only once the
    // command has said how it ended (main ends it then): the programming's
    // outcome is what the operator waited for.
    if (!hold && g_pending) return;
    g_hold = hold ? 1 : 0;
}

bool InterruptPending() { return g_pending != 0; }

} // namespace qvr::cli
