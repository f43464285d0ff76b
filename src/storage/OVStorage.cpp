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

OVStorageFolder::OVStorageFolder(std::filesystem::path directory)
    : directory_(std::move(directory)) {}

std::filesystem::path OVStorageFolder::directory() const {
    return directory_.empty() ? OVStorageDirectory() : existingDirectory(directory_);
}

std::filesystem::path OVStorageFolder::presetArchivePath() const {
    std::filesystem::path storage = directory();
    if (storage.empty())
        return {};
    return storage / kOVPresetArchiveFilename;
}

std::filesystem::path OVStorageFolder::imagesDirectory() const {
    std::filesystem::path storage = directory();
    if (storage.empty())
        return {};
    return existingDirectory(storage / kOVWatermarkImagesDirectory);
}

std::filesystem::path OVStorageFolder::imageURLForFilename(std::string_view filename) const {
    std::filesystem::path images = imagesDirectory();
    if (images.empty())
        return {};
    return images / filename;
}

ov::FileLock OVStorageFolder::lock() const {
    const std::filesystem::path storage = directory();
    return ov::FileLock(storage.empty() ? storage : storage / ".presets.lock");
}

std::filesystem::path OVPresetArchivePath() {
    return OVStorageFolder().presetArchivePath();
}

ov::FileLock OVLockStorage() {
    return OVStorageFolder().lock();
}

std::filesystem::path imageCacheDestinationURL() {
    return OVStorageFolder().imagesDirectory();
}

std::filesystem::path imageCacheDestinationURLForFilename(std::string_view filename) {
    return OVStorageFolder().imageURLForFilename(filename);
}
