#include "inkstead/presets/OVPresetManager.h"

#include "inkstead/platform/archive/KeyedArchiver.h"
#include "inkstead/platform/archive/KeyedUnarchiver.h"
#include "inkstead/platform/dispatch/Dispatch.h"
#include "inkstead/platform/files/AtomicFile.h"
#include "inkstead/platform/files/FileContents.h"
#include "inkstead/platform/log/Log.h"
#include "inkstead/watermarks/OVImageWatermark.h"

#include <algorithm>
#include <condition_variable>
#include <ctime>
#include <fstream>
#include <iterator>
#include <mutex>
#include <set>

namespace fs = std::filesystem;

namespace {

// Writes archived snapshots of the list one after another on a background queue. A snapshot
// submitted while a write runs replaces any snapshot still waiting, so bursts of saves cost one
// or two writes and the file always ends with the latest list.
class PresetFileWriter : public std::enable_shared_from_this<PresetFileWriter> {
public:
    using Outcome = std::shared_future<ov::Result<void>>;

    Outcome submit(fs::path path, std::vector<std::uint8_t> bytes) {
        std::promise<ov::Result<void>> promise;
        Outcome outcome = promise.get_future().share();
        {
            std::lock_guard lock(mutex_);
            // A waiting snapshot is replaced; its callers learn the outcome of the newer one.
            std::vector<std::promise<ov::Result<void>>> waiting;
            if (pending_)
                waiting = std::move(pending_->promises);
            waiting.push_back(std::move(promise));
            pending_ = Snapshot{std::move(path), std::move(bytes), std::move(waiting)};
            if (running_)
                return outcome;
            running_ = true;
        }
        ov::dispatch::async(ov::dispatch::globalQueue(),
                            [self = shared_from_this()] { self->drain(); });
        return outcome;
    }

    void wait() {
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [this] { return !running_; });
    }

private:
    struct Snapshot {
        fs::path path;
        std::vector<std::uint8_t> bytes;
        std::vector<std::promise<ov::Result<void>>> promises;
    };

    void drain() {
        for (;;) {
            Snapshot snapshot;
            {
                std::lock_guard lock(mutex_);
                if (!pending_) {
                    running_ = false;
                    idle_.notify_all();
                    return;
                }
                snapshot = std::move(*pending_);
                pending_.reset();
            }
            // Through a symbolic link in the presets file's place, which stays.
            auto written = ov::writeFileAtomically(ov::linkTarget(snapshot.path), snapshot.bytes,
                                                   ov::FileWriteMode::ReplaceExisting);
            ov::Result<void> result;
            if (!written) {
                const std::string message = "Presets could not be saved to " +
                                            snapshot.path.string() + ": " +
                                            written.error().code.message();
                ov::log(message);
                result = ov::Error{written.error().code, message};
            }
            for (auto& promise : snapshot.promises)
                promise.set_value(result);
        }
    }

    std::mutex mutex_;
    std::condition_variable idle_;
    std::optional<Snapshot> pending_;
    bool running_ = false;
};

PresetFileWriter::Outcome failedSave(std::errc code, std::string message) {
    std::promise<ov::Result<void>> promise;
    promise.set_value(ov::makeError(code, std::move(message)));
    return promise.get_future().share();
}

std::string timestamp() {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc);
    return text;
}

// A free name beside `path` of the form "<name>.<label>-<timestamp>[-n]".
fs::path asideName(const fs::path& path, std::string_view label) {
    std::string base = path.filename().string() + "." + std::string(label) + "-" + timestamp();
    fs::path candidate = path.parent_path() / base;
    std::error_code error;
    for (int n = 1; fs::exists(candidate, error) && n < 1000; ++n)
        candidate = path.parent_path() / (base + "-" + std::to_string(n));
    return candidate;
}

constexpr std::string_view kCorruptLabel = "corrupt";
constexpr std::string_view kDamagedLabel = "damaged";

