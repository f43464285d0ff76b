#include "support/SaveSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <numeric>

namespace fs = std::filesystem;

namespace ov::test {

std::optional<fs::path> PathImageList::URLAtIndex(std::size_t index) const {
    if (index >= files.size() || !fs::exists(files[index]))
        return std::nullopt;
    return files[index];
}

std::vector<std::size_t> indexesBelow(std::size_t count) {
    std::vector<std::size_t> all(count);
    std::iota(all.begin(), all.end(), 0);
    return all;
}

OVSaveReport runBatch(OVSaveManager& manager, std::vector<std::size_t> indexes) {
    std::atomic<int> calls{0};
    OVSaveReport result;
    manager.beginSheetModalForWindow(nullptr, std::move(indexes),
                                     [&](bool finished, const OVSaveReport& report) {
                                         EXPECT_TRUE(finished);
                                         result = report;
                                         ++calls;
                                     });
    manager.waitUntilFinished();
    EXPECT_EQ(calls.load(), 1);
    return result;
}

std::string CopyRenderer::saveImage(const fs::path& source, const std::string&,
                                    const fs::path& destination) {
    const int now = ++inFlight;
    int seen = maxInFlight.load();
    while (now > seen && !maxInFlight.compare_exchange_weak(seen, now)) {
    }
    std::string reason = beforeEach ? beforeEach(source) : std::string();
    if (reason.empty()) {
        std::ifstream in(source, std::ios::binary);
        if (!in)
            reason = "cannot read";
        else {
            std::ofstream out(destination, std::ios::binary | std::ios::trunc);
            out << in.rdbuf();
            if (!out)
                reason = "cannot write";
        }
    }
    --inFlight;
    return reason;
}

} // namespace ov::test
