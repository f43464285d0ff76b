#pragma once

#include "inkstead/export/OVSaveImageList.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class OVPreset;
class OVPresetManager;

/// Renders batch images through the image pipeline: opens the source, renders its own copy of
/// the image's preset over it, edits the source's metadata for the new pixels (dropping the
/// location when the preset says so) and writes the result in the preset's output format (the
/// source's file type by default). An identifier that matches no preset writes the picture
/// without watermarks.
class OVPipelineRenderer : public OVSaveImageRenderer {
public:
    /// Finds the preset of an image by its identifier (text form); may return null.
    using PresetLookup = std::function<std::shared_ptr<OVPreset>(const std::string& presetID)>;

    explicit OVPipelineRenderer(PresetLookup lookup, std::function<void()> afterBatch = {});
    /// Presets from the manager (held weakly); after each batch the manager sweeps the pictures
    /// that no preset uses, once no batch of this renderer is running (the pictures of a preset
    /// deleted meanwhile are still drawn by the batches that use it).
    static std::shared_ptr<OVPipelineRenderer>
    rendererWithPresetManager(std::weak_ptr<OVPresetManager> presetManager);

    /// Every image with its own copy of `preset`, whatever its identifier says.
    static std::shared_ptr<OVPipelineRenderer> rendererWithPreset(std::shared_ptr<OVPreset> preset);

    /// Encoder quality 0…1 for lossy formats, over the preset's; none keeps the preset's, or the
    /// encoder's default. Set before a batch starts.
    void setQuality(std::optional<double> quality) { quality_ = quality; }
    /// The type identifier to write ("public.png"), over the preset's output format; empty (the
    /// default) keeps the preset's.
    void setOutputType(std::string type) { outputType_ = std::move(type); }
    std::string outputType(const std::string& presetID) override;

    std::string saveImage(const std::filesystem::path& source, const std::string& presetID,
                          const std::filesystem::path& destination) override;
    void batchWillStart() override;
    std::string saveImageWithWarnings(const std::filesystem::path& source,
                                      const std::string& presetID,
                                      const std::filesystem::path& destination,
                                      std::vector<std::string>& warnings) override;
    std::string saveNumberedImage(const std::filesystem::path& source, const std::string& presetID,
                                  const std::filesystem::path& destination,
                                  std::vector<std::string>& warnings,
                                  std::int64_t counter) override;
    void batchDidFinish() override;

private:
    [[nodiscard]] std::string outputTypeFor(const OVPreset* preset) const;

    PresetLookup lookup_;
    std::function<void()> afterBatch_;
    std::function<std::shared_ptr<void>()> holdSweeps_;
    std::mutex mutex_;
    std::vector<std::shared_ptr<void>> sweepHolds_; // one per running batch
    std::optional<double> quality_;
    std::string outputType_;
};

/// The type identifier a file name's extension asks for ("public.jpeg" for "x.JPG"); empty for
/// an unknown or missing extension.
[[nodiscard]] std::string OVImageTypeForExtension(const std::filesystem::path& path);