bool isKeptAside(const fs::path& presetsFile, const fs::path& candidate) {
    const std::string name = candidate.filename().string();
    const std::string base = presetsFile.filename().string() + ".";
    return name.starts_with(base + std::string(kCorruptLabel) + "-") ||
           name.starts_with(base + std::string(kDamagedLabel) + "-");
}

// A copy kept aside earlier that holds exactly `bytes`; empty when there is none.
fs::path keptCopyOf(const fs::path& presetsFile, const std::vector<std::uint8_t>& bytes) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(presetsFile.parent_path(), error)) {
        if (!isKeptAside(presetsFile, entry.path()))
            continue;
        if (const auto kept = ov::readFileContents(entry.path()); kept && *kept == bytes)
            return entry.path();
    }
    return {};
}

bool anyKeptAside(const fs::path& presetsFile) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(presetsFile.parent_path(), error))
        if (isKeptAside(presetsFile, entry.path()))
            return true;
    return false;
}

// An image watermark is found again by its identifier (its picture is named after it) and by
// its type; without either its picture would look unused.
bool hasReadableImageMarks(const OVPresetPtr& preset) {
    if (!preset)
        return false;
    for (const auto& mark : preset->watermarks()) {
        const bool imageType = mark->type() == OVWatermarkTypeImage;
        const bool imageKind = dynamic_cast<const OVImageWatermark*>(mark.get()) != nullptr;
        if ((imageType && mark->uuid().isNil()) || (imageKind && !imageType))
            return false;
    }
    return true;
}

using PictureList = std::function<std::vector<fs::path>()>;

void attachToStorage(const std::vector<OVPresetPtr>& list, const OVStorageFolder& storage) {
    for (const auto& preset : list)
        if (preset)
            for (const auto& mark : preset->watermarks())
                mark->attachToStorage(storage);
}

} // namespace

struct OVPresetManager::State {
    OVStorageFolder storage;
    fs::path readFile; // the file a read-only manager read its list from
    mutable std::mutex mutex; // guards `presets` for the atomic getter and setter
    std::optional<std::vector<OVPresetPtr>> presets;
    std::chrono::nanoseconds sweepDelay{};
    std::shared_ptr<PresetFileWriter> writer = std::make_shared<PresetFileWriter>();
    // Set when a presets file exists that could not even be read: it must not be replaced.
    bool savesBlocked = false;
    // Whether the list holds everything the presets file held; the sweep needs that.
    bool loadedCompletely = false;
    PresetsObserver observer;

    std::mutex sweepMutex; // guards the three fields below
    int sweepHolds = 0;
    bool sweepPending = false;
    std::vector<std::weak_ptr<const PictureList>> pictureReferences;

    void sweep(const OVPresetManager& manager);
    void releaseSweepHold(std::weak_ptr<State> weak, const OVPresetManager* manager);
};

OVPresetManager::OVPresetManager(std::optional<std::chrono::nanoseconds> sweepDelay)
    : OVPresetManager(std::filesystem::path(), sweepDelay) {}

OVPresetManager::OVPresetManager(std::filesystem::path storageDirectory,
                                 std::optional<std::chrono::nanoseconds> sweepDelay)
    : d(std::make_shared<State>()) {
    d->storage = OVStorageFolder(std::move(storageDirectory));
    setPresets(initializePresets());
    if (sweepDelay) {
        d->sweepDelay = *sweepDelay;
        cleanupOrphanedPresetAssets();
    }
}

OVPresetManager::OVPresetManager(std::shared_ptr<State> state) : d(std::move(state)) {}

ov::Result<std::unique_ptr<OVPresetManager>>
OVPresetManager::presetsOfFile(const fs::path& file, const OVStorageFolder& pictures) {
    std::error_code error;
    if (!fs::is_regular_file(file, error))
        return ov::makeError(std::errc::no_such_file_or_directory,
                             "no presets file at " + file.string());
    auto bytes = ov::readFileContents(file);
    if (!bytes)
        return bytes.error();
    auto list = ov::KeyedUnarchiver::unarchivedRootArrayOfClass<OVPreset>(bytes.value());
    if (!list)
        return ov::makeError(std::errc::invalid_argument, file.string() + " is not a presets file");
    auto state = std::make_shared<State>();
    state->storage = pictures.readOnly();
    state->readFile = file;
    std::unique_ptr<OVPresetManager> manager(new OVPresetManager(std::move(state)));
    manager->setPresets(std::move(list));
    return manager;
}

