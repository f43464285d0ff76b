#include "inkstead/export/OVSaveManager.h"

#include "inkstead/export/OVFilenamePattern.h"
#include "inkstead/export/OVOutputNames.h"
#include "inkstead/export/OVPipelineRenderer.h"
#include "inkstead/export/OVSaveImageList.h"
#include "inkstead/export/OVSaveProgress.h"
#include "inkstead/export/OVUniqueFilename.h"
#include "inkstead/imaging/OVWatermarkedImage.h"
#include "inkstead/platform/dispatch/Dispatch.h"
#include "inkstead/platform/files/AtomicFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <new>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
// Set while a thread runs an item of a batch: a manager released there (by a completion handler
// that held the last reference) must not wait for the batch it runs in.
thread_local bool onBatchThread = false;

struct BatchThread {
    BatchThread() : previous(onBatchThread) { onBatchThread = true; }
    ~BatchThread() { onBatchThread = previous; }
    bool previous;
};
} // namespace

struct OVSaveManager::Impl {
    mutable std::mutex mutex; // guards the settings below
    fs::path url;
    std::shared_ptr<OVFilenamePattern> pattern;
    std::weak_ptr<OVSaveImageList> model;
    std::shared_ptr<OVSaveImageRenderer> renderer;
    std::shared_ptr<OVSaveProgressPresenter> presenter;
    std::size_t width = ov::dispatch::processorCount();
    std::vector<fs::path> mirroredFolders;
    OVConflictPolicy conflict = OVConflictPolicy::Unique;
    std::weak_ptr<OVPresetManager> presetManager;
    std::weak_ptr<Batch> current; // the batch started last
    Executor executor;
    ImageHandler imageHandler;
    std::shared_ptr<OVSaveProgress> progress;

    std::mutex namingMutex;  // a pattern is used by one batch at a time
    std::mutex inlineMutex;  // serialises main-queue work when no executor is set
    std::mutex runningMutex; // guards `running`
    std::condition_variable runningChanged;
    std::size_t running = 0;
};

struct OVSaveManager::Batch {
    std::shared_ptr<Impl> impl;
    OVHostWindow* window = nullptr;
    std::vector<std::size_t> indexes;
    std::shared_ptr<OVSaveImageList> model;
    std::shared_ptr<OVSaveImageRenderer> renderer;
    std::shared_ptr<OVSaveProgressPresenter> presenter;
    std::shared_ptr<OVFilenamePattern> pattern;
    fs::path directory;
    std::size_t width = 1;
    Executor executor;
    ImageHandler imageHandler;
    std::shared_ptr<OVSaveProgress> progress;
    CompletionHandler completion;

    std::vector<fs::path> mirroredFolders;
    OVConflictPolicy conflict = OVConflictPolicy::Unique;
    std::optional<std::vector<fs::path>> given; // output names by model index, from the caller
    ov::dispatch::QueuePtr queue;
    ov::dispatch::Group group;
    // Output path per position in `indexes`, relative to `directory`; empty: no file.
    std::vector<fs::path> names;
    std::atomic<bool> sheetEnded{false};
    std::mutex reportMutex;
    // Counting an image and posting the count happen together, so the posted counts arrive in
    // order and each names its own image.
    std::mutex progressMutex;
    OVSaveReport report;

    void onMain(std::function<void()> work) {
        if (executor) {
            executor(std::move(work));
            return;
        }
        std::lock_guard lock(impl->inlineMutex);
        work();
    }

    void endSheetOnce() {
        if (!presenter || sheetEnded.exchange(true))
            return;
        onMain([p = presenter, w = window] { p->endSheet(w); });
    }

    void updateProgressLabelWithString(std::string text) {
        if (presenter)
            onMain([p = presenter, text = std::move(text)] { p->setFileLabel(text); });
    }

    void updateProgressIndicator() {
        if (!presenter)
            return;
        const auto total = static_cast<unsigned long>(progress->totalUnitCount());
        const double fraction = progress->fractionCompleted();
        char count[64];
        std::snprintf(count, sizeof count, "%0.0f of %lu", static_cast<double>(total) * fraction,
                      total);
        onMain([p = presenter, label = std::string(count), fraction] {
            p->setCountLabel(label);
            p->setProgressValue(fraction);
        });
    }

