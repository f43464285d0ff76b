#include "inkstead/platform/archive/KeyedArchiver.h"
#include "inkstead/platform/archive/BinaryPropertyList_p.h"
#include "inkstead/platform/archive/KeyedUnarchiver.h"
#include "support/ArchiveSamples.h"

#include <gtest/gtest.h>

using namespace ov;

namespace {

// A record exercising every kind of entry the coder offers.
class Sample : public KeyedCoding {
public:
    std::optional<std::string> title;
    std::optional<UUID> uuid;
    bool flag = false;
    std::int64_t count = 0;
    double ratio = 0;
    double exact = 0;
    Point origin;
    Size size;
    Rect frame;
    std::optional<Color> color;
    std::optional<FontDescription> font;
    std::shared_ptr<Sample> child;
    std::vector<std::shared_ptr<Sample>> children;

    void encodeWithCoder(KeyedArchiver& coder) const override {
        coder.encodeString(title, "title");
        coder.encodeUUID(uuid, "uuid");
        coder.encodeBoolNumber(flag, "flag");
        coder.encodeInt64(count, "count");
        coder.encodeFloat(static_cast<float>(ratio), "ratio");
        coder.encodeDouble(exact, "exact");
        coder.encodePoint(origin, "origin");
        coder.encodeSize(size, "size");
        coder.encodeRect(frame, "frame");
        coder.encodeColor(color, "color");
        coder.encodeFont(font, "font");
        coder.encodeObject(child, "child");
        coder.encodeArray({children.begin(), children.end()}, "children");
    }

    bool initWithCoder(KeyedUnarchiver& coder) override {
        title = coder.decodeString("title");
        uuid = coder.decodeUUID("uuid");
        flag = coder.decodeBoolNumber("flag");
        count = coder.decodeInt64("count");
        ratio = coder.decodeFloat("ratio");
        exact = coder.decodeDouble("exact");
        origin = coder.decodePoint("origin");
        size = coder.decodeSize("size");
        frame = coder.decodeRect("frame");
        color = coder.decodeColor("color");
        font = coder.decodeFont("font");
        child = coder.decodeObjectOfClass<Sample>("child");
        children = coder.decodeArrayOfObjectsOfClass<Sample>("children")
                       .value_or(std::vector<std::shared_ptr<Sample>>{});
        return true;
    }
};

[[maybe_unused]] const bool registered = OVKeyedClassRegistry::add<Sample>("OVSample", {"OVBase"});

std::vector<std::uint8_t> archive(const std::vector<std::shared_ptr<Sample>>& samples) {
    return KeyedArchiver::archivedDataWithRootArray({samples.begin(), samples.end()});
}

std::shared_ptr<Sample> fullSample() {
    auto s = std::make_shared<Sample>();
    s->title = "Caf\xC3\xA9 \xE2\x98\x83";
    s->uuid = UUID::fromString("0AD863BA-7584-40CF-8896-BD87B3280C34");
    s->flag = true;
    s->count = -26;
    s->ratio = 0.3;
    s->exact = 0.1;
    s->origin = {-12.25, 0.1};
    s->size = {200, 1e17};
    s->frame = {1, 2, 3, 4.5};
    s->color = Color{0.2, 0.4, 0.6, 0.8};
    s->font = FontDescription{"Helvetica-Bold", 36};
    return s;
}

// The bplist tree of an archive, for checks on the stored form.
struct Stored {
    std::vector<std::uint8_t> file;
    std::optional<bplist::Reader> reader;
    const bplist::Object* objects = nullptr;

    explicit Stored(std::vector<std::uint8_t> bytes) : file(std::move(bytes)) {
        reader = bplist::Reader::open(file, nullptr);
        const bplist::Object* root = reader->object(reader->topObject());
        objects = reader->object(*reader->lookup(*root, "$objects"));
    }
    const bplist::Object* slot(std::uint64_t uid) { return reader->object(objects->refs[uid]); }
    const bplist::Object* value(const bplist::Object* record, std::string_view key) {
        auto ref = reader->lookup(*record, key);
        return ref ? reader->object(*ref) : nullptr;
    }
    const bplist::Object* follow(const bplist::Object* record, std::string_view key) {
        const bplist::Object* uid = value(record, key);
        return uid ? slot(uid->uid) : nullptr;
    }
};

} // namespace

