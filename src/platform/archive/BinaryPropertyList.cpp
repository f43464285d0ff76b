#include "inkstead/platform/archive/BinaryPropertyList_p.h"

#include <bit>
#include <cstring>
#include <unordered_map>

namespace ov::bplist {

// ---------------------------------------------------------------------------------------------
// UTF-8 <-> UTF-16

std::u16string utf16FromUtf8(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        auto c = static_cast<unsigned char>(utf8[i]);
        char32_t code = 0xFFFD;
        std::size_t length = 1;
        if (c < 0x80) {
            code = c;
        } else {
            std::size_t need = c >= 0xF0 && c < 0xF5   ? 3
                               : c >= 0xE0             ? 2
                               : c >= 0xC2 && c < 0xE0 ? 1
                                                       : 0;
            if (c >= 0xF5)
                need = 0;
            char32_t value = need == 3 ? c & 0x07 : need == 2 ? c & 0x0F : c & 0x1F;
            std::size_t k = 1;
            for (; need && k <= need && i + k < utf8.size(); ++k) {
                auto next = static_cast<unsigned char>(utf8[i + k]);
                if ((next & 0xC0) != 0x80)
                    break;
                value = value << 6 | (next & 0x3F);
            }
            if (need && k == need + 1) {
                bool overlong = (need == 2 && value < 0x800) || (need == 3 && value < 0x10000);
                bool surrogate = value >= 0xD800 && value <= 0xDFFF;
                if (!overlong && !surrogate && value <= 0x10FFFF) {
                    code = value;
                    length = need + 1;
                } else {
                    length = k;
                }
            } else {
                length = need ? k : 1;
            }
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
        i += length;
    }
    return out;
}

namespace {

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | code >> 6));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | code >> 12));
        out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | code >> 18));
        out.push_back(static_cast<char>(0x80 | (code >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

} // namespace

std::string utf8FromUtf16(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t unit = utf16[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (utf16[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            appendUtf8(out, 0xFFFD);
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Writer

namespace {

void appendBigEndian(std::string& out, std::uint64_t value, unsigned width) {
    for (unsigned i = width; i-- > 0;)
        out.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

unsigned widthFor(std::uint64_t value) {
    if (value < 0x100)
        return 1;
    if (value < 0x10000)
        return 2;
    if (value < 0x100000000ULL)
        return 4;
    return 8;
}

void appendInteger(std::string& out, std::int64_t value) {
    if (value < 0) {
        out.push_back('\x13');
        appendBigEndian(out, static_cast<std::uint64_t>(value), 8);
        return;
    }
    unsigned width = widthFor(static_cast<std::uint64_t>(value));
    out.push_back(static_cast<char>(0x10 | std::countr_zero(width)));
    appendBigEndian(out, static_cast<std::uint64_t>(value), width);
}

void appendMarkerWithCount(std::string& out, unsigned type, std::uint64_t count) {
    if (count < 15) {
        out.push_back(static_cast<char>(type << 4 | count));
    } else {
        out.push_back(static_cast<char>(type << 4 | 0x0F));
        appendInteger(out, static_cast<std::int64_t>(count));
    }
}

struct Entry {
    std::string encoded; // scalars: the complete encoding
    unsigned type = 0;   // containers: 0xA or 0xD
    std::vector<std::size_t> children;
};

class Flattener {
public:
    std::vector<Entry> entries;

    std::size_t add(const Value& value) {
        if (auto* array = std::get_if<Array>(&value.v)) {
            std::size_t index = reserve(0xA);
            std::vector<std::size_t> children;
            children.reserve(array->size());
            for (const auto& element : *array)
                children.push_back(add(element));
            entries[index].children = std::move(children);
            return index;
        }
        if (auto* dictionary = std::get_if<Dictionary>(&value.v)) {
            std::size_t index = reserve(0xD);
            std::vector<std::size_t> keys, values;
            for (const auto& [key, element] : *dictionary) {
                keys.push_back(add(Value(key)));
                values.push_back(add(element));
            }
            keys.insert(keys.end(), values.begin(), values.end());
            entries[index].children = std::move(keys);
            return index;
        }
        return addScalar(encodeScalar(value));
    }

private:
    std::unordered_map<std::string, std::size_t> scalars_;

    std::size_t reserve(unsigned type) {
        entries.push_back(Entry{{}, type, {}});
        return entries.size() - 1;
    }

    std::size_t addScalar(std::string encoded) {
        auto [it, inserted] = scalars_.try_emplace(encoded, entries.size());
        if (inserted)
            entries.push_back(Entry{std::move(encoded), 0, {}});
        return it->second;
    }

    static std::string encodeScalar(const Value& value) {
        std::string out;
        std::visit(
            [&out](const auto& v) {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, bool>) {
                    out.push_back(v ? '\x09' : '\x08');
                } else if constexpr (std::is_same_v<T, std::int64_t>) {
                    appendInteger(out, v);
                } else if constexpr (std::is_same_v<T, float>) {
                    out.push_back('\x22');
                    appendBigEndian(out, std::bit_cast<std::uint32_t>(v), 4);
                } else if constexpr (std::is_same_v<T, double>) {
                    out.push_back('\x23');
                    appendBigEndian(out, std::bit_cast<std::uint64_t>(v), 8);
                } else if constexpr (std::is_same_v<T, std::string>) {
                    bool ascii = true;
                    for (unsigned char c : v)
                        ascii = ascii && c < 0x80;
                    if (ascii) {
                        appendMarkerWithCount(out, 0x5, v.size());
                        out += v;
                    } else {
                        std::u16string units = utf16FromUtf8(v);
                        appendMarkerWithCount(out, 0x6, units.size());
                        for (char16_t unit : units)
                            appendBigEndian(out, unit, 2);
                    }
                } else if constexpr (std::is_same_v<T, Data>) {
                    appendMarkerWithCount(out, 0x4, v.bytes.size());
                    out.append(reinterpret_cast<const char*>(v.bytes.data()), v.bytes.size());
                } else if constexpr (std::is_same_v<T, Uid>) {
                    unsigned width = widthFor(v.value);
                    out.push_back(static_cast<char>(0x80 | (width - 1)));
                    appendBigEndian(out, v.value, width);
                }
            },
            value.v);
        return out;
    }
};

} // namespace

std::vector<std::uint8_t> write(const Value& top) {
    Flattener flattener;
    flattener.add(top);
    const auto& entries = flattener.entries;

    const unsigned refSize = widthFor(entries.size());
    std::string out = "bplist00";
    std::vector<std::uint64_t> offsets;
    offsets.reserve(entries.size());
    for (const auto& entry : entries) {
        offsets.push_back(out.size());
        if (entry.type == 0) {
            out += entry.encoded;
            continue;
        }
        std::size_t count = entry.type == 0xD ? entry.children.size() / 2 : entry.children.size();
        appendMarkerWithCount(out, entry.type, count);
        for (std::size_t child : entry.children)
            appendBigEndian(out, child, refSize);
    }

    const std::uint64_t tableOffset = out.size();
    const unsigned offsetSize = widthFor(tableOffset);
    for (std::uint64_t offset : offsets)
        appendBigEndian(out, offset, offsetSize);
    out.append(6, '\0');
    out.push_back(static_cast<char>(offsetSize));
    out.push_back(static_cast<char>(refSize));
    appendBigEndian(out, entries.size(), 8);
    appendBigEndian(out, 0, 8); // the root is always laid out first
    appendBigEndian(out, tableOffset, 8);
    return {out.begin(), out.end()};
}

// ---------------------------------------------------------------------------------------------
// Reader

namespace {

std::uint64_t readBigEndian(const std::uint8_t* p, unsigned width) {
    std::uint64_t value = 0;
    for (unsigned i = 0; i < width; ++i)
        value = value << 8 | p[i];
    return value;
}

constexpr std::uint64_t kTrailerSize = 32;

} // namespace

std::optional<Reader> Reader::open(std::span<const std::uint8_t> bytes, std::string* error) {
    auto fail = [error](const char* why) -> std::optional<Reader> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const std::uint64_t length = bytes.size();
    if (length < 8 + 1 + kTrailerSize)
        return fail("file too short for a property list");
    if (std::memcmp(bytes.data(), "bplist0", 7) != 0)
        return fail("not a binary property list");

    const std::uint8_t* trailer = bytes.data() + length - kTrailerSize;
    Reader reader;
    reader.bytes_ = bytes;
    reader.offsetSize_ = trailer[6];
    reader.refSize_ = trailer[7];
    reader.count_ = readBigEndian(trailer + 8, 8);
    reader.top_ = readBigEndian(trailer + 16, 8);
    reader.tableOffset_ = readBigEndian(trailer + 24, 8);

    if (reader.offsetSize_ < 1 || reader.offsetSize_ > 8 || reader.refSize_ < 1 ||
        reader.refSize_ > 8)
        return fail("bad offset or reference width");
    if (reader.count_ < 1 || reader.top_ >= reader.count_)
        return fail("bad object count or top object");
    if (reader.tableOffset_ < 9 || reader.tableOffset_ >= length - kTrailerSize)
        return fail("offset table out of bounds");
    // count_ * offsetSize_ cannot overflow once count_ is known to be below the file length.
    if (reader.count_ > length ||
        reader.tableOffset_ + reader.count_ * reader.offsetSize_ + kTrailerSize != length)
        return fail("file length does not match the offset table");
    if (reader.refSize_ < 8 && (reader.count_ >> (8 * reader.refSize_)) != 0)
        return fail("references too narrow for the object count");
    if (reader.offsetSize_ < 8 && (reader.tableOffset_ >> (8 * reader.offsetSize_)) != 0)
        return fail("offsets too narrow for the object table");
    return reader;
}

std::optional<std::uint64_t> Reader::offsetOf(std::uint64_t ref) const {
    if (ref >= count_)
        return std::nullopt;
    std::uint64_t offset =
        readBigEndian(bytes_.data() + tableOffset_ + ref * offsetSize_, offsetSize_);
    if (offset < 8 || offset >= tableOffset_)
        return std::nullopt;
    return offset;
}

const Object* Reader::object(std::uint64_t ref) {
    auto offset = offsetOf(ref);
    if (!offset)
        return nullptr;
    auto it = cache_.find(*offset);
    if (it == cache_.end())
        it = cache_.emplace(*offset, parseAt(*offset)).first;
    return it->second ? &*it->second : nullptr;
}

std::optional<Object> Reader::parseAt(std::uint64_t offset) {
    const std::uint8_t* base = bytes_.data();
    const std::uint64_t end = tableOffset_;
    std::uint64_t pos = offset;
    auto available = [&](std::uint64_t n) { return n <= end - pos; };

    // Refuses work far beyond the file's size (overlapping hostile objects).
    const std::uint64_t budget = 64 * bytes_.size() + (1u << 20);
    auto charge = [&](std::uint64_t amount) {
        work_ += amount;
        return work_ <= budget;
    };

    auto readCount = [&](std::uint8_t marker) -> std::optional<std::uint64_t> {
        std::uint64_t count = marker & 0x0F;
        if (count != 0x0F)
            return count;
        if (!available(1))
            return std::nullopt;
        std::uint8_t intMarker = base[pos++];
        if ((intMarker & 0xF0) != 0x10 || (intMarker & 0x0F) > 3)
            return std::nullopt;
        unsigned width = 1u << (intMarker & 0x0F);
        if (!available(width))
            return std::nullopt;
        count = readBigEndian(base + pos, width);
        pos += width;
        if (width == 8 && count >> 63)
            return std::nullopt;
        return count;
    };

    if (!available(1))
        return std::nullopt;
    const std::uint8_t marker = base[pos++];
    const unsigned low = marker & 0x0F;
    Object object;
    switch (marker >> 4) {
    case 0x0:
        if (marker != 0x08 && marker != 0x09)
            return std::nullopt;
        object.type = Object::Type::Boolean;
        object.boolean = marker == 0x09;
        break;
    case 0x1: {
        if (low > 4)
            return std::nullopt;
        unsigned width = 1u << low;
        if (!available(width))
            return std::nullopt;
        object.type = Object::Type::Integer;
        // 1-, 2- and 4-byte integers are unsigned; 8 and 16 bytes are signed and only the
        // low 8 bytes carry the value.
        std::uint64_t value =
            readBigEndian(base + pos + (width == 16 ? 8 : 0), width == 16 ? 8 : width);
        object.integer = static_cast<std::int64_t>(value);
        pos += width;
        break;
    }
    case 0x2:
        object.type = Object::Type::Real;
        if (low == 2 && available(4)) {
            object.real =
                std::bit_cast<float>(static_cast<std::uint32_t>(readBigEndian(base + pos, 4)));
            object.singlePrecision = true;
        } else if (low == 3 && available(8)) {
            object.real = std::bit_cast<double>(readBigEndian(base + pos, 8));
        } else {
            return std::nullopt;
        }
        break;
    case 0x3:
        if (marker != 0x33 || !available(8))
            return std::nullopt;
        object.type = Object::Type::Date;
        object.real = std::bit_cast<double>(readBigEndian(base + pos, 8));
        break;
    case 0x4:
    case 0x5:
    case 0x6: {
        auto count = readCount(marker);
        if (!count)
            return std::nullopt;
        const bool utf16 = marker >> 4 == 0x6;
        if (utf16 && *count > (end - pos) / 2)
            return std::nullopt;
        std::uint64_t size = utf16 ? *count * 2 : *count;
        if (!available(size) || !charge(size))
            return std::nullopt;
        const auto* body = reinterpret_cast<const char*>(base + pos);
        if (marker >> 4 == 0x4) {
            object.type = Object::Type::Data;
            object.bytes.assign(body, size);
        } else if (!utf16) {
            object.type = Object::Type::String;
            object.bytes.assign(body, size);
            for (unsigned char c : object.bytes)
                if (c >= 0x80)
                    return std::nullopt;
        } else {
            object.type = Object::Type::String;
            std::u16string units(*count, u'\0');
            for (std::uint64_t i = 0; i < *count; ++i)
                units[i] = static_cast<char16_t>(readBigEndian(base + pos + 2 * i, 2));
            object.bytes = utf8FromUtf16(units);
        }
        break;
    }
    case 0x8: {
        unsigned width = low + 1;
        if (width > 8 || !available(width))
            return std::nullopt;
        object.type = Object::Type::Uid;
        object.uid = readBigEndian(base + pos, width);
        if (object.uid > 0xFFFFFFFFULL)
            return std::nullopt;
        break;
    }
    case 0xA:
    case 0xD: {
        auto count = readCount(marker);
        if (!count)
            return std::nullopt;
        const bool dictionary = marker >> 4 == 0xD;
        std::uint64_t refs = *count;
        if (dictionary) {
            if (refs > (end - pos) / 2)
                return std::nullopt;
            refs *= 2;
        }
        if (refs > (end - pos) / refSize_ || !charge(refs * 8))
            return std::nullopt;
        object.type = dictionary ? Object::Type::Dictionary : Object::Type::Array;
        object.refs.resize(refs);
        for (std::uint64_t i = 0; i < refs; ++i) {
            object.refs[i] = readBigEndian(base + pos + i * refSize_, refSize_);
            if (object.refs[i] >= count_)
                return std::nullopt;
        }
        break;
    }
    default:
        return std::nullopt;
    }
    if (!charge(16))
        return std::nullopt;
    return object;
}

const std::string* Reader::keyAt(const Object& dictionary, std::size_t index) {
    if (dictionary.type != Object::Type::Dictionary || index >= dictionary.count())
        return nullptr;
    const Object* key = object(dictionary.refs[index]);
    return key && key->type == Object::Type::String ? &key->bytes : nullptr;
}

std::optional<std::uint64_t> Reader::lookup(const Object& dictionary, std::string_view key) {
    if (dictionary.type != Object::Type::Dictionary)
        return std::nullopt;
    const std::size_t count = dictionary.count();
    // Look-ups are charged too: many records sharing one huge dictionary must not add up to
    // unbounded work.
    work_ += count;
    if (work_ > 64 * bytes_.size() + (1u << 20))
        return std::nullopt;
    for (std::size_t i = 0; i < count; ++i) {
        const Object* candidate = object(dictionary.refs[i]);
        if (candidate && candidate->type == Object::Type::String && candidate->bytes == key)
            return dictionary.refs[count + i];
    }
    return std::nullopt;
}

} // namespace ov::bplist