    void makeNames();
    /// The type each image is written in, by position, for its name's extension.
    [[nodiscard]] std::vector<std::string> outputTypes() const {
        std::vector<std::string> types;
        for (const std::size_t index : indexes)
            types.push_back(renderer && index < model->count()
                                ? renderer->outputType(model->presetIDAtIndex(index))
                                : "");
        return types;
    }
    void run(const std::shared_ptr<Batch>& self);
    void saveImage(std::size_t position);
    std::string renderImage(const fs::path& source, std::size_t position, const fs::path& temporary,
                            std::vector<std::string>& warnings);
    void fail(std::size_t position, fs::path source, std::string reason);
    void tell(OVSaveImageEvent event);
    // When the image the calling worker saves was started.
    static thread_local std::chrono::steady_clock::time_point imageStart;
    void finish();
    void completeImage();
    void skip(std::size_t index, fs::path source, fs::path existing);
    std::optional<fs::path> placeOutput(const fs::path& temporary, const fs::path& folder,
                                        const std::string& name, std::string& reason,
                                        bool& skipped);
};

void OVSaveManager::Batch::makeNames() {
    std::vector<std::optional<fs::path>> sources;
    sources.reserve(indexes.size());
    for (const std::size_t index : indexes)
        sources.push_back(model->URLAtIndex(index));
    if (given) {
        // Names the caller made (saveImageAtIndex with a list of names), by model index.
        names.assign(indexes.size(), {});
        for (std::size_t k = 0; k < indexes.size(); ++k)
            if (indexes[k] < given->size())
                names[k] = (*given)[indexes[k]];
        std::vector<std::optional<fs::path>> unnamed(sources.size());
        for (std::size_t k = 0; k < indexes.size(); ++k)
            if (names[k].empty())
                unnamed[k] = sources[k];
        const auto made = OVOutputNames(
            unnamed, {directory, nullptr, mirroredFolders, conflict, true, outputTypes()});
        for (std::size_t k = 0; k < indexes.size(); ++k)
            if (names[k].empty())
                names[k] = made[k];
        return;
    }
    std::unique_lock lock(impl->namingMutex, std::defer_lock);
    if (pattern)
        lock.lock(); // a pattern is used by one batch at a time
    // Decided in index order before the first write, as a dry run decides them; the write itself
    // never replaces a file either.
    names = OVOutputNames(sources,
                          {directory, pattern, mirroredFolders, conflict, true, outputTypes()});
}

void OVSaveManager::Batch::fail(std::size_t position, fs::path source, std::string reason) {
    tell({OVSaveImageEvent::Kind::Failed, indexes[position], source, {}, reason});
    std::lock_guard lock(reportMutex);
    report.failures.push_back({indexes[position], std::move(source), std::move(reason)});
}

void OVSaveManager::Batch::tell(OVSaveImageEvent event) {
    if (!imageHandler)
        return;
    event.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - imageStart).count();
    imageHandler(event);
}

// An allocation that fails under a memory limit fails this image only; the batch goes on.
std::string OVSaveManager::Batch::renderImage(const fs::path& source, std::size_t position,
                                              const fs::path& temporary,
                                              std::vector<std::string>& warnings) {
    if (!renderer)
        return "no image renderer";
    try {
        return renderer->saveNumberedImage(source, model->presetIDAtIndex(indexes[position]),
                                           temporary, warnings,
                                           static_cast<std::int64_t>(position) + 1);
    } catch (const std::bad_alloc&) {
        return "out of memory";
    } catch (const std::exception& error) {
        return error.what();
    }
}

thread_local std::chrono::steady_clock::time_point OVSaveManager::Batch::imageStart;

