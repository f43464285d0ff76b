#pragma once

// The options that export and render share: which preset, what to change on a copy of it for
// this run (size, location, ad-hoc marks) and how to encode; and the parsers of their values.

#include "CliSupport.h"
#include "MarkOptions.h"

#include "inkstead/presets/OVPreset.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class OVFilenamePattern;

namespace cli {

/// A --resize value.
struct ResizeSetting {
    bool enabled = true; ///< false for "none": export at the original size
    OVResizeConstraint constraint = OVResizeConstraintLongestSide;
    OVResizeMethod method = OVResizeMethodPixels;
    double value = 0; ///< pixels, or a percentage for OVResizeMethodPercentage
};

/// Parses "2048px" (longest side), "50%", "width:1600", "height:1200", "long:2048"
/// (each side also as a percentage, "width:50%"), or "none". Throws a usage error otherwise.
[[nodiscard]] ResizeSetting parseResize(std::string_view text);
/// Sets `setting` as the preset's resize.
void applyResize(OVPreset& preset, const ResizeSetting& setting);

/// Tokens of a filename pattern from "filename,-,increment". Throws a usage error for an empty
/// token or one that would make a path ("/").
[[nodiscard]] std::vector<std::string> parsePatternTokens(std::string_view text);

/// 0, 1, 2 for "short", "medium", "long". Throws a usage error otherwise.
[[nodiscard]] std::uint64_t parseDateStyle(std::string_view text);

/// The settings of a preset's output that a run or `presets set` changes: file format, metadata
/// policy, artist and copyright notice. Empty or absent values leave the preset's.
struct OutputFileSettings {
    std::string format;   ///< a kOVOutputFormatNames entry
    std::string metadata; ///< a kOVMetadataPolicyNames entry
    std::optional<std::string> artist;
    std::optional<std::string> copyright;
    bool stripLocation = false; ///< --strip-location
    bool keepLocation = false;  ///< --keep-location
    [[nodiscard]] bool isEmpty() const {
        return format.empty() && metadata.empty() && !artist && !copyright && !stripLocation &&
               !keepLocation;
    }
};

/// Registers --strip-location, --keep-location, --format, --metadata, --artist and --copyright
/// on `command`.
void addOutputFileOptions(CLI::App& command, OutputFileSettings& settings);
/// Sets what `settings` give on `preset`.
void applyOutputFileSettings(OVPreset& preset, const OutputFileSettings& settings);

/// What export and render take besides their inputs and outputs.
struct OutputOptions {
    std::string preset;         ///< name or UUID; empty: the first preset
    std::optional<int> quality; ///< 1..100
    std::string resize;         ///< empty: the preset's own setting
    std::string text;           ///< ad-hoc text mark
    std::string logo;           ///< ad-hoc image mark (a picture file)
    MarkOptions mark;           ///< placement and style of the ad-hoc marks
    /// Placement of each ad-hoc mark alone (--text-anchor, --logo-width, ...); empty: the shared
    /// option, else the mark's own default (text bottom right, a logo beside it bottom left).
    struct OwnPlacement {
        std::string anchor, margin, width;
    } textPlacement, logoPlacement;
    bool anchorGiven = false; ///< --anchor was given: it places both marks
    OutputFileSettings file;
};

/// Registers --home, --presets-file and -q on `command`.
void addStoreOptions(CLI::App& command, CommonOptions& common);
/// Registers the options of OutputOptions on `command`.
void addOutputOptions(CLI::App& command, OutputOptions& options);

/// The preset a run renders: a copy of `stored` with the run's overrides and ad-hoc marks. The
/// stored preset is left as it is. Throws a usage error for malformed values.
[[nodiscard]] OVPresetPtr makeWorkingPreset(const OVPreset& stored, const OutputOptions& options);

/// Encoder quality 0..1 of the --quality value, when given.
[[nodiscard]] std::optional<double> encoderQuality(const OutputOptions& options);

} // namespace cli
