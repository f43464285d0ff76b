#include "inkstead/export/OVExportInputs.h"

#include "inkstead/imaging/OVImageMetadata.h"
#include "inkstead/platform/imageio/ImageSource.h"

#include <set>

namespace fs = std::filesystem;

namespace {

void skipEarlierOutputs(OVExportInputs& collected) {
    OVModel& model = *collected.model;
    std::set<std::size_t> marked;
    for (std::size_t i = 0; i < model.count(); ++i)
        if (const auto url = model.URLAtIndex(i); url && OVIsMarkedOutput(*url))
            marked.insert(i);
    for (const std::size_t i : marked)
        collected.rejected.push_back({*model.URLAtIndex(i),
                                      {},
                                      OVExportStatus::Skipped,
                                      "an output of an earlier export",
                                      {}});
    model.removeObjectsAtIndexes(marked);
}

} // namespace

OVExportInputs OVCollectExportInputs(const std::vector<fs::path>& inputs, const ov::UUID& presetID,
                                     bool includeOutputs) {
    OVExportInputs collected;
    for (const auto& input : inputs) {
        std::error_code error;
        const fs::path path = fs::absolute(input, error);
        const auto status = fs::status(path, error);
        if (error || !fs::exists(status)) {
            collected.rejected.push_back(
                {input, {}, OVExportStatus::Failed, "no such file or folder", {}});
            continue;
        }
        if (!fs::is_directory(status) && ov::ImageSource::typeOfFile(path).empty()) {
            collected.rejected.push_back(
                {input, {}, OVExportStatus::Failed, "not an image inkstead can read", {}});
            continue;
        }
        const std::size_t before = collected.model->count();
        std::vector<OVUnreadableFolder> unreadable;
        collected.model->addURL(path, presetID, &unreadable);
        for (const auto& folder : unreadable)
            collected.rejected.push_back({folder.folder,
                                          {},
                                          OVExportStatus::Failed,
                                          "cannot read the folder: " + folder.error.message(),
                                          {}});
        if (fs::is_directory(status) && collected.model->count() == before)
            collected.emptyFolders.push_back(input);
    }
    if (!includeOutputs)
        skipEarlierOutputs(collected);
    return collected;
}