TEST(KeyedArchiver, RoundTripsEveryKindOfEntry) {
    auto source = fullSample();
    source->child = fullSample();
    source->children = {fullSample(), fullSample()};
    auto decoded = ov::test::archiveRoundTrip(source);
    ASSERT_TRUE(decoded);
    const Sample& s = *decoded;
    EXPECT_EQ(s.title, source->title);
    EXPECT_EQ(s.uuid, source->uuid);
    EXPECT_TRUE(s.flag);
    EXPECT_EQ(s.count, -26);
    EXPECT_EQ(s.ratio, 0.30000001192092896); // narrowed to 32 bits on the way
    EXPECT_EQ(s.exact, 0.1);
    EXPECT_EQ(s.origin, source->origin);
    EXPECT_EQ(s.size, source->size);
    EXPECT_EQ(s.frame, source->frame);
    EXPECT_EQ(s.color, source->color);
    EXPECT_EQ(s.font, source->font);
    ASSERT_TRUE(s.child);
    EXPECT_EQ(s.child->title, source->title);
    ASSERT_EQ(s.children.size(), 2u);
    EXPECT_NE(s.children[0], s.children[1]);
}

TEST(KeyedArchiver, StoresTheDocumentedForms) {
    Stored stored(archive({fullSample(), std::make_shared<Sample>()}));
    const bplist::Object* record = stored.slot(2); // the root list is slot 1, its first element 2
    ASSERT_EQ(record->type, bplist::Object::Type::Dictionary);

    EXPECT_EQ(stored.follow(record, "origin")->bytes, "{-12.25, 0.10000000000000001}");
    EXPECT_EQ(stored.follow(record, "size")->bytes, "{200, 1e+17}");
    EXPECT_EQ(stored.follow(record, "frame")->bytes, "{{1, 2}, {3, 4.5}}");
    EXPECT_TRUE(stored.value(record, "ratio")->singlePrecision);
    EXPECT_FALSE(stored.value(record, "exact")->singlePrecision);
    EXPECT_EQ(stored.value(record, "count")->integer, -26);
    EXPECT_EQ(stored.follow(record, "flag")->type, bplist::Object::Type::Boolean);
    EXPECT_EQ(stored.value(record, "child")->uid, 0u); // nil

    const bplist::Object* uuid = stored.follow(record, "uuid");
    EXPECT_EQ(stored.value(uuid, "NS.uuidbytes")->bytes.size(), 16u);
    const bplist::Object* font = stored.follow(record, "font");
    EXPECT_EQ(stored.value(font, "NSfFlags")->integer, 16);
    EXPECT_EQ(stored.follow(font, "NSName")->bytes, "Helvetica-Bold");

    const bplist::Object* description = stored.follow(record, "$class");
    EXPECT_EQ(stored.value(description, "$classname")->bytes, "OVSample");
    EXPECT_EQ(stored.value(description, "$classes")->count(), 3u); // OVSample, OVBase, NSObject
}

TEST(KeyedArchiver, SharedObjectIsWrittenOnceAndDecodedOnce) {
    auto shared = fullSample();
    auto a = std::make_shared<Sample>();
    auto b = std::make_shared<Sample>();
    a->child = shared;
    b->child = shared;
    Stored stored(archive({a, b}));
    const bplist::Object* first = stored.slot(2);
    const bplist::Object* list = stored.value(stored.slot(1), "NS.objects");
    const bplist::Object* second = stored.slot(stored.reader->object(list->refs[1])->uid);
    EXPECT_EQ(stored.value(first, "child")->uid, stored.value(second, "child")->uid);

    auto decoded = KeyedUnarchiver::unarchivedRootArrayOfClass<Sample>(stored.file);
    ASSERT_EQ(decoded->size(), 2u);
    EXPECT_EQ((*decoded)[0]->child, (*decoded)[1]->child);
}

