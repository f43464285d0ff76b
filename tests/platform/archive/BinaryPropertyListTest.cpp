#include "inkstead/platform/archive/BinaryPropertyList_p.h"
#include "support/ArchiveSamples.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace ov::bplist;

namespace {

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
    EXPECT_EQ(encodedScalar(c.value), ov::test::bytesFromHex(c.hex));

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
    auto file = ov::test::defaultPresetArchive();
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
