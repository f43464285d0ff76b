#include "inkstead/export/OVOutputNames.h"

#include "inkstead/export/OVFilenamePattern.h"
#include "inkstead/export/OVUniqueFilename.h"

#include <algorithm>
#include <string>
#include <system_error>
#include <unordered_set>

namespace fs = std::filesystem;

namespace {

// The subfolder of `source` below the first mirrored folder that holds it; empty when none does.
fs::path mirroredSubfolder(const fs::path& source, const std::vector<fs::path>& folders) {
    for (const auto& folder : folders) {
        std::error_code error;
        const fs::path root = fs::weakly_canonical(fs::absolute(folder, error), error);
        const fs::path file = fs::weakly_canonical(fs::absolute(source, error), error);
        const auto [end, _] = std::mismatch(root.begin(), root.end(), file.begin(), file.end());
        if (end == root.end())
            return file.parent_path().lexically_relative(root);
    }
    return {};
}

bool taken(const OVOutputNaming& naming, const fs::path& relative,
           const std::unordered_set<std::string>& given) {
    if (given.contains(relative.native()))
        return true;
    std::error_code error;
    return naming.consultFolder && naming.conflict == OVConflictPolicy::Unique &&
           fs::exists(fs::symlink_status(naming.directory / relative, error));
}

// Names `count` sources, `sourceAt(k)` giving the k-th or null when it is missing.
template <typename SourceAt>
std::vector<fs::path> namesOf(std::size_t count, SourceAt sourceAt, const OVOutputNaming& naming) {
    std::vector<fs::path> names(count);
    std::unordered_set<std::string> given;
    given.reserve(count);
    for (std::size_t k = 0; k < count; ++k) {
        const fs::path* source = sourceAt(k);
        if (!source)
            continue;
        const std::string filename = source->filename().string();
        const std::string wanted =
            naming.pattern ? naming.pattern->renameWithCurrentPattern(filename, std::int64_t(k + 1))
                           : filename;
        fs::path folder = mirroredSubfolder(*source, naming.mirroredFolders);
        if (folder == ".")
            folder.clear();
        fs::path name = folder / wanted;
        for (unsigned long n = 1; taken(naming, name, given); ++n)
            name = folder / OVWatermarkedFilename(wanted, n);
        given.insert(name.native());
        names[k] = std::move(name);
    }
    return names;
}

} // namespace

std::vector<fs::path> OVOutputNames(const std::vector<std::optional<fs::path>>& sources,
                                    const OVOutputNaming& naming) {
    return namesOf(
        sources.size(), [&sources](std::size_t k) { return sources[k] ? &*sources[k] : nullptr; },
        naming);
}

std::vector<fs::path> OVOutputNames(const std::vector<fs::path>& sources,
                                    const OVOutputNaming& naming) {
    return namesOf(
        sources.size(), [&sources](std::size_t k) { return &sources[k]; }, naming);
}
