#pragma once

#include "inkstead/platform/imageio/ImageSource.h"
#include "inkstead/platform/imageio/Properties.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

class OVPreset;

/// The property dictionary to write with a watermarked export of `source`: the source's own
/// metadata (camera, lens and maker-note data, dates, IPTC, XMP, colour profile) edited to
/// describe the new pixels, which are upright and possibly resized:
/// - no pixel size and no orientation (neither the top-level nor the TIFF one, nor XMP's);
/// - a stated resolution becomes 72 dpi (an absent one stays absent); the TIFF resolutions go;
/// - no embedded preview of the source (it would show the picture without its watermarks);
/// - with `stripLocation`, no location anywhere: GPS coordinates and place names or codes in
///   EXIF, IPTC and XMP (the IPTC Core and Extension locations, Photoshop's city/state/country).
/// Nullopt when the source has no properties.
[[nodiscard]] std::optional<ov::Properties>
propertiesForImageSource(const ov::ImageSourcePtr& source, bool stripLocation);

/// The same edit applied to a dictionary already read.
[[nodiscard]] ov::Properties propertiesForExport(ov::Properties properties, bool stripLocation);

/// The same edit under the preset's metadata policy (location, private facts, everything but
/// the copyright), then with the preset's artist and copyright notice stated.
[[nodiscard]] ov::Properties propertiesForExport(ov::Properties properties, const OVPreset& preset);

/// The namespace of the mark every export writes into its output's XMP ("inkstead:Output"), by
/// which later runs know the file for an output and not a photo to stamp again.
inline constexpr std::string_view kOVOutputMarkNamespace = "urn:inkstead:xmp:1.0/";

/// Adds the output mark to `properties` (creating the XMP packet when there is none). False when
/// the existing packet cannot be parsed: it is then left as it is.
bool OVAddOutputMark(ov::Properties& properties);
/// True when `properties` carry the output mark.
[[nodiscard]] bool OVHasOutputMark(const ov::Properties& properties);
/// True when the image file at `path` is an earlier output (its metadata carries the mark).
[[nodiscard]] bool OVIsMarkedOutput(const std::filesystem::path& path);
