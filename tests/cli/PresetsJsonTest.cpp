// `inkstead presets export` / `import`: the JSON form keeps every field of every kind, a
// re-import gets identifiers of its own, and damaged or hostile files change nothing.

#include "ExportTestPhotos.h"
#include "PresetsTestSupport.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;
using clitest::Store;
using nlohmann::json;
using ov::test::TempDir;

namespace {

// A preset with one watermark of every kind, none of them at its defaults.
void addEveryKind(const Store& store, const TempDir& dir) {
    clitest::writeLogo(dir / "logo.png", 90, 30, {0.2, 0.4, 1, 1});
    store.ok({"presets", "create", "Every kind"});
    const std::vector<std::vector<std::string>> marks{
        {"text", "© 2026 Me", "--font", "DejaVu Sans", "--color", "#11223380", "--rotation", "-12",
         "--shadow", "0.4", "--anchor", "top-right", "--margin", "4%", "--width", "30%"},
        {"image", (dir / "logo.png").string(), "--opacity", "0.7", "--anchor", "bottom-left"},
        {"shape", "--rect", "5%,10%,25%,20%", "--shape", "circle", "--color", "#00FF00", "--fill",
         "#0000FF40", "--stroke", "7", "--dash", "9"},
        {"arrow", "--from", "20%,80%", "--to", "45%,30%", "--color", "#FFD700", "--stroke", "14",
         "--shadow", "0.3"},
        {"strikethrough", "--color", "#FF000080", "--stroke", "5", "--dash", "25"},
        {"pixellate", "--rect", "60%,20%,20%,15%", "--intensity", "27"},
    };
    for (auto args : marks) {
        args.insert(args.begin(), {"watermark", "add", "Every kind"});
        store.ok(args);
    }
}

// A PNG that claims width × height pixels but holds almost no data (a decompression bomb).
std::string pngClaiming(std::uint32_t width, std::uint32_t height) {
    auto bigEndian = [](std::uint32_t v) {
        return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    };
    auto chunk = [&](const std::string& typeAndData) {
        std::uint32_t crc = 0xFFFFFFFF;
        for (const char c : typeAndData) {
            crc ^= static_cast<unsigned char>(c);
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
        }
        return bigEndian(std::uint32_t(typeAndData.size() - 4)) + typeAndData + bigEndian(~crc);
    };
    return "\x89PNG\r\n\x1a\n" +
           chunk("IHDR" + bigEndian(width) + bigEndian(height) + std::string{8, 6, 0, 0, 0}) +
           chunk("IDAT" + std::string("\x78\x9c\x63\x60\x00\x00\x00\x02\x00\x01", 10)) +
           chunk("IEND");
}

std::string base64(const std::string& bytes) {
    static const char* alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t group = std::uint32_t(static_cast<unsigned char>(bytes[i])) << 16;
        if (i + 1 < bytes.size())
            group |= std::uint32_t(static_cast<unsigned char>(bytes[i + 1])) << 8;
        if (i + 2 < bytes.size())
            group |= static_cast<unsigned char>(bytes[i + 2]);
        const std::size_t left = bytes.size() - i;
        text += alphabet[(group >> 18) & 63];
        text += alphabet[(group >> 12) & 63];
        text += left > 1 ? alphabet[(group >> 6) & 63] : '=';
        text += left > 2 ? alphabet[group & 63] : '=';
    }
    return text;
}

void writeText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

} // namespace

