#pragma once

// The export's way to the watermarked picture: streamed from the source into the encoder, with
// the marks drawn only where they land, so that the picture is never whole in memory.

#include "inkstead/platform/gfx/Geometry.h"
#include "inkstead/platform/imageio/ImageSource.h"
#include "inkstead/platform/imageio/StreamedPicture.h"

#include <memory>
#include <optional>

class OVPreset;

/// The size of the watermarked picture of a source with these properties: the stored size,
/// resized by the preset's export settings when they ask for it, then turned a quarter for
/// orientations 5 to 8. (0, 0) when the properties state no size.
[[nodiscard]] ov::Size OVWatermarkedPictureSize(const ov::Properties& properties,
                                                const OVPreset* preset);

/// The same picture as CGImageCreateWatermarkedImageWithPreset (within one level per channel),
/// as a picture for ImageDestination::addPicture: the marks are drawn, preset clipped, into
/// boxes around the places they cover, over the decoded pixels of those places. Memory grows
/// with the width of the picture and the size of the marks, not the picture's area; pictures
/// wider or taller than a drawing surface can be are fine as long as the marks are not.
///
/// The preset is changed as the bitmap render changes it, and is drawn from the encoder's
/// thread while the picture is written: keep it for this picture alone. Empty when the source
/// states no size.
[[nodiscard]] std::optional<ov::StreamedPicture>
OVWatermarkedPictureWithPreset(const ov::ImageSourcePtr& source,
                               const std::shared_ptr<OVPreset>& preset);
