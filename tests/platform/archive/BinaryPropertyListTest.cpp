#include "platform/archive/BinaryPropertyList_p.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace ov::bplist;

namespace {

std::vector<std::uint8_t> fromHex(std::string_view hex) {
    std::vector<std::uint8_t> bytes;
    std::string digits;
    for (char c : hex)
        if (std::isxdigit(static_cast<unsigned char>(c)))
            digits.push_back(c);
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return bytes;
}

// The single object of a one-value property list: its encoding between header and offset table.
std::vector<std::uint8_t> encodedScalar(const Value& value) {
    auto file = write(value);
    std::uint64_t tableOffset = 0;
    for (int i = 0; i < 8; ++i)
        tableOffset = tableOffset << 8 | file[file.size() - 8 + i];
    return {file.begin() + 8, file.begin() + static_cast<std::ptrdiff_t>(tableOffset)};
}

const Object* rootOf(std::optional<Reader>& reader) {
    return reader ? reader->object(reader->topObject()) : nullptr;
}

} // namespace

struct ScalarCase {
    const char* name;
    Value value;
    const char* hex;
};

class ScalarEncoding : public testing::TestWithParam<ScalarCase> {};

TEST_P(ScalarEncoding, WritesNarrowestFormAndReadsBack) {
    const auto& c = GetParam();
    EXPECT_EQ(encodedScalar(c.value), fromHex(c.hex));

    auto file = write(c.value);
    auto reader = Reader::open(file, nullptr);
    ASSERT_TRUE(reader);
    const Object* object = rootOf(reader);
    ASSERT_NE(object, nullptr);
    std::visit(
        [&](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::int64_t>)
                EXPECT_EQ(object->integer, v);
            else if constexpr (std::is_same_v<T, float> || std::is_same_v<T, double>)
                EXPECT_EQ(object->real, static_cast<double>(v));
            else if constexpr (std::is_same_v<T, std::string>)
                EXPECT_EQ(object->bytes, v);
            else if constexpr (std::is_same_v<T, Uid>)
                EXPECT_EQ(object->uid, v.value);
            else if constexpr (std::is_same_v<T, bool>)
                EXPECT_EQ(object->boolean, v);
        },
        c.value.v);
}

