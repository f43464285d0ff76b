#pragma once

// Per-image values for the {variables} of watermark texts and file name patterns.

#include "inkstead/platform/gfx/Geometry.h"

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ov {
class Properties;
}

/// The values of one image for the variables of a text: {filename}, {name} (without
/// extension), {date} or {date:FORMAT} (strftime conversions; "%Y-%m-%d" by default), {camera},
/// {lens}, {iso}, {exposure}, {aperture}, {focal}, {artist}, {copyright}, {width}, {height} and
/// {counter}. A variable the image does not record fills in empty. Immutable once made; safe to
/// share between threads.
class OVTextVariables {
public:
    /// The values of an image from its property dictionary (ImageSource::properties()), its
    /// file (whose date stands in when the photograph records none; may be empty), its pixel
    /// size and its running number in a batch.
    [[nodiscard]] static OVTextVariables forImage(const ov::Properties& properties,
                                                  const std::filesystem::path& file, ov::Size size,
                                                  std::int64_t counter);

    /// Every variable name, in the order above.
    [[nodiscard]] static const std::vector<std::string_view>& names();
    /// Whether `text` holds "{" followed later by "}" (something that may be a variable).
    [[nodiscard]] static bool mayHoldVariables(std::string_view text);

    /// Sets a plain value (any name but "date", whose value is the date).
    void setValue(std::string_view name, std::string value);
    void setDate(std::optional<std::tm> date) { date_ = date; }

    /// `text` with each known variable replaced by its value. An unknown variable stays as it
    /// is written and is logged once per process.
    [[nodiscard]] std::string expand(std::string_view text) const;
    /// The same for a file name: characters that are unsafe in file names (path separators,
    /// control characters, and those that other systems refuse: \ : * ? " < > |) become "_" in
    /// the values, and a value of only dots becomes "_".
    [[nodiscard]] std::string expandForFilename(std::string_view text) const;

private:
    [[nodiscard]] std::optional<std::string> value(std::string_view variable) const;
    [[nodiscard]] std::string expand(std::string_view text, bool forFilename) const;

    std::map<std::string, std::string, std::less<>> values_;
    std::optional<std::tm> date_;
};
