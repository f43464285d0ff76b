#include "inkstead/export/OVOutputNames.h"

#include "inkstead/export/OVFilenamePattern.h"
#include "inkstead/export/OVUniqueFilename.h"

#include <algorithm>
#include <set>
#include <system_error>

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
           const std::set<fs::path>& given) {
    if (given.contains(relative))
        return true;
    std::error_code error;
    return naming.consultFolder && naming.conflict == OVConflictPolicy::Unique &&
           fs::exists(fs::symlink_status(naming.directory / relative, error));
}

} // namespace

std::vector<fs::path> OVOutputNames(const std::vector<std::optional<fs::path>>& sources,
                                    const OVOutputNaming& naming) {
    std::vector<fs::path> names(sources.size());
    std::set<fs::path> given;
    for (std::size_t k = 0; k < sources.size(); ++k) {
        if (!sources[k])
            continue;
        const std::string filename = sources[k]->filename().string();
        const std::string wanted =
            naming.pattern ? naming.pattern->renameWithCurrentPattern(filename, std::int64_t(k + 1))
                           : filename;
        fs::path folder = mirroredSubfolder(*sources[k], naming.mirroredFolders);
        if (folder == ".")
            folder.clear();
        fs::path name = folder / wanted;
        for (unsigned long n = 1; taken(naming, name, given); ++n)
            name = folder / OVWatermarkedFilename(wanted, n);
        given.insert(name);
        names[k] = name;
    }
    return names;
}
