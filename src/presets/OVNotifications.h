#pragma once

#include <string_view>

//! \name Notification names
//! Every notification the library posts carries no object and no user information. The library
//! observes none of them; the host does.

/// A watermark was added to or removed from a preset. Posted asynchronously on the main queue.
inline constexpr std::string_view kOVPresetChanged = "preset-changed";
/// A preset or one of its watermarks has unsaved changes; the observer writes the presets file.
/// Posted on the main queue by each preset's save timer.
inline constexpr std::string_view kOVPresetShouldSave = "preset-should-save";
/// Insertion mode ended. Posted synchronously on the calling thread.
inline constexpr std::string_view kOVWatermarkInsertionEnded = "insertion-ended";
/// Images were added to the image list. Posted synchronously on the calling thread.
inline constexpr std::string_view kOVModelChanged = "model-changed";

//! \name Names exported for the host's own use (never posted by the library)
inline constexpr std::string_view kOVPresetSelected = "preset-selected";
inline constexpr std::string_view kOVWatermarkSelectionChanged = "watermark-selection-changed";
inline constexpr std::string_view kOVWatermarkConfigurationChanged =
    "watermark-configuration-changed";
inline constexpr std::string_view kOVWatermarkSettingsToggle = "toggle";
