// Ctrl+C, Ctrl+Break and console close on Windows: the handler runs on a
// thread of its own.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstdio>

#include "Interrupt.h"

#include "TemporaryFiles.h"
#include "platform/SerialDevice.h"

namespace qvr::cli {

namespace {

volatile LONG g_hold = 0;
volatile LONG g_pending = 0;

void RemoveFile(const char* path) { ::DeleteFileA(path); }

BOOL WINAPI OnConsoleEvent(DWORD) {
    if (g_hold) {
        if (::InterlockedExchange(&g_pending, 1) != 0) return TRUE;  // said once
        std::fputs("\nqvrctl: the radio is being programmed; stopping now would leave it unusable. qvrctl ends when "
                   "the programming is over.\n",
                   stderr);
        return TRUE;
    }
    ReleaseSerialDevicesOnInterrupt();
    ForEachTemporaryFile(&RemoveFile);
    std::fputs("\nqvrctl: interrupted\n", stderr);
    ::ExitProcess(kExitInterrupted);
    return TRUE;
}

} // namespace

void InstallInterruptHandler() { ::SetConsoleCtrlHandler(&OnConsoleEvent, TRUE); }

void HoldInterrupt(bool hold) {
    // An interruption that came while held ends the program only once the
    // command has said how it ended (main ends it then).
    if (!hold && g_pending) return;
    ::InterlockedExchange(&g_hold, hold ? 1 : 0);
}

bool InterruptPending() { return g_pending != 0; }

} // namespace qvr::cli
