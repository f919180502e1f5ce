#include "BenchKit.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

namespace qvr::bench {

PlatformServices Services(sim::VirtualLink& link, IOperator* op, IStatusSink* status) {
    PlatformServices services;
    services.clock = &link.Clock();
    services.serial = &link.Device();
    services.trace = &NullTrace();
    services.ui = op;
    services.status = status;
    return services;
}

std::string ScratchPath(const std::string& tag, const std::string& suffix) {
    static unsigned counter = 0;
    std::error_code ec;
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    return (std::filesystem::temp_directory_path(ec) /
            ("qvr_" + tag + "_" + std::to_string(stamp) + "_" + std::to_string(++counter) + suffix))
        .string();
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes) {
    bytes->clear();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    uint8_t chunk[4096];
    size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes->insert(bytes->end(), chunk, chunk + n);
    std::fclose(file);
    return true;
}

void RemoveFile(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
}

} // namespace qvr::bench