bool OVPresetManager::isReadOnly() const {
    return d->storage.isReadOnly();
}

OVPresetManager::~OVPresetManager() {
    waitForPendingSaves();
}

std::optional<std::vector<OVPresetPtr>> OVPresetManager::presets() const {
    std::lock_guard lock(d->mutex);
    return d->presets;
}

void OVPresetManager::setPresets(std::optional<std::vector<OVPresetPtr>> presets) {
    if (presets)
        attachToStorage(*presets, d->storage);
    std::lock_guard lock(d->mutex);
    d->presets = std::move(presets);
}

std::filesystem::path OVPresetManager::presetArchivePath() const {
    if (!d->readFile.empty())
        return d->readFile;
    return d->storage.presetArchivePath();
}

const OVStorageFolder& OVPresetManager::storage() const {
    return d->storage;
}

std::optional<std::vector<OVPresetPtr>> OVPresetManager::initializePresets() {
    const fs::path path = presetArchivePath();
    std::error_code error;
    if (path.empty() || !fs::exists(path, error)) {
        // First run: the default preset, saved at once so the file exists from now on.
        std::vector<OVPresetPtr> list{OVPreset::defaultPresetTemplate()};
        d->loadedCompletely = true;
        setPresets(list);
        savePresets();
        return list;
    }

    auto bytes = ov::readFileContents(path);
    if (!bytes) {
        const std::error_code readError = bytes.error().code;
        d->savesBlocked = true;
        ov::log("Presets file " + path.string() + " could not be read (" +
                (readError == std::errc::invalid_argument ? std::string("not a regular file")
                                                          : readError.message()) +
                "); it is left untouched");
        return std::nullopt;
    }
    ov::KeyedUnarchiver coder(*bytes);
    auto list = coder.decodeArrayOfObjectsOfClass<OVPreset>("root");
    if (!list) {
        // Nothing usable: move the file aside so no later save destroys what it holds.
        fs::path aside = asideName(path, kCorruptLabel);
        if (auto moved = ov::moveFileExclusively(path, aside); !moved) {
            d->savesBlocked = true;
            ov::log("Presets file " + path.string() + " could not be decoded (" +
                    coder.firstError() + ") nor moved aside: " + moved.error().code.message());
        } else {
            ov::log("Presets file " + path.string() + " could not be decoded (" +
                    coder.firstError() + "); kept it as " + aside.string());
        }
        return std::nullopt;
    }
    if (!coder.firstError().empty()) {
        // Partly readable: keep a copy of the original before a save drops the unreadable part,
        // once: the next load of the same file finds that copy.
        fs::path aside = keptCopyOf(path, *bytes);
        if (aside.empty()) {
            aside = asideName(path, kDamagedLabel);
            fs::copy_file(path, aside, fs::copy_options::none, error);
        }
        ov::log("Presets file " + path.string() + " was partly unreadable (" + coder.firstError() +
                "); a copy is kept as " + aside.string());
        attachToStorage(*list, d->storage);
        return list;
    }
    attachToStorage(*list, d->storage);
    d->loadedCompletely = std::all_of(list->begin(), list->end(), hasReadableImageMarks);
    return list;
}

std::shared_future<ov::Result<void>> OVPresetManager::savePresets() {
    auto list = presets();
    if (!list)
        return failedSave(std::errc::no_message, "there is no list of presets to save");
    const fs::path path = presetArchivePath();
    if (isReadOnly())
        return failedSave(std::errc::read_only_file_system,
                          "the presets read from " + path.string() + " are read-only");
    if (d->savesBlocked)
        return failedSave(std::errc::permission_denied,
                          "the presets file " + path.string() +
                              " could not be read; it is kept untouched");
    if (path.empty())
        return failedSave(std::errc::no_such_file_or_directory, "there is no storage folder");
    // Watermarks added to listed presets since the last save get their pictures here.
    attachToStorage(*list, d->storage);
    // Archived here, on the caller's thread, so the file gets a consistent snapshot even if the
    // list or its presets change while the write runs.
    auto bytes = ov::KeyedArchiver::archivedDataWithRootArray({list->begin(), list->end()});
    return d->writer->submit(path, std::move(bytes));
}

