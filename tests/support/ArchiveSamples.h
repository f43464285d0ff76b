#pragma once

#include "inkstead/platform/archive/BinaryPropertyList_p.h"
#include "inkstead/platform/archive/KeyedArchiver.h"
#include "inkstead/platform/archive/KeyedUnarchiver.h"

#include <cctype>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace ov::test {

/// `object` archived as the only element of the root list and decoded back; null when the
/// archive does not decode into exactly one `T`.
template <class T> std::shared_ptr<T> archiveRoundTrip(const std::shared_ptr<T>& object) {
    const auto data = KeyedArchiver::archivedDataWithRootArray({object});
    auto list = KeyedUnarchiver::unarchivedRootArrayOfClass<T>(data);
    return list && list->size() == 1 ? list->front() : nullptr;
}

/// A keyed archive written by hand, as another writer might leave it: `objects` is its object
/// table ("$null" first) and the root is the object at index 1.
inline std::vector<std::uint8_t> keyedArchiveOf(bplist::Array objects) {
    return bplist::write(bplist::Dictionary{{"$archiver", "NSKeyedArchiver"},
                                            {"$version", std::int64_t(100000)},
                                            {"$top", bplist::Dictionary{{"root", bplist::Uid{1}}}},
                                            {"$objects", std::move(objects)}});
}

/// The bytes written as hexadecimal digit pairs in `hex`; any other character is skipped.
inline std::vector<std::uint8_t> bytesFromHex(std::string_view hex) {
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (char c : hex) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            continue;
        int value = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (c | 0x20) - 'a' + 10;
        if (high < 0) {
            high = value;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high << 4 | value));
            high = -1;
        }
    }
    return bytes;
}

/// A presets file of 576 bytes written by an independent writer: a mutable array holding one
/// preset named "Default" (UUID 0AD863BA-7584-40CF-8896-BD87B3280C34, no watermarks, settings
/// 0, flags false, resize value as a 4-byte real). Root object first, 2-byte offsets.
inline std::vector<std::uint8_t> defaultPresetArchive() {
    static constexpr std::string_view hex = R"(
62 70 6C 69 73 74 30 30 D4 01 02 03 04 05 06 36 37 58 24 76 65 72 73 69 6F 6E 58 24 6F 62 6A 65
63 74 73 59 24 61 72 63 68 69 76 65 72 54 24 74 6F 70 12 00 01 86 A0 AB 07 08 0E 1E 1F 23 29 2C
2F 30 33 55 24 6E 75 6C 6C D2 09 0A 0B 0D 5A 4E 53 2E 6F 62 6A 65 63 74 73 56 24 63 6C 61 73 73
A1 0C 80 02 80 0A D9 0F 10 11 12 13 14 15 16 0A 17 18 19 1A 1A 1B 1C 1C 1D 54 6E 61 6D 65 54 75
75 69 64 5A 77 61 74 65 72 6D 61 72 6B 73 5F 10 11 72 65 73 69 7A 65 2D 63 6F 6E 73 74 72 61 69
6E 74 5D 72 65 73 69 7A 65 2D 6D 65 74 68 6F 64 5C 72 65 73 69 7A 65 2D 76 61 6C 75 65 5C 73 68
6F 75 6C 64 52 65 73 69 7A 65 5F 10 15 73 68 6F 75 6C 64 2D 73 74 72 69 70 2D 6D 65 74 61 64 61
74 61 80 03 80 04 80 06 10 00 22 00 00 00 00 80 08 80 09 57 44 65 66 61 75 6C 74 D2 20 0A 21 22
5C 4E 53 2E 75 75 69 64 62 79 74 65 73 4F 10 10 0A D8 63 BA 75 84 40 CF 88 96 BD 87 B3 28 0C 34
80 05 D2 24 25 26 27 5A 24 63 6C 61 73 73 6E 61 6D 65 58 24 63 6C 61 73 73 65 73 56 4E 53 55 55
49 44 A2 26 28 58 4E 53 4F 62 6A 65 63 74 D2 09 0A 2A 2B A0 80 07 D2 24 25 2D 2E 57 4E 53 41 72
72 61 79 A2 2D 28 08 D2 24 25 31 32 58 4F 56 50 72 65 73 65 74 A2 31 28 D2 24 25 34 35 5E 4E 53
4D 75 74 61 62 6C 65 41 72 72 61 79 A3 34 2D 28 5F 10 0F 4E 53 4B 65 79 65 64 41 72 63 68 69 76
65 72 D1 38 39 54 72 6F 6F 74 80 01 00 08 00 11 00 1A 00 23 00 2D 00 32 00 37 00 43 00 49 00 4E
00 59 00 60 00 62 00 64 00 66 00 79 00 7E 00 83 00 8E 00 A2 00 B0 00 BD 00 CA 00 E2 00 E4 00 E6
00 E8 00 EA 00 EF 00 F1 00 F3 00 FB 01 00 01 0D 01 20 01 22 01 27 01 32 01 3B 01 42 01 45 01 4E
01 53 01 54 01 56 01 5B 01 63 01 66 01 67 01 6C 01 75 01 78 01 7D 01 8C 01 90 01 A2 01 A5 01 AA
00 00 00 00 00 00 02 01 00 00 00 00 00 00 00 3A 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01 AC
)";
    return bytesFromHex(hex);
}

} // namespace ov::test
