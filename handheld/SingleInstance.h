#pragma once
#include <memory>
#include <string>

// The handheld program runs once per user: the first start holds a named
// lock for its whole run; a second start finds it held and ends. The
// system releases the lock when the process ends, also after a crash, so a
// stale lock never blocks the next start.
class SingleInstance {
public:
    virtual ~SingleInstance() = default;
    // Takes the lock named name; false when another process holds it (or it
    // cannot be made).
    static std::unique_ptr<SingleInstance> Acquire(const char* name);
    // Where the running copy listens for a second start that asks it to
    // show its window: a local socket name of this user's own.
    static std::string ShowChannel(const char* name);
};
