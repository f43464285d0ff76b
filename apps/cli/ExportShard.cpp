#include "ExportShard.h"

#include "inkstead/export/OVExportManifest.h"
#include "inkstead/imaging/OVImageMetadata.h"
#include "inkstead/model/OVModel.h"
#include "inkstead/platform/imageio/ImageSource.h"

#include <unordered_set>

namespace fs = std::filesystem;

namespace cli {
namespace {

// Every task reads the same list, so this must not depend on what other tasks have written: a
// file is taken as it is named, and only a folder is looked into.
std::vector<fs::path> wholeList(const ExportJob& job) {
    std::vector<fs::path> list;
    std::unordered_set<std::string> seen;
    const auto add = [&](const fs::path& path) {
        if (seen.insert(path.string()).second)
            list.push_back(path);
    };
    for (const auto& input : job.inputs) {
        std::error_code ec;
        const fs::path path = fs::absolute(input, ec).lexically_normal();
        if (!fs::is_directory(path, ec)) {
            add(path);
            continue;
        }
        OVModel folder;
        folder.addURL(path, job.preset->uuid());
        for (std::size_t i = 0; i < folder.count(); ++i)
            if (const auto url = folder.URLAtIndex(i))
                add(url->lexically_normal());
    }
    return list;
}

// Why a file of this share cannot be exported; empty when it can.
std::string rejection(const fs::path& path) {
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (ec || !fs::exists(status))
        return "no such file or folder";
    if (!fs::is_regular_file(status) || ov::ImageSource::typeOfFile(path).empty())
        return "not an image inkstead can read";
    return {};
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

ShardInputs collectShard(const ExportJob& job, const OVExportManifest* manifest) {
    ShardInputs inputs;
    const std::vector<fs::path> list = wholeList(job);
    inputs.listed = list.size();
    const OVShardPlan plan = OVPlanShard(list,
                                         {job.outputFolder, job.pattern, mirroredFolders(job),
                                          job.conflict, false, outputTypesFor(job, list.size())},
                                         job.shard.value_or(OVShard{}));
    inputs.share = plan.positions.size();
    const auto presetID = job.preset->uuid();
    for (std::size_t k = 0; k < plan.positions.size(); ++k) {
        const fs::path& source = list[plan.positions[k]];
        if (manifest && manifest->isFinished(source.string())) {
            ++inputs.finishedBefore;
            continue;
        }
        if (const std::string why = rejection(source); !why.empty()) {
            inputs.rejected.push_back({source, {}, ImageStatus::Failed, why, {}});
            continue;
        }
        if (!job.includeOutputs && OVIsMarkedOutput(source)) {
            inputs.rejected.push_back({source,
                                       {},
                                       ImageStatus::Skipped,
                                       "an output of an earlier export (--include-outputs stamps "
                                       "it again)",
                                       {}});
            continue;
        }
        const std::size_t before = inputs.model->count();
        inputs.model->addURL(source, presetID);
        if (inputs.model->count() == before) {
            inputs.rejected.push_back(
                {source, {}, ImageStatus::Failed, "the same file as an earlier entry", {}});
            continue;
        }
        inputs.names.push_back(plan.names[k]);
    }
    return inputs;
}

} // namespace cli
