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

// Why a file of this share that the image list did not take cannot be exported.
std::string rejection(const fs::path& path) {
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (ec || !fs::exists(status))
        return "no such file or folder";
    if (!fs::is_regular_file(status) || ov::ImageSource::typeOfFile(path).empty())
        return "not an image inkstead can read";
    return "the same file as an earlier entry";
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
    const auto presetID = job.preset->uuid();
    for (std::size_t k = 0; k < plan.positions.size(); ++k) {
        const fs::path& source = list[plan.positions[k]];
        if (manifest && manifest->isFinished(source.string())) {
            ++inputs.finishedBefore;
            continue;
        }
        // The list's own checks (exists, is an image) run first; the reasons are looked for
        // only for the few files it leaves out, since every look costs file-system operations.
        const std::size_t before = inputs.model->count();
        inputs.model->addURL(source, presetID);
        if (inputs.model->count() == before) {
            inputs.rejected.push_back({source, {}, ImageStatus::Failed, rejection(source), {}});
            continue;
        }
        if (!job.includeOutputs && OVIsMarkedOutput(source)) {
            inputs.model->removeObjectAtIndex(before);
            inputs.rejected.push_back({source,
                                       {},
                                       ImageStatus::Skipped,
                                       "an output of an earlier export (--include-outputs stamps "
                                       "it again)",
                                       {}});
            continue;
        }
        inputs.names.push_back(plan.names[k]);
        inputs.sources.push_back(source);
    }
    return inputs;
}

} // namespace cli
