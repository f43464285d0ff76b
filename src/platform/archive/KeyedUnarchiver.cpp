#include "inkstead/platform/archive/KeyedUnarchiver.h"

#include "inkstead/platform/archive/BinaryPropertyList_p.h"
#include "inkstead/platform/archive/KeyedArchiveFormat_p.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <exception>
#include <limits>
#include <unordered_map>
#include <unordered_set>

namespace ov {

using bplist::Object;
using Type = bplist::Object::Type;

namespace {

// Nesting of records being decoded at once (root list, preset, watermark list, watermark,
// colour...). Real archives need a handful; the cap keeps hostile ones off the stack's end.
constexpr std::size_t kMaxDepth = 64;

std::string escapedKey(std::string_view key) {
    std::string name;
    if (key.starts_with('$'))
        name.push_back('$');
    name.append(key);
    return name;
}

std::optional<double> numberValue(const Object* object) {
    if (!object)
        return std::nullopt;
    switch (object->type) {
    case Type::Boolean:
        return object->boolean ? 1.0 : 0.0;
    case Type::Integer:
        return static_cast<double>(object->integer);
    case Type::Real:
        return object->real;
    default:
        return std::nullopt;
    }
}

} // namespace

struct KeyedUnarchiver::Impl {
    std::vector<std::uint8_t> data;
    std::optional<bplist::Reader> reader;
    const Object* objects = nullptr;   // the $objects array
    std::vector<const Object*> scopes; // records being decoded; scopes[0] is $top
    std::unordered_map<std::uint64_t, std::shared_ptr<KeyedCoding>> decoded;
    std::unordered_set<std::uint64_t> inProgress;
    std::string error;

    void fail(std::string why) {
        if (error.empty())
            error = std::move(why);
    }

    const Object* object(std::uint64_t ref) {
        const Object* result = reader->object(ref);
        if (!result)
            fail("malformed object");
        return result;
    }

    std::optional<std::uint64_t> lookupRef(const Object* dictionary, std::string_view key) {
        if (!dictionary || dictionary->type != Type::Dictionary)
            return std::nullopt;
        return reader->lookup(*dictionary, key);
    }

    const Object* lookup(const Object* dictionary, std::string_view key) {
        auto ref = lookupRef(dictionary, key);
        return ref ? object(*ref) : nullptr;
    }

    // The value stored under a caller's key in the current record.
    const Object* valueFor(std::string_view key) {
        if (!reader || scopes.empty())
            return nullptr;
        const Object* scope = scopes.back();
        const Object* value = lookup(scope, escapedKey(key));
        // A lenient reading of the root table: an archive whose single root has another name.
        if (!value && scopes.size() == 1 && key == "root" && scope->count() == 1)
            value = object(scope->refs[1]);
        return value;
    }

    // The $objects entry a UID names; null for nil, "$null" and anything out of range.
    const Object* entry(std::uint64_t uid) {
        if (uid == 0 || !objects)
            return nullptr;
        if (uid >= objects->count()) {
            fail("UID out of range");
            return nullptr;
        }
        const Object* result = object(objects->refs[uid]);
        if (result && result->type == Type::String && result->bytes == keyed::kNull)
            return nullptr;
        return result;
    }

    // An object entry reached through a UID value, or a value stored inline.
    const Object* resolve(const Object* value) {
        if (value && value->type == Type::Uid)
            return entry(value->uid);
        return value;
    }

    std::optional<std::string> className(const Object* record) {
        const Object* classRef = lookup(record, "$class");
        if (!classRef || classRef->type != Type::Uid)
            return std::nullopt;
        const Object* description = entry(classRef->uid);
        const Object* name = lookup(description, "$classname");
        if (!name || name->type != Type::String)
            return std::nullopt;
        return name->bytes;
    }

    bool hasClass(const Object* record, std::initializer_list<std::string_view> names) {
        auto name = className(record);
        if (!name)
            return false;
        for (auto candidate : names)
            if (*name == candidate)
                return true;
        return false;
    }

