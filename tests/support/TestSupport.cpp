#include "support/TestSupport.h"

#include <cstdlib>
#include <random>
#include <system_error>

namespace ov::test {

TempDir::TempDir() {
    std::random_device rd;
    auto base = std::filesystem::temp_directory_path();
    for (;;) {
        auto candidate = base / ("inkstead-test-" + std::to_string(rd()));
        std::error_code ec;
        if (std::filesystem::create_directory(candidate, ec)) {
            path_ = candidate;
            return;
        }
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

std::filesystem::path testDataDir() {
    // INKSTEAD_TESTDATA_DIR overrides the configured folder (an empty or missing one tries the
    // suite as a bare clone runs it).
    if (const char* override = std::getenv("INKSTEAD_TESTDATA_DIR"))
        return override;
    return OV_TESTDATA_DIR;
}

} // namespace ov::test
