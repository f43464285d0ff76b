#include "ExportShard.h"

#include "inkstead/export/OVExportInputs.h"
#include "inkstead/export/OVExportManifest.h"
#include "inkstead/model/OVModel.h"

#include <unordered_set>

namespace fs = std::filesystem;

namespace cli {
namespace {

// Every task reads the same list, so this must not depend on what other tasks have written: a
// file is taken as it is named, and only a folder is looked into.
// The inputs are taken over, so that a list of a million paths is held once.
std::vector<fs::path> wholeList(std::vector<fs::path> inputs, const ov::UUID& presetID) {
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
        folder.addURL(path, presetID);
        for (std::size_t i = 0; i < folder.count(); ++i)
            if (const auto url = folder.URLAtIndex(i))
                add(url->lexically_normal());
    }
    return list;
}

} // namespace

std::vector<fs::path> mirroredFolders(const ExportJob& job) {
    std::vector<fs::path> folders;
    if (!job.mirror)
        return folders;
    for (const auto& input : job.inputs) {
        std::error_code ec;
        if (fs::is_directory(input, ec))
            folders.push_back(fs::absolute(input, ec));
    }
    return folders;
}

ShardInputs collectShard(ExportJob& job, const OVExportManifest* manifest) {
    ShardInputs inputs;
    OVOutputNaming naming{job.outputFolder, job.pattern, mirroredFolders(job), job.conflict};
    const std::vector<fs::path> list = wholeList(std::move(job.inputs), job.preset->uuid());
    job.inputs.clear();
    inputs.listed = list.size();
    naming.outputTypes = outputTypesFor(job, list.size());
    const OVShardPlan plan = OVPlanShard(list, std::move(naming), job.shard.value_or(OVShard{}));
    inputs.share = plan.positions.size();
    std::vector<fs::path> pending;
    std::vector<ImageOutcome> done;
    std::vector<std::size_t> pendingAt; // position in the share of each pending entry
    for (std::size_t k = 0; k < plan.positions.size(); ++k) {
        const fs::path& source = list[plan.positions[k]];
        if (manifest && manifest->isFinished(source.string())) {
            ++inputs.finishedBefore;
            if (job.dryRun) // a plan shows them; a run just leaves them out
                done.push_back({source, {}, ImageStatus::Skipped, "done by an earlier run", {}});
            continue;
        }
        pending.push_back(source);
        pendingAt.push_back(k);
    }
    OVExportInputs collected =
        OVCollectExportInputs(pending, job.preset->uuid(), job.includeOutputs);
    std::vector<bool> accounted(pending.size());
    for (const std::size_t n : collected.inputIndexes) {
        accounted[n] = true;
        inputs.names.push_back(plan.names[pendingAt[n]]);
        inputs.sources.push_back(pending[n]);
    }
    // Every entry gets an outcome, for the manifest: an entry left out without a reason names a
    // file that an earlier entry lists under another path.
    std::unordered_set<std::string> rejected;
    for (const auto& image : collected.rejected)
        rejected.insert(image.source.native());
    for (std::size_t n = 0; n < pending.size(); ++n)
        if (!accounted[n] && !rejected.contains(pending[n].native()))
            collected.rejected.push_back(
                {pending[n], {}, ImageStatus::Failed, "the same file as an earlier entry", {}});
    inputs.model = std::move(collected.model);
    inputs.rejected = std::move(collected.rejected);
    inputs.rejected.insert(inputs.rejected.end(), done.begin(), done.end());
    return inputs;
}

} // namespace cli
