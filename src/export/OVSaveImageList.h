#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

/// What a batch export reads from the image list: how many entries there are, and for each the
/// file it refers to (resolved at every call; nothing when the file can no longer be found) and
/// the identifier of its preset. Read from worker threads while a batch runs; the host leaves
/// the list unchanged meanwhile.
class OVSaveImageList {
public:
    virtual ~OVSaveImageList() = default;
    [[nodiscard]] virtual std::size_t count() const = 0;
    [[nodiscard]] virtual std::optional<std::filesystem::path>
    URLAtIndex(std::size_t index) const = 0;
    [[nodiscard]] virtual std::string presetIDAtIndex(std::size_t index) const = 0;
};

/// Renders one image of a batch and writes it. Called from several worker threads at once.
class OVSaveImageRenderer {
public:
    virtual ~OVSaveImageRenderer() = default;

    /// Renders `source` with its own copy of the preset `presetID` and writes the result, in
    /// outputType() (else the source's file type) with the source's edited metadata, to
    /// `destination`, a hidden path in the output folder at which no file exists yet (the manager
    /// then moves the file to its name). Returns an empty text on success, else why the image was
    /// not written; a failed write must leave no file at `destination`.
    virtual std::string saveImage(const std::filesystem::path& source, const std::string& presetID,
                                  const std::filesystem::path& destination) = 0;

    /// The type identifier the images of preset `presetID` are written in ("public.png"), which
    /// their output names' extensions follow; empty: each source's own type (the default).
    virtual std::string outputType(const std::string& presetID) {
        (void)presetID;
        return {};
    }

    /// Runs once when a batch starts, before its first image, on the thread that starts it.
    virtual void batchWillStart() {}
    /// saveImage(), also adding to `warnings` what the written file leaves out of the source
    /// (pages, frames, colour depth, damaged metadata). Renderers that lose nothing need not
    /// override it.
    virtual std::string saveImageWithWarnings(const std::filesystem::path& source,
                                              const std::string& presetID,
                                              const std::filesystem::path& destination,
                                              std::vector<std::string>& warnings) {
        (void)warnings;
        return saveImage(source, presetID, destination);
    }
    /// saveImageWithWarnings() for the image at `counter` (1 for the first) in the batch: the
    /// running number that watermark texts show. Renderers that show none need not override it.
    virtual std::string saveNumberedImage(const std::filesystem::path& source,
                                          const std::string& presetID,
                                          const std::filesystem::path& destination,
                                          std::vector<std::string>& warnings,
                                          std::int64_t counter) {
        (void)counter;
        return saveImageWithWarnings(source, presetID, destination, warnings);
    }

    /// Runs once after every image of a batch is done (sweeps pictures no preset uses).
    virtual void batchDidFinish() {}
};
