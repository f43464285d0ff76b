// The real inkstead-app on a virtual X display: a screenshot shows the dark theme, the
// photograph and its watermark where they belong.

#include "inkstead/appearance/OVQtBridge.h"
#include "inkstead/appearance/OVStyleKit.h"
#include "inkstead/presets/OVPresetManager.h"
#include "support/EveryKindPreset.h"
#include "support/GeneratedPhotos.h"
#include "support/TestSupport.h"

#include <QImage>
#include <QRect>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using namespace ov::test;

bool near(QRgb pixel, const QColor& expected, int tolerance) {
    return std::abs(qRed(pixel) - expected.red()) <= tolerance &&
           std::abs(qGreen(pixel) - expected.green()) <= tolerance &&
           std::abs(qBlue(pixel) - expected.blue()) <= tolerance;
}

TEST(DesktopWindow, ScreenshotShowsThemePhotoAndMark) {
    if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xvfb-run is not installed (package xvfb)";
    TempDir dir;
    const auto home = dir / "home";
    const auto photo = dir / "photo.jpg";
    writeOrientedPhoto(photo, 900, 600, 0, "[Q=95,strip]");

    // A preset with a blue square in the photograph's left half.
    {
        ScopedEnvironment storage("INKSTEAD_HOME", home);
        OVPresetManager manager(std::nullopt);
        manager.firstPreset()->setWatermarks({filledSquare({150, 250, 150, 100}, {0, 0, 1, 1})});
        manager.savePresets();
        manager.waitForPendingSaves();
    }

    const auto shot = dir / "shot.png";
    const std::string command =
        "xvfb-run -a -s '-screen 0 1280x800x24' sh -c 'QT_QPA_PLATFORM=xcb \"" +
        std::string(INKSTEAD_APP) + "\" --home \"" + home.string() + "\" \"" + photo.string() +
        "\" & app=$!; \"" GRAB_SCREEN "\" \"" + shot.string() +
        "\"; status=$?; kill $app; wait $app; exit $status'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const QImage image =
        QImage(QString::fromStdString(shot.string())).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(image.isNull());

    // The photograph: coloured where the theme is grey (but for its highlight); only long runs
    // of such pixels count, which leaves the thumbnail out.
    QRect photoBox, markBox;
    int themePixels = 0;
    const QColor theme = OVQColor(OVStyleKit::editorViewBackgroundColor());
    const QColor highlight = OVQColor(OVStyleKit::highlightControlColor());
    for (int y = 0; y < image.height(); ++y) {
        int run = 0;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            const int spread =
                std::max({qRed(p), qGreen(p), qBlue(p)}) - std::min({qRed(p), qGreen(p), qBlue(p)});
            const bool photo = spread > 30 && !near(p, highlight, 12);
            run = photo ? run + 1 : 0;
            if (run == 300)
                photoBox |= QRect(x - 299, y, 300, 1);
            else if (run > 300)
                photoBox |= QRect(x, y, 1, 1);
            if (qBlue(p) > 220 && qRed(p) < 40 && qGreen(p) < 40)
                markBox |= QRect(x, y, 1, 1);
            themePixels += near(p, theme, 3);
        }
    }
    ASSERT_FALSE(photoBox.isEmpty()) << "no photograph on screen";
    // Fitted with its aspect ratio kept (3:2) inside the editor.
    EXPECT_NEAR(double(photoBox.width()) / photoBox.height(), 1.5, 0.06);
    EXPECT_GT(photoBox.width(), 300);
    // The editor's background around the photograph.
    EXPECT_GT(themePixels, 5000);
    const QRgb aside = image.pixel(photoBox.center().x(), std::max(0, photoBox.top() - 5));
    EXPECT_TRUE(near(aside, theme, 3) || photoBox.top() < 5)
        << "above the photograph: " << std::hex << aside;

    // The mark: inside the photograph, 1/6 of its width wide, left of its centre and a little
    // above the middle (its lower edge 250 of 600 pixels up).
    ASSERT_FALSE(markBox.isEmpty()) << "no watermark on screen";
    EXPECT_TRUE(photoBox.contains(markBox));
    const double scale = photoBox.width() / 900.0;
    EXPECT_NEAR(markBox.left(), photoBox.left() + 150 * scale, 4);
    EXPECT_NEAR(markBox.width(), 150 * scale, 4);
    EXPECT_NEAR(markBox.bottom(), photoBox.bottom() - 250 * scale, 4);
}

} // namespace
