// Writes the seed corpus of a fuzz target: inkstead_fuzz_seeds TARGET FOLDER

#include "FuzzTargets.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s TARGET FOLDER\n", argv[0]);
        return 2;
    }
    const ov::fuzz::Target* target = ov::fuzz::findTarget(argv[1]);
    if (!target) {
        std::fprintf(stderr, "unknown fuzz target %s\n", argv[1]);
        return 2;
    }
    const std::filesystem::path folder = argv[2];
    // The seeds' pictures go to a storage of their own, not into the corpus folder.
    const auto home = std::filesystem::temp_directory_path() /
                      ("inkstead-fuzz-seeds-" + std::to_string(getpid()));
    ov::fuzz::initialize(home);
    const auto seeds = target->seeds();
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    std::filesystem::create_directories(folder);
    int index = 0;
    for (const auto& seed : seeds) {
        std::ofstream out(folder / ("seed-" + std::to_string(index++)), std::ios::binary);
        out.write(reinterpret_cast<const char*>(seed.data()), std::streamsize(seed.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write into %s\n", folder.c_str());
            return 1;
        }
    }
    return 0;
}
