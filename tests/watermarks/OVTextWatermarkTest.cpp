#include "KindsCanvas.h"

#include "inkstead/platform/text/Typesetter.h"
#include "inkstead/watermarks/OVTextWatermark.h"
#include "support/ArchiveSamples.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using kinds_test::whiteCanvas;
using ov::test::archiveRoundTrip;

ov::TypographicBounds measured(std::string_view text, double size, std::string name = "Helvetica") {
    ov::AttributedString string(text);
    string.setFont(ov::Font(std::move(name), size));
    return ov::lineTypographicBounds(string);
}

// Sum of darkness (1 − red) over a region of an opaque canvas.
double inkIn(const ov::Image& image, int x0, int y0, int x1, int y1) {
    double ink = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            ink += 1.0 - image.colorAt(x, y).red;
    return ink;
}

using InkBox = ov::test::PixelBox;

InkBox inkBox(const ov::Image& image) {
    return ov::test::pixelBox(image, [](const ov::Color& c) { return c.red < 0.5; });
}

std::shared_ptr<OVTextWatermark> placedText(double rotation = 0) {
    auto text = OVTextWatermark::textWatermark();
    text->setStringValue("Text...");
    text->setRotation(rotation);
    text->setOrigin({100, 100});
    return text;
}

ov::ImagePtr render(OVTextWatermark& text) {
    text.setBounds({0, 0, 700, 700});
    return kinds_test::drawnOnWhite(text, 700, 700);
}

} // namespace

TEST(TextWatermark, FactorySizesTheFrameToTheMeasuredLinePlusFivePercent) {
    auto text = OVTextWatermark::textWatermark();
    EXPECT_EQ(text->stringValue(), "Text...");
    EXPECT_EQ(text->fontSize(), 96.0);
    EXPECT_FALSE(text->shouldUseRelativeSize());

    const auto line = measured("Text...", 96);
    ASSERT_GT(line.width, 0);
    EXPECT_DOUBLE_EQ(text->size().width, 1.05 * line.width);
    EXPECT_DOUBLE_EQ(text->size().height, 1.05 * line.height());
    EXPECT_EQ(text->frame().size.width, std::round(1.05 * line.width));
}

TEST(TextWatermark, TextFontAndSizeChangesRemeasureTheFrame) {
    auto text = OVTextWatermark::textWatermark();
    const ov::Size initial = text->size();

    text->setStringValue("");
    EXPECT_EQ(text->stringValue(), "");
    EXPECT_EQ(text->attrString()->string(), "");
    EXPECT_EQ(text->size(), initial) << "the empty text keeps the frame";
    text->setStringValue(std::nullopt);
    EXPECT_EQ(text->stringValue(), "");

    text->setStringValue("A longer watermark");
    EXPECT_DOUBLE_EQ(text->size().width, 1.05 * measured("A longer watermark", 96).width);
    text->setFontSize(48);
    EXPECT_DOUBLE_EQ(text->size().width, 1.05 * measured("A longer watermark", 48).width);
    // Only the face name of the font counts, not its own size.
    text->setFont(ov::Font("Helvetica-Bold", 5));
    EXPECT_DOUBLE_EQ(text->size().width,
                     1.05 * measured("A longer watermark", 48, "Helvetica-Bold").width);
    // Without a font the default face is used.
    text->setFont(std::nullopt);
    EXPECT_DOUBLE_EQ(text->size().width, 1.05 * measured("A longer watermark", 48).width);
}

TEST(TextWatermark, DisplaySizeHandlesMissingStringsAndDoesNotChangeTheString) {
    EXPECT_EQ(OVAttributedStringDisplaySize(nullptr, "Helvetica", 20), (ov::Size{0, 0}));
    EXPECT_EQ(OVAttributedStringSetDynamicSize(nullptr, "Helvetica", 100, 100), 1.0);
    ov::AttributedString string("Text...");
    string.setFont(ov::Font("Courier", 7));
    const ov::AttributedString before = string;
    EXPECT_GT(OVAttributedStringDisplaySize(&string, "Helvetica", 20).width, 0);
    EXPECT_GT(OVAttributedStringSetDynamicSize(&string, "Helvetica", 500, 100), 1.0);
    EXPECT_EQ(string, before);
}

// The plain search, one candidate after the other from the rounded height, as a second route.
double plainDynamicSize(const ov::AttributedString& string, double width, double height) {
    ov::AttributedString copy = string;
    const double lineWidth = std::floor(static_cast<float>(width - 0.05 * width));
    double candidate = double(std::roundf(float(height))) + 2;
    for (;;) {
        candidate -= 2;
        copy.setFont(ov::Font("Helvetica", candidate));
        const ov::Typesetter typesetter(copy);
        const std::size_t fits = typesetter.suggestLineBreak(0, lineWidth);
        const auto line = typesetter.lineBounds(0, fits);
        const double lineHeight = double(std::roundf(float(line.ascent))) +
                                  double(std::roundf(float(line.descent))) +
                                  double(std::roundf(float(line.leading)));
        if ((fits < copy.length() || lineHeight > height) && candidate > 1.0)
            continue;
        return candidate;
    }
}

