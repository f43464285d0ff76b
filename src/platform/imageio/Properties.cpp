#include "inkstead/platform/imageio/Properties.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#pragma GCC diagnostic pop

#include <cmath>

namespace ov {

bool Properties::contains(std::string_view key) const {
    return entries_.find(key) != entries_.end() || dictionaries_.find(key) != dictionaries_.end();
}

std::vector<std::string> Properties::keys() const {
    std::vector<std::string> result;
    for (const auto& [key, entry] : entries_) {
        result.push_back(key);
    }
    for (const auto& [key, dictionary] : dictionaries_) {
        result.push_back(key);
    }
    return result;
}

const Properties::Entry* Properties::entry(std::string_view key) const {
    const auto it = entries_.find(key);
    return it == entries_.end() ? nullptr : &it->second;
}

std::optional<int64_t> Properties::integer(std::string_view key) const {
    const auto* e = entry(key);
    if (e == nullptr) {
        return std::nullopt;
    }
    if (const auto* i = std::get_if<int64_t>(&e->value)) {
        return *i;
    }
    if (const auto* r = std::get_if<double>(&e->value);
        r && std::isfinite(*r) && std::trunc(*r) == *r) {
        return static_cast<int64_t>(*r);
    }
    return std::nullopt;
}

std::optional<double> Properties::number(std::string_view key) const {
    const auto* e = entry(key);
    if (e == nullptr) {
        return std::nullopt;
    }
    if (const auto* i = std::get_if<int64_t>(&e->value)) {
        return static_cast<double>(*i);
    }
    if (const auto* r = std::get_if<double>(&e->value)) {
        return *r;
    }
    return std::nullopt;
}

std::optional<std::string> Properties::string(std::string_view key) const {
    const auto* e = entry(key);
    if (e == nullptr) {
        return std::nullopt;
    }
    if (const auto* s = std::get_if<std::string>(&e->value)) {
        return *s;
    }
    return std::nullopt;
}

std::optional<Properties::Bytes> Properties::bytes(std::string_view key) const {
    const auto* e = entry(key);
    if (e == nullptr) {
        return std::nullopt;
    }
    if (const auto* b = std::get_if<Bytes>(&e->value)) {
        return *b;
    }
    return std::nullopt;
}

const Properties* Properties::dictionary(std::string_view key) const {
    const auto it = dictionaries_.find(key);
    return it == dictionaries_.end() ? nullptr : &it->second;
}

void Properties::set(std::string_view key, Value value) {
    setEntry(key, Entry{std::move(value), 0, {}});
}

void Properties::setEntry(std::string_view key, Entry entry) {
    dictionaries_.erase(std::string(key));
    entries_.insert_or_assign(std::string(key), std::move(entry));
}

void Properties::setDictionary(std::string_view key, Properties dictionary) {
    entries_.erase(std::string(key));
    dictionaries_.insert_or_assign(std::string(key), std::move(dictionary));
}

Properties& Properties::mutableDictionary(std::string_view key) {
    entries_.erase(std::string(key));
    return dictionaries_[std::string(key)];
}

bool Properties::remove(std::string_view key) {
    const std::string k(key);
    return entries_.erase(k) + dictionaries_.erase(k) > 0;
}

int Properties::removeXMPProperties(const std::vector<std::string>& prefixes) {
    const auto packet = string(kOVPropertyXMP);
    if (!packet || packet->empty()) {
        return 0;
    }
    try {
        Exiv2::XmpData xmp;
        if (Exiv2::XmpParser::decode(xmp, *packet) != 0) {
            return 0;
        }
        int removed = 0;
        for (auto it = xmp.begin(); it != xmp.end();) {
            // "Xmp.exif.GPSLatitude" → "exif:GPSLatitude"
            const std::string qualified = it->groupName() + ":" + it->tagName();
            bool match = false;
            for (const auto& prefix : prefixes) {
                match = match || qualified.compare(0, prefix.size(), prefix) == 0;
            }
            if (match) {
                it = xmp.erase(it);
                ++removed;
            } else {
                ++it;
            }
        }
        if (removed == 0) {
            return 0;
        }
        std::string encoded;
        if (Exiv2::XmpParser::encode(encoded, xmp, Exiv2::XmpParser::useCompactFormat) != 0) {
            return 0;
        }
        set(kOVPropertyXMP, encoded);
        return removed;
    } catch (const std::exception&) {
        return 0;
    }
}

bool operator==(const Properties::Entry& a, const Properties::Entry& b) {
    return a.value == b.value && a.encodingType == b.encodingType && a.encoding == b.encoding;
}

bool operator==(const Properties& a, const Properties& b) {
    return a.entries_ == b.entries_ && a.dictionaries_ == b.dictionaries_;
}

} // namespace ov