TEST(KeyedArchiver, CycleDecodesAsNullInsteadOfRecursing) {
    auto a = std::make_shared<Sample>();
    a->child = a; // the archive keeps the cycle; decoding must cut it
    auto decoded = ov::test::archiveRoundTrip(a);
    a->child.reset();
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->child, nullptr);
}

TEST(KeyedArchiver, MissingAndMistypedKeysReadAsEmpty) {
    // An empty record: every key is missing.
    auto decoded = ov::test::archiveRoundTrip(std::make_shared<Sample>());
    ASSERT_TRUE(decoded);
    const Sample& s = *decoded;
    EXPECT_EQ(s.title, std::nullopt);
    EXPECT_EQ(s.uuid, std::nullopt);
    EXPECT_EQ(s.color, std::nullopt);
    EXPECT_EQ(s.font, std::nullopt);
    EXPECT_FALSE(s.flag);
    EXPECT_EQ(s.count, 0);

    // Reading every key with the wrong decoder.
    KeyedArchiver archiver;
    archiver.encodeString("text", "string");
    archiver.encodeInt64(5, "integer");
    archiver.encodeFloat(2.5f, "real");
    archiver.encodeBool(true, "bool");
    KeyedUnarchiver coder(archiver.encodedData());
    ASSERT_TRUE(coder.isValid());
    EXPECT_EQ(coder.decodeInt64("string"), 0);
    EXPECT_EQ(coder.decodeString("integer"), std::nullopt);
    EXPECT_EQ(coder.decodeUUID("string"), std::nullopt);
    EXPECT_EQ(coder.decodeObject("real"), nullptr);
    EXPECT_FALSE(coder.decodeArray("string"));
    EXPECT_EQ(coder.decodeColor("integer"), std::nullopt);
    EXPECT_EQ(coder.decodePoint("bool"), Point{});
    // Numbers convert between kinds.
    EXPECT_EQ(coder.decodeDouble("integer"), 5.0);
    EXPECT_EQ(coder.decodeInt64("real"), 2);
    EXPECT_TRUE(coder.decodeBoolNumber("bool"));
    EXPECT_TRUE(coder.containsValueForKey("real"));
    EXPECT_FALSE(coder.containsValueForKey("absent"));
}

TEST(KeyedArchiver, DollarKeysAreEscapedAndRestored) {
    KeyedArchiver archiver;
    archiver.encodeInt64(7, "$class");
    auto data = archiver.encodedData();
    Stored stored(data);
    const bplist::Object* root = stored.reader->object(stored.reader->topObject());
    const bplist::Object* top = stored.value(root, "$top");
    EXPECT_TRUE(stored.value(top, "$$class"));
    KeyedUnarchiver coder(data);
    EXPECT_EQ(coder.decodeInt64("$class"), 7);
}

TEST(KeyedArchiver, UnknownClassDecodesAsNullAndIsReported) {
    struct Unregistered : KeyedCoding {
        void encodeWithCoder(KeyedArchiver&) const override {}
        bool initWithCoder(KeyedUnarchiver&) override { return true; }
    };
    // An archive of a registered sample, then its class name changed in place.
    auto data = archive({std::make_shared<Sample>()});
    std::string bytes(data.begin(), data.end());
    auto at = bytes.find("OVSample");
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, 8, "OVXample");
    KeyedUnarchiver coder(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    auto list = coder.decodeArray("root");
    ASSERT_TRUE(list);
    EXPECT_TRUE(list->empty());
    EXPECT_EQ(coder.firstError(), "unknown class OVXample");

    // Encoding an unregistered class writes nil rather than a record nobody can read.
    KeyedArchiver archiver;
    archiver.encodeObject(std::make_shared<Unregistered>(), "root");
    KeyedUnarchiver reread(archiver.encodedData());
    EXPECT_EQ(reread.decodeObject("root"), nullptr);
}

