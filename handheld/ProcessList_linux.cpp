#include "handheld/ProcessList.h"

#include <cctype>
#include <fstream>

#include <dirent.h>

namespace {

// /proc/PID/comm of every process: the executable's name (cut to 15
// characters by the kernel; a program run under a Windows loader shows its
// ".exe" name there).
class ProcProcessList : public IProcessList {
public:
    bool Snapshot(std::vector<std::string>* names) override {
        DIR* proc = ::opendir("/proc");
        if (!proc) return false;
        while (const dirent* entry = ::readdir(proc)) {
            if (!std::isdigit(static_cast<unsigned char>(entry->d_name[0]))) continue;
            std::ifstream comm(std::string("/proc/") + entry->d_name + "/comm");
            std::string name;
            if (comm && std::getline(comm, name)) names->push_back(name);
        }
        ::closedir(proc);
        return true;
    }
};

} // namespace

std::unique_ptr<IProcessList> CreateSystemProcessList() { return std::make_unique<ProcProcessList>(); }
