#pragma once

// Renders the images of a command-line run: every image with its own copy of one working
// preset, encoded at the run's quality.

#include "export/OVSaveImageList.h"
#include "presets/OVPreset.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cli {

class WatermarkRenderer : public OVSaveImageRenderer {
public:
    /// `quality` 0..1 for lossy formats (the encoder's default when absent). `outputType` is the
    /// type identifier to write; empty keeps each source's own type.
    WatermarkRenderer(OVPresetPtr preset, std::optional<double> quality,
                      std::string outputType = {});

    /// Renders `source` with a copy of the preset (whatever `presetID` says: a run has one
    /// preset) and writes it to `destination`, which must not exist yet. Empty on success, else
    /// why nothing was written.
    std::string saveImage(const std::filesystem::path& source, const std::string& presetID,
                          const std::filesystem::path& destination) override;
    /// saveImage(), adding what the output leaves out of the source (pages, depth, ...).
    std::string saveImageWithWarnings(const std::filesystem::path& source,
                                      const std::string& presetID,
                                      const std::filesystem::path& destination,
                                      std::vector<std::string>& warnings) override;

private:
    OVPresetPtr preset_;
    std::optional<double> quality_;
    std::string outputType_;
};

/// Deletes the picture files of `preset`'s image watermarks, for a preset that is thrown away:
/// a copy a run made for itself, or one removed from the list. Every copy of an image watermark
/// keeps its picture in a file of its own in the storage, which would otherwise stay there.
void deletePictureFiles(const OVPreset& preset);

/// deletePictureFiles() when the scope ends (null does nothing).
class PictureFilesGuard {
public:
    explicit PictureFilesGuard(OVPresetPtr preset) : preset_(std::move(preset)) {}
    ~PictureFilesGuard() {
        if (preset_)
            deletePictureFiles(*preset_);
    }
    PictureFilesGuard(const PictureFilesGuard&) = delete;
    PictureFilesGuard& operator=(const PictureFilesGuard&) = delete;

private:
    OVPresetPtr preset_;
};

/// The type identifier a file name's extension asks for ("public.jpeg" for "x.JPG"); empty for
/// an unknown or missing extension.
[[nodiscard]] std::string imageTypeForExtension(const std::filesystem::path& path);

} // namespace cli
