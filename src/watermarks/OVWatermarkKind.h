#pragma once

#include "inkstead/platform/gfx/Color.h"
#include "inkstead/platform/gfx/Geometry.h"
#include "inkstead/platform/gfx/Image.h"
#include "inkstead/platform/log/Result.h"
#include "inkstead/watermarks/OVWatermarkKeys.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <typeinfo>
#include <variant>
#include <vector>

class OVWatermark;

/// Whether `watermark` is drawn repeated over the image: its kind repeats and its tiling is
/// enabled.
[[nodiscard]] bool OVWatermarkIsTiled(const OVWatermark& watermark);

/// The value of one editable property of a watermark kind. Which alternative a property uses
/// follows from its type: Bool → bool; Number → double; Text and FontName → std::string;
/// Color → std::optional<ov::Color> (no colour allowed); Choice → double holding the index of
/// the choice; Point → ov::Point; Size → ov::Size; Picture → ov::ImagePtr (decoded pixels).
using OVPropertyValue = std::variant<bool, double, std::string, std::optional<ov::Color>, ov::Point,
                                     ov::Size, ov::ImagePtr>;

enum class OVPropertyType { Bool, Number, Text, FontName, Color, Choice, Point, Size, Picture };

/// Settings every watermark has, and which a kind may or may not draw with.
enum OVSharedSetting : unsigned {
    OVSharedSettingOpacity = 1u << 0,
    OVSharedSettingShadow = 1u << 1,
    OVSharedSettingRotation = 1u << 2,
    /// Placed by anchor, margin and size (OVPlacement).
    OVSharedSettingAnchorPlacement = 1u << 3,
    /// Placed over an area of the image (relative position and size of a rectangle).
    OVSharedSettingAreaPlacement = 1u << 4,
    /// Repeats over the image in a grid (OVTiling); the kind lists the tiling properties.
    OVSharedSettingTiling = 1u << 5,
};

/// One property a kind adds to the base watermark: its names, its type and range, and how to
/// read and write it on a watermark of the kind.
struct OVWatermarkProperty {
    /// Stable name in the preset JSON form and in program interfaces ("strokeColor").
    std::string_view key;
    /// Short name for command lines ("color"); several kinds may share one for the same idea.
    std::string_view option;
    /// Words for an inspector ("Outline colour").
    std::string_view label;
    OVPropertyType type = OVPropertyType::Number;
    double minimum = 0; ///< Number, Size (each side): smallest value accepted
    double maximum = 0; ///< Number, Size (each side): largest value accepted
    /// Choice: the names of the values, by stored value.
    std::vector<std::string_view> choices;
    /// What the kind's factory sets.
    OVPropertyValue defaultValue;
    /// False for state that travels with the watermark (in archives and JSON) but is not offered
    /// for editing, such as an arrow's points as fractions of the image.
    bool editable = true;
    /// A setting that the first readers of the presets file do not know: archived under its
    /// key, and written to the preset JSON form (which then needs version 2), only when it
    /// differs from its default. Read back by every kind through the base record.
    bool additional = false;
    /// Setting it rebuilds the base geometry (origin, size): a reader of a whole record sets it
    /// after the base entries, so that it wins.
    bool setsGeometry = false;
    /// Both take a watermark of the kind's class (see OVWatermarkKindOfInstance()).
    std::function<OVPropertyValue(const OVWatermark&)> get;
    /// Given a value of the property's type in range.
    std::function<void(OVWatermark&, const OVPropertyValue&)> set;
};

/// What a watermark kind says about itself, once: its name, type code, archived class name,
/// factory, the shared settings it draws with and its own properties. Command lines, the preset
/// JSON codec and inspectors read this instead of knowing the kinds' classes.
struct OVWatermarkKind {
    std::string_view name; ///< "text", "image", ...
    OVWatermarkType type = OVWatermarkTypeText;
    std::string_view className; ///< the archived class name
    std::string_view title;     ///< words for people ("Text", "Pixellate")
    std::function<std::shared_ptr<OVWatermark>()> make;
    unsigned sharedSettings = 0; ///< OVSharedSetting flags
    /// In the order a reader must set them (later ones may depend on earlier ones).
    std::vector<OVWatermarkProperty> properties;
    /// Registers the class for decoding; called once by OVRegisterWatermarkKinds().
    std::function<void()> registerArchivedClass;
    /// The kind's class; a watermark of another class (a plain OVWatermark carrying the kind's
    /// type code) has none of the kind's properties.
    const std::type_info* classType = nullptr;