void OVSaveManager::Batch::saveImage(std::size_t position) {
    imageStart = std::chrono::steady_clock::now();
    const std::size_t index = indexes[position];
    const std::optional<fs::path> source = model->URLAtIndex(index);
    const fs::path folder = directory / names[position].parent_path();
    const std::string name = names[position].filename().string();

    if (!source || name.empty()) {
        fail(position, source.value_or(fs::path()), "the image file can no longer be found");
    } else {
        updateProgressLabelWithString("Saving " + name);
        std::error_code ec;
        if (folder != directory && fs::is_directory(directory, ec))
            fs::create_directories(folder, ec); // a mirrored subfolder
        if (!fs::is_directory(folder, ec)) {
            fail(position, *source,
                 "cannot write into " + folder.string() + ": not an existing folder");
        } else {
            const fs::path target = folder / name;
            if (conflict == OVConflictPolicy::Skip && fs::exists(fs::symlink_status(target, ec))) {
                skip(index, *source, target);
                return completeImage();
            }
            if (conflict == OVConflictPolicy::Overwrite && fs::equivalent(*source, target, ec)) {
                fail(position, *source, "the output " + name + " would replace the photo itself");
                return completeImage();
            }
            const fs::path temporary = OVTemporaryFilePath(folder, name);
            std::vector<std::string> warnings;
            std::string error = renderImage(*source, position, temporary, warnings);
            std::optional<fs::path> output;
            if (error.empty()) {
                std::string reason;
                bool skipped = false;
                output = placeOutput(temporary, folder, name, reason, skipped);
                if (skipped) {
                    ::unlink(temporary.c_str());
                    skip(index, *source, target);
                    return completeImage();
                }
                if (!output)
                    error = "cannot write " + name + ": " + reason;
            }
            if (output) {
                tell({OVSaveImageEvent::Kind::Written, index, *source, *output, {}});
                std::lock_guard lock(reportMutex);
                report.outputs.push_back({index, *source, *output, std::move(warnings)});
            } else {
                ::unlink(temporary.c_str());
                fail(position, *source, error);
            }
        }
    }
    completeImage();
}

void OVSaveManager::Batch::completeImage() {
    const std::lock_guard lock(progressMutex);
    progress->completeUnit();
    updateProgressIndicator();
}

void OVSaveManager::Batch::skip(std::size_t index, fs::path source, fs::path existing) {
    tell({OVSaveImageEvent::Kind::Skipped, index, source, existing, "the output exists"});
    std::lock_guard lock(reportMutex);
    report.skipped.push_back({index, std::move(source), std::move(existing), {}});
}

// Moves the finished output into place by the batch's conflict policy. The old file of an
// overwrite stays whole until the rename swaps in the complete new one.
std::optional<fs::path> OVSaveManager::Batch::placeOutput(const fs::path& temporary,
                                                          const fs::path& folder,
                                                          const std::string& name,
                                                          std::string& reason, bool& skipped) {
    const fs::path target = folder / name;
    switch (conflict) {
    case OVConflictPolicy::Unique: {
        auto placed = OVPlaceFileExclusively(temporary, folder, name);
        if (placed)
            return std::move(placed).value();
        reason = placed.error().code.message();
        return std::nullopt;
    }
    case OVConflictPolicy::Skip:
        if (const auto moved = ov::moveFileExclusively(temporary, target); !moved) {
            skipped = moved.error().code == std::errc::file_exists;
            reason = moved.error().code.message();
            return std::nullopt;
        }
        return target;
    case OVConflictPolicy::Overwrite:
        if (::rename(temporary.c_str(), target.c_str()) != 0) {
            reason = std::generic_category().message(errno);
            return std::nullopt;
        }
        return target;
    }
    return std::nullopt;
}

// Runs as an item of the batch's queue: names every output, then puts one save per image on
// the queue, which runs at most `width` of them at once, and the end of the batch after them.
void OVSaveManager::Batch::run(const std::shared_ptr<Batch>& self) {
    const BatchThread marker;
    makeNames();
    for (std::size_t position = 0; position < indexes.size(); ++position)
        group.async(queue, [self, position] {
            const BatchThread marker;
            if (!self->progress->isCancelled())
                self->saveImage(position);
        });
    group.notify(queue, [self] {
        const BatchThread marker;
        self->finish();
    });
}

void OVSaveManager::Batch::finish() {
    if (renderer)
        renderer->batchDidFinish();

    const auto byIndex = [](const auto& a, const auto& b) { return a.index < b.index; };
    std::sort(report.outputs.begin(), report.outputs.end(), byIndex);
    std::sort(report.failures.begin(), report.failures.end(), byIndex);
    std::sort(report.skipped.begin(), report.skipped.end(), byIndex);
    report.cancelled = progress->isCancelled();
    const std::size_t done = report.outputs.size() + report.failures.size() + report.skipped.size();
    report.notStarted = indexes.size() - done;

    endSheetOnce();
    if (completion)
        onMain([completion = std::move(completion), report = std::move(report)] {
            completion(true, report);
        });

    std::lock_guard lock(impl->runningMutex);
    --impl->running;
    impl->runningChanged.notify_all();
}

