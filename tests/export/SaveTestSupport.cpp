#include "SaveTestSupport.h"

#include <fstream>

namespace fs = std::filesystem;

namespace ov::test {

std::optional<fs::path> PathImageList::URLAtIndex(std::size_t index) const {
    if (index >= files_.size() || !fs::exists(files_[index]))
        return std::nullopt;
    return files_[index];
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
