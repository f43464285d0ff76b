#include "inkstead/export/OVFilenamePattern.h"

#include "inkstead/export/OVOutputNames.h"

#include "support/CapturePhoto.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

std::string rename(std::vector<std::string> tokens, std::string_view name,
                   std::optional<std::int64_t> increment) {
    auto pattern = OVFilenamePattern::pattern();
    pattern->setTokens(std::move(tokens));
    return pattern->renameWithCurrentPattern(name, increment);
}

TEST(OVFilenamePattern, BuildsTheNameFromItsTokens) {
    struct Case {
        std::vector<std::string> tokens;
        const char* source;
        std::optional<std::int64_t> increment;
        const char* expected;
    };
    const Case cases[] = {
        {{"filename", "-", "increment"}, "IMG_0001.JPG", 7, "IMG_0001-007.JPG"},
        {{"increment"}, "a.png", std::nullopt, "001.png"}, // no increment means one
        {{"increment"}, "a.png", 1234, "1234.png"},        // a wide number keeps all digits
        {{"increment"}, "a.png", -7, "-007.png"},          // padded after the sign
        {{"filename"}, "README", 1, "README."},            // no extension: ends with a dot
        {{}, "photo.jpg", 1, ".jpg"},
        {{"filename", "_x"}, "archive.tar.gz", 1, "archive.tar_x.gz"}, // the last dot splits
        {{"filename"}, ".profile", 1, ".profile."}, // a hidden file has no extension
        {{"Filename", "INCREMENT"}, "a.b", 1, "FilenameINCREMENT.b"}, // tokens are case-sensitive
        {{"filename", "-", "increment"}, "my%20pic.jpg", 2, "my%20pic-002.jpg"},
        {{"filename", "filename"}, "ab.c", 1, "abab.c"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rename(c.tokens, c.source, c.increment), c.expected) << c.source;
}

TEST(OVFilenamePattern, DigitsGetterAndPadding) {
    auto pattern = OVFilenamePattern::pattern();
    pattern->setTokens({"increment"});
    EXPECT_EQ(pattern->numberOfDigits(), 3);

    pattern->setNumberOfDigits(0);
    EXPECT_EQ(pattern->numberOfDigits(), 3);
    EXPECT_EQ(pattern->renameWithCurrentPattern("a.jpg", 5), "005.jpg");

    // Changing the digits must rebuild the cached formatter.
    pattern->setNumberOfDigits(5);
    EXPECT_EQ(pattern->renameWithCurrentPattern("a.jpg", 5), "00005.jpg");
    pattern->setNumberOfDigits(1);
    EXPECT_EQ(pattern->renameWithCurrentPattern("a.jpg", 5), "5.jpg");
    pattern->setNumberOfDigits(-4);
    EXPECT_EQ(pattern->numberOfDigits(), -4);
    EXPECT_EQ(pattern->renameWithCurrentPattern("a.jpg", 42), "42.jpg");
}

// The date depends on the user's locale; the portable locale writes its short date with slashes
// (month/day/year), which the pattern must turn into hyphens.
class DateStyles : public testing::Test {
    ov::test::ScopedEnvironment locale_{"LC_ALL", "C"};
};

TEST_F(DateStyles, ShortDateHasHyphensInsteadOfSlashes) {
    auto pattern = OVFilenamePattern::pattern();
    pattern->setTokens({"date", "-", "filename"});
    const std::string name = pattern->renameWithCurrentPattern("a.png");

    char expected[32];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(expected, sizeof expected, "%m-%d-%y", &local);
    EXPECT_EQ(name, std::string(expected) + "-a.png");
    EXPECT_EQ(name.find('/'), std::string::npos);
}

TEST_F(DateStyles, WordedStylesDropCommasAndUnknownStyleIsEmpty) {
    const std::int64_t moment = 1700000000; // mid-November 2023 in every time zone
    OVDateFormatter medium(1);
    const std::string text = medium.stringFromDate(moment);
    EXPECT_NE(text.find("Nov"), std::string::npos) << text;
    EXPECT_NE(text.find("2023"), std::string::npos) << text;

    auto pattern = OVFilenamePattern::pattern();
    pattern->setTokens({"date"});
    pattern->setDateStyle(2);
    const std::string longName = pattern->renameWithCurrentPattern("x.jpg");
    EXPECT_EQ(longName.find(','), std::string::npos) << longName;
    EXPECT_NE(longName.find(':'), std::string::npos) << longName; // the long time keeps colons

    pattern->setDateStyle(7);
    EXPECT_EQ(pattern->renameWithCurrentPattern("x.jpg"), ".jpg");
}

} // namespace

namespace {

// Tokens may hold the variables of watermark texts, filled from each photograph's metadata and
// made safe for file names.
TEST(OVFilenamePattern, VariableTokensNameOutputsFromTheirPhotos) {
    ov::test::TempDir dir;
    auto exif = ov::test::typicalCaptureExif();
    ov::test::writeCapturePhoto(dir / "a.jpg", exif);
    exif["Exif.Image.Model"] = "Body/III";
    ov::test::writeCapturePhoto(dir / "b.jpg", exif);
    auto pattern = OVFilenamePattern::pattern();
    pattern->setTokens({"{camera}", "-", "{date:%Y}", "_", "increment", "{nope}"});
    const auto names =
        OVOutputNames({dir / "a.jpg", dir / "b.jpg"}, {dir / "out", pattern, {}, {}});
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], "Maker Body II-2024_001{nope}.jpg");
    EXPECT_EQ(names[1], "Maker Body_III-2024_002{nope}.jpg");
}

} // namespace