    std::optional<std::string> stringFrom(const Object* value) {
        value = resolve(value);
        if (!value)
            return std::nullopt;
        if (value->type == Type::String)
            return value->bytes;
        if (value->type != Type::Dictionary)
            return std::nullopt;
        if (const Object* inner = lookup(value, "NS.string"); inner && inner->type == Type::String)
            return inner->bytes;
        if (const Object* bytes = lookup(value, "NS.bytes"); bytes && bytes->type == Type::Data)
            return bytes->bytes;
        return std::nullopt;
    }

    std::shared_ptr<KeyedCoding> objectAt(std::uint64_t uid, KeyedUnarchiver& coder) {
        if (uid == 0)
            return nullptr;
        if (auto it = decoded.find(uid); it != decoded.end())
            return it->second;
        if (inProgress.contains(uid)) {
            fail("reference cycle");
            return nullptr;
        }
        if (scopes.size() >= kMaxDepth) {
            fail("records nested too deeply");
            return nullptr;
        }
        const Object* record = entry(uid);
        if (!record || record->type != Type::Dictionary)
            return nullptr;
        auto name = className(record);
        if (!name) {
            fail("record without a class");
            return nullptr;
        }
        auto info = KeyedClassRegistry::shared().classNamed(*name);
        if (!info) {
            fail("unknown class " + *name);
            return nullptr;
        }
        inProgress.insert(uid);
        scopes.push_back(record);
        std::shared_ptr<KeyedCoding> result;
        try {
            result = info->factory(coder);
        } catch (const std::exception&) {
            fail("decoding " + *name + " failed");
        }
        scopes.pop_back();
        inProgress.erase(uid);
        decoded[uid] = result;
        return result;
    }

    std::optional<std::vector<std::shared_ptr<KeyedCoding>>> arrayAt(std::uint64_t uid,
                                                                     KeyedUnarchiver& coder) {
        const Object* record = entry(uid);
        if (!record || !hasClass(record, {"NSArray", "NSMutableArray"}))
            return std::nullopt;
        if (inProgress.contains(uid)) {
            fail("reference cycle");
            return std::nullopt;
        }
        std::vector<std::uint64_t> uids;
        if (const Object* elements = lookup(record, "NS.objects")) {
            if (elements->type != Type::Array)
                return std::nullopt;
            for (std::uint64_t ref : elements->refs) {
                const Object* element = object(ref);
                if (element && element->type == Type::Uid && element->uid != 0)
                    uids.push_back(element->uid);
            }
        } else {
            // Some writers store the elements under numbered keys instead: one pass over the
            // keys, then the elements in the order of their numbers.
            std::vector<std::pair<std::uint64_t, std::uint64_t>> numbered; // number, UID
            const std::string_view prefix = "NS.object.";
            for (std::size_t i = 0; i < record->count(); ++i) {
                const std::string* key = reader->keyAt(*record, i);
                if (!key || !key->starts_with(prefix))
                    continue;
                std::uint64_t number = 0;
                auto digits = std::string_view(*key).substr(prefix.size());
                auto [end, ec] =
                    std::from_chars(digits.data(), digits.data() + digits.size(), number);
                if (ec != std::errc() || end != digits.data() + digits.size())
                    continue;
                const Object* element = object(record->refs[record->count() + i]);
                if (element && element->type == Type::Uid && element->uid != 0)
                    numbered.emplace_back(number, element->uid);
            }
            std::sort(numbered.begin(), numbered.end());
            for (const auto& [number, element] : numbered)
                uids.push_back(element);
        }
        inProgress.insert(uid);
        std::vector<std::shared_ptr<KeyedCoding>> result;
        result.reserve(uids.size());
        for (std::uint64_t element : uids)
            if (auto decodedObject = objectAt(element, coder))
                result.push_back(std::move(decodedObject));
        inProgress.erase(uid);
        return result;
    }

