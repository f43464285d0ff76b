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
#include <string>
#include <string_view>
#include <vector>

namespace ov {

/// Reads a keyed archive in binary property-list form, validating every offset, count and
/// reference, so corrupt or hostile bytes give null/empty results and never read out of bounds.
/// Records are decoded through KeyedClassRegistry by their archived class name; an object
/// referenced several times is decoded once and shared; a reference cycle decodes as null.
/// Not thread-safe: one unarchiver per archive.
///
/// Outside any initWithCoder() the unarchiver reads from the archive's table of root objects
/// (key "root"). Inside initWithCoder() it reads from the record being decoded. A missing key,
/// or a value of the wrong type, reads as 0, 0.0, false, (0, 0), no value or null.
class KeyedUnarchiver {
public:
    /// Parses the container and the archive's root dictionary. The bytes are copied.
    explicit KeyedUnarchiver(std::span<const std::uint8_t> data);
    ~KeyedUnarchiver();
    KeyedUnarchiver(const KeyedUnarchiver&) = delete;
    KeyedUnarchiver& operator=(const KeyedUnarchiver&) = delete;

    /// True when the bytes hold a well-formed binary property list with the keyed-archive root.
    [[nodiscard]] bool isValid() const;
    /// A short description of the first problem met (empty when none), for diagnostics.
    [[nodiscard]] const std::string& firstError() const;

    /// Convenience: the root array of objects of class T, or no value when the archive is
    /// unusable or its root is not an array. Elements that fail to decode or are not T are
    /// left out.
    template <class T>
    [[nodiscard]] static std::optional<std::vector<std::shared_ptr<T>>>
    unarchivedRootArrayOfClass(std::span<const std::uint8_t> data) {
        registerArchivedClassesOf<T>();
        KeyedUnarchiver coder(data);
        return coder.decodeArrayOfObjectsOfClass<T>("root");
    }

    [[nodiscard]] bool containsValueForKey(std::string_view key) const;

    /// \name Objects
    [[nodiscard]] std::shared_ptr<KeyedCoding> decodeObject(std::string_view key);
    template <class T> [[nodiscard]] std::shared_ptr<T> decodeObjectOfClass(std::string_view key) {
        registerArchivedClassesOf<T>();
        return std::dynamic_pointer_cast<T>(decodeObject(key));
    }
    /// The elements of an array record, decoded; no value when the key holds no array.
    [[nodiscard]] std::optional<std::vector<std::shared_ptr<KeyedCoding>>>
    decodeArray(std::string_view key);
    template <class T>
    [[nodiscard]] std::optional<std::vector<std::shared_ptr<T>>>
    decodeArrayOfObjectsOfClass(std::string_view key) {
        registerArchivedClassesOf<T>();
        auto objects = decodeArray(key);
        if (!objects)
            return std::nullopt;
        std::vector<std::shared_ptr<T>> result;
        result.reserve(objects->size());
        for (auto& object : *objects)
            if (auto typed = std::dynamic_pointer_cast<T>(object))
                result.push_back(std::move(typed));
        return result;
    }
    /// A string object (bare, or a mutable-string record), as UTF-8.
    [[nodiscard]] std::optional<std::string> decodeString(std::string_view key);
    [[nodiscard]] std::optional<UUID> decodeUUID(std::string_view key);
    /// A boolean number object (any non-zero number is true); inline booleans are accepted too.
    [[nodiscard]] bool decodeBoolNumber(std::string_view key);
    [[nodiscard]] std::optional<Color> decodeColor(std::string_view key);
    [[nodiscard]] std::optional<FontDescription> decodeFont(std::string_view key);
    [[nodiscard]] Point decodePoint(std::string_view key);
    [[nodiscard]] Size decodeSize(std::string_view key);
    [[nodiscard]] Rect decodeRect(std::string_view key);

    /// \name Inline values; any number is accepted and converted
    /// Values that do not fit the result type, NaN and infinities read as 0.
    [[nodiscard]] std::int64_t decodeInt64(std::string_view key);
    [[nodiscard]] std::int64_t decodeInteger(std::string_view key) { return decodeInt64(key); }
    /// Widened to double by the caller; a 32-bit real comes back exactly as written.
    [[nodiscard]] float decodeFloat(std::string_view key);
    [[nodiscard]] double decodeDouble(std::string_view key);
    [[nodiscard]] bool decodeBool(std::string_view key);
    [[nodiscard]] std::optional<std::vector<std::uint8_t>> decodeBytes(std::string_view key);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace ov