// Wide frames limited by the height, narrow ones by the width, odd and half-unit heights, texts
// of two lines that never fit on one: the result is the first fitting candidate.
TEST(DynamicSize, IsTheFirstCandidateCountingDownFromTheHeightThatFits) {
    for (const char* text : {"Text...", "W", "", "ab\ncd", "Водяной знак", "a b c d e f g"})
        for (double width : {-10.0, 0.0, 10.0, 15.0, 120.0, 300.0, 800.0, 2000.0})
            for (double height :
                 {-3.0, 0.0, 1.0, 2.0, 7.5, 50.0, 60.0, 99.0, 100.0, 100.5, 101.0, 333.0, 1000.0}) {
                const ov::AttributedString string(text);
                EXPECT_EQ(OVAttributedStringSetDynamicSize(&string, "Helvetica", width, height),
                          plainDynamicSize(string, width, height))
                    << text << " " << width << " × " << height;
            }
}

TEST(DynamicSize, HugeAndNonFiniteFramesEndTheSearch) {
    const ov::AttributedString string("Text...");
    const double huge = OVAttributedStringSetDynamicSize(&string, "Helvetica", 1e13, 1e12);
    EXPECT_GT(huge, 1e11);
    EXPECT_LE(huge, 1e12);
    EXPECT_EQ(OVAttributedStringSetDynamicSize(&string, "Helvetica", 1, 1e12), 0.0);
    EXPECT_EQ(OVAttributedStringSetDynamicSize(&string, "Helvetica", 1000, INFINITY), 1.0);
    EXPECT_TRUE(std::isnan(OVAttributedStringSetDynamicSize(&string, "Helvetica", 1000, NAN)));
}

TEST(TextWatermark, DynamicModeFollowsTheFrameAndOnlyThenHasHandles) {
    auto text = OVTextWatermark::textWatermark();
    const ov::Rect frame = text->frame();
    const ov::Point corner{frame.maxX(), frame.maxY()};
    EXPECT_EQ(text->handleUnderPoint(corner, 1), OVWatermarkHandleNone);
    // Switching modes recomputes nothing.
    text->setShouldUseDynamicFontSize(true);
    EXPECT_EQ(text->fontSize(), 96.0);
    EXPECT_EQ(text->handleUnderPoint(corner, 1), OVWatermarkHandleTopRight);

    text->setBounds({0, 0, 2000, 1000});
    const ov::Rect content = text->drawRect();
    ov::AttributedString string("Text...");
    const double expected = OVAttributedStringSetDynamicSize(
        &string, "Helvetica", content.size.width, content.size.height);
    EXPECT_EQ(text->fontSize(), expected);

    // The same bounds again recompute nothing.
    text->setFontSize(12);
    const ov::Size remeasured = text->size();
    text->setBounds({0, 0, 2000, 1000});
    EXPECT_EQ(text->fontSize(), 12.0);
    EXPECT_EQ(text->size(), remeasured);

    // A handle drag sets the font size for the new frame and leaves the frame alone.
    text->setShouldResizeProportionally(false);
    text->resizeByMovingHandle(OVWatermarkHandleTopRight, {600, 300});
    const ov::Rect dragged = text->drawRect();
    EXPECT_EQ(dragged.size.width, 600 - text->origin().x);
    EXPECT_EQ(text->fontSize(), OVAttributedStringSetDynamicSize(
                                    &string, "Helvetica", dragged.size.width, dragged.size.height));
    EXPECT_TRUE(text->shouldSave());

    // In fixed mode a drag (which the editor cannot start without handles) keeps the font size.
    text->setShouldUseDynamicFontSize(false);
    const double fixedSize = text->fontSize();
    text->resizeByMovingHandle(OVWatermarkHandleTopRight, {900, 300});
    EXPECT_EQ(text->fontSize(), fixedSize);
}

// A copy keeps the font and frame as they are; a decoded archive remeasures from its text. The
// other settings a copy and an archive keep are checked with the kinds' property tables.
TEST(TextWatermark, CopiesKeepTheFrameAndArchivesRemeasureIt) {
    auto text = OVTextWatermark::textWatermark();
    text->setStringValue("Копия");
    text->setFont(ov::Font("Helvetica-Bold", 10));
    text->setFontSize(13.3);
    auto copy = std::dynamic_pointer_cast<OVTextWatermark>(text->copy());
    auto decoded = archiveRoundTrip(text);
    for (const auto& other : {copy, decoded}) {
        ASSERT_NE(other, nullptr);
        EXPECT_EQ(other->stringValue(), "Копия");
        EXPECT_NE(other->attrString(), text->attrString()) << "each watermark owns its string";
    }
    EXPECT_EQ(copy->fontSize(), 13.3);
    EXPECT_EQ(copy->size(), text->size());
    EXPECT_EQ(decoded->fontSize(), double(13.3f));
    EXPECT_DOUBLE_EQ(decoded->size().width,
                     1.05 * measured("Копия", double(13.3f), "Helvetica-Bold").width);

    // A record without text or font still decodes into a usable watermark.
    auto decodedBare = archiveRoundTrip(std::make_shared<OVTextWatermark>());
    ASSERT_NE(decodedBare, nullptr);
    EXPECT_FALSE(decodedBare->stringValue().has_value());
    EXPECT_FALSE(decodedBare->font().has_value());
}

