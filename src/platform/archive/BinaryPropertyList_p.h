#pragma once

// Binary property-list container ("bplist00"): a writer over an owned value tree and a
// bounds-checked, lazily parsing reader. Private to the archive layer and its tests.

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace ov::bplist {

struct Uid {
    std::uint64_t value = 0;
    friend bool operator==(const Uid&, const Uid&) = default;
};

struct Data {
    std::vector<std::uint8_t> bytes;
    friend bool operator==(const Data&, const Data&) = default;
};

struct Value;
using Array = std::vector<Value>;
using Dictionary = std::vector<std::pair<std::string, Value>>; // keys in written order

/// A property-list value to write. Strings are UTF-8; float is written as a 4-byte real and
/// double as an 8-byte real.
struct Value {
    std::variant<bool, std::int64_t, float, double, std::string, Data, Uid, Array, Dictionary> v;

    Value() : v(false) {}
    template <class T> Value(T value) : v(std::move(value)) {}
    Value(const char* string) : v(std::string(string)) {}
    Value(int value) : v(std::int64_t(value)) {}
};

/// Encodes `top` as a complete binary property list. Scalars with identical encodings are
/// stored once; objects are laid out depth first from the root, so the root is object 0.
[[nodiscard]] std::vector<std::uint8_t> write(const Value& top);

/// Converts UTF-8 to UTF-16 code units; invalid sequences become U+FFFD.
[[nodiscard]] std::u16string utf16FromUtf8(std::string_view utf8);
/// Converts UTF-16 code units to UTF-8; unpaired surrogates become U+FFFD.
[[nodiscard]] std::string utf8FromUtf16(std::u16string_view utf16);

/// One parsed object of a binary property list. Containers hold refs (object-table indices):
/// an array its elements, a dictionary its keys followed by its values.
struct Object {
    enum class Type { Boolean, Integer, Real, Date, Data, String, Uid, Array, Dictionary };
    Type type = Type::Boolean;
    bool boolean = false;
    std::int64_t integer = 0;
    double real = 0; // reals and dates
    bool singlePrecision = false;
    std::uint64_t uid = 0;
    std::string bytes; // data bytes, or a string as UTF-8
    std::vector<std::uint64_t> refs;

    [[nodiscard]] bool isNumber() const {
        return type == Type::Boolean || type == Type::Integer || type == Type::Real;
    }
    [[nodiscard]] std::size_t count() const {
        return type == Type::Dictionary ? refs.size() / 2 : refs.size();
    }
};

/// Reads a binary property list in place. open() checks the header, trailer and offset table;
/// objects are parsed on first use, each checked against the bounds of the object table.
class Reader {
public:
    /// No value when the bytes are not a well-formed container; `error` then says why.
    static std::optional<Reader> open(std::span<const std::uint8_t> bytes, std::string* error);

    [[nodiscard]] std::uint64_t objectCount() const { return count_; }
    [[nodiscard]] std::uint64_t topObject() const { return top_; }
    /// The object at `ref`, or null when the ref is out of range or the object is malformed.
    /// The pointer stays valid for the reader's lifetime.
    [[nodiscard]] const Object* object(std::uint64_t ref);
    /// The string of a dictionary's key `index`, or null when it is not a string.
    [[nodiscard]] const std::string* keyAt(const Object& dictionary, std::size_t index);

    /// The value stored under `key` in a dictionary object, as a ref. Every look-up counts
    /// against the reader's work budget.
    [[nodiscard]] std::optional<std::uint64_t> lookup(const Object& dictionary,
                                                      std::string_view key);

private:
    Reader() = default;
    std::optional<std::uint64_t> offsetOf(std::uint64_t ref) const;
    std::optional<Object> parseAt(std::uint64_t offset);

    std::span<const std::uint8_t> bytes_;
    std::uint64_t count_ = 0, top_ = 0, tableOffset_ = 0;
    unsigned offsetSize_ = 0, refSize_ = 0;
    // Parsed objects by byte offset, so refs sharing an offset share one parse.
    std::map<std::uint64_t, std::optional<Object>> cache_;
    // Bytes parsed so far; a hostile table of overlapping objects cannot make the total work
    // grow much beyond the file's size.
    std::uint64_t work_ = 0;
};

} // namespace ov::bplist
