#pragma once

#include "inkstead/platform/archive/FontDescription.h"
#include "inkstead/platform/archive/KeyedCoding.h"
#include "inkstead/platform/archive/UUID.h"
#include "inkstead/platform/gfx/Color.h"
#include "inkstead/platform/gfx/Geometry.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace ov {

/// Writes an object graph as a keyed archive in binary property-list form. Objects written
/// several times (the same instance) are stored once and referenced; each class is described
/// once. Not thread-safe: one archiver per archive.
///
/// Outside any encodeWithCoder() the archiver writes into the archive's table of root objects,
/// so the usual root is written as `encodeArray(presets, "root", ArrayKind::Mutable)` or
/// `encodeObject(object, "root")`; then encodedData() gives the file's bytes.
///
/// Inside encodeWithCoder() every call adds one entry, in call order, to the record of the
/// object being encoded. Keys starting with '$' are escaped in the file and come back unchanged.
class KeyedArchiver {
public:
    enum class ArrayKind { Immutable, Mutable };

    KeyedArchiver();
    ~KeyedArchiver();
    KeyedArchiver(const KeyedArchiver&) = delete;
    KeyedArchiver& operator=(const KeyedArchiver&) = delete;

    /// Convenience: the bytes of an archive whose root (key "root") is a mutable array of the
    /// given objects.
    [[nodiscard]] static std::vector<std::uint8_t>
    archivedDataWithRootArray(const std::vector<std::shared_ptr<const KeyedCoding>>& objects);

    /// \name Objects, stored by reference
    /// A null object is stored as nil and decodes as null.
    void encodeObject(const std::shared_ptr<const KeyedCoding>& object, std::string_view key);
    /// An array record ("NSArray" or "NSMutableArray") of the objects, in order; null entries are
    /// left out.
    void encodeArray(const std::vector<std::shared_ptr<const KeyedCoding>>& objects,
                     std::string_view key, ArrayKind kind = ArrayKind::Immutable);
    /// A string object; no value stores nil. Text must be UTF-8 (invalid bytes are replaced).
    void encodeString(std::optional<std::string_view> string, std::string_view key);
    void encodeUUID(const std::optional<UUID>& uuid, std::string_view key);
    /// A boolean number object (as opposed to the inline encodeBool()).
    void encodeBoolNumber(bool value, std::string_view key);
    /// A colour record; grey colours are written as calibrated white, others as calibrated RGB.
    void encodeColor(const std::optional<Color>& color, std::string_view key);
    void encodeFont(const std::optional<FontDescription>& font, std::string_view key);
    /// Point, size and rectangle strings "{x, y}", "{w, h}", "{{x, y}, {w, h}}".
    void encodePoint(Point point, std::string_view key);
    void encodeSize(Size size, std::string_view key);
    void encodeRect(const Rect& rect, std::string_view key);

    /// \name Values stored inline in the record
    void encodeInt64(std::int64_t value, std::string_view key);
    void encodeInteger(std::int64_t value, std::string_view key) { encodeInt64(value, key); }
    /// Stored as a 32-bit real: callers narrow their doubles here.
    void encodeFloat(float value, std::string_view key);
    void encodeDouble(double value, std::string_view key);
    void encodeBool(bool value, std::string_view key);
    void encodeBytes(std::span<const std::uint8_t> bytes, std::string_view key);

    /// The archive's bytes. Finishes the archive: later encode calls are ignored.
    [[nodiscard]] std::vector<std::uint8_t> encodedData();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace ov
