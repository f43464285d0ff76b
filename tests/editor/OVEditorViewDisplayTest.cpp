#include "EditorTestSupport.h"
#include "support/PixelProbes.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using namespace ov::test;

// In an 800 × 700 view.
TEST(EditorDisplay, ScalesAndCentresTheExportSize) {
    struct Fit {
        const char* name;
        int photoWidth, photoHeight, orientation;
        double resizePercent; ///< 0: no resize
        ov::Size size;
        double scale;
        ov::Point origin;
    };
    const Fit fits[] = {
        {"workedExample", 4000, 3000, 0, 0, {4000, 3000}, 0.2, {0, 250}},
        {"smallerThanTheView", 400, 300, 0, 0, {400, 300}, 1.0, {200, 200}},
        {"exactlyAsWide", 800, 600, 0, 0, {800, 600}, 1.0, {0, 50}},
        {"orientation6Swaps", 1600, 1200, 6, 0, {1600, 1200}, 0.5, {0, 100}},
        {"orientation8Swaps", 1600, 1200, 8, 0, {1600, 1200}, 0.5, {0, 100}},
        // 5 and 7 turn the picture too, but the size is read as stored.
        {"orientation5Keeps", 1600, 1200, 5, 0, {1200, 1600}, 0.4375, {137.5 / 0.4375, 0}},
        {"orientation7Keeps", 1600, 1200, 7, 0, {1200, 1600}, 0.4375, {137.5 / 0.4375, 0}},
        {"resizedByThePreset", 4000, 3000, 0, 50, {2000, 1500}, 0.4, {0, 125}},
    };
    for (const Fit& f : fits) {
        SCOPED_TRACE(f.name);
        auto preset = std::make_shared<OVPreset>();
        if (f.resizePercent > 0) {
            preset->setShouldResize(true);
            preset->setResizeMethod(OVResizeMethodPercentage);
            preset->setResizeValue(f.resizePercent);
        }
        TestView view;
        showPhoto(view, preset, nullptr, editorPhoto(f.photoWidth, f.photoHeight, f.orientation));
        EXPECT_EQ(view.originalImageSize(), f.size);
        EXPECT_NEAR(view.scale(), f.scale, 1e-12);
        expectNear(view.translatedOrigin(), f.origin);
        EXPECT_EQ(view.scaledImageFrame().size, f.size);
    }
}

TEST(EditorDisplay, UnscalingClampsPointsLeftOfAndBelowTheView) {
    TestView view; // scale 0.4
    showPhoto(view, std::make_shared<OVPreset>(), nullptr, editorPhoto(2000, 1500));
    EXPECT_EQ(view.unscalePoint({-30, 40}), (ov::Point{0, 100}));
    EXPECT_EQ(view.unscalePoint({20, -1}), (ov::Point{50, 0}));
    EXPECT_EQ(view.scaleRect({0, 125, 100, 50}), (ov::Rect{-10, 40, 60, 40}));
}

TEST(EditorDisplay, ResizingRebuildsTheThumbnailAndKeepsThePhotoCentred) {
    TestView view;
    showPhoto(view, std::make_shared<OVPreset>(), nullptr, editorPhoto(2000, 1500));
    const double ratio = view.devicePixelRatioF();
    EXPECT_EQ(view.image()->width(), 800 * ratio);
    view.resize(1000, 700);
    QCoreApplication::processEvents();
    EXPECT_NEAR(view.scale(), 700.0 / 1500, 1e-12);
    const ov::Rect frame = view.scaledImageFrame();
    EXPECT_NEAR(frame.midX() * view.scale(), 500, 1e-9);
    EXPECT_NEAR(frame.midY() * view.scale(), 350, 1e-9);
    EXPECT_EQ(view.image()->width(), std::round(2000 * 700.0 / 1500 * ratio));
}

// Decoded in the background: the scale is known at once, the thumbnail arrives later, and a
// resize keeps the old one on screen until the new size arrives.
TEST(EditorDisplay, BackgroundDecodingDeliversEachSizeOnTheMainThread) {
    TestView view;
    view.setDecodesInBackground(true);
    QSignalSpy ready(&view, &OVEditorView::thumbnailReady);
    view.resize(800, 700);
    view.setPreset(std::make_shared<OVPreset>());
    view.setSource(ov::ImageSource::createWithURL(editorPhoto(2000, 1500)));
    EXPECT_NEAR(view.scale(), 800.0 / 2000, 1e-12);
    EXPECT_TRUE(view.isDecoding());
    EXPECT_FALSE(view.image());
    ASSERT_TRUE(ready.wait(10000));
    const double ratio = view.devicePixelRatioF();
    ASSERT_TRUE(view.image());
    EXPECT_EQ(view.image()->width(), 800 * ratio);

    view.resize(1000, 700);
    view.windowDidResize();
    EXPECT_EQ(view.image()->width(), 800 * ratio) << "the old thumbnail stays meanwhile";
    EXPECT_NEAR(view.scale(), 700.0 / 1500, 1e-12);
    ASSERT_TRUE(ready.wait(10000));
    EXPECT_EQ(view.image()->width(), std::round(2000 * 700.0 / 1500 * ratio));
    EXPECT_FALSE(view.isDecoding());
}

/// The colour at a view point (y up) of the view's drawing, as 0–255 components.
QColor probe(const QImage& drawing, int viewHeight, double x, double y) {
    const double r = drawing.devicePixelRatio();
    return drawing.pixelColor(static_cast<int>(x * r), static_cast<int>((viewHeight - y) * r));
}

// A 400 × 300 photograph at scale 1 occupies (200, 200)–(600, 500) of the view.
TEST(EditorDisplay, DrawsThePhotoAndMarksOnlyInsideTheImageFrame) {
    auto preset = std::make_shared<OVPreset>();
    preset->setWatermarks(
        {filledSquare({300, 100, 200, 100})}); // reaches 100 px past the right edge
    TestView view;
    showPhoto(view, preset, nullptr, editorPhoto(400, 300));
    const QImage drawing = view.grab().toImage();
    const double r = view.devicePixelRatioF();
    ASSERT_EQ(drawing.width(), 800 * r);
    const QColor background = probe(drawing, 700, 650, 350);
    EXPECT_NEAR(background.redF(), 0.145, 0.01);
    EXPECT_EQ(background, probe(drawing, 700, 100, 100));
    EXPECT_EQ(probe(drawing, 700, 550, 350), QColor(255, 0, 0));
    // Sharp at the frame's edge: the last device pixel inside is the mark's, the next is not.
    EXPECT_EQ(drawing.pixelColor(int(600 * r) - 1, int(350 * r)), QColor(255, 0, 0));
    EXPECT_EQ(drawing.pixelColor(int(600 * r), int(350 * r)), background);
    // The photograph itself (its blue is constant).
    EXPECT_NEAR(probe(drawing, 700, 450, 250).blue(), 90, 12);
}

} // namespace
