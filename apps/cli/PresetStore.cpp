#include "PresetStore.h"

#include "inkstead/storage/OVStorage.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace fs = std::filesystem;

namespace cli {
namespace {

// The manager can sweep picture files that no preset uses a few seconds after it is made. A
// command never needs that, and a sweep while another program (the desktop app) is between
// writing a new picture and saving its presets would delete that picture, so commands make
// their manager without it.
constexpr std::nullopt_t kNoSweep = std::nullopt;

// The storage the common options name: --home's, else the one of the environment.
OVStorageFolder storageFor(const CommonOptions& common) {
    if (common.home.empty())
        return OVStorageFolder();
    std::error_code error;
    const fs::path home = fs::absolute(common.home, error);
    return OVStorageFolder::inContainer(error ? common.home : home);
}

} // namespace

struct PresetStore::Impl {
    std::optional<ov::FileLock> lock; // declared first: released after the manager's last write
    std::unique_ptr<OVPresetManager> manager;

    void openStorage(const CommonOptions& common, PresetAccess access) {
        const OVStorageFolder storage = storageFor(common);
        std::error_code error;
        if (const fs::path file = storage.presetArchivePath();
            fs::exists(file, error) && !fs::is_regular_file(file, error))
            throw usageError(file.string() + " is not a regular file",
                             "move it out of the way; the presets are kept in a regular file");
        // Reading goes on without the lock where it cannot be had (a read-only storage).
        lock.emplace(storage.lock());
        if (lock->error() && access == PresetAccess::Change)
            throw usageError("cannot lock the storage folder " + storage.directory().string() +
                                 ": " + lock->error().message(),
                             "give a writable folder with --home DIR or INKSTEAD_HOME");
        manager = std::make_unique<OVPresetManager>(
            storage.isProcessDefault() ? fs::path() : storage.directory(), kNoSweep);
        const fs::path presetsFile = manager->presetArchivePath();
        if (presetsFile.empty() || !fs::is_directory(presetsFile.parent_path(), error))
            throw usageError("cannot create the storage folder " +
                                 presetsFile.parent_path().string(),
                             "give a writable folder with --home DIR or INKSTEAD_HOME");
        if (!manager->presets())
            throw usageError("the presets in " + presetsFile.string() + " could not be read",
                             "the log line above says where the file was kept; run the command "
                             "again to start from the default preset");
        if (access == PresetAccess::Read) {
            manager->waitForPendingSaves(); // the first run's save
            lock.reset();
        }
    }

    void openFile(const CommonOptions& common) {
        const fs::path file = common.presetsFile;
        // Pictures of image watermarks live beside a storage's presets file; fall back on the
        // storage the common options name.
        std::error_code error;
        const bool beside =
            fs::is_directory(file.parent_path() / kOVWatermarkImagesDirectory, error);
        auto opened = OVPresetManager::presetsOfFile(
            file, beside ? OVStorageFolder(file.parent_path()) : storageFor(common));
        if (opened) {
            manager = std::move(opened).value();
            return;
        }
        const std::error_code code = opened.error().code;
        if (code == std::errc::no_such_file_or_directory)
            throw usageError("no presets file at " + file.string(),
                             "--presets-file takes the presets.bin of an Inkstead storage folder");
        if (code == std::errc::invalid_argument)
            throw usageError(file.string() + " is not a presets file",
                             "--presets-file takes the presets.bin of an Inkstead storage folder");
        throw usageError("cannot read " + file.string(), "check the file's permissions");
    }
};

PresetStore::PresetStore(const CommonOptions& common, PresetAccess access)
    : impl_(std::make_unique<Impl>()) {
    if (common.presetsFile.empty())
        impl_->openStorage(common, access);
    else
        impl_->openFile(common);
}

PresetStore::~PresetStore() = default;

OVPresetManager& PresetStore::manager() {
    return *impl_->manager;
}

OVPresetPtr PresetStore::find(std::string_view nameOrUUID) const {
    const auto& manager = *impl_->manager;
    if (auto preset = manager.presetWithNameOrID(nameOrUUID))
        return preset;

    std::string names;
    for (const auto& preset : manager.presets().value_or(std::vector<OVPresetPtr>{})) {
        names += names.empty() ? "" : ", ";
        names += inQuotes(preset->name());
    }
    throw usageError("no preset named " + inQuotes(nameOrUUID),
                     names.empty() ? "there are no presets; make one with "
                                     "`inkstead presets create NAME`"
                                   : "available presets: " + names);
}

OVPresetPtr PresetStore::findOrFirst(std::string_view nameOrUUID) const {
    if (!nameOrUUID.empty())
        return find(nameOrUUID);
    if (auto first = impl_->manager->firstPreset())
        return first;
    throw usageError("there are no presets", "make one with `inkstead presets create NAME`");
}

std::size_t PresetStore::indexOf(const OVPresetPtr& preset) const {
    return impl_->manager->indexOfPreset(preset).value_or(impl_->manager->count());
}

void PresetStore::save() {
    if (impl_->manager->isReadOnly())
        throw usageError("presets read with --presets-file are read-only",
                         "import them first: `inkstead presets export P FILE.json --presets-file "
                         "...` then `inkstead presets import FILE.json`");
    const auto saved = impl_->manager->savePresets().get();
    if (!saved)
        throw CliError(kExitSomeFailed, "could not save the presets: " + saved.error().message,
                       "check that the folder is writable and the disk is not full");
}

void addPresetStoreOptions(CLI::App& command, CommonOptions& common, bool withPresetsFile) {
    command.add_option("--home", common.home,
                       "Storage folder of presets and pictures (default: $INKSTEAD_HOME, else "
                       "the user's data folder)");
    if (withPresetsFile)
        command.add_option("--presets-file", common.presetsFile,
                           "Read presets from this presets file instead (read-only)");
    command.add_flag("-q,--quiet", common.quiet, "Print nothing but errors");
}

} // namespace cli
