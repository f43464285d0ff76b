#include "inkstead/platform/gfx/GraphicsContext.h"
#include "inkstead/platform/text/Typesetter.h"

#include "support/PixelProbes.h"

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

namespace {

using ov::test::whiteCanvas;

ov::AttributedString text(std::string_view characters, std::string name = "Helvetica",
                          double size = 48) {
    ov::AttributedString string(characters);
    string.setFont(ov::Font(std::move(name), size));
    return string;
}

bool hasFontForLanguage(const char* language) {
    FcInit();
    FcPattern* pattern =
        FcNameParse(reinterpret_cast<const FcChar8*>((std::string(":lang=") + language).c_str()));
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* set = FcFontList(nullptr, pattern, objects);
    const bool found = set && set->nfont > 0;
    if (set)
        FcFontSetDestroy(set);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return found;
}

// Dark pixels (any ink) in the rows [y0, y1) of an opaque white canvas.
int inkIn(const ov::Image& image, int x0, int y0, int x1, int y1) {
    int count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (image.colorAt(x, y).red < 0.6)
                ++count;
    return count;
}

} // namespace

TEST(Fonts, NamesResolveToInstalledFacesAndUnknownNamesFallBack) {
    // The default face maps to a metric-compatible installed family, not to itself.
    EXPECT_NE(ov::Font("Helvetica", 12).familyName(), "Helvetica");
    EXPECT_EQ(ov::Font("", 12).familyName(), ov::Font("Helvetica", 12).familyName());
    EXPECT_EQ(ov::Font("Helvetica-Bold", 12).familyName(), ov::Font("Helvetica", 12).familyName());
    EXPECT_FALSE(ov::Font("No Such Face-Regular", 12).familyName().empty());

    // A styled name selects another face of the family: bold is wider.
    const double regular = ov::lineTypographicBounds(text("Watermark")).width;
    const double bold = ov::lineTypographicBounds(text("Watermark", "Helvetica-Bold")).width;
    EXPECT_GT(bold, regular * 1.02);

    // An unknown face still measures and draws.
    const auto unknown = text("Watermark", "No Such Face");
    EXPECT_GT(ov::lineTypographicBounds(unknown).width, 100);
    auto canvas = whiteCanvas(400, 100);
    ov::drawFrame(*canvas, unknown, {0, 0, 400, 100});
    EXPECT_GT(inkIn(*canvas->makeImage(), 0, 0, 400, 100), 100);
}

TEST(LineBounds, ScaleWithTheSizeAndGrowWithTheText) {
    const auto small = ov::lineTypographicBounds(text("Text...", "Helvetica", 20));
    const auto large = ov::lineTypographicBounds(text("Text...", "Helvetica", 80));
    ASSERT_GT(small.width, 0);
    ASSERT_GT(small.ascent, 0);
    ASSERT_GT(small.descent, 0);
    EXPECT_NEAR(large.width, 4 * small.width, 1e-6 * large.width);
    EXPECT_NEAR(large.height(), 4 * small.height(), 1e-6 * large.height());
    // Roughly one em tall; text of a sans face is about half an em per letter wide.
    EXPECT_GT(small.height(), 18);
    EXPECT_LT(small.height(), 30);

    // Trailing spaces count; line separators are measured as part of one line.
    EXPECT_GT(ov::lineTypographicBounds(text("Text   ")).width,
              ov::lineTypographicBounds(text("Text")).width);
    const double joined = ov::lineTypographicBounds(text("ab\ncd")).width;
    EXPECT_NEAR(joined, ov::lineTypographicBounds(text("abcd")).width, 0.05 * joined);

    // Nothing to measure.
    EXPECT_EQ(ov::lineTypographicBounds(text("")).width, 0);
    EXPECT_EQ(ov::lineTypographicBounds(text("")).height(), 0);
    for (double size : {0.0, -5.0, std::nan(""), double(INFINITY)})
        EXPECT_EQ(ov::lineTypographicBounds(text("Text", "Helvetica", size)).width, 0) << size;
}

