#include "TemporaryFiles.h"

#include <atomic>
#include <cstring>

namespace qvr {

namespace {

enum SlotState : int { kFree = 0, kBusy = 1, kSet = 2 };

struct Slot {
    std::atomic<int> state{kFree};
    char path[kMaxTemporaryPath] = {};
};

Slot g_slots[kMaxTemporaryFiles];
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler reads the slots");

} // namespace

bool RegisterTemporaryFile(const char* path) {
    if (!path || std::strlen(path) >= kMaxTemporaryPath) return false;
    for (Slot& slot : g_slots) {
        int expected = kFree;
        if (!slot.state.compare_exchange_strong(expected, kBusy)) continue;
        std::strcpy(slot.path, path);
        slot.state.store(kSet);  // the path is complete before it is seen
        return true;
    }
    return false;
}

void UnregisterTemporaryFile(const char* path) {
    if (!path) return;
    for (Slot& slot : g_slots) {
        if (slot.state.load() != kSet || std::strcmp(slot.path, path) != 0) continue;
        int expected = kSet;
        if (slot.state.compare_exchange_strong(expected, kBusy)) {
            slot.path[0] = '\0';
            slot.state.store(kFree);
            return;
        }
    }
}

void ForEachTemporaryFile(void (*visit)(const char* path)) {
    if (!visit) return;
    for (Slot& slot : g_slots)
        if (slot.state.load() == kSet) visit(slot.path);
}

} // namespace qvr