    [[nodiscard]] bool drawsWith(OVSharedSetting setting) const {
        return (sharedSettings & setting) != 0;
    }
    /// The property with this key or, failing that, this option name; null when none.
    [[nodiscard]] const OVWatermarkProperty* property(std::string_view keyOrOption) const;
};

/// The settings every watermark has, described like a kind's own properties, in the order a
/// reader of a whole record sets them: title, geometry, opacity, rotation, shadow and the
/// relative placement model. The identifier and the anchor placement (OVPlacement) are not
/// among them. Editable are the ones an inspector offers: title, opacity, rotation, shadow and
/// proportional resizing.
[[nodiscard]] const std::vector<OVWatermarkProperty>& OVWatermarkBaseProperties();

/// Every kind, in type-code order, registered for decoding on the first call. Thread-safe.
const std::vector<const OVWatermarkKind*>& OVRegisterWatermarkKinds();
/// The kind with this type code, or null (a code from a damaged record).
[[nodiscard]] const OVWatermarkKind* OVWatermarkKindOfType(OVWatermarkType type);
/// The kind with this name, or null.
[[nodiscard]] const OVWatermarkKind* OVWatermarkKindNamed(std::string_view name);
/// The kind of `watermark` when it is an object of the kind's class, else null.
[[nodiscard]] const OVWatermarkKind* OVWatermarkKindOfInstance(const OVWatermark& watermark);
/// The kind of `watermark` (by its type code), or null: for naming it. Its properties apply only
/// when OVWatermarkKindOfInstance() gives the same kind; a damaged file may pair a type code
/// with another class.
[[nodiscard]] const OVWatermarkKind* OVWatermarkKindOf(const OVWatermark& watermark);

/// A value of `property` read from text as people type it: a number in the property's range
/// ("12", "-4.5"); true/false (also yes/no, on/off, 1/0); a colour "#RRGGBB", "#RRGGBBAA" or
/// "none"; a choice by its name; a text that is not empty; a font name; for a picture, the
/// picture in the file the text names (OVPictureWithContentsOfFile()). The error (code
/// invalid_argument) says what was expected. Points and sizes are not read from text.
[[nodiscard]] ov::Result<OVPropertyValue>
OVPropertyValueFromString(const OVWatermarkProperty& property, std::string_view text);

/// A value of `property` as text that OVPropertyValueFromString() reads back: numbers with up to
/// ten significant digits, colours "#RRGGBB[AA]" ("none" for no colour), choices by name; a
/// picture as "<width>x<height> px", points and sizes as "x,y" (not read back).
[[nodiscard]] std::string OVPropertyValueString(const OVWatermarkProperty& property,
                                                const OVPropertyValue& value);

/// Pictures of more pixels than this are refused before they are decoded: a decompression bomb
/// rather than a watermark.
inline constexpr double kOVMaxWatermarkPicturePixels = 100e6;
/// The first picture of an image file of any format the library reads, upright and at full
/// size, for an image watermark; refused when it is not a regular file, cannot be decoded, or
/// has more than kOVMaxWatermarkPicturePixels pixels (code file_too_large).
[[nodiscard]] ov::Result<ov::ImagePtr>
OVPictureWithContentsOfFile(const std::filesystem::path& file);
/// Longest side of the bitmap rendition of a vector picture (previews, hit testing); drawing
/// uses the vector picture itself.
inline constexpr int kOVVectorRenditionSide = 2048;
/// A picture from an SVG document: a bitmap rendition at the document's size (its longer side
/// at most kOVVectorRenditionSide pixels) that keeps the document (Image::vectorSource()), so
/// that image watermarks draw it sharp at any size. Refused when the bytes are no SVG document
/// with a size.
[[nodiscard]] ov::Result<ov::ImagePtr> OVPictureWithVectorData(std::vector<std::uint8_t> bytes);
/// The same for a picture held in memory (such as one from a preset's JSON form).
[[nodiscard]] ov::Result<ov::ImagePtr> OVPictureWithData(std::span<const std::uint8_t> bytes);
