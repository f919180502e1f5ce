// The remembered receiver rates, kept in a small text file.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "RateMemory.h"
#include "platform/Files.h"

namespace qvr {

namespace {

// A file this long is not one of ours.
constexpr long kMaxFileSize = 16 * 1024;

bool NameStorable(const char* name) {
    if (!name || !name[0] || std::strlen(name) >= RateFile::kNameSize) return false;
    for (const char* p = name; *p; ++p)
        if (*p == '\n' || *p == '\r') return false;
    return true;
}

} // namespace

RateFile::RateFile(const char* path) {
    if (path && std::strlen(path) < sizeof m_path) std::snprintf(m_path, sizeof m_path, "%s", path);
}

RateFile RateFile::ForUser() {
    char folder[kPathSize];
    char path[kPathSize];
    if (!UserConfigFolder(folder, sizeof folder)) return RateFile("");
    const int n = std::snprintf(path, sizeof path, "%s/qvr-config-tool/rates", folder);
    return RateFile(n > 0 && static_cast<size_t>(n) < sizeof path ? path : "");
}

size_t RateFile::Load(Entry (&entries)[kMaxPorts]) const {
    if (!m_path[0] || GetPathKind(m_path) != PathKind::RegularFile) return 0;
    std::FILE* file = std::fopen(m_path, "rb");
    if (!file) return 0;
    // Read by lines, at most kMaxFileSize bytes in all however long the
    // file (or its first line) is. A NUL is a byte like any other here; it
    // only makes its line a bad one.
    size_t count = 0;
    long read = 0;
    char line[kNameSize + 32];
    size_t length = 0;
    bool bad = false;
    char chunk[512];
    size_t got = 0;
    while (count < kMaxPorts && read < kMaxFileSize &&
           (got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        for (size_t i = 0; i < got && count < kMaxPorts && read < kMaxFileSize; ++i, ++read) {
            const char c = chunk[i];
            if (c != '\n') {
                if (c == '\0' || length + 1 >= sizeof line) bad = true;
                else line[length++] = c;
                continue;
            }
            line[length] = '\0';
            // "RATE NAME"; anything else is skipped.
            char* end = nullptr;
            const long rate = std::strtol(line, &end, 10);
            if (!bad && end != line && *end == ' ' && rate > 0 && rate <= 10000000 && NameStorable(end + 1)) {
                entries[count].rate = static_cast<int>(rate);
                std::snprintf(entries[count].name, kNameSize, "%s", end + 1);
                ++count;
            }
            length = 0;
            bad = false;
        }
    }
    std::fclose(file);
    return count;
}

int RateFile::Recall(const char* portName) {
    if (!m_enabled || !NameStorable(portName)) return 0;
    const size_t count = Load(m_entries);
    for (size_t i = 0; i < count; ++i)
        if (std::strcmp(m_entries[i].name, portName) == 0) return m_entries[i].rate;
    return 0;
}

void RateFile::Remember(const char* portName, int rate) {
    if (!m_enabled || !m_path[0] || !NameStorable(portName) || rate <= 0) return;
    // Written beside the file, then renamed over it.
    char folder[kPathSize];
    std::snprintf(folder, sizeof folder, "%s", m_path);
    char* slash = std::strrchr(folder, '/');
    if (slash && slash != folder) {
        *slash = '\0';
        if (!CreateFolders(folder)) return;
    }
    // Read, changed and written back under a lock that every program of
    // ours takes for the same file: two connects ending together would each
    // write back what they read and one of the two entries would be lost.
    // Without the lock (a file system that has none) it goes on unlocked.
    char lockPath[kPathSize + 8];
    std::snprintf(lockPath, sizeof lockPath, "%s.lock", m_path);
    const FileLock lock = LockFileExclusive(lockPath);
    const size_t count = Load(m_entries);
    char temporary[kPathSize + 32];
    std::snprintf(temporary, sizeof temporary, "%s.%d.tmp", m_path, CurrentProcessId());
    std::FILE* file = std::fopen(temporary, "wb");
    if (!file) return;
    bool ok = std::fprintf(file, "%d %s\n", rate, portName) > 0;
    for (size_t i = 0, kept = 1; i < count && kept < kMaxPorts; ++i) {
        if (std::strcmp(m_entries[i].name, portName) == 0) continue;
        ok = ok && std::fprintf(file, "%d %s\n", m_entries[i].rate, m_entries[i].name) > 0;
        ++kept;
    }
    ok = std::fclose(file) == 0 && ok;
    if (!ok || !ReplaceFile(temporary, m_path)) std::remove(temporary);
    UnlockFile(lock);
}

} // namespace qvr
