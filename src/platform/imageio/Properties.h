#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ov {

/// Keys of the image property dictionary.
inline constexpr std::string_view kOVPropertyPixelWidth = "PixelWidth";
inline constexpr std::string_view kOVPropertyPixelHeight = "PixelHeight";
inline constexpr std::string_view kOVPropertyOrientation = "Orientation";
inline constexpr std::string_view kOVPropertyDPIWidth = "DPIWidth";
inline constexpr std::string_view kOVPropertyDPIHeight = "DPIHeight";
inline constexpr std::string_view kOVPropertyColorModel = "ColorModel"; ///< "RGB", "Gray", "CMYK"
inline constexpr std::string_view kOVPropertyDepth = "Depth";           ///< bits per component
inline constexpr std::string_view kOVPropertyHasAlpha = "HasAlpha";
inline constexpr std::string_view kOVPropertyICCProfile = "ICCProfile"; ///< bytes
inline constexpr std::string_view kOVPropertyXMP = "XMP";               ///< the XMP packet, text
/// Pictures in the file (pages of a TIFF, frames of an animation); present when more than one.
inline constexpr std::string_view kOVPropertyImageCount = "ImageCount";
/// Present (1) when the file's XMP packet is not valid XML and was left out of "XMP".
inline constexpr std::string_view kOVPropertyDamagedXMP = "DamagedXMP";
/// Sub-dictionaries; the metadata ones are keyed by tag name ("Make", "DateTimeOriginal").
inline constexpr std::string_view kOVPropertyTIFFDictionary = "{TIFF}";
inline constexpr std::string_view kOVPropertyExifDictionary = "{Exif}";
inline constexpr std::string_view kOVPropertyGPSDictionary = "{GPS}";
inline constexpr std::string_view kOVPropertyIPTCDictionary = "{IPTC}"; ///< "Record.Dataset" keys
/// Everything else of the EXIF block (interoperability, maker-note tags, lens data), by full key.
inline constexpr std::string_view kOVPropertyExifAuxDictionary = "{ExifAux}";
inline constexpr std::string_view kOVPropertyTIFFOrientation = "Orientation";
inline constexpr std::string_view kOVPropertyTIFFXResolution = "XResolution";
inline constexpr std::string_view kOVPropertyTIFFYResolution = "YResolution";

/// An image property dictionary: string keys to integers, reals, text, text lists (repeated
/// IPTC fields), bytes, or nested dictionaries.
///
/// Metadata values read from a file also remember their exact encoding, so that a dictionary
/// read from one file and written into another reproduces every tag bit for bit, maker notes
/// included. Setting a value replaces its encoding; the writer then derives one from the tag.
class Properties {
public:
    using Bytes = std::vector<uint8_t>;
    using StringList = std::vector<std::string>;
    using Value = std::variant<int64_t, double, std::string, StringList, Bytes>;

    /// A value with the encoding it was read in (type code and canonical text; empty when the
    /// value was set by code).
    struct Entry {
        Value value;
        uint16_t encodingType = 0;
        std::string encoding;
    };

    [[nodiscard]] bool empty() const { return entries_.empty() && dictionaries_.empty(); }
    [[nodiscard]] bool contains(std::string_view key) const;
    [[nodiscard]] std::vector<std::string> keys() const;

    [[nodiscard]] const Entry* entry(std::string_view key) const;
    [[nodiscard]] std::optional<int64_t>
    integer(std::string_view key) const; ///< integers and whole reals
    [[nodiscard]] std::optional<double> number(std::string_view key) const; ///< integers and reals
    [[nodiscard]] std::optional<std::string> string(std::string_view key) const;
    [[nodiscard]] std::optional<Bytes> bytes(std::string_view key) const;
    [[nodiscard]] const Properties* dictionary(std::string_view key) const;

    void set(std::string_view key, Value value);
    void setEntry(std::string_view key, Entry entry);
    void setDictionary(std::string_view key, Properties dictionary);
    /// The nested dictionary under `key`, created empty if absent.
    Properties& mutableDictionary(std::string_view key);
    /// Removes a value or nested dictionary; false when there was none.
    bool remove(std::string_view key);

    /// Removes, from the XMP packet under "XMP", every property whose qualified name starts
    /// with one of the prefixes (e.g. "exif:GPS"). Returns the number removed. Other properties
    /// and namespaces stay untouched; an unparsable packet is left as it is.
    int removeXMPProperties(const std::vector<std::string>& prefixes);

    /// A simple XMP property `prefix:name` in the namespace `namespaceURI`, set in the packet
    /// under "XMP" (a new packet when there is none). False when the packet cannot be parsed or
    /// written; the dictionary is then unchanged.
    bool setXMPProperty(std::string_view namespaceURI, std::string_view prefix,
                        std::string_view name, std::string_view value);
    /// The value of the simple XMP property `name` of the namespace `namespaceURI`, whatever
    /// prefix the packet gives that namespace.
    [[nodiscard]] std::optional<std::string> XMPProperty(std::string_view namespaceURI,
                                                         std::string_view name) const;

    friend bool operator==(const Properties& a, const Properties& b);

    [[nodiscard]] const std::map<std::string, Entry, std::less<>>& entries() const {
        return entries_;
    }
    [[nodiscard]] const std::map<std::string, Properties, std::less<>>& dictionaries() const {
        return dictionaries_;
    }

private:
    std::map<std::string, Entry, std::less<>> entries_;
    std::map<std::string, Properties, std::less<>> dictionaries_;
};

bool operator==(const Properties::Entry& a, const Properties::Entry& b);

} // namespace ov
