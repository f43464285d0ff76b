#pragma once

// The entry points of the fuzz targets. The libFuzzer programs call them with every generated
// input, and the regression tests call them with the inputs that once failed, so both go
// through exactly the same code. Each entry must accept any bytes: a crash, a sanitizer report
// or a hang is a fault in the code it reaches.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace ov::fuzz {

using Bytes = std::vector<std::uint8_t>;

struct Target {
    std::string_view name;
    /// Runs one input; always returns 0 (libFuzzer's convention).
    int (*run)(const std::uint8_t* data, std::size_t size);
    /// Well-formed inputs that reach deep into the code, to start the corpus from.
    std::vector<Bytes> (*seeds)();
};

/// Every target: "archive", "preset_json", "filename_pattern", "image_source".
const std::vector<Target>& targets();
/// The target of that name, or null.
const Target* findTarget(std::string_view name);

/// Prepares the process once: libvips, and a storage folder of its own at `home` so that the
/// targets never touch the user's presets or pictures.
void initialize(const std::filesystem::path& home);

/// Keyed archive of presets (the presets file): container parsing, decoding of every preset and
/// watermark kind, re-archiving and a small render of what was decoded.
int runArchive(const std::uint8_t* data, std::size_t size);
std::vector<Bytes> archiveSeeds();

/// The JSON form of a preset: parsing, checking and decoding, then writing it back as JSON.
int runPresetJson(const std::uint8_t* data, std::size_t size);
std::vector<Bytes> presetJsonSeeds();

/// A filename pattern: tokens, digits, date style and a file name from the bytes, renamed.
int runFilenamePattern(const std::uint8_t* data, std::size_t size);
std::vector<Bytes> filenamePatternSeeds();

/// Encoded image bytes: type detection, properties, the export edit of the metadata, a small
/// watermarked render and its encoding with that metadata.
int runImageSource(const std::uint8_t* data, std::size_t size);
std::vector<Bytes> imageSourceSeeds();

} // namespace ov::fuzz
