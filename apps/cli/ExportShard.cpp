#include "ExportShard.h"

#include "inkstead/export/OVExportManifest.h"

namespace fs = std::filesystem;

namespace cli {

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
    OVOutputNaming naming{job.outputFolder, job.pattern, mirroredFolders(job), job.conflict};
    const std::vector<fs::path> list = OVWholeList(std::move(job.inputs));
    job.inputs.clear();
    naming.outputTypes = outputTypesFor(job, list.size());
    const OVShardPlan plan = OVPlanShard(list, std::move(naming), job.shard.value_or(OVShard{}));
    const auto finished = [manifest](const fs::path& source) {
        return manifest && manifest->isFinished(source.string());
    };
    return {OVCollectShardInputs(list, plan, job.preset->uuid(), job.includeOutputs, finished),
            list.size(), plan.positions.size()};
}

} // namespace cli
