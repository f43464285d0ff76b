#pragma once

// Private to the image I/O folder: a StreamedPicture as a libvips pipeline for the encoders.

#include "inkstead/platform/imageio/StreamedPicture.h"

#include <vips/vips8>

#include <memory>

namespace ov::imageio {

/// What a streamed pipeline reads while the encoder pulls it; keep it alive until the encoder
/// has finished.
struct StreamState;

/// Whether the pipeline failed because the source could not be decoded.
bool sourceFailed(const StreamState& state);

/// Makes what libvips' workers did to `state` visible to this thread; called once the write that
/// pulled the picture has returned, before the state is read or freed.
void receiveFromWorkers(const StreamState& state);

/// The picture as an 8-bit RGB libvips image of 3 bands, or 4 when the source has alpha and
/// `keepAlpha` is true (otherwise the picture is laid over black); 16 bits a sample when the
/// source has them and `keepDepth` is true. The pixels stay in the source's colour space (its
/// profile travels in the caller's properties); the marks' sRGB colours are converted into it.
/// `state` receives what the image reads. Throws vips::VError when the source cannot be opened.
vips::VImage streamedImage(const StreamedPicture& picture, bool keepAlpha, bool keepDepth,
                           std::shared_ptr<StreamState>& state);

} // namespace ov::imageio
