#pragma once

#include "inkstead/platform/imageio/ImageSource.h"
#include "inkstead/platform/imageio/Properties.h"

#include <optional>

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