// A colour record stores its components as text; greys store white level and alpha only.
TEST(KeyedArchiver, ColourRecordsStoreComponentTextAndRoundTrip) {
    const std::pair<Color, const char*> cases[] = {
        {Color::black(), "0"},   {Color::clear(), "0 0"},
        {Color::white(), "1"},   {{0.5, 0.5, 0.5, 0.5}, "0.5 0.5"},
        {{1, 0, 0, 1}, "1 0 0"}, {{0.2, 0.4, 0.6, 0.8}, "0.2 0.4 0.6 0.8"},
    };
    for (const auto& [colour, text] : cases) {
        SCOPED_TRACE(text);
        auto sample = std::make_shared<Sample>();
        sample->color = colour;
        Stored stored(archive({sample}));
        const bplist::Object* record = stored.follow(stored.slot(2), "color");
        const bplist::Object* components = stored.value(record, "NSWhite");
        EXPECT_EQ(stored.value(record, "NSColorSpace")->integer, components ? 3 : 1);
        if (!components)
            components = stored.value(record, "NSRGB");
        ASSERT_NE(components, nullptr);
        EXPECT_EQ(components->bytes, std::string(text) + '\0');
        auto decoded = KeyedUnarchiver::unarchivedRootArrayOfClass<Sample>(stored.file);
        EXPECT_EQ(decoded->front()->color, colour);
    }
}

TEST(KeyedArchiver, LenientGeometryAndColourText) {
    // Other writers' forms: fewer digits, ".0" suffixes, exponents, extra spaces, no NUL.
    KeyedArchiver archiver;
    archiver.encodeString("{ 1.0 ,2e1 }", "point");
    archiver.encodeString("{{-0, 3.5}, {1E2, .25}}", "rect");
    archiver.encodeString("{7}", "short");
    KeyedUnarchiver coder(archiver.encodedData());
    EXPECT_EQ(coder.decodePoint("point"), (Point{1, 20}));
    EXPECT_EQ(coder.decodeRect("rect"), (Rect{0, 3.5, 100, 0.25}));
    EXPECT_EQ(coder.decodeSize("short"), Size{});
}

// Every truncation of an archive is refused, never read out of bounds (random damage is the
// archive fuzz target's work).
TEST(KeyedArchiverFuzz, EveryTruncationIsRefused) {
    auto s = fullSample();
    s->children = {fullSample()};
    auto data = archive({s, fullSample()});
    for (std::size_t length = 0; length < data.size(); ++length) {
        std::span<const std::uint8_t> cut(data.data(), length);
        auto decoded = KeyedUnarchiver::unarchivedRootArrayOfClass<Sample>(cut);
        EXPECT_FALSE(decoded) << "length " << length;
    }
}

TEST(KeyedArchiver, ArraysStoredUnderNumberedKeysAreRead) {
    // Another writer's array form: "NS.object.N" keys instead of an "NS.objects" list.
    using namespace bplist;
    Dictionary sample{{"$class", Uid{4}}, {"count", std::int64_t(0)}};
    Dictionary second{{"$class", Uid{4}}, {"count", std::int64_t(1)}};
    Array objects{"$null",
                  Dictionary{{"$class", Uid{5}}, {"NS.object.1", Uid{3}}, {"NS.object.0", Uid{2}}},
                  sample,
                  second,
                  Dictionary{{"$classname", "OVSample"}, {"$classes", Array{"OVSample"}}},
                  Dictionary{{"$classname", "NSArray"}, {"$classes", Array{"NSArray"}}}};
    auto decoded =
        KeyedUnarchiver::unarchivedRootArrayOfClass<Sample>(ov::test::keyedArchiveOf(objects));
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->size(), 2u);
    EXPECT_EQ((*decoded)[0]->count, 0);
    EXPECT_EQ((*decoded)[1]->count, 1);
}
