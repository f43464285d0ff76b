#pragma once

// Edits of a property dictionary's EXIF, IPTC and XMP that keep private facts out of a file or
// state who holds the rights to it.

#include "inkstead/platform/imageio/Properties.h"

#include <string_view>

namespace ov {

/// Removes what names the photographer's equipment or its owner: serial numbers of the body, the
/// lens and the camera's internal ones, owner names, the image's unique identifier (many cameras
/// build it from the serial number) and the maker notes whole, in EXIF and XMP. The location is
/// not touched.
void removePrivateMetadata(Properties& properties);

/// Keeps, of the EXIF, IPTC and XMP, only the copyright notice, the creator and the usage terms
/// (and what IPTC needs to be read: its envelope and record version). The colour profile, the
/// resolution and the picture's own description (size, depth) stay.
void keepOnlyCopyrightMetadata(Properties& properties);

/// States the creator (EXIF Artist, XMP dc:creator, IPTC By-line) and the copyright notice (EXIF
/// Copyright, XMP dc:rights, IPTC Copyright Notice), replacing what the file said; an empty text
/// leaves its field as it is. IPTC is written only into properties that already have IPTC.
void setAuthorshipMetadata(Properties& properties, std::string_view artist,
                           std::string_view copyright);

} // namespace ov
