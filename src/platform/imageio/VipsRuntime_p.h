#pragma once

// Private to the image I/O folder: the one place that starts libvips.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace ov::imageio {

/// Starts libvips once per process (thread-safe, idempotent) with a policy suited to a library
/// that renders several images at once, one per core: one worker thread per pipeline, a small
/// operation cache, and loaders of untrusted formats blocked. libvips' plugin modules are not
/// loaded at start: see ensureCodecsFor(). False when libvips cannot start.
bool ensureVips();

/// Loads the libvips plugin that reads the format whose first bytes are `head` (HEIF, AVIF,
/// JPEG XL), once; formats built into libvips need nothing.
void ensureCodecsFor(const uint8_t* head, std::size_t length);
/// The same for the writer of a type identifier ("public.heic", "public.avif").
void ensureCodecsForType(std::string_view type);

} // namespace ov::imageio