void OVPresetManager::waitForPendingSaves() const {
    d->writer->wait();
}

OVPresetPtr OVPresetManager::presetAtIndex(std::ptrdiff_t index) const {
    auto list = presets();
    if (!list || index < 0 || static_cast<std::size_t>(index) >= list->size())
        return nullptr;
    return (*list)[static_cast<std::size_t>(index)];
}

OVPresetPtr OVPresetManager::presetWithID(const ov::UUID& uuid) const {
    auto list = presets();
    if (!list)
        return nullptr;
    auto it = std::find_if(list->begin(), list->end(),
                           [&](const OVPresetPtr& p) { return p && p->uuid() == uuid; });
    return it == list->end() ? nullptr : *it;
}

OVPresetPtr OVPresetManager::presetWithName(std::string_view name) const {
    auto list = presets();
    if (!list)
        return nullptr;
    auto it = std::find_if(list->begin(), list->end(),
                           [&](const OVPresetPtr& p) { return p && p->name() == name; });
    return it == list->end() ? nullptr : *it;
}

OVPresetPtr OVPresetManager::presetWithNameOrID(std::string_view nameOrID) const {
    if (const auto uuid = ov::UUID::fromString(nameOrID))
        if (auto preset = presetWithID(*uuid))
            return preset;
    return presetWithName(nameOrID);
}

std::optional<std::size_t> OVPresetManager::indexOfPreset(const OVPresetPtr& preset) const {
    const auto list = presets().value_or(std::vector<OVPresetPtr>{});
    const auto it = std::find(list.begin(), list.end(), preset);
    if (!preset || it == list.end())
        return std::nullopt;
    return static_cast<std::size_t>(it - list.begin());
}

std::string OVPresetManager::freePresetName(const std::string& name) const {
    if (!presetWithName(name))
        return name;
    for (int n = 2;; ++n)
        if (std::string candidate = name + " " + std::to_string(n); !presetWithName(candidate))
            return candidate;
}

std::size_t OVPresetManager::count() const {
    std::lock_guard lock(d->mutex);
    return d->presets ? d->presets->size() : 0;
}

std::optional<std::vector<OVPresetPtr>> OVPresetManager::allPresets() const {
    return presets();
}

OVPresetPtr OVPresetManager::firstPreset() const {
    return presetAtIndex(0);
}

void OVPresetManager::setPresetsObserver(PresetsObserver observer) {
    d->observer = std::move(observer);
}

void OVPresetManager::insertObject(const OVPresetPtr& preset, std::size_t index) {
    {
        std::lock_guard lock(d->mutex);
        if (!preset || !d->presets || index > d->presets->size())
            return;
        d->presets->insert(d->presets->begin() + static_cast<std::ptrdiff_t>(index), preset);
    }
    if (d->observer)
        d->observer(PresetsChange::Insertion, index);
    savePresets();
}

void OVPresetManager::removeObjectFromPresetsAtIndex(std::size_t index) {
    {
        std::lock_guard lock(d->mutex);
        if (!d->presets || index >= d->presets->size())
            return;
        d->presets->erase(d->presets->begin() + static_cast<std::ptrdiff_t>(index));
    }
    if (d->observer)
        d->observer(PresetsChange::Removal, index);
    savePresets();
}

std::vector<std::filesystem::path> OVPresetManager::validPresetAssets() const {
    std::vector<fs::path> paths;
    auto list = presets();
    if (!list)
        return paths;
    for (const auto& preset : *list)
        if (preset)
            for (const auto& id : preset->allWatermarkIDs())
                paths.push_back(d->storage.imageURLForFilename(id + ".png"));
    return paths;
}

