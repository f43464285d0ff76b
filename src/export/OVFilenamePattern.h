#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class OVTextVariables;

/// Token that appends the source file name without its extension.
inline constexpr std::string_view kOVPatternFilenameKey = "filename";
/// Token that appends the current date in the user's locale.
inline constexpr std::string_view kOVPatternDateKey = "date";
/// Token that appends the zero-padded running number.
inline constexpr std::string_view kOVPatternIncrementKey = "increment";
/// Token that appends a hyphen (like any unknown token, its own text).
inline constexpr std::string_view kOVPatternSeparatorKey = "-";

/// Formats the running number of a batch: zero padding up to a minimum number of digits, placed
/// before the sign ("-007").
class OVNumberFormatter {
public:
    explicit OVNumberFormatter(std::int64_t minimumIntegerDigits = 1);

    [[nodiscard]] std::int64_t minimumIntegerDigits() const { return minimumIntegerDigits_; }
    [[nodiscard]] std::string stringFromNumber(std::int64_t number) const;

private:
    std::int64_t minimumIntegerDigits_;
};

/// Formats a moment in the user's locale (taken from the environment: LC_ALL, LC_TIME, LANG) in
/// one of three styles: 0 short date, 1 medium date, 2 long date with long time. Any other style
/// gives an empty text.
class OVDateFormatter {
public:
    explicit OVDateFormatter(std::uint64_t dateStyle);
    ~OVDateFormatter();
    OVDateFormatter(const OVDateFormatter&) = delete;
    OVDateFormatter& operator=(const OVDateFormatter&) = delete;

    [[nodiscard]] std::uint64_t dateStyle() const { return dateStyle_; }
    /// `secondsSinceEpoch` is interpreted in the local time zone.
    [[nodiscard]] std::string stringFromDate(std::int64_t secondsSinceEpoch) const;

private:
    struct Impl;
    std::uint64_t dateStyle_;
    std::unique_ptr<Impl> d;
};

/// Names the files of a batch export. A pattern is an ordered list of tokens; renaming walks the
/// tokens and concatenates the source's base name, the date, the running number or the token's
/// own text (with its {variables} filled, as in watermark texts), then puts the source's extension back after a dot (always written, so a source
/// without extension gives a name ending with a dot). Not thread-safe: one thread at a time.
class OVFilenamePattern {
public:
    OVFilenamePattern() = default;
    ~OVFilenamePattern();

    /// A new pattern with the defaults and no tokens.
    static std::shared_ptr<OVFilenamePattern> pattern();
    /// The tokens offered to the user: "filename", "date", "increment", "-".
    static std::vector<std::string> availablePatternOptions();

    [[nodiscard]] const std::vector<std::string>& tokens() const { return tokens_; }
    void setTokens(std::vector<std::string> tokens) { tokens_ = std::move(tokens); }

    /// Minimum digits of the running number. A stored 0 (the initial value) reads as 3, and 3 is
    /// stored then. Values below 2 mean no padding.
    [[nodiscard]] std::int64_t numberOfDigits();
    void setNumberOfDigits(std::int64_t digits);

    [[nodiscard]] std::uint64_t dateStyle() const { return dateStyle_; }
    void setDateStyle(std::uint64_t style);

    /// Built on first use from `numberOfDigits`, cached until the digits change.
    const OVNumberFormatter& numberFormatter();
    /// Built on first use from `dateStyle`, cached until the style changes.
    const OVDateFormatter& dateFormatter();

    /// The new name of `filename`; without a running number the number 1 is used.
    [[nodiscard]] std::string renameWithCurrentPattern(std::string_view filename,
                                                       std::optional<std::int64_t> increment);
    [[nodiscard]] std::string renameWithCurrentPattern(std::string_view filename);
    /// The same, with the {variables} of tokens filled from `variables` (null: tokens as they
    /// are), characters unsafe in file names replaced.
    [[nodiscard]] std::string renameWithCurrentPattern(std::string_view filename,
                                                       std::optional<std::int64_t> increment,
                                                       const OVTextVariables* variables);
    /// Whether a token may hold a {variable}, so that names need the images' metadata.
    [[nodiscard]] bool hasVariableTokens() const;

    /// The date text of this moment: "/" replaced by "-", "," removed.
    [[nodiscard]] std::string date();

private:
    std::vector<std::string> tokens_;
    std::int64_t numberOfDigits_ = 0;
    std::uint64_t dateStyle_ = 0;
    std::unique_ptr<OVNumberFormatter> numberFormatter_;
    std::unique_ptr<OVDateFormatter> dateFormatter_;
};

/// Splits a file name into base and extension: the extension is the text after the last dot
/// (empty when there is none, or when the only dot starts the name as in ".profile").
struct OVFilenameParts {
    std::string base;
    std::string extension;
};
OVFilenameParts OVSplitFilename(std::string_view filename);
