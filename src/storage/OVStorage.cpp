#include "inkstead/storage/OVStorage.h"

#include "inkstead/platform/files/StorageLocations.h"

#include <mutex>
#include <system_error>

namespace {

std::mutex gStorageMutex;
std::filesystem::path gStorageDirectory; // chosen by the host; empty: from the environment

std::filesystem::path chosenDirectory() {
    std::lock_guard lock(gStorageMutex);
    return gStorageDirectory;
}

std::filesystem::path existingDirectory(std::filesystem::path path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        std::filesystem::create_directories(path, error); // a failure shows at first use
    return path;
}

} // namespace

void OVSetStorageDirectory(std::filesystem::path directory) {
    std::lock_guard lock(gStorageMutex);
    gStorageDirectory = std::move(directory);
}

std::filesystem::path OVStorageDirectory() {
    if (auto chosen = chosenDirectory(); !chosen.empty())
        return existingDirectory(std::move(chosen));
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
    if (auto chosen = chosenDirectory(); !chosen.empty())
        return existingDirectory(chosen / kOVWatermarkImagesDirectory);
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
