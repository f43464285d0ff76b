#include "SaveTestSupport.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <thread>

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

fs::path writeFile(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> listDirectory(const fs::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace ov::test