    std::optional<Color> colorFrom(const Object* record, int depth) {
        if (!record || depth > 8 || !hasClass(record, {"NSColor"}))
            return std::nullopt;
        auto components = [&](std::string_view key) -> std::optional<std::vector<double>> {
            const Object* data = lookup(record, key);
            if (!data || (data->type != Type::Data && data->type != Type::String))
                return std::nullopt;
            return keyed::parseNumbers(data->bytes);
        };
        auto numbers = [&](std::string_view key) {
            auto values = components(key);
            return values ? values : components("NSComponents");
        };
        const Object* space = lookup(record, "NSColorSpace");
        std::int64_t code = space && space->type == Type::Integer ? space->integer : 0;
        if (code == 0) // no colour space: go by the component key present
            code = lookup(record, "NSRGB") ? 1 : lookup(record, "NSWhite") ? 3 : 0;
        switch (code) {
        case 1:
        case 2: {
            auto rgb = numbers("NSRGB");
            if (!rgb || rgb->size() < 3)
                return std::nullopt;
            return Color{(*rgb)[0], (*rgb)[1], (*rgb)[2], rgb->size() > 3 ? (*rgb)[3] : 1.0};
        }
        case 3:
        case 4: {
            auto white = numbers("NSWhite");
            if (!white || white->empty())
                return std::nullopt;
            double w = (*white)[0];
            return Color{w, w, w, white->size() > 1 ? (*white)[1] : 1.0};
        }
        case 5: {
            auto cmyk = numbers("NSCYMK");
            if (!cmyk || cmyk->size() < 4)
                return std::nullopt;
            double k = 1 - (*cmyk)[3];
            return Color{(1 - (*cmyk)[0]) * k, (1 - (*cmyk)[1]) * k, (1 - (*cmyk)[2]) * k,
                         cmyk->size() > 4 ? (*cmyk)[4] : 1.0};
        }
        case 6: // a catalogue colour carries a concrete colour to fall back on
            return colorFrom(resolve(lookup(record, "NSColor")), depth + 1);
        default:
            return std::nullopt;
        }
    }
};

KeyedUnarchiver::KeyedUnarchiver(std::span<const std::uint8_t> data) : d(std::make_unique<Impl>()) {
    d->data.assign(data.begin(), data.end());
    d->reader = bplist::Reader::open(d->data, &d->error);
    if (!d->reader)
        return;
    const Object* root = d->object(d->reader->topObject());
    const Object* archiver = d->lookup(root, "$archiver");
    const Object* version = d->lookup(root, "$version");
    const Object* top = d->lookup(root, "$top");
    const Object* objects = d->lookup(root, "$objects");
    if (!archiver || archiver->type != Type::String || archiver->bytes != keyed::kArchiverName ||
        !version || version->type != Type::Integer || version->integer != keyed::kArchiveVersion) {
        d->fail("not a keyed archive");
    } else if (!top || top->type != Type::Dictionary || !objects || objects->type != Type::Array) {
        d->fail("keyed archive without its root table or objects");
    } else {
        d->objects = objects;
        d->scopes.push_back(top);
        return;
    }
    d->reader.reset();
}

KeyedUnarchiver::~KeyedUnarchiver() = default;

bool KeyedUnarchiver::isValid() const {
    return d->objects != nullptr;
}

const std::string& KeyedUnarchiver::firstError() const {
    return d->error;
}

bool KeyedUnarchiver::containsValueForKey(std::string_view key) const {
    if (!d->reader || d->scopes.empty())
        return false;
    return d->lookupRef(d->scopes.back(), escapedKey(key)).has_value();
}

std::shared_ptr<KeyedCoding> KeyedUnarchiver::decodeObject(std::string_view key) {
    const Object* value = d->valueFor(key);
    if (!value || value->type != Type::Uid)
        return nullptr;
    return d->objectAt(value->uid, *this);
}

std::optional<std::vector<std::shared_ptr<KeyedCoding>>>
KeyedUnarchiver::decodeArray(std::string_view key) {
    const Object* value = d->valueFor(key);
    if (!value || value->type != Type::Uid)
        return std::nullopt;
    return d->arrayAt(value->uid, *this);
}

std::optional<std::string> KeyedUnarchiver::decodeString(std::string_view key) {
    return d->stringFrom(d->valueFor(key));
}

std::optional<UUID> KeyedUnarchiver::decodeUUID(std::string_view key) {
    const Object* record = d->resolve(d->valueFor(key));
    if (!record || !d->hasClass(record, {"NSUUID"}))
        return std::nullopt;
    const Object* bytes = d->lookup(record, "NS.uuidbytes");
    if (!bytes || bytes->type != Type::Data || bytes->bytes.size() != 16)
        return std::nullopt;
    UUID::Bytes raw;
    for (std::size_t i = 0; i < raw.size(); ++i)
        raw[i] = static_cast<std::uint8_t>(bytes->bytes[i]);
    return UUID(raw);
}

bool KeyedUnarchiver::decodeBoolNumber(std::string_view key) {
    auto value = numberValue(d->resolve(d->valueFor(key)));
    return value && *value != 0;
}

std::optional<Color> KeyedUnarchiver::decodeColor(std::string_view key) {
    return d->colorFrom(d->resolve(d->valueFor(key)), 0);
}

std::optional<FontDescription> KeyedUnarchiver::decodeFont(std::string_view key) {
    const Object* record = d->resolve(d->valueFor(key));
    if (!record || !d->hasClass(record, {"NSFont"}))
        return std::nullopt;
    auto name = d->stringFrom(d->lookup(record, "NSName"));
    if (!name)
        return std::nullopt;
    auto size = numberValue(d->resolve(d->lookup(record, "NSSize")));
    return FontDescription{*name, size && std::isfinite(*size) ? *size : 0.0};
}

Point KeyedUnarchiver::decodePoint(std::string_view key) {
    auto text = d->stringFrom(d->valueFor(key));
    auto numbers = text ? keyed::parseNumbers(*text) : std::vector<double>{};
    if (numbers.size() < 2)
        return {};
    return {numbers[0], numbers[1]};
}

Size KeyedUnarchiver::decodeSize(std::string_view key) {
    Point p = decodePoint(key);
    return {p.x, p.y};
}

Rect KeyedUnarchiver::decodeRect(std::string_view key) {
    auto text = d->stringFrom(d->valueFor(key));
    auto numbers = text ? keyed::parseNumbers(*text) : std::vector<double>{};
    if (numbers.size() < 4)
        return {};
    return {numbers[0], numbers[1], numbers[2], numbers[3]};
}

std::int64_t KeyedUnarchiver::decodeInt64(std::string_view key) {
    const Object* value = d->resolve(d->valueFor(key));
    if (value && value->type == Type::Integer)
        return value->integer;
    auto number = numberValue(value);
    // 2^63 itself is out of range: the largest double below it is the last one that fits.
    if (!number || !std::isfinite(*number) || *number >= 9223372036854775808.0 ||
        *number < -9223372036854775808.0)
        return 0;
    return static_cast<std::int64_t>(*number);
}

float KeyedUnarchiver::decodeFloat(std::string_view key) {
    double number = decodeDouble(key);
    if (std::fabs(number) > std::numeric_limits<float>::max())
        return 0.0f;
    return static_cast<float>(number);
}

double KeyedUnarchiver::decodeDouble(std::string_view key) {
    auto number = numberValue(d->resolve(d->valueFor(key)));
    return number && std::isfinite(*number) ? *number : 0.0;
}

bool KeyedUnarchiver::decodeBool(std::string_view key) {
    return decodeBoolNumber(key);
}

std::optional<std::vector<std::uint8_t>> KeyedUnarchiver::decodeBytes(std::string_view key) {
    const Object* value = d->valueFor(key);
    if (!value || value->type != Type::Data)
        return std::nullopt;
    return std::vector<std::uint8_t>(value->bytes.begin(), value->bytes.end());
}

} // namespace ov