TEST(TextWatermarkRendering, DrawsTheTextInItsFrameInItsColour) {
    auto text = placedText();
    text->setFontColor(ov::Color{0, 0, 1, 1});
    auto image = render(*text);
    const InkBox box = inkBox(*image);
    const ov::Rect frame = text->frame();
    EXPECT_GE(box.minX, frame.minX() - 1);
    EXPECT_LE(box.maxX, frame.maxX());
    EXPECT_GE(box.minY, frame.minY() - 1);
    EXPECT_LE(box.maxY, frame.maxY());
    // The line starts at the frame's top-left corner; the spare 5 % lies right and below.
    EXPECT_LT(box.minX - frame.minX(), 0.02 * frame.size.width);
    const ov::Color pixel = image->colorAt(box.minX + 2, box.maxY - 2); // inside the "T" bar
    EXPECT_LT(pixel.red, 0.3);
    EXPECT_GT(pixel.blue, 0.9);

    // Invisible or colourless: nothing.
    text->setVisible(false);
    EXPECT_TRUE(inkBox(*render(*text)).empty());
    text->setVisible(true);
    text->setFontColor(std::nullopt);
    EXPECT_TRUE(inkBox(*render(*text)).empty());
}

TEST(TextWatermarkRendering, RotationBy90TurnsTheTextClockwise) {
    auto upright = render(*placedText(0));
    auto turned = render(*placedText(90));
    const InkBox flat = inkBox(*upright);
    const InkBox tall = inkBox(*turned);
    ASSERT_GT(flat.width(), 2 * flat.height());
    EXPECT_NEAR(tall.height(), flat.width(), 4);
    EXPECT_NEAR(tall.width(), flat.height(), 4);
    // "T" carries more ink than "..": it is on the left upright, and clockwise it goes to the top.
    const int leftEnd = flat.minX + flat.width() / 4;
    const int rightStart = flat.maxX - flat.width() / 4;
    EXPECT_GT(inkIn(*upright, flat.minX, 0, leftEnd, 700),
              2 * inkIn(*upright, rightStart, 0, flat.maxX + 1, 700));
    const int topStart = tall.maxY - tall.height() / 4;
    const int bottomEnd = tall.minY + tall.height() / 4;
    EXPECT_GT(inkIn(*turned, 0, topStart, 700, tall.maxY + 1),
              2 * inkIn(*turned, 0, tall.minY, 700, bottomEnd));
}

TEST(TextWatermarkRendering, ShadowDarkensAroundTheGlyphsAndAlphaHalvesThem) {
    auto plain = placedText();
    auto plainImage = render(*plain);
    const InkBox box = inkBox(*plainImage);

    auto shadowed = placedText();
    shadowed->setShadow(0.5);
    auto shadowImage = render(*shadowed);
    // Just above the glyphs (outside the frame's ink): white without a shadow, grey with it.
    const int x = box.minX + 5, y = box.maxY + 3;
    EXPECT_GT(plainImage->colorAt(x, y).red, 0.98);
    const double shade = shadowImage->colorAt(x, y).red;
    EXPECT_LT(shade, 0.97);
    EXPECT_GT(shade, 0.5);
    EXPECT_GT(inkIn(*shadowImage, 0, 0, 700, 700), inkIn(*plainImage, 0, 0, 700, 700) * 1.1);

    auto faint = placedText();
    faint->setAlpha(0.5);
    const double full = inkIn(*plainImage, 0, 0, 700, 700);
    EXPECT_NEAR(inkIn(*render(*faint), 0, 0, 700, 700), full / 2, full * 0.02);
}

TEST(TextWatermarkRendering, InfiniteFrameLogsAndDrawsOnlyTheDecorations) {
    ov::test::LogCapture log;
    auto text = placedText();
    text->setSize({INFINITY, 50});
    auto image = render(*text);
    EXPECT_EQ(log.lines(), std::vector<std::string>{"renderInContext: Frame inf+ Bailing out."});
    EXPECT_TRUE(inkBox(*image).empty());
}

TEST(TextWatermarkRendering, FixedModeDrawsNoHandlesDynamicModeDoes) {
    auto text = placedText();
    text->setEditable(true);
    const ov::Rect frame = text->frame();
    // Darkest pixel just outside the frame's top-right corner, where only a handle (its grey
    // outline) can be.
    auto handleShade = [&](const ov::Image& image) {
        double darkest = 1;
        for (int y = int(frame.maxY()) + 2; y <= int(frame.maxY()) + 6; ++y)
            for (int x = int(frame.maxX()) + 2; x <= int(frame.maxX()) + 6; ++x)
                darkest = std::min(darkest, image.colorAt(x, y).red);
        return darkest;
    };
    EXPECT_GT(handleShade(*render(*text)), 0.98);
    text->setShouldUseDynamicFontSize(true);
    EXPECT_LT(handleShade(*render(*text)), 0.8);
}