TEST(LineBounds, TextInAnyCoveredScriptMeasures) {
    for (std::string_view sample : {"Ça déjà vu, ÅØÆ", "Водяной знак", "Υδατογράφημα"}) {
        const auto bounds = ov::lineTypographicBounds(text(sample));
        EXPECT_GT(bounds.width, 100) << sample;
        EXPECT_GT(bounds.height(), 40) << sample;
    }
    if (!hasFontForLanguage("ja"))
        GTEST_SKIP() << "no CJK font installed";
    // CJK ideographs each take about one em and may break between any two of them.
    const auto cjk = text("水印水印", "Helvetica", 50);
    EXPECT_NEAR(ov::lineTypographicBounds(cjk).width, 200, 20);
    EXPECT_EQ(ov::Typesetter(cjk).suggestLineBreak(0, 120), 2u);
}

TEST(LineBreak, EndsAtTheLastOpportunityThatFits) {
    struct Case {
        const char* name;
        const char* text;
        std::size_t start;
        double width; // in units of the width of "alpha " at 48 points
        std::size_t expected;
    };
    constexpr double kUnlimited = 1e6;
    const Case cases[] = {
        {"wholeTextFits", "alpha beta", 0, kUnlimited, 10},
        // The line keeps its trailing space; "beta" goes to the next line.
        {"breaksAfterTheSpace", "alpha beta", 0, 1.3, 6},
        {"spacesHangPastTheEnd", "alpha      beta", 0, 1.01, 11},
        {"fromTheMiddle", "alpha beta gamma", 6, 1.0, 5},
        // No opportunity fits: broken between characters, never empty.
        {"zeroWidthKeepsOneCharacter", "alpha", 0, 0, 1},
        {"negativeWidthKeepsOneCharacter", "alpha", 0, -0.0001, 1},
        {"combiningMarkStaysWithItsLetter",
         "e\xCC\x81"
         "abc",
         0, 0, 2},
        // A line separator ends the line and belongs to it.
        {"separatorEndsTheLine", "ab\ncd", 0, kUnlimited, 3},
        {"trailingSeparator", "ab\n", 0, kUnlimited, 3},
        {"atTheEnd", "ab", 2, kUnlimited, 0},
        {"pastTheEnd", "ab", 7, kUnlimited, 0},
        {"empty", "", 0, kUnlimited, 0},
    };
    const double unit = ov::lineTypographicBounds(text("alpha ")).width;
    for (const Case& c : cases)
        EXPECT_EQ(ov::Typesetter(text(c.text)).suggestLineBreak(c.start, c.width * unit),
                  c.expected)
            << c.name;
}

TEST(LineBreak, WithoutAnOpportunityBreaksAtTheLastCharacterThatFits) {
    const ov::Typesetter typesetter(text("alphabetagamma"));
    const double width = ov::lineTypographicBounds(text("alpha")).width * 0.6;
    const std::size_t count = typesetter.suggestLineBreak(0, width);
    ASSERT_GE(count, 1u);
    ASSERT_LT(count, typesetter.length());
    EXPECT_LE(typesetter.lineBounds(0, count).width, width);
    EXPECT_GT(typesetter.lineBounds(0, count + 1).width, width);
}

TEST(LineBounds, OfALinePartCoverItsCharactersOnly) {
    const ov::Typesetter typesetter(text("alpha beta"));
    const auto whole = typesetter.lineBounds(0, typesetter.length());
    const auto first = typesetter.lineBounds(0, 6);
    EXPECT_NEAR(first.width, ov::lineTypographicBounds(text("alpha ")).width, 1e-6);
    EXPECT_LT(first.width, whole.width);
    EXPECT_EQ(first.ascent, whole.ascent);
    EXPECT_EQ(typesetter.lineBounds(0, 1000).width, whole.width);
    EXPECT_EQ(typesetter.lineBounds(3, 0).width, 0);
    EXPECT_EQ(typesetter.lineBounds(3, 0).ascent, 0);
    EXPECT_EQ(typesetter.lineBounds(99, 5).width, 0);
}

