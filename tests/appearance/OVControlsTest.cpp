#include "inkstead/appearance/OVColorWell.h"
#include "inkstead/appearance/OVPopUpButtonCell.h"
#include "inkstead/appearance/OVQtBridge.h"
#include "inkstead/appearance/OVSegmentedCell.h"
#include "inkstead/appearance/OVStyleKit.h"
#include "inkstead/appearance/OVTextFieldCell.h"
#include "inkstead/appearance/OVTextLabelCell.h"

#include "support/gui/WidgetProbe.h"

#include <gtest/gtest.h>

#include <QColorDialog>
#include <QSignalSpy>
#include <QTest>

using namespace ov::test;

namespace {

#define EXPECT_COLOR(actual, expected)                                                             \
    EXPECT_TRUE(colorNear(actual, expected))                                                       \
        << "got " << describe(actual) << ", expected " << describe(expected)

// Text is antialiased: its strongest pixel comes close to the text colour, not always onto it.
#define EXPECT_INK(actual, expected)                                                               \
    EXPECT_TRUE(colorNear(actual, expected, 16.0 / 255))                                           \
        << "got " << describe(actual) << ", expected " << describe(expected)

//! Segmented control: three segments of 64 × 24 points.

TEST(SegmentLabels, UseTheColourOfTheirState) {
    enum Ink { selectedInk, unselectedInk, disabledInk, noLabel };
    struct Case {
        const char* name;
        int selected;
        bool enabled;
        int probed; ///< the segment whose label is looked at
        Ink ink;
    };
    const Case cases[] = {
        {"selectedWidth", 0, true, 0, selectedInk},
        {"unselectedHeight", 0, true, 1, unselectedInk},
        {"selectedHeight", 1, true, 1, selectedInk},
        {"disabledSelected", 0, false, 0, disabledInk},
        {"disabledUnselected", 0, false, 1, disabledInk},
        {"thirdUnselected", 0, true, 2, noLabel},
        {"thirdSelected", 2, true, 2, noLabel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OVSegmentedCell control(3);
        control.resize(192, 24);
        control.setSelectedSegment(c.selected);
        control.setEnabled(c.enabled);
        const QImage picture = grabImage(control);

        // The label's area, away from the hairlines and the highlight's rounded ends.
        const QRect area(c.probed * 64 + 6, 3, 52, 18);
        const bool highlighted = c.probed == c.selected && c.enabled;
        const QColor background = highlighted ? OVQColor(OVStyleKit::highlightControlColor())
                                              : picture.pixelColor(c.probed * 64 + 4, 12);
        const QColor ink = strongestInk(picture, area, background);
        if (c.ink == selectedInk)
            EXPECT_INK(ink, ov::Color::white());
        else if (c.ink == unselectedInk)
            EXPECT_INK(ink, OVStyleKit::presetVCBackgroundColor());
        else if (c.ink == disabledInk)
            EXPECT_INK(ink, OVColorFromQColor(
                                control.palette().color(QPalette::Disabled, QPalette::ButtonText)));
        else
            EXPECT_EQ(ink, background) << "drew " << describe(ink);
    }
}

TEST(SegmentHighlight, FillsTheSelectedSegmentOnlyWhileEnabled) {
    const ov::Color& blue = OVStyleKit::highlightControlColor();
    OVSegmentedCell control(3);
    control.resize(192, 24);
    for (int selected : {0, 1, 2}) {
        control.setSelectedSegment(selected);
        const QImage picture = grabImage(control);
        const int left = selected * 64;
        SCOPED_TRACE(selected);
        // Inside the rounded rectangle, 2 points in from the top and bottom.
        EXPECT_COLOR(picture.pixelColor(left + 4, 3), blue);
        EXPECT_COLOR(picture.pixelColor(left + 60, 20), blue);
        EXPECT_FALSE(colorNear(picture.pixelColor(left + 30, 0), blue));
        EXPECT_FALSE(colorNear(picture.pixelColor(left + 30, 23), blue));
        // Not in the 2 points to the left of the segment, though the highlight of every
        // segment but the first is moved there: the segment frame cuts it.
        if (selected > 0) {
            EXPECT_FALSE(colorNear(picture.pixelColor(left - 1, 12), blue));
            EXPECT_FALSE(colorNear(picture.pixelColor(left - 2, 12), blue));
        }
    }
    control.setSelectedSegment(1);
    control.setEnabled(false);
    EXPECT_FALSE(colorNear(grabImage(control).pixelColor(64 + 30, 12), blue));
}

TEST(SegmentHighlight, IsMovedLeftForEverySegmentButTheFirst) {
    const QRectF frame(64, 0, 64, 24);
    EXPECT_EQ(OVSegmentedCell::highlightRectForSegment(0, frame), QRectF(64, 2, 66, 20));
    EXPECT_EQ(OVSegmentedCell::highlightRectForSegment(1, frame), QRectF(62, 2, 66, 20));
}

TEST(SegmentClick, SelectsTheSegmentUnderTheMouse) {
    OVSegmentedCell control(2);
    control.resize(128, 24);
    QSignalSpy spy(&control, &OVSegmentedCell::selectedSegmentChanged);
    QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(100, 12));
    EXPECT_EQ(control.selectedSegment(), 1);
    QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(100, 12));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 1);
}

//! Pop-up button: the background stays at 167 × 22 from y 2 whatever the control's size.

