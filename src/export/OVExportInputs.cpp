#include "inkstead/export/OVExportInputs.h"

#include "inkstead/imaging/OVImageMetadata.h"
#include "inkstead/platform/imageio/ImageSource.h"

#include <set>

namespace fs = std::filesystem;

namespace {

// A marked file is reported under the path its input gave, unless a folder walk found it.
void skipEarlierOutputs(OVExportInputs& collected, const std::vector<fs::path>& inputs) {
    OVModel& model = *collected.model;
    std::set<std::size_t> marked;
    for (std::size_t i = 0; i < model.count(); ++i)
        if (const auto url = model.URLAtIndex(i); url && OVIsMarkedOutput(*url))
            marked.insert(i);
    for (const std::size_t i : marked) {
        const fs::path& input = inputs[collected.inputIndexes[i]];
        std::error_code error;
        collected.rejected.push_back({fs::is_directory(input, error) ? *model.URLAtIndex(i) : input,
                                      {},
                                      OVExportStatus::Skipped,
                                      std::string(kOVEarlierOutputReason),
                                      {}});
    }
    model.removeObjectsAtIndexes(marked);
    for (auto it = marked.rbegin(); it != marked.rend(); ++it)
        collected.inputIndexes.erase(collected.inputIndexes.begin() +
                                     static_cast<std::ptrdiff_t>(*it));
}

} // namespace

OVExportInputs OVCollectExportInputs(const std::vector<fs::path>& inputs, const ov::UUID& presetID,
                                     bool includeOutputs) {
    OVExportInputs collected;
    for (std::size_t n = 0; n < inputs.size(); ++n) {
        const fs::path& input = inputs[n];
        std::error_code error;
        const fs::path path = fs::absolute(input, error);
        const std::size_t before = collected.model->count();
        std::vector<OVUnreadableFolder> unreadable;
        if (!error)
            collected.model->addURL(path, presetID, &unreadable);
        collected.inputIndexes.resize(collected.model->count(), n);
        for (const auto& folder : unreadable)
            collected.rejected.push_back({folder.folder,
                                          {},
                                          OVExportStatus::Failed,
                                          "cannot read the folder: " + folder.error.message(),
                                          {}});
        if (collected.model->count() > before)
            continue;
        // The reasons are looked for only for the few inputs the list leaves out, since every
        // look costs file-system operations. An image listed already is taken once, silently.
        const auto status = fs::status(path, error);
        if (error || !fs::exists(status))
            collected.rejected.push_back(
                {input, {}, OVExportStatus::Failed, "no such file or folder", {}});
        else if (fs::is_directory(status))
            collected.emptyFolders.push_back(input);
        else if (ov::ImageSource::typeOfFile(path).empty())
            collected.rejected.push_back(
                {input, {}, OVExportStatus::Failed, "not an image inkstead can read", {}});
    }
    if (!includeOutputs)
        skipEarlierOutputs(collected, inputs);
    return collected;
}
