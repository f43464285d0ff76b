#pragma once

#include "inkstead/export/OVOutputNames.h"
#include "inkstead/export/OVSaveProgressPresenter.h"
#include "inkstead/export/OVSaveReport.h"
#include "inkstead/platform/gfx/Image.h"
#include "inkstead/platform/imageio/ImageSource.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class OVFilenamePattern;
class OVPreset;
class OVPresetManager;
class OVSaveImageList;
class OVSaveImageRenderer;
class OVSaveProgress;

/// Writes watermarked copies of a selection of the image list into one output directory.
///
/// A batch runs on a concurrent dispatch queue of its own with at most `maximumConcurrentImages`
/// images in flight. All output names are made before the first write by OVOutputNames() (the
/// function a dry run uses too): by the filename pattern (running number in index order) or after
/// the sources, unique in index order, optionally in the mirrored subfolders of the sources. At
/// write time each image is rendered into a hidden temporary file and moved to its name without
/// ever replacing a file, taking the next
/// "_Watermarked_<n>" name when another image, batch or process got there first; a failed image
/// leaves no file behind. Images that cannot be read, rendered or written count as done and are
/// listed in the batch's report. Cancelling ends the sheet at once and starts no further image;
/// the images already running finish. The completion handler runs exactly once per batch, after
/// every image is done, with the report.
///
/// Presenter calls and the completion handler go through the main-queue executor. Owned by a
/// `std::shared_ptr` (the presenter refers back to the manager weakly).
class OVSaveManager : public OVSaveProgressDelegate,
                      public std::enable_shared_from_this<OVSaveManager> {
public:
    using CompletionHandler = std::function<void(bool finished, const OVSaveReport& report)>;
    using Executor = std::function<void(std::function<void()>)>;
    using ImageHandler = std::function<void(const OVSaveImageEvent& event)>;

    explicit OVSaveManager(std::filesystem::path url);
    /// Waits for the batches still running (unless released on a batch's own thread; a batch
    /// keeps what it needs alive and finishes on its own).
    ~OVSaveManager() override;
    OVSaveManager(const OVSaveManager&) = delete;
    OVSaveManager& operator=(const OVSaveManager&) = delete;

    [[nodiscard]] std::filesystem::path url() const;
    void setURL(std::filesystem::path url);

    /// Null: the outputs keep their source names.
    [[nodiscard]] std::shared_ptr<OVFilenamePattern> filenamePattern() const;
    void setFilenamePattern(std::shared_ptr<OVFilenamePattern> pattern);

    /// The image list, held weakly.
    [[nodiscard]] std::shared_ptr<OVSaveImageList> model() const;
    void setModel(std::weak_ptr<OVSaveImageList> model);

    [[nodiscard]] std::shared_ptr<OVSaveImageRenderer> renderer() const;
    void setRenderer(std::shared_ptr<OVSaveImageRenderer> renderer);

    /// Where the images' presets are looked up, held weakly. Setting it installs the pipeline
    /// renderer of that manager (OVPipelineRenderer::rendererWithPresetManager); a renderer set
    /// later replaces it.
    [[nodiscard]] std::shared_ptr<OVPresetManager> presetManager() const;
    void setPresetManager(std::weak_ptr<OVPresetManager> presetManager);

    /// Input folders whose structure the outputs mirror below the output folder (see
    /// OVOutputNaming); empty (the default): every output directly in the output folder.
    [[nodiscard]] std::vector<std::filesystem::path> mirroredFolders() const;
    void setMirroredFolders(std::vector<std::filesystem::path> folders);

    /// What happens when an output's name is taken by an existing file (default Unique).
    [[nodiscard]] OVConflictPolicy conflictPolicy() const;
    void setConflictPolicy(OVConflictPolicy policy);

    /// The progress sheet; null runs batches headless. The manager becomes its delegate.
    [[nodiscard]] std::shared_ptr<OVSaveProgressPresenter> progressWindowController() const;
    void setProgressWindowController(std::shared_ptr<OVSaveProgressPresenter> presenter);

    /// Images in flight at once per batch; defaults to the number of processors.
    [[nodiscard]] std::size_t maximumConcurrentImages() const;
    void setMaximumConcurrentImages(std::size_t count);

    /// Where presenter calls and completion handlers run (the host's main queue). By default
    /// they run on the batch's own threads, one at a time.
    void setMainQueueExecutor(Executor executor);

    /// Called on the worker thread as each image of a batch is done (written, skipped or failed),
    /// before the batch's completion; several workers may call it at once. Empty by default.
    void setImageHandler(ImageHandler handler);

    /// Progress of the batch started last; null before the first.
    [[nodiscard]] std::shared_ptr<OVSaveProgress> progress() const;

    /// Starts a batch of the given model indexes and returns at once. Indexes beyond the model's
    /// count are skipped; duplicates are saved once. `completion` may be empty.
    void beginSheetModalForWindow(OVHostWindow* window, std::vector<std::size_t> indexes,
                                  CompletionHandler completion);
    /// As above, writing each image under `filenames[index]` (a path relative to the output
    /// folder, such as OVPlanShard() makes); an entry that is missing or empty gives a name made
    /// from the source.
    void beginSheetModalForWindow(OVHostWindow* window, std::vector<std::size_t> indexes,
                                  std::vector<std::filesystem::path> filenames,
                                  CompletionHandler completion);

    /// Names the outputs of the given model indexes and dispatches one save per index, without
    /// the sheet; returns once every save is dispatched. The progress total counts the indexes
    /// given (duplicates once, indexes beyond the model left out).
    void saveImageAtIndexes(std::vector<std::size_t> indexes);
    /// Dispatches the save of one image under `filenames[index]` (a path relative to the output
    /// folder, such as OVOutputNames() makes for the whole list); an entry that is missing or
    /// empty gives a name made from the source.
    void saveImageAtIndex(std::size_t index, const std::vector<std::filesystem::path>& filenames);
    /// saveImageAtIndex() with a name made from the source.
    void saveImageAtIndex(std::size_t index);

    /// On the main queue, sets the progress sheet's file label of the batch started last.
    void updateProgressLabelWithString(const std::string& text);
    /// On the main queue, sets the count label ("<done> of <total>") and the bar of the batch
    /// started last from its progress.
    void updateProgressIndicator();

    /// Cancels the batch started last.
    void cancelProgress() override;

    /// The watermarked picture of `source` with `preset` itself (not a copy, so the preset is
    /// changed by the render), for dragging one image out of the editor; null when the source
    /// cannot be decoded. Its size in points is its pixel size.
    static ov::ImagePtr watermarkCGImageSource(const ov::ImageSourcePtr& source,
                                               const std::shared_ptr<OVPreset>& preset);

    /// Blocks until every batch started so far has finished and posted its completion. Must not
    /// be called from a completion handler or a presenter call.
    void waitUntilFinished();

private:
    struct Impl;
    struct Batch;
    [[nodiscard]] std::shared_ptr<Batch> makeBatch(std::vector<std::size_t> indexes,
                                                   CompletionHandler completion);
    /// The batch started last, while it runs.
    [[nodiscard]] std::shared_ptr<Batch> currentBatch() const;
    /// Runs the naming and dispatching on this thread when `dispatchHere`, else on the queue.
    void startBatch(const std::shared_ptr<Batch>& batch, bool dispatchHere);
    std::shared_ptr<Impl> d;
};
