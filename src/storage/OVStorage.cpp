#include "inkstead/storage/OVStorage.h"

#include "inkstead/platform/files/StorageLocations.h"

#include <system_error>

namespace {

// The process's storage directory, neither created nor checked; empty without a container.
std::filesystem::path processDirectory() {
    std::filesystem::path container = ov::sharedContainerDirectory();
    return container.empty() ? container : container / kOVGroupContainerSubpath;
}

std::filesystem::path existingDirectory(std::filesystem::path path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        std::filesystem::create_directories(path, error); // a failure shows at first use
    return path;
}

} // namespace

std::filesystem::path OVStorageDirectory() {
    std::filesystem::path directory = processDirectory();
    return directory.empty() ? directory : existingDirectory(std::move(directory));
}

OVStorageFolder::OVStorageFolder(std::filesystem::path directory)
    : directory_(std::move(directory)) {}

OVStorageFolder OVStorageFolder::inContainer(const std::filesystem::path& container) {
    return OVStorageFolder(container / kOVGroupContainerSubpath);
}

OVStorageFolder OVStorageFolder::readOnly() const {
    OVStorageFolder folder(directory_.empty() ? processDirectory() : directory_);
    folder.readOnly_ = true;
    return folder;
}

std::filesystem::path OVStorageFolder::directory() const {
    if (readOnly_)
        return directory_;
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
    if (readOnly_)
        return storage / kOVWatermarkImagesDirectory;
    return existingDirectory(storage / kOVWatermarkImagesDirectory);
}

std::filesystem::path OVStorageFolder::imageURLForFilename(std::string_view filename) const {
    std::filesystem::path images = imagesDirectory();
    if (images.empty())
        return {};
    return images / filename;
}

ov::FileLock OVStorageFolder::lock() const {
    const std::filesystem::path storage = readOnly_ ? std::filesystem::path() : directory();
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