OVSaveManager::OVSaveManager(fs::path url) : d(std::make_shared<Impl>()) {
    d->url = std::move(url);
}

OVSaveManager::~OVSaveManager() {
    if (!onBatchThread)
        waitUntilFinished();
}

fs::path OVSaveManager::url() const {
    std::lock_guard lock(d->mutex);
    return d->url;
}

void OVSaveManager::setURL(fs::path url) {
    std::lock_guard lock(d->mutex);
    d->url = std::move(url);
}

std::shared_ptr<OVFilenamePattern> OVSaveManager::filenamePattern() const {
    std::lock_guard lock(d->mutex);
    return d->pattern;
}

void OVSaveManager::setFilenamePattern(std::shared_ptr<OVFilenamePattern> pattern) {
    std::lock_guard lock(d->mutex);
    d->pattern = std::move(pattern);
}

std::shared_ptr<OVSaveImageList> OVSaveManager::model() const {
    std::lock_guard lock(d->mutex);
    return d->model.lock();
}

void OVSaveManager::setModel(std::weak_ptr<OVSaveImageList> model) {
    std::lock_guard lock(d->mutex);
    d->model = std::move(model);
}

std::shared_ptr<OVSaveImageRenderer> OVSaveManager::renderer() const {
    std::lock_guard lock(d->mutex);
    return d->renderer;
}

void OVSaveManager::setRenderer(std::shared_ptr<OVSaveImageRenderer> renderer) {
    std::lock_guard lock(d->mutex);
    d->renderer = std::move(renderer);
}

std::shared_ptr<OVSaveProgressPresenter> OVSaveManager::progressWindowController() const {
    std::lock_guard lock(d->mutex);
    return d->presenter;
}

void OVSaveManager::setProgressWindowController(
    std::shared_ptr<OVSaveProgressPresenter> presenter) {
    if (presenter)
        presenter->setDelegate(weak_from_this());
    std::lock_guard lock(d->mutex);
    d->presenter = std::move(presenter);
}

std::size_t OVSaveManager::maximumConcurrentImages() const {
    std::lock_guard lock(d->mutex);
    return d->width;
}

void OVSaveManager::setMaximumConcurrentImages(std::size_t count) {
    std::lock_guard lock(d->mutex);
    d->width = std::max<std::size_t>(1, count);
}

void OVSaveManager::setMainQueueExecutor(Executor executor) {
    std::lock_guard lock(d->mutex);
    d->executor = std::move(executor);
}

void OVSaveManager::setImageHandler(ImageHandler handler) {
    std::lock_guard lock(d->mutex);
    d->imageHandler = std::move(handler);
}

std::shared_ptr<OVSaveProgress> OVSaveManager::progress() const {
    std::lock_guard lock(d->mutex);
    return d->progress;
}

std::shared_ptr<OVSaveManager::Batch> OVSaveManager::makeBatch(std::vector<std::size_t> indexes,
                                                               CompletionHandler completion) {
    auto batch = std::make_shared<Batch>();
    batch->impl = d;
    batch->completion = std::move(completion);
    {
        std::lock_guard lock(d->mutex);
        batch->model = d->model.lock();
        batch->renderer = d->renderer;
        batch->pattern = d->pattern;
        batch->directory = d->url;
        batch->mirroredFolders = d->mirroredFolders;
        batch->conflict = d->conflict;
        batch->width = d->width;
        batch->executor = d->executor;
        batch->imageHandler = d->imageHandler;
    }
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    const std::size_t count = batch->model ? batch->model->count() : 0;
    indexes.erase(std::lower_bound(indexes.begin(), indexes.end(), count), indexes.end());
    batch->indexes = std::move(indexes);
    batch->queue = ov::dispatch::createConcurrentQueue("org.inkstead.save-queue", batch->width);
    return batch;
}

