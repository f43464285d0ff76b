#include "inkstead/platform/archive/KeyedArchiver.h"

#include "inkstead/platform/archive/BinaryPropertyList_p.h"
#include "inkstead/platform/archive/KeyedArchiveFormat_p.h"
#include "inkstead/platform/log/Log.h"

#include <map>
#include <typeinfo>
#include <unordered_map>

namespace ov {

using bplist::Array;
using bplist::Data;
using bplist::Dictionary;
using bplist::Uid;
using bplist::Value;

struct KeyedArchiver::Impl {
    // A record being written: its slot in $objects and its entries so far.
    struct Scope {
        std::uint64_t slot = 0;
        Dictionary entries;
    };

    Array objects{Value(std::string(keyed::kNull))};
    std::vector<Scope> scopes{Scope{}}; // scopes[0] is the table of root objects ($top)
    std::unordered_map<const void*, std::uint64_t> identities;
    std::map<std::string, std::uint64_t, std::less<>> classDescriptions;
    std::optional<std::uint64_t> boolSlots[2];
    bool finished = false;

    std::uint64_t newSlot() {
        objects.emplace_back();
        return objects.size() - 1;
    }

    void put(std::string_view key, Value value) {
        std::string name;
        if (key.starts_with('$'))
            name.push_back('$'); // escapes keys that would read as the archive's own
        name.append(key);
        auto& entries = scopes.back().entries;
        for (auto& entry : entries) {
            if (entry.first == name) {
                entry.second = std::move(value);
                return;
            }
        }
        entries.emplace_back(std::move(name), std::move(value));
    }

    std::uint64_t classDescription(std::string_view name, const std::vector<std::string>& chain) {
        auto it = classDescriptions.find(name);
        if (it != classDescriptions.end())
            return it->second;
        std::uint64_t slot = newSlot();
        Array classes;
        for (const auto& c : chain)
            classes.emplace_back(c);
        objects[slot] = Dictionary{{"$classname", std::string(name)}, {"$classes", classes}};
        classDescriptions.emplace(std::string(name), slot);
        return slot;
    }

    // Stores a record of a built-in class in `slot`, "$class" first.
    void storeRecord(std::uint64_t slot, Dictionary entries, std::string_view className,
                     const std::vector<std::string>& chain) {
        Dictionary record{{"$class", Uid{classDescription(className, chain)}}};
        for (auto& entry : entries)
            record.push_back(std::move(entry));
        objects[slot] = std::move(record);
    }

