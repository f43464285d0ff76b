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

// Each scalar is written in its narrowest form and read back.
TEST(BinaryPropertyList, ScalarsTakeTheirNarrowestFormAndReadBack) {
    const std::pair<Value, const char*> cases[] = {
        {std::int64_t(0), "10 00"},
        {std::int64_t(255), "10 FF"},
        {std::int64_t(256), "11 01 00"},
        {std::int64_t(100000), "12 00 01 86 A0"},
        {std::int64_t(1) << 32, "13 00 00 00 01 00 00 00 00"},
        {std::int64_t(-1), "13 FF FF FF FF FF FF FF FF"},
        {std::int64_t(-26), "13 FF FF FF FF FF FF FF E6"},
        {0.5f, "22 3F 00 00 00"},
        {0.5, "23 3F E0 00 00 00 00 00 00"},
        {false, "08"},
        {true, "09"},
        {"abc", "53 61 62 63"},
        {"", "50"},
        {"Caf\xC3\xA9", "64 00 43 00 61 00 66 00 E9"},
        {"\xE2\x98\x83", "61 26 03"},
        {"\xF0\x9F\x98\x80", "62 D8 3D DE 00"},
        {"abcdefghijklmnopqrst",
         "5F 10 14 61 62 63 64 65 66 67 68 69 6A 6B 6C 6D 6E 6F 70 71 72 73 74"},
        {Uid{5}, "80 05"},
        {Uid{300}, "81 01 2C"},
        {Uid{70000}, "83 00 01 11 70"},
    };
    for (const auto& [value, hex] : cases) {
        SCOPED_TRACE(hex);
        EXPECT_EQ(encodedScalar(value), ov::test::bytesFromHex(hex));
        auto file = write(value);
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
            value.v);
    }
}

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

// Each case patches the worked example; the container must be refused, or the damaged object
// must read as null, without reading out of bounds.
TEST(BinaryPropertyList, HostileContainerIsRefusedOrReadsAsNull) {
    struct Case {
        const char* name;
        std::size_t offset; // from the end when `fromEnd`
        bool fromEnd;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {"badMagic", 0, false, {'x'}},
        {"zeroRefWidth", 25, true, {0}},
        {"hugeRefWidth", 25, true, {9}},
        {"zeroObjects", 17, true, {0}},
        {"topBeyondCount", 9, true, {0xFF}},
        {"tableOffsetHuge", 8, true, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {"hugeObjectCount", 24, true, {0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {"offsetIntoTrailer", 0x1AC, false, {0x02, 0x30}},
        {"refBeyondTable", 0x0F, false, {0x7F}},
        {"objectsCountPastEnd", 0x37, false, {0xAF, 0x13, 0x7F, 0xFF}},
        {"presetCountPastEnd", 0x66, false, {0xDF, 0x12, 0x10, 0x00}},
        {"unknownMarker", 0x66, false, {0x70}},
        {"uidTooWide", 0x66, false, {0x8C}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto file = ov::test::defaultPresetArchive();
        std::memcpy(file.data() + (c.fromEnd ? file.size() - c.offset : c.offset), c.bytes.data(),
                    c.bytes.size());
        std::string error;
        auto reader = Reader::open(file, &error);
        if (!reader) {
            EXPECT_FALSE(error.empty());
            continue;
        }
        const Object* root = rootOf(reader);
        auto objectsRef = root ? reader->lookup(*root, "$objects") : std::nullopt;
        const Object* objects = objectsRef ? reader->object(*objectsRef) : nullptr;
        const Object* preset =
            objects && objects->count() > 2 ? reader->object(objects->refs[2]) : nullptr;
        EXPECT_TRUE(!root || !objects || !preset) << "damage went unnoticed";
    }
}
