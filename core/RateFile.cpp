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
    size_t count = 0;
    long read = 0;
    char line[kNameSize + 32];
    while (count < kMaxPorts && std::fgets(line, sizeof line, file)) {
        read += static_cast<long>(std::strlen(line));
        if (read > kMaxFileSize) break;
        // "RATE NAME\n"; anything else is skipped.
        char* end = nullptr;
        const long rate = std::strtol(line, &end, 10);
        const size_t length = std::strlen(line);
        if (length == 0 || line[length - 1] != '\n') {
            // A line too long for the buffer: skip the rest of it.
            int c;
            while ((c = std::fgetc(file)) != EOF && c != '\n') ++read;
            continue;
        }
        line[length - 1] = '\0';
        if (end == line || *end != ' ' || rate <= 0 || rate > 10000000 || !NameStorable(end + 1)) continue;
        entries[count].rate = static_cast<int>(rate);
        std::snprintf(entries[count].name, kNameSize, "%s", end + 1);
        ++count;
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
    const size_t count = Load(m_entries);
    // Written beside the file, then renamed over it.
    char folder[kPathSize];
    std::snprintf(folder, sizeof folder, "%s", m_path);
    char* slash = std::strrchr(folder, '/');
    if (slash && slash != folder) {
        *slash = '\0';
        if (!CreateFolders(folder)) return;
    }
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
}

} // namespace qvr
