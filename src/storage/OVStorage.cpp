#include "storage/OVStorage.h"

#include "platform/files/StorageLocations.h"

#include <system_error>

namespace {

std::filesystem::path existingDirectory(std::filesystem::path path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        std::filesystem::create_directories(path, error); // a failure shows at first use
    return path;
}

} // namespace

std::filesystem::path OVStorageDirectory() {
    std::filesystem::path container = ov::sharedContainerDirectory();
    if (container.empty())
        return {};
    return existingDirectory(container / kOVGroupContainerSubpath);
}

std::filesystem::path OVPresetArchivePath() {
    std::filesystem::path storage = OVStorageDirectory();
    if (storage.empty())
        return {};
    return storage / kOVPresetArchiveFilename;
}

ov::FileLock OVLockStorage() {
    const std::filesystem::path storage = OVStorageDirectory();
    return ov::FileLock(storage.empty() ? storage : storage / ".presets.lock");
}

std::filesystem::path imageCacheDestinationURL() {
    std::filesystem::path container = ov::sharedContainerDirectory();
    if (container.empty())
        return {};
    return existingDirectory(container / kOVGroupContainerSubpath / kOVWatermarkImagesDirectory);
}

std::filesystem::path imageCacheDestinationURLForFilename(std::string_view filename) {
    std::filesystem::path images = imageCacheDestinationURL();
    if (images.empty())
        return {};
    return images / filename;
}
