#pragma once

// The JSON form of a preset (`presets export` / `presets import`, `presets show --json`): every
// field of the preset, its export settings and every field of each watermark kind; image
// watermarks carry their picture as base64 PNG. The layout is described in docs/preset-json.md.

#include "presets/OVPreset.h"
#include "watermarks/OVImageWatermark.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace cli {

inline constexpr std::string_view kPresetJsonFormat = "inkstead-preset";
inline constexpr int kPresetJsonVersion = 1;

/// The JSON form of `preset`. Without pictures, image watermarks carry "picture": null.
[[nodiscard]] nlohmann::json presetToJson(const OVPreset& preset, bool withPictures = true);
[[nodiscard]] nlohmann::json watermarkToJson(const OVWatermark& watermark, bool withPictures);

/// A preset read from JSON, not yet stored anywhere: the pictures of its image watermarks are
/// decoded but not written.
struct ImportedPreset {
    OVPresetPtr preset;
    std::vector<std::pair<std::shared_ptr<OVImageWatermark>, ov::ImagePtr>> pictures;
    std::vector<nlohmann::json> pictureRecords; ///< the JSON of each entry of `pictures`
};

/// Reads a preset from its JSON form, checking every value. Throws a usage error that names
/// the offending field ("watermarks[2].alpha: ...") when anything is missing or wrong; nothing
/// is written then.
[[nodiscard]] ImportedPreset presetFromJson(const nlohmann::json& json);

/// Writes the pictures of the image watermarks to the storage (under each watermark's current
/// uuid) and restores their recorded geometry. On failure removes those already written and
/// throws.
void storePictures(ImportedPreset& imported);

} // namespace cli
