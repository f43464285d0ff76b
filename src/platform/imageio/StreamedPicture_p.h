#pragma once

// Private to the image I/O folder: a StreamedPicture as a libvips pipeline for the encoders.

#include "inkstead/platform/imageio/StreamedPicture.h"

#include <vips/vips8>

#include <memory>

namespace ov::imageio {

/// What a streamed pipeline reads while the encoder pulls it; keep it alive until the encoder
/// has finished.
struct StreamState;

/// The picture as an 8-bit sRGB libvips image of 3 bands, or 4 when the source has alpha and
/// `keepAlpha` is true (otherwise the picture is laid over black). `state` receives what the
/// image reads. Throws vips::VError when the source cannot be opened.
/// Whether the pipeline failed because the source could not be decoded.
bool sourceFailed(const StreamState& state);

vips::VImage streamedImage(const StreamedPicture& picture, bool keepAlpha,
                           std::shared_ptr<StreamState>& state);

} // namespace ov::imageio
