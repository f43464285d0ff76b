#pragma once

// The facts about a photograph's capture that people put into watermark texts and file names,
// read from its property dictionary.

#include "inkstead/platform/imageio/Properties.h"

#include <ctime>
#include <optional>
#include <string>

namespace ov {

/// What the camera recorded, as text for people. A field the photograph does not record is
/// empty.
struct CaptureMetadata {
    /// When the picture was taken: the original date, else the digitised date, else the date of
    /// the last change the file records; local time as the camera wrote it.
    std::optional<std::tm> captureDate;
    std::string camera;   ///< make and model ("Maker Body II"), the make once
    std::string lens;     ///< lens model
    std::string iso;      ///< "400"
    std::string exposure; ///< "1/250", "2.5"
    std::string aperture; ///< "f/2.8"
    std::string focal;    ///< "35mm"
    std::string artist;
    std::string copyright;
};

/// The capture metadata of a dictionary from ImageSource::properties().
[[nodiscard]] CaptureMetadata captureMetadata(const Properties& properties);

/// A date and time as EXIF writes it ("YYYY:MM:DD HH:MM:SS", also with "-" between the date's
/// parts or a "T" before the time); nothing for any other text or an impossible date.
[[nodiscard]] std::optional<std::tm> parseExifDate(std::string_view text);

} // namespace ov
