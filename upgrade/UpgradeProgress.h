#pragma once
#include <cstdint>
#include <mutex>

namespace qvr {

// Upgrade states as a page shows them.
enum UpgradeState : int32_t {
    kUpgradeErasing = 0,  // also the value before erasing starts
    kUpgradeEraseFinished = 1,
    kUpgradeProgramming = 2,
    kUpgradeDone = 3,
};

// What an upgrade engine shares with the page that watches it.
struct UpgradeProgressRecord {
    int32_t state;         // UpgradeState
    int32_t percent;       // 0..100
    int32_t failed;        // with state 3: 1 when any step reported an error
    char statusText[256];  // the line the GSM upgrade page shows
    // Set on every return of an engine, also an early one (file unreadable,
    // no loader, port not opened), so a page never waits for a state 3 that
    // will not come. engineResult is what the engine returned.
    int32_t engineEnded;
    int32_t engineResult;
    // 1 while the radio is being programmed: from the flash loader's erase
    // until the engine returns. An interruption then leaves the radio
    // without firmware.
    int32_t programming;
};

// The progress record with its lock. Every access holds the lock; no lock
// is held across port input or output.
class UpgradeProgress {
public:
    void Clear();
    UpgradeProgressRecord Snapshot() const;
    void SetState(int32_t state);
    void SetPercent(int32_t percent);
    void SetDone(bool failed);  // state 3 and the failed flag
    void SetStatusText(const char* text);
    void SetEnded(bool result);  // also ends the programming
    void SetProgramming(bool programming);
    // Told on the engine's thread, at once, when the programming starts and
    // ends, so that a front end can hold an interruption off meanwhile.
    // Set before the engine starts.
    void SetProgrammingObserver(void (*observer)(bool programming)) { m_observer = observer; }

private:
    mutable std::mutex m_lock;
    UpgradeProgressRecord m_record{};
    void (*m_observer)(bool) = nullptr;
};

} // namespace qvr
