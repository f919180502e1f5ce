// Writes the fuzz targets' seed corpora: FOLDER/<target>/<seed>, from the
// golden transcripts and from the simulated receiver.
//   fuzz_seeds GOLDEN_FOLDER OUTPUT_FOLDER
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "FuzzSeeds.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz_seeds GOLDEN_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    std::vector<qvr::fuzz::Seed> seeds = qvr::fuzz::GoldenSeeds(argv[1]);
    for (auto& seed : qvr::fuzz::RecordedSeeds()) seeds.push_back(std::move(seed));
    for (const auto& seed : seeds) {
        const std::filesystem::path folder = std::filesystem::path(argv[2]) / seed.target;
        std::filesystem::create_directories(folder);
        std::ofstream(folder / seed.name, std::ios::binary) << seed.bytes;
    }
    std::printf("%zu seeds written to %s\n", seeds.size(), argv[2]);
    return 0;
}