    std::uint64_t uidForString(std::string_view string) {
        std::uint64_t slot = newSlot();
        objects[slot] = std::string(string);
        return slot;
    }
};

KeyedArchiver::KeyedArchiver() : d(std::make_unique<Impl>()) {}
KeyedArchiver::~KeyedArchiver() = default;

std::vector<std::uint8_t> KeyedArchiver::archivedDataWithRootArray(
    const std::vector<std::shared_ptr<const KeyedCoding>>& objects) {
    KeyedArchiver archiver;
    archiver.encodeArray(objects, "root", ArrayKind::Mutable);
    return archiver.encodedData();
}

void KeyedArchiver::encodeObject(const std::shared_ptr<const KeyedCoding>& object,
                                 std::string_view key) {
    if (d->finished)
        return;
    if (!object) {
        d->put(key, Uid{0});
        return;
    }
    if (auto it = d->identities.find(object.get()); it != d->identities.end()) {
        d->put(key, Uid{it->second});
        return;
    }
    auto info = KeyedClassRegistry::shared().classForType(typeid(*object));
    if (!info) {
        std::string line = "KeyedArchiver: no archived class registered for ";
        line.append(typeid(*object).name());
        ov::log(line);
        d->put(key, Uid{0});
        return;
    }
    const std::uint64_t slot = d->newSlot();
    d->identities.emplace(object.get(), slot);
    d->put(key, Uid{slot});

    d->scopes.push_back(Impl::Scope{slot, {}});
    object->encodeWithCoder(*this);
    Dictionary entries = std::move(d->scopes.back().entries);
    d->scopes.pop_back();
    d->storeRecord(slot, std::move(entries), info->name, info->classes);
}

void KeyedArchiver::encodeArray(const std::vector<std::shared_ptr<const KeyedCoding>>& objects,
                                std::string_view key, ArrayKind kind) {
    if (d->finished)
        return;
    const std::uint64_t slot = d->newSlot();
    d->put(key, Uid{slot});

    // Each element is encoded as if under a key of a scratch record, which yields its UID.
    Array uids;
    for (const auto& object : objects) {
        if (!object)
            continue;
        d->scopes.push_back(Impl::Scope{slot, {}});
        encodeObject(object, "element");
        Value uid = std::move(d->scopes.back().entries.front().second);
        d->scopes.pop_back();
        if (std::get<Uid>(uid.v).value != 0)
            uids.push_back(std::move(uid));
    }
    if (kind == ArrayKind::Mutable)
        d->storeRecord(slot, {{"NS.objects", uids}}, "NSMutableArray",
                       {"NSMutableArray", "NSArray", "NSObject"});
    else
        d->storeRecord(slot, {{"NS.objects", uids}}, "NSArray", {"NSArray", "NSObject"});
}

void KeyedArchiver::encodeString(std::optional<std::string_view> string, std::string_view key) {
    if (d->finished)
        return;
    d->put(key, Uid{string ? d->uidForString(*string) : 0});
}

void KeyedArchiver::encodeUUID(const std::optional<UUID>& uuid, std::string_view key) {
    if (d->finished)
        return;
    if (!uuid) {
        d->put(key, Uid{0});
        return;
    }
    const std::uint64_t slot = d->newSlot();
    d->put(key, Uid{slot});
    Data bytes{{uuid->bytes().begin(), uuid->bytes().end()}};
    d->storeRecord(slot, {{"NS.uuidbytes", bytes}}, "NSUUID", {"NSUUID", "NSObject"});
}

void KeyedArchiver::encodeBoolNumber(bool value, std::string_view key) {
    if (d->finished)
        return;
    // Like the platform's shared YES and NO numbers, every flag of one value points at one slot.
    auto& slot = d->boolSlots[value ? 1 : 0];
    if (!slot) {
        slot = d->newSlot();
        d->objects[*slot] = value;
    }
    d->put(key, Uid{*slot});
}

void KeyedArchiver::encodeColor(const std::optional<Color>& color, std::string_view key) {
    if (d->finished)
        return;
    if (!color) {
        d->put(key, Uid{0});
        return;
    }
    const std::uint64_t slot = d->newSlot();
    d->put(key, Uid{slot});
    const Color& c = *color;
    const bool grey = c.red == c.green && c.green == c.blue;
    std::vector<double> components =
        grey ? std::vector<double>{c.red} : std::vector<double>{c.red, c.green, c.blue};
    if (c.alpha != 1)
        components.push_back(c.alpha);
    std::string text = keyed::formatComponents(components);
    Data data{{text.begin(), text.end()}};
    // Calibrated white (3) for greys, which covers black and clear; calibrated RGB (1) otherwise.
    d->storeRecord(
        slot, {{"NSColorSpace", std::int64_t(grey ? 3 : 1)}, {grey ? "NSWhite" : "NSRGB", data}},
        "NSColor", {"NSColor", "NSObject"});
}

void KeyedArchiver::encodeFont(const std::optional<FontDescription>& font, std::string_view key) {
    if (d->finished)
        return;
    if (!font) {
        d->put(key, Uid{0});
        return;
    }
    const std::uint64_t slot = d->newSlot();
    d->put(key, Uid{slot});
    const std::uint64_t name = d->uidForString(font->name);
    d->storeRecord(slot,
                   {{"NSName", Uid{name}}, {"NSSize", font->size}, {"NSfFlags", std::int64_t(16)}},
                   "NSFont", {"NSFont", "NSObject"});
}

void KeyedArchiver::encodePoint(Point point, std::string_view key) {
    if (!d->finished)
        d->put(key, Uid{d->uidForString(keyed::formatPoint(point))});
}

void KeyedArchiver::encodeSize(Size size, std::string_view key) {
    if (!d->finished)
        d->put(key, Uid{d->uidForString(keyed::formatSize(size))});
}

void KeyedArchiver::encodeRect(const Rect& rect, std::string_view key) {
    if (!d->finished)
        d->put(key, Uid{d->uidForString(keyed::formatRect(rect))});
}

void KeyedArchiver::encodeInt64(std::int64_t value, std::string_view key) {
    if (!d->finished)
        d->put(key, value);
}

void KeyedArchiver::encodeFloat(float value, std::string_view key) {
    if (!d->finished)
        d->put(key, value);
}

void KeyedArchiver::encodeDouble(double value, std::string_view key) {
    if (!d->finished)
        d->put(key, value);
}

void KeyedArchiver::encodeBool(bool value, std::string_view key) {
    if (!d->finished)
        d->put(key, value);
}

void KeyedArchiver::encodeBytes(std::span<const std::uint8_t> bytes, std::string_view key) {
    if (!d->finished)
        d->put(key, Data{{bytes.begin(), bytes.end()}});
}

std::vector<std::uint8_t> KeyedArchiver::encodedData() {
    d->finished = true;
    Value root = Dictionary{
        {"$archiver", std::string(keyed::kArchiverName)},
        {"$version", keyed::kArchiveVersion},
        {"$top", std::move(d->scopes.front().entries)},
        {"$objects", std::move(d->objects)},
    };
    d->scopes.front().entries.clear();
    d->objects.clear();
    return bplist::write(root);
}

} // namespace ov
