// inkstead-gallery OUT.png [SCALE]
//
// Renders every icon of the theme (both states of each "add" icon), every control in its states
// and the progress sheet on the window background into one PNG, at SCALE device pixels per point
// (default 2), so that the whole theme can be looked at in one picture. Runs without a display.

#include "inkstead/appearance/OVColorWell.h"
#include "inkstead/appearance/OVPopUpButtonCell.h"
#include "inkstead/appearance/OVQtBridge.h"
#include "inkstead/appearance/OVSaveProgressController.h"
#include "inkstead/appearance/OVSegmentedCell.h"
#include "inkstead/appearance/OVStyleKit.h"
#include "inkstead/appearance/OVTextFieldCell.h"
#include "inkstead/appearance/OVTextLabelCell.h"

#include <QApplication>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using Icon = OVStyleKit::Icon;

QLabel* caption(const QString& text) {
    auto* label = new QLabel(text);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, OVQColor(OVStyleKit::presetVCPrimaryTextColorDark()));
    label->setPalette(p);
    return label;
}

QLabel* iconLabel(Icon icon) {
    const ov::Size size = OVStyleKit::size(icon);
    auto* label = new QLabel;
    label->setPixmap(OVStyleKit::qIcon(icon).pixmap(
        QSize(static_cast<int>(size.width), static_cast<int>(size.height))));
    label->setToolTip(QString::fromUtf8(OVStyleKit::name(icon).data()));
    return label;
}

QWidget* row(std::initializer_list<QWidget*> widgets, int spacing = 12) {
    auto* box = new QWidget;
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    for (QWidget* w : widgets)
        layout->addWidget(w);
    layout->addStretch(1);
    return box;
}

QWidget* iconRow(std::initializer_list<Icon> icons, int spacing = 12) {
    auto* box = new QWidget;
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    for (Icon icon : icons)
        layout->addWidget(iconLabel(icon));
    layout->addStretch(1);
    return box;
}

QWidget* gradientSwatch() {
    auto* label = new QLabel;
    const double scale = label->devicePixelRatioF();
    const QImage picture = OVRenderQImage(QSize(180, 22), scale, [](ov::GraphicsContext& ctx) {
        // Lighter at the top, as on a title bar.
        ctx.drawLinearGradient(OVStyleKit::titlebarGradient(), {0, 22}, {0, 0});
    });
    label->setPixmap(QPixmap::fromImage(picture));
    return label;
}

template <class Control> Control* sized(Control* control, int width, int height) {
    control->setFixedSize(width, height);
    return control;
}

OVSegmentedCell* segmented(int count, int selected, bool enabled) {
    auto* control = sized(new OVSegmentedCell(count), 64 * count, 24);
    control->setSelectedSegment(selected);
    control->setEnabled(enabled);
    return control;
}

OVPopUpButtonCell* popUp(int width) {
    auto* control = sized(new OVPopUpButtonCell, width, 24);
    control->addItems({QStringLiteral("Default preset"), QStringLiteral("Signature")});
    return control;
}

OVColorWell* well(ov::Color color) {
    auto* control = sized(new OVColorWell, 44, 23);
    control->setColor(color);
    return control;
}

QLabel* progressSheet() {
    OVSaveProgressController controller;
    controller.setFileLabel("Saving harbour-at-dusk.jpg");
    controller.setCountLabel("7 of 12");
    controller.setProgressValue(7.0 / 12.0);
    QDialog* sheet = controller.window();
    sheet->adjustSize();
    auto* label = new QLabel;
    label->setPixmap(sheet->grab());
    return label;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: inkstead-gallery OUT.png [SCALE]\n");
        return 2;
    }
    const std::string out = argv[1];
    const char* scale = argc == 3 ? argv[2] : "2";
    if (std::atof(scale) <= 0) {
        std::fprintf(stderr, "inkstead-gallery: SCALE must be a positive number\n");
        return 2;
    }
    qputenv("QT_SCALE_FACTOR", scale);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QWidget page;
    page.setAutoFillBackground(true);
    QPalette p = page.palette();
    p.setColor(QPalette::Window, OVQColor(OVStyleKit::windowBackgroundColor()));
    page.setPalette(p);
    auto* grid = new QGridLayout(&page);
    grid->setContentsMargins(20, 20, 20, 20);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(12);
    int line = 0;
    auto add = [&](const QString& title, QWidget* content) {
        grid->addWidget(caption(title), line, 0, Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(content, line++, 1);
    };

    add("Toolbar", iconRow({Icon::openButton, Icon::shareButton, Icon::saveButton}));
    add("Add", iconRow({Icon::addImageWatermarkButton, Icon::addCircleWatermarkButton,
                        Icon::addTextWatermarkButton, Icon::addStrikeWatermarkButton,
                        Icon::addArrowWatermarkButton, Icon::addSquareWatermarkButton,
                        Icon::addPixellatedWatermarkButton}));
    add("Add, highlighted",
        iconRow(
            {Icon::addImageWatermarkButtonHighlighted, Icon::addCircleWatermarkButtonHighlighted,
             Icon::addTextWatermarkButtonHighlighted, Icon::addStrikeWatermarkButtonHighlighted,
             Icon::addArrowWatermarkButtonHighlighted, Icon::addSquareWatermarkButtonHighlighted,
             Icon::addPixellatedWatermarkButtonHighlighted}));
    add("Presets", iconRow({Icon::presetPopoverButton, Icon::alternatePresetPopoverButton,
                            Icon::presetDuplicateButton, Icon::presetAddButton,
                            Icon::presetRemoveButton, Icon::fileinfoTemplateButton}));
    add("Copyright", iconRow({Icon::insertCopyrightSymbol}));
    add("Title bar", gradientSwatch());

    auto* field = sized(new OVTextFieldCell, 180, 22);
    field->setText(QStringLiteral("© 2026 Inkstead"));
    auto* longField = sized(new OVTextFieldCell, 120, 22);
    longField->setText(QStringLiteral("A title far too long for its field"));
    add("Text field", row({field, longField}));
    auto* label = sized(new OVTextLabelCell(QStringLiteral("Default preset")), 140, 20);
    auto* highlighted = sized(new OVTextLabelCell(QStringLiteral("Signature")), 140, 20);
    highlighted->setHighlighted(true);
    add("Label", row({label, highlighted}));
    add("Segments", row({segmented(2, 0, true), segmented(2, 1, true), segmented(3, 2, true),
                         segmented(2, 0, false), segmented(2, -1, true)}));
    add("Pop-up", row({popUp(200), popUp(167)}));
    add("Colour well", row({well({0.9, 0.2, 0.2, 1}), well({1, 1, 1, 1}),
                            well(OVStyleKit::highlightControlColor()), well({0, 0, 0, 0.5})}));
    add("Progress", progressSheet());

    page.adjustSize();
    const QPixmap picture = page.grab();
    if (!picture.save(QString::fromStdString(out), "PNG")) {
        std::fprintf(stderr, "inkstead-gallery: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
