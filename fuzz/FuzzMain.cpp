// The libFuzzer program of one target, chosen at build time by OV_FUZZ_TARGET.

#include "FuzzTargets.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {
const ov::fuzz::Target* target = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    target = ov::fuzz::findTarget(OV_FUZZ_TARGET);
    if (!target) {
        std::fprintf(stderr, "unknown fuzz target %s\n", OV_FUZZ_TARGET);
        std::abort();
    }
    const char* home = std::getenv("INKSTEAD_FUZZ_HOME");
    ov::fuzz::initialize(home ? std::filesystem::path(home)
                              : std::filesystem::temp_directory_path() /
                                    ("inkstead-fuzz-" + std::to_string(getpid())));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return target->run(data, size);
}
