#include "inkstead/export/OVOutputNames.h"

#include "inkstead/export/OVFilenamePattern.h"
#include "inkstead/export/OVPipelineRenderer.h"
#include "inkstead/export/OVUniqueFilename.h"
#include "inkstead/platform/imageio/ImageDestination.h"
#include "inkstead/platform/imageio/ImageSource.h"
#include "inkstead/watermarks/OVTextVariables.h"

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

// "photo.jpg" as "photo.png" when written as PNG; a name that already says the type stays.
std::string withExtensionOfType(const std::string& name, const std::string& type) {
    if (type.empty() || OVImageTypeForExtension(name) == type)
        return name;
    const std::string extension = ov::ImageDestination::filenameExtensionForType(type);
    return extension.empty() ? name : fs::path(name).replace_extension(extension).string();
}

bool taken(const OVOutputNaming& naming, const fs::path& relative,
           const std::unordered_set<std::string>& given) {
    if (given.contains(relative.native()))
        return true;
    std::error_code error;
    return naming.consultFolder && naming.conflict == OVConflictPolicy::Unique &&
           fs::exists(fs::symlink_status(naming.directory / relative, error));
}

// The values of a source for the variables of names: its metadata and its upright stored size.
OVTextVariables variablesOf(const fs::path& source, std::int64_t counter) {
    const auto image = ov::ImageSource::createWithURL(source);
    const ov::Properties properties = image ? image->properties() : ov::Properties();
    ov::Size size{properties.number(ov::kOVPropertyPixelWidth).value_or(0),
                  properties.number(ov::kOVPropertyPixelHeight).value_or(0)};
    const auto orientation = properties.integer(ov::kOVPropertyOrientation).value_or(0);
    if (orientation >= 5 && orientation <= 8)
        size = {size.height, size.width};
    return OVTextVariables::forImage(properties, source, size, counter);
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
        const auto counter = static_cast<std::int64_t>(k + 1);
        std::string wanted = filename;
        if (naming.pattern && naming.pattern->hasVariableTokens()) {
            const OVTextVariables variables = variablesOf(*source, counter);
            wanted = naming.pattern->renameWithCurrentPattern(filename, counter, &variables);
        } else if (naming.pattern) {
            wanted = naming.pattern->renameWithCurrentPattern(filename, counter);
        }
        if (k < naming.outputTypes.size())
            wanted = withExtensionOfType(wanted, naming.outputTypes[k]);
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

std::vector<fs::path> OVOutputNames(std::span<const fs::path> sources,
                                    const OVOutputNaming& naming) {
    return namesOf(
        sources.size(), [&sources](std::size_t k) { return &sources[k]; }, naming);
}
