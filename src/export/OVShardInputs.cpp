#include "inkstead/export/OVShardInputs.h"

#include <unordered_set>

namespace fs = std::filesystem;

std::vector<fs::path> OVWholeList(std::vector<fs::path> inputs) {
    std::vector<fs::path> list;
    list.reserve(inputs.size());
    std::unordered_set<std::string> seen;
    const auto add = [&](fs::path path) {
        if (seen.insert(path.native()).second)
            list.push_back(std::move(path));
    };
    for (auto& input : inputs) {
        std::error_code ec;
        fs::path path = fs::absolute(input, ec).lexically_normal();
        fs::path().swap(input); // frees it at once (clear() keeps its memory)
        if (!fs::is_directory(path, ec)) {
            add(std::move(path));
            continue;
        }
        OVModel folder;
        folder.addURL(path, std::nullopt);
        for (std::size_t i = 0; i < folder.count(); ++i)
            if (const auto url = folder.URLAtIndex(i))
                add(url->lexically_normal());
    }
    return list;
}

OVShardInputs OVCollectShardInputs(const std::vector<fs::path>& list, const OVShardPlan& plan,
                                   const ov::UUID& presetID, bool includeOutputs,
                                   const std::function<bool(const fs::path&)>& isFinished) {
    OVShardInputs shard;
    std::vector<fs::path> pending;
    std::vector<std::size_t> pendingAt; // position in the plan of each pending entry
    for (std::size_t k = 0; k < plan.positions.size(); ++k) {
        const fs::path& source = list[plan.positions[k]];
        if (isFinished && isFinished(source)) {
            shard.finished.push_back(source);
            continue;
        }
        pending.push_back(source);
        pendingAt.push_back(k);
    }
    shard.collected = OVCollectExportInputs(pending, presetID, includeOutputs);
    std::vector<bool> accounted(pending.size());
    for (const std::size_t n : shard.collected.inputIndexes) {
        accounted[n] = true;
        shard.names.push_back(plan.names[pendingAt[n]]);
        shard.sources.push_back(pending[n]);
    }
    // An entry the image list left out without a reason names a file listed already.
    std::unordered_set<std::string> rejected;
    for (const auto& image : shard.collected.rejected)
        rejected.insert(image.source.native());
    for (std::size_t n = 0; n < pending.size(); ++n)
        if (!accounted[n] && !rejected.contains(pending[n].native()))
            shard.collected.rejected.push_back(
                {pending[n], {}, OVExportStatus::Failed, "the same file as an earlier entry", {}});
    return shard;
}
