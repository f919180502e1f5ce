#include "TestFiles.h"

#include <filesystem>
#include <random>

namespace qvr::test {

std::string MakeTempFolder(const char* prefix) {
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) return "";
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path folder = base / (prefix + std::to_string(random() % 1000000000u));
        if (std::filesystem::create_directory(folder, error)) return folder.string();
    }
    return "";
}

} // namespace qvr::test
