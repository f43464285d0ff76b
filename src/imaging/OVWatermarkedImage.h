#pragma once

// The render entry: an image file and a preset in, a watermarked bitmap out, with the
// image-source readers and bitmap-context helpers it is made of.

#include "inkstead/platform/gfx/Geometry.h"
#include "inkstead/platform/gfx/GraphicsContext.h"
#include "inkstead/platform/gfx/Image.h"
#include "inkstead/platform/imageio/ImageSource.h"

#include <memory>

class OVPreset;

/// Stored pixel size of the source's first image (before orientation); (0, 0) for a null source
/// or one without a readable size.
[[nodiscard]] ov::Size ov_CGImageSourceGetSize(const ov::ImageSourcePtr& source);

/// Orientation code (1–8) of the source's first image; 0 when untagged, unreadable or null.
[[nodiscard]] unsigned ov_CGImageSourceGetOrientation(const ov::ImageSourcePtr& source);

/// The source's first image upright, scaled so that its longer side is the longer side of
/// `rect` made integral (never enlarged); null when it cannot be decoded.
[[nodiscard]] ov::ImagePtr createCGImageThumbnailForRect(const ov::ImageSourcePtr& source,
                                                         ov::Rect rect);

/// A cleared bitmap context of width × height (truncated towards zero) for drawing `image`
/// into. Null for a null image, a zero size, or an image whose rows are too short for the
/// width. The context's own pixels are in the native layout.
[[nodiscard]] std::unique_ptr<ov::GraphicsContext>
CGContextCreateWithCGImageForSize(const ov::ImagePtr& image, double width, double height);
/// The same at the image's own size.
[[nodiscard]] std::unique_ptr<ov::GraphicsContext>
CGContextCreateWithCGImage(const ov::ImagePtr& image);

/// Gives the preset's watermarks that draw according to the picture under them (automatic text
/// colour) a small upright copy of the source's picture; nothing when none does.
void OVPresetSetBackdropSampleFromSource(OVPreset& preset, const ov::ImageSourcePtr& source);

/// The source's picture, upright and at the output size of the preset's export settings, with
/// the preset's watermarks drawn on it in output pixels; null when the source cannot be
/// decoded. A null preset gives the plain upright picture.
///
/// Orientations 5–8 turn the picture a quarter, so the canvas takes the exchanged size. The
/// picture is decoded straight into the canvas at its size (shrinking in the decoder), so the
/// memory of one render is about one canvas, plus one more when the preset has a pixellate
/// watermark (the clean picture it samples).
///
/// The preset is changed: its watermarks get the pixellate source, export mode and the canvas
/// as bounds. Render a copy of a preset that is shown or shared; never one preset on two
/// threads at once.
[[nodiscard]] ov::ImagePtr
CGImageCreateWatermarkedImageWithPreset(const ov::ImageSourcePtr& source,
                                        const std::shared_ptr<OVPreset>& preset);
