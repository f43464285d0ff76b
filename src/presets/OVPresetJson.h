#pragma once

#include "inkstead/platform/gfx/Image.h"
#include "inkstead/platform/log/Result.h"
#include "inkstead/presets/OVPreset.h"
#include "inkstead/storage/OVStorage.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

//! \name The JSON form of a preset
//! A versioned, self-contained text form of one preset: its name, identifier, export settings
//! and every field of each watermark, image watermarks with their picture as base64 PNG. Its
//! layout is described in preset-json.md beside the library's documentation. Reading checks
//! every value and refuses hostile input (oversized documents and pictures, unknown fields,
//! values out of range) with an error that names the field.

inline constexpr std::string_view kOVPresetJsonFormat = "inkstead-preset";
/// The newest version written and read. Version 2 adds the additional watermark settings
/// (OVWatermarkProperty::additional); a document that uses none of them is written as version 1,
/// which every reader takes.
inline constexpr int kOVPresetJsonVersion = 2;
/// Documents longer than this are refused unread.
inline constexpr std::size_t kOVPresetJsonMaxBytes = std::size_t{256} << 20;

/// The JSON text of `preset`, indented by two spaces. Without pictures, image watermarks carry
/// "picture": null (for listings).
[[nodiscard]] std::string OVPresetJsonString(const OVPreset& preset, bool withPictures = true);
/// The JSON object of one watermark, as it appears in a preset's "watermarks" array.
[[nodiscard]] std::string OVWatermarkJsonString(const OVWatermark& watermark,
                                                bool withPictures = false);

/// A preset read from JSON and not yet stored anywhere: the pictures of its image watermarks
/// are decoded but not written to the storage. Give its preset and watermarks other identifiers
/// first if they are taken, then storePictures().
class OVImportedPreset {
public:
    OVPresetPtr preset;

    /// Writes each image watermark's picture under its current identifier into `storage` (the
    /// process's storage unless given) and restores the recorded geometry (setting a picture
    /// fits the watermark to it). On failure removes the pictures already written.
    [[nodiscard]] ov::Result<void> storePictures(const OVStorageFolder& storage = {});
    /// Removes the pictures storePictures() wrote (when the preset could not be saved after all).
    void removeStoredPictures();
    /// Gives the preset a new uuid when one of `presets` has its uuid, and its watermarks new
    /// uuids when theirs are taken (by the watermark of a listed preset, or by a picture file in
    /// the storage; all of them when the preset got a new one), so that presets are found by
    /// uuid and every image watermark gets a picture file of its own. True when the preset's
    /// uuid changed.
    bool makeDistinctFrom(const std::vector<OVPresetPtr>& presets,
                          const OVStorageFolder& storage = {});

private:
    friend ov::Result<OVImportedPreset> OVPresetFromJson(std::string_view text);
    struct Picture {
        OVWatermarkPtr watermark;
        ov::ImagePtr image;
        std::string record; // the watermark's JSON object, to restore its geometry
    };
    std::vector<Picture> pictures_;
};

/// Reads a preset from its JSON text. The error (code invalid_argument) names the offending
/// field, e.g. "watermarks[2].alpha: expected a number from 0 to 1"; nothing is written either
/// way.
[[nodiscard]] ov::Result<OVImportedPreset> OVPresetFromJson(std::string_view text);
