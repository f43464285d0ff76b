#pragma once

// Private to the image I/O folder: the one place that starts libvips.

namespace ov::imageio {

/// Starts libvips once per process (thread-safe, idempotent) with a policy suited to a library
/// that renders several images at once, one per core: one worker thread per pipeline, a small
/// operation cache, and loaders of untrusted formats blocked. False when libvips cannot start.
bool ensureVips();

} // namespace ov::imageio