TEST(PresetsJson, RoundTripKeepsEveryFieldOfAllSixKinds) {
    TempDir dir;
    const Store from(dir / "from");
    addEveryKind(from, dir);
    from.ok({"presets", "export", "Every kind", (dir / "every.json").string()});

    const Store to(dir / "to");
    to.ok({"presets", "import", (dir / "every.json").string()});
    const json before = from.exported("Every kind");
    const json after = to.exported("Every kind");
    EXPECT_EQ(after["format"], "inkstead-preset");
    EXPECT_EQ(after["version"], 1);
    ASSERT_EQ(after["watermarks"].size(), 6u);
    EXPECT_EQ(clitest::withoutUUIDs(before), clitest::withoutUUIDs(after))
        << "before:\n"
        << before.dump(1) << "\nafter:\n"
        << after.dump(1);
    EXPECT_EQ(before["uuid"], after["uuid"]) << "a fresh storage keeps the preset's UUID";
    EXPECT_TRUE(after["watermarks"][1]["picture"].is_string());
    EXPECT_EQ(to.pictures().size(), 1u);

    // Two routes, one picture: both storages render a photo identically.
    clitest::writeTestPhoto(dir / "photo.jpg", {.width = 300, .height = 200});
    for (const auto* store : {&from, &to})
        store->ok({"render", (dir / "photo.jpg").string(),
                   (dir / (store->home().filename().string() + ".png")).string(), "--preset",
                   "Every kind", "-q"});
    const auto a = clitest::decodeUpright(dir / "from.png");
    const auto b = clitest::decodeUpright(dir / "to.png");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(clitest::maxDifference(*a, *b, 0, 0, 1, 1), 0);
}

TEST(PresetsJson, ImportingAPresetThatExistsGivesItNewIdentifiersAndPictures) {
    TempDir dir;
    const Store store(dir / "home");
    addEveryKind(store, dir);
    store.ok({"presets", "export", "Every kind", (dir / "every.json").string()});
    const auto imported = store.ok({"presets", "import", (dir / "every.json").string()});
    EXPECT_NE(imported.out.find("new one"), std::string::npos) << imported.out;

    const auto presets = store.presets();
    ASSERT_EQ(presets.size(), 3u);
    EXPECT_EQ(presets[2]["name"], "Every kind 2") << "the name is taken, so it gets a free one";
    EXPECT_NE(presets[1]["uuid"], presets[2]["uuid"]);
    const auto original = store.exported(presets[1]["uuid"]);
    const auto copy = store.exported(presets[2]["uuid"]);
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_NE(original["watermarks"][i]["uuid"], copy["watermarks"][i]["uuid"]) << i;
    ASSERT_EQ(store.pictures().size(), 2u);

    // Each has its own picture: deleting the copy leaves the original's.
    store.ok({"presets", "delete", presets[2]["uuid"]});
    EXPECT_EQ(store.pictures().size(), 1u);
    EXPECT_TRUE(store.exported("Every kind")["watermarks"][1]["picture"].is_string());

    const auto renamed =
        store.ok({"presets", "import", (dir / "every.json").string(), "--name", "Mine"});
    EXPECT_EQ(store.presets()[2]["name"], "Mine");
}