void OVSaveManager::startBatch(const std::shared_ptr<Batch>& batch, bool dispatchHere) {
    batch->progress = std::make_shared<OVSaveProgress>(batch->indexes.size());
    // Cancelling closes the sheet at once; the completion follows when the running images are
    // done, so that it sees every file the batch wrote.
    batch->progress->setCancellationHandler([weak = std::weak_ptr<Batch>(batch)] {
        if (auto b = weak.lock())
            b->endSheetOnce();
    });
    {
        std::lock_guard lock(d->mutex);
        d->progress = batch->progress;
        d->current = batch;
    }
    {
        std::lock_guard lock(d->runningMutex);
        ++d->running;
    }
    if (batch->renderer)
        batch->renderer->batchWillStart();
    if (batch->presenter)
        batch->onMain(
            [p = batch->presenter, w = batch->window] { p->beginSheetModalForWindow(w); });
    if (dispatchHere)
        batch->run(batch);
    else
        batch->queue->async([batch] { batch->run(batch); });
}

void OVSaveManager::beginSheetModalForWindow(OVHostWindow* window, std::vector<std::size_t> indexes,
                                             CompletionHandler completion) {
    auto batch = makeBatch(std::move(indexes), std::move(completion));
    batch->window = window;
    batch->presenter = progressWindowController();
    startBatch(batch, false);
}

void OVSaveManager::beginSheetModalForWindow(OVHostWindow* window, std::vector<std::size_t> indexes,
                                             std::vector<fs::path> filenames,
                                             CompletionHandler completion) {
    auto batch = makeBatch(std::move(indexes), std::move(completion));
    batch->window = window;
    batch->presenter = progressWindowController();
    batch->given = std::move(filenames);
    startBatch(batch, false);
}

void OVSaveManager::saveImageAtIndexes(std::vector<std::size_t> indexes) {
    startBatch(makeBatch(std::move(indexes), {}), true);
}

void OVSaveManager::saveImageAtIndex(std::size_t index,
                                     const std::vector<std::filesystem::path>& filenames) {
    auto batch = makeBatch({index}, {});
    batch->given = filenames;
    startBatch(batch, true);
}

void OVSaveManager::saveImageAtIndex(std::size_t index) {
    startBatch(makeBatch({index}, {}), true);
}

std::shared_ptr<OVSaveManager::Batch> OVSaveManager::currentBatch() const {
    std::lock_guard lock(d->mutex);
    return d->current.lock();
}

void OVSaveManager::updateProgressLabelWithString(const std::string& text) {
    if (const auto batch = currentBatch())
        batch->updateProgressLabelWithString(text);
}

void OVSaveManager::updateProgressIndicator() {
    if (const auto batch = currentBatch())
        batch->updateProgressIndicator();
}

OVConflictPolicy OVSaveManager::conflictPolicy() const {
    std::lock_guard lock(d->mutex);
    return d->conflict;
}

void OVSaveManager::setConflictPolicy(OVConflictPolicy policy) {
    std::lock_guard lock(d->mutex);
    d->conflict = policy;
}

std::vector<std::filesystem::path> OVSaveManager::mirroredFolders() const {
    std::lock_guard lock(d->mutex);
    return d->mirroredFolders;
}

void OVSaveManager::setMirroredFolders(std::vector<std::filesystem::path> folders) {
    std::lock_guard lock(d->mutex);
    d->mirroredFolders = std::move(folders);
}

std::shared_ptr<OVPresetManager> OVSaveManager::presetManager() const {
    std::lock_guard lock(d->mutex);
    return d->presetManager.lock();
}

void OVSaveManager::setPresetManager(std::weak_ptr<OVPresetManager> presetManager) {
    auto renderer = OVPipelineRenderer::rendererWithPresetManager(presetManager);
    std::lock_guard lock(d->mutex);
    d->presetManager = std::move(presetManager);
    d->renderer = std::move(renderer);
}

void OVSaveManager::cancelProgress() {
    if (auto p = progress())
        p->cancel();
}

void OVSaveManager::waitUntilFinished() {
    std::unique_lock lock(d->runningMutex);
    d->runningChanged.wait(lock, [this] { return d->running == 0; });
}

ov::ImagePtr OVSaveManager::watermarkCGImageSource(const ov::ImageSourcePtr& source,
                                                   const std::shared_ptr<OVPreset>& preset) {
    return CGImageCreateWatermarkedImageWithPreset(source, preset);
}