INSTANTIATE_TEST_SUITE_P(
    Container, ScalarEncoding,
    testing::Values(ScalarCase{"zero", std::int64_t(0), "10 00"},
                    ScalarCase{"byte", std::int64_t(255), "10 FF"},
                    ScalarCase{"twoBytes", std::int64_t(256), "11 01 00"},
                    ScalarCase{"fourBytes", std::int64_t(100000), "12 00 01 86 A0"},
                    ScalarCase{"eightBytes", std::int64_t(1) << 32, "13 00 00 00 01 00 00 00 00"},
                    ScalarCase{"minusOne", std::int64_t(-1), "13 FF FF FF FF FF FF FF FF"},
                    ScalarCase{"minus26", std::int64_t(-26), "13 FF FF FF FF FF FF FF E6"},
                    ScalarCase{"float", 0.5f, "22 3F 00 00 00"},
                    ScalarCase{"double", 0.5, "23 3F E0 00 00 00 00 00 00"},
                    ScalarCase{"false", false, "08"}, ScalarCase{"true", true, "09"},
                    ScalarCase{"ascii", "abc", "53 61 62 63"}, ScalarCase{"empty", "", "50"},
                    ScalarCase{"accented", "Caf\xC3\xA9", "64 00 43 00 61 00 66 00 E9"},
                    ScalarCase{"snowman", "\xE2\x98\x83", "61 26 03"},
                    ScalarCase{"astral", "\xF0\x9F\x98\x80", "62 D8 3D DE 00"},
                    ScalarCase{
                        "longAscii", "abcdefghijklmnopqrst",
                        "5F 10 14 61 62 63 64 65 66 67 68 69 6A 6B 6C 6D 6E 6F 70 71 72 73 74"},
                    ScalarCase{"uid5", Uid{5}, "80 05"}, ScalarCase{"uid300", Uid{300}, "81 01 2C"},
                    ScalarCase{"uid70000", Uid{70000}, "83 00 01 11 70"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BinaryPropertyList, InvalidUtf8IsReplacedNotDropped) {
    EXPECT_EQ(utf8FromUtf16(utf16FromUtf8("a\xFF"
                                          "b")),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(utf8FromUtf16(utf16FromUtf8("\xE2\x98")), "\xEF\xBF\xBD");
    EXPECT_EQ(utf8FromUtf16(u"\xD800x"), "\xEF\xBF\xBDx"); // lone surrogate
}

TEST(BinaryPropertyList, SharesEqualScalarsAndLaysOutRootFirst) {
    Value tree = Dictionary{{"a", std::int64_t(7)}, {"b", std::int64_t(7)}, {"c", Array{}}};
    auto file = write(tree);
    auto reader = Reader::open(file, nullptr);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->topObject(), 0u);
    // Root, three keys, one shared 7, one array.
    EXPECT_EQ(reader->objectCount(), 6u);
    const Object* root = rootOf(reader);
    ASSERT_EQ(root->type, Object::Type::Dictionary);
    EXPECT_EQ(reader->lookup(*root, "a"), reader->lookup(*root, "b"));
    EXPECT_FALSE(reader->lookup(*root, "missing"));
}

TEST(BinaryPropertyList, WideTablesUseWiderRefsAndOffsets) {
    Array many;
    for (int i = 0; i < 300; ++i)
        many.emplace_back(std::int64_t(i));
    auto file = write(many);
    EXPECT_EQ(file[file.size() - 25], 2); // refs: 301 objects need two bytes
    EXPECT_EQ(file[file.size() - 26], 2); // offsets: the table starts past byte 255
    auto reader = Reader::open(file, nullptr);
    ASSERT_TRUE(reader);
    const Object* root = rootOf(reader);
    ASSERT_EQ(root->count(), 300u);
    EXPECT_EQ(reader->object(root->refs[299])->integer, 299);
}

// The worked example of the presets file format: one "Default" preset in a mutable array.
const char* const kDefaultPresetArchive = R"(
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

std::vector<std::uint8_t> defaultPresetArchive() {
    return fromHex(kDefaultPresetArchive);
}

TEST(BinaryPropertyList, ReadsTheWorkedExample) {
    auto file = defaultPresetArchive();
    ASSERT_EQ(file.size(), 576u);
    auto reader = Reader::open(file, nullptr);
    ASSERT_TRUE(reader);
    const Object* root = rootOf(reader);
    ASSERT_NE(root, nullptr);
    auto objectsRef = reader->lookup(*root, "$objects");
    ASSERT_TRUE(objectsRef);
    const Object* objects = reader->object(*objectsRef);
    ASSERT_EQ(objects->count(), 11u);
    const Object* preset = reader->object(objects->refs[2]);
    auto value = reader->lookup(*preset, "resize-value");
    ASSERT_TRUE(value);
    EXPECT_TRUE(reader->object(*value)->singlePrecision);
}

struct HostileCase {
    const char* name;
    std::size_t offset; // from the end when `fromEnd`
    bool fromEnd;
    std::vector<std::uint8_t> bytes;
};

class HostileContainer : public testing::TestWithParam<HostileCase> {};

// Each case patches the worked example; the container must be refused, or the damaged object
// must read as null, without reading out of bounds.
TEST_P(HostileContainer, IsRefusedOrReadsAsNull) {
    const auto& c = GetParam();
    auto file = defaultPresetArchive();
    std::size_t at = c.fromEnd ? file.size() - c.offset : c.offset;
    std::memcpy(file.data() + at, c.bytes.data(), c.bytes.size());
    std::string error;
    auto reader = Reader::open(file, &error);
    if (!reader) {
        EXPECT_FALSE(error.empty());
        return;
    }
    const Object* root = rootOf(reader);
    auto objectsRef = root ? reader->lookup(*root, "$objects") : std::nullopt;
    const Object* objects = objectsRef ? reader->object(*objectsRef) : nullptr;
    const Object* preset =
        objects && objects->count() > 2 ? reader->object(objects->refs[2]) : nullptr;
    EXPECT_TRUE(!root || !objects || !preset) << "damage went unnoticed";
}

INSTANTIATE_TEST_SUITE_P(
    Container, HostileContainer,
    testing::Values(
        HostileCase{"badMagic", 0, false, {'x'}}, HostileCase{"zeroRefWidth", 25, true, {0}},
        HostileCase{"hugeRefWidth", 25, true, {9}}, HostileCase{"zeroObjects", 17, true, {0}},
        HostileCase{"topBeyondCount", 9, true, {0xFF}},
        HostileCase{"tableOffsetHuge", 8, true, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        HostileCase{"hugeObjectCount", 24, true, {0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        HostileCase{"offsetIntoTrailer", 0x1AC, false, {0x02, 0x30}},
        HostileCase{"refBeyondTable", 0x0F, false, {0x7F}},
        HostileCase{"objectsCountPastEnd", 0x37, false, {0xAF, 0x13, 0x7F, 0xFF}},
        HostileCase{"presetCountPastEnd", 0x66, false, {0xDF, 0x12, 0x10, 0x00}},
        HostileCase{"unknownMarker", 0x66, false, {0x70}},
        HostileCase{"uidTooWide", 0x66, false, {0x8C}}),
    [](const auto& info) { return std::string(info.param.name); });