std::vector<std::filesystem::path> OVPresetManager::expiringPresetAssets() const {
    std::vector<fs::path> paths;
    const fs::path images = d->storage.imagesDirectory();
    if (images.empty())
        return paths;
    // Folder by folder, so that an entry or a folder that cannot be read is logged and the
    // listing goes on with the rest.
    std::vector<fs::path> folders{images};
    while (!folders.empty()) {
        const fs::path folder = std::move(folders.back());
        folders.pop_back();
        std::error_code error;
        fs::directory_iterator it(folder, error);
        for (; !error && it != fs::directory_iterator(); it.increment(error)) {
            const fs::path& path = it->path();
            if (path.filename().string().starts_with('.'))
                continue; // hidden items, and anything inside them, stay
            paths.push_back(path);
            std::error_code typeError;
            if (it->is_directory(typeError) && !it->is_symlink(typeError))
                folders.push_back(path);
        }
        if (error)
            ov::log("expiringPresetAssets " + error.message());
    }
    return paths;
}

void OVPresetManager::State::sweep(const OVPresetManager& manager) {
    {
        std::lock_guard lock(sweepMutex);
        if (sweepHolds > 0) {
            sweepPending = true; // runs when the last hold goes
            return;
        }
        sweepPending = false;
    }
    // Pictures that only the part of the list that did not load uses, or that a presets file
    // kept aside uses, look unused: nothing goes while either may exist.
    if (!loadedCompletely || anyKeptAside(manager.presetArchivePath()))
        return;
    std::set<std::string> keep;
    std::error_code error;
    for (const auto& path : manager.validPresetAssets())
        if (fs::exists(path, error))
            keep.insert(path.string());
    std::vector<std::shared_ptr<const PictureList>> references;
    {
        std::lock_guard lock(sweepMutex);
        std::erase_if(pictureReferences, [](const auto& weak) { return weak.expired(); });
        for (const auto& weak : pictureReferences)
            if (auto live = weak.lock())
                references.push_back(std::move(live));
    }
    for (const auto& pictures : references)
        for (const auto& path : (*pictures)())
            keep.insert(path.string());
    for (const auto& path : manager.expiringPresetAssets())
        if (!keep.contains(path.string()))
            fs::remove_all(path, error);
}

void OVPresetManager::State::releaseSweepHold(std::weak_ptr<State> weak,
                                              const OVPresetManager* manager) {
    std::lock_guard lock(sweepMutex);
    if (--sweepHolds > 0 || !sweepPending)
        return;
    ov::dispatch::async(ov::dispatch::mainQueue(), [weak = std::move(weak), manager] {
        if (auto alive = weak.lock())
            alive->sweep(*manager);
    });
}

void OVPresetManager::cleanupOrphanedPresetAssets() {
    if (isReadOnly())
        return;
    std::weak_ptr<State> weak = d;
    ov::dispatch::asyncAfter(
        ov::dispatch::mainQueue(),
        std::chrono::duration_cast<ov::dispatch::Clock::duration>(d->sweepDelay), [this, weak] {
            // The manager may be gone by the time the sweep runs.
            if (auto alive = weak.lock())
                alive->sweep(*this);
        });
}

std::shared_ptr<void> OVPresetManager::holdSweeps() {
    {
        std::lock_guard lock(d->sweepMutex);
        ++d->sweepHolds;
    }
    std::weak_ptr<State> weak = d;
    return std::shared_ptr<void>(nullptr, [weak, this](void*) {
        if (auto alive = weak.lock())
            alive->releaseSweepHold(weak, this);
    });
}

std::shared_ptr<void> OVPresetManager::addPictureReferences(
    std::function<std::vector<std::filesystem::path>()> pictures) {
    auto reference = std::make_shared<PictureList>(std::move(pictures));
    std::lock_guard lock(d->sweepMutex);
    d->pictureReferences.push_back(reference);
    return reference;
}