TEST(PopUpButton, DrawsItsBackgroundAtTheSamePlaceForEverySize) {
    for (int width : {120, 240}) {
        SCOPED_TRACE(width);
        OVPopUpButtonCell control;
        control.resize(width, 30);
        const QImage picture = grabImage(control);
        EXPECT_COLOR(picture.pixelColor(3, 3), OVStyleKit::presetVCBackgroundColor());
        EXPECT_COLOR(picture.pixelColor(3, 22), OVStyleKit::presetVCBackgroundColor());
        EXPECT_FALSE(colorNear(picture.pixelColor(3, 1), OVStyleKit::presetVCBackgroundColor()));
        EXPECT_FALSE(colorNear(picture.pixelColor(3, 25), OVStyleKit::presetVCBackgroundColor()));
        if (width > 167) {
            EXPECT_COLOR(picture.pixelColor(155, 12), ov::Color::black()) << "the arrow";
            EXPECT_FALSE(
                colorNear(picture.pixelColor(170, 12), OVStyleKit::presetVCBackgroundColor()));
        }
    }
}

TEST(PopUpButton, DrawsTheTitleInThePrimaryTextColour) {
    OVPopUpButtonCell control;
    control.resize(167, 24);
    control.addItem(QStringLiteral("HHHH"));
    const QImage picture = grabImage(control);
    const QColor ink =
        strongestInk(picture, control.titleRect(), OVQColor(OVStyleKit::presetVCBackgroundColor()));
    EXPECT_INK(ink, OVStyleKit::presetVCPrimaryTextColor());
}

//! Text field and label.

// The first column in which some pixel stands far from `background`: where the text begins
// (the rounded corners left out).
int firstInkColumn(const QImage& picture, const QColor& background) {
    for (int x = 2; x < picture.width(); ++x)
        for (int y = 3; y < picture.height() - 3; ++y)
            if (std::abs(picture.pixelColor(x, y).red() - background.red()) > 60)
                return x;
    return -1;
}

TEST(TextField, DrawsItsTitleInsetAndTheEditorLinesUpWithIt) {
    QWidget window;
    auto* field = new OVTextFieldCell(&window);
    field->setGeometry(0, 0, 160, 24);
    field->setText(QStringLiteral("HHHH"));
    window.show();
    const QColor background = OVQColor(OVStyleKit::editorViewBackgroundColor());

    const QImage idle = grabImage(*field);
    EXPECT_COLOR(idle.pixelColor(2, 12), OVStyleKit::editorViewBackgroundColor());
    EXPECT_FALSE(colorNear(idle.pixelColor(0, 0), OVStyleKit::editorViewBackgroundColor()))
        << "the corner is rounded";
    EXPECT_INK(strongestInk(idle, field->rect(), background),
               OVStyleKit::presetVCPrimaryTextColor());
    const int idleColumn = firstInkColumn(idle, background);
    EXPECT_GE(idleColumn, 5);
    EXPECT_LE(idleColumn, 7);

    window.activateWindow();
    field->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return field->hasFocus(); }));
    field->deselect();
    field->setCursorPosition(0);
    const QImage editing = grabImage(*field);
    EXPECT_NEAR(firstInkColumn(editing, background), idleColumn, 1);
}

TEST(TextLabel, FillsItsRoundedRectangleOnlyWhenHighlighted) {
    OVTextLabelCell label(QStringLiteral("Preset"));
    label.resize(120, 20);
    const ov::Color& fill = OVStyleKit::presetVCBackgroundHighlightColor();
    EXPECT_FALSE(colorNear(grabImage(label).pixelColor(110, 10), fill));
    label.setHighlighted(true);
    const QImage picture = grabImage(label);
    EXPECT_COLOR(picture.pixelColor(110, 10), fill);
    EXPECT_FALSE(colorNear(picture.pixelColor(0, 0), fill)) << "the corner is rounded";
    EXPECT_INK(strongestInk(picture, label.rect(), OVQColor(fill)),
               OVStyleKit::presetVCPrimaryTextColor());
}

//! Colour well.

TEST(ColorWell, ShowsItsColourInsideAOnePointBorder) {
    OVColorWell well;
    well.resize(44, 23);
    const ov::Color red{1, 0, 0, 1};
    well.setColor(red);
    const QImage picture = grabImage(well);
    EXPECT_COLOR(picture.pixelColor(0, 11), OVStyleKit::editorViewBackgroundColor());
    EXPECT_COLOR(picture.pixelColor(22, 0), OVStyleKit::editorViewBackgroundColor());
    EXPECT_COLOR(picture.pixelColor(43, 11), OVStyleKit::editorViewBackgroundColor());
    EXPECT_COLOR(picture.pixelColor(1, 11), red);
    EXPECT_COLOR(picture.pixelColor(22, 11), red);
    EXPECT_COLOR(picture.pixelColor(22, 21), red);
}

TEST(ColorWell, AClickOpensTheChooserWhoseColoursItReports) {
    OVColorWell well;
    well.resize(44, 23);
    well.setColor({1, 0, 0, 1});
    well.show();
    QSignalSpy changed(&well, &OVColorWell::colorChanged);
    QTest::mouseClick(&well, Qt::LeftButton, {}, QPoint(20, 10));
    QColorDialog* chooser = well.colorChooser();
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(chooser->currentColor(), QColor(255, 0, 0));

    chooser->setCurrentColor(QColor(0, 0, 255));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(well.color(), (ov::Color{0, 0, 1, 1}));
    chooser->reject();
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(well.color(), (ov::Color{1, 0, 0, 1})) << "cancel takes the colour back";
}

TEST(ColorWell, KeepsItsPopover) {
    auto* well = new OVColorWell;
    QPointer<QWidget> popover = new QWidget(nullptr, Qt::Popup);
    well->setPopover(popover);
    EXPECT_EQ(well->popover(), popover.data());
    EXPECT_TRUE(popover->isWindow());
    delete well;
    EXPECT_TRUE(popover.isNull()) << "the well owned it";
}

} // namespace