TEST(PresetsJson, DamagedOrHostileFilesAreUsageErrorsThatChangeNothing) {
    TempDir dir;
    const Store store(dir / "home");
    addEveryKind(store, dir);
    store.ok({"presets", "export", "Every kind", (dir / "good.json").string()});
    const json good = store.exported("Every kind");
    const std::string presetsBefore = store.presetsBytes();
    const auto picturesBefore = store.pictures();

    auto edited = [&](auto change) {
        json copy = good;
        change(copy);
        return copy.dump();
    };
    const std::vector<std::pair<std::string, std::string>> cases{
        {"notJson", "{\"format\": \"inkstead-preset\", "},
        {"empty", ""},
        {"array", "[1, 2, 3]"},
        {"deeplyNested", std::string(100000, '[') + std::string(100000, ']')},
        {"wrongFormat", edited([](json& j) { j["format"] = "something-else"; })},
        {"futureVersion", edited([](json& j) { j["version"] = 2; })},
        {"noName", edited([](json& j) { j.erase("name"); })},
        {"badUUID", edited([](json& j) { j["uuid"] = "not-a-uuid"; })},
        {"marksNotArray", edited([](json& j) { j["watermarks"] = "all of them"; })},
        {"unknownKind", edited([](json& j) { j["watermarks"][2]["kind"] = "hologram"; })},
        {"alphaText", edited([](json& j) { j["watermarks"][0]["alpha"] = "half"; })},
        {"alphaOutOfRange", edited([](json& j) { j["watermarks"][0]["alpha"] = 7; })},
        {"hugeOrigin", edited([](json& j) { j["watermarks"][2]["origin"]["x"] = 1e300; })},
        {"originNotObject", edited([](json& j) { j["watermarks"][2]["origin"] = 5; })},
        {"badColor", edited([](json& j) { j["watermarks"][0]["color"] = "#12"; })},
        {"misspeltField", edited([](json& j) { j["watermarks"][3]["strokeColour"] = "#000000"; })},
        {"notBase64", edited([](json& j) { j["watermarks"][1]["picture"] = "@@@@"; })},
        {"notAPicture", edited([](json& j) { j["watermarks"][1]["picture"] = "aGVsbG8="; })},
        {"pictureBomb", edited([](json& j) {
             j["watermarks"][1]["picture"] = base64(pngClaiming(60000, 60000));
         })},
        {"resizeText", edited([](json& j) { j["export"]["resize"] = "yes"; })},
        // The picture of the image watermark is valid; a later watermark is not.
        {"failureAfterAPicture", edited([](json& j) { j["watermarks"][5]["intensity"] = -3; })},
    };
    for (const auto& [name, text] : cases) {
        const fs::path file = dir / (name + ".json");
        writeText(file, text);
        const auto result = store.run({"presets", "import", file.string()});
        EXPECT_EQ(result.exitCode, 2) << name << "\n" << result.err;
        EXPECT_EQ(result.err.rfind("inkstead: ", 0), 0u) << name << "\n" << result.err;
        EXPECT_EQ(store.presetsBytes(), presetsBefore) << name;
        EXPECT_EQ(store.pictures(), picturesBefore) << name;
    }
    // The messages name the field.
    const auto field = store.run({"presets", "import", (dir / "alphaOutOfRange.json").string()});
    EXPECT_NE(field.err.find("watermarks[0].alpha"), std::string::npos) << field.err;
    const auto bomb = store.run({"presets", "import", (dir / "pictureBomb.json").string()});
    EXPECT_NE(bomb.err.find("too large"), std::string::npos) << bomb.err;
    EXPECT_EQ(store.run({"presets", "import", (dir / "missing.json").string()}).exitCode, 2);
}

TEST(PresetsJson, ExportNeverReplacesAFileUnlessForced) {
    TempDir dir;
    const Store store(dir / "home");
    writeText(dir / "taken.json", "keep me");
    const auto refused = store.run({"presets", "export", "Default", (dir / "taken.json").string()});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
    std::ifstream in(dir / "taken.json");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep me");

    store.ok({"presets", "export", "Default", (dir / "taken.json").string(), "--force"});
    std::ifstream replaced(dir / "taken.json");
    EXPECT_EQ(json::parse(replaced)["name"], "Default");
    EXPECT_EQ(clitest::folderEntries(dir.path()), (std::vector<std::string>{"home", "taken.json"}))
        << "no temporary file left behind";
    EXPECT_EQ(
        store.run({"presets", "export", "Default", (dir / "no" / "such.json").string()}).exitCode,
        2);
}

TEST(PresetsJson, StandardOutputAndInput) {
    TempDir dir;
    const Store store(dir / "home");
    json preset = json::parse(store.ok({"presets", "export", "Default", "-"}).out);
    preset["name"] = "Piped";
    writeText(dir / "in.json", preset.dump());
    // `import -` reads standard input; the runner connects it to /dev/null, so an empty
    // document is a usage error, and the file route imports.
    EXPECT_EQ(store.run({"presets", "import", "-"}).exitCode, 2);
    store.ok({"presets", "import", (dir / "in.json").string()});
    EXPECT_EQ(store.presets()[1]["name"], "Piped");
}
