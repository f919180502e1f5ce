#pragma once
#include <memory>
#include <string>
#include <vector>

// The executable names of the running processes, as the handheld program's
// guard against its companion field program reads them.
class IProcessList {
public:
    virtual ~IProcessList() = default;
    // False when no snapshot could be taken.
    virtual bool Snapshot(std::vector<std::string>* names) = 0;
};

// This system's process list.
std::unique_ptr<IProcessList> CreateSystemProcessList();

// True when a running process's name occurs, letter case and all, within
// the companion's file name ("TRV+.exe"): so exactly "TRV+.exe" matches and
// a longer name does not. A snapshot that cannot be taken finds nothing.
bool CompanionRunning(IProcessList& processes, const char* companion = "TRV+.exe");