TEST(Measuring, GivesTheSameResultsOnEveryThread) {
    const auto reference = ov::lineTypographicBounds(text("Водяной знак Text..."));
    std::vector<double> widths(4, 0);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < widths.size(); ++i)
        threads.emplace_back([&widths, i] {
            for (int round = 0; round < 50; ++round)
                widths[i] = ov::lineTypographicBounds(text("Водяной знак Text...")).width;
        });
    for (auto& t : threads)
        t.join();
    for (double width : widths)
        EXPECT_EQ(width, reference.width);
}

TEST(Frame, LaysLinesFromTheTopAndLeavesOutWhatDoesNotFit) {
    const auto string = text("alpha beta", "Helvetica", 40);
    const auto line = ov::lineTypographicBounds(text("alpha", "Helvetica", 40));
    const double lineHeight = line.ascent + line.descent;
    const double unit = ov::lineTypographicBounds(text("alpha ", "Helvetica", 40)).width;

    // Wide enough for one line only: the text wraps, and only the first line fits in 1.5 lines
    // of height. Nothing is drawn below the frame, although the second line would reach there.
    auto canvas = whiteCanvas(400, 300);
    const ov::Rect frame{20, 150, unit * 1.3, lineHeight * 1.5};
    ov::drawFrame(*canvas, string, frame);
    auto image = canvas->makeImage();
    const int top = int(frame.maxY());
    EXPECT_GT(inkIn(*image, 20, top - int(lineHeight), 20 + int(unit), top), 200);
    EXPECT_EQ(inkIn(*image, 0, 0, 400, int(frame.minY())), 0);
    EXPECT_EQ(inkIn(*image, 0, top + 1, 400, 300), 0);

    // Tall enough for both lines: the second one appears under the first.
    auto tall = whiteCanvas(400, 300);
    ov::drawFrame(*tall, string, {20, 150 - lineHeight, unit * 1.3, lineHeight * 2.5});
    EXPECT_GT(inkIn(*tall->makeImage(), 0, 0, 400, int(frame.minY())), 100);

    // Lower than one line: nothing at all.
    auto low = whiteCanvas(400, 300);
    ov::drawFrame(*low, string, {20, 150, 400, lineHeight * 0.8});
    EXPECT_EQ(inkIn(*low->makeImage(), 0, 0, 400, 300), 0);
}

TEST(Frame, DrawsUprightInTheForegroundColourUnderTheTransform) {
    auto string = text("T", "Helvetica", 100);
    string.setForegroundColor(ov::Color{1, 0, 0, 1});
    auto canvas = whiteCanvas(200, 200);
    canvas->translateCTM(50, 30);
    ov::drawFrame(*canvas, string, {0, 0, 150, 150});
    auto image = canvas->makeImage();
    // Upright "T": its bar spans the top of the glyph, its stem does not reach the sides below.
    // The face's ascent is about its cap height, so the bar lies just under the frame's top.
    const double top = 30 + 150 - 4;
    const ov::Color bar = image->colorAt(50 + 10, int(top));
    EXPECT_GT(bar.red, 0.9);
    EXPECT_LT(bar.green, 0.2);
    EXPECT_EQ(inkIn(*image, 0, 0, 50, 200), 0); // moved by the transform
    const ov::Color belowBarLeft = image->colorAt(50 + 10, int(top) - 40);
    EXPECT_GT(belowBarLeft.green, 0.9);

    // Zero and non-finite sizes draw nothing.
    for (double size : {0.0, -3.0, double(INFINITY)}) {
        auto empty = whiteCanvas(100, 100);
        ov::drawFrame(*empty, text("T", "Helvetica", size), {0, 0, 100, 100});
        EXPECT_EQ(inkIn(*empty->makeImage(), 0, 0, 100, 100), 0) << size;
    }
}
