#include "MainToolbar.h"

#include "inkstead/appearance/OVStyleKit.h"
#include "inkstead/watermarks/OVArrowWatermark.h"
#include "inkstead/watermarks/OVImageWatermark.h"
#include "inkstead/watermarks/OVPixellateWatermark.h"
#include "inkstead/watermarks/OVShapeWatermark.h"
#include "inkstead/watermarks/OVStrikethroughWatermark.h"
#include "inkstead/watermarks/OVTextWatermark.h"

#include <QAction>

namespace {

using Icon = OVStyleKit::Icon;

struct AddButton {
    AddKind kind;
    Icon plain;
    Icon highlighted;
    const char* tip;
};

constexpr AddButton kAddButtons[] = {
    {AddKind::image, Icon::addImageWatermarkButton, Icon::addImageWatermarkButtonHighlighted,
     "Add an image"},
    {AddKind::circle, Icon::addCircleWatermarkButton, Icon::addCircleWatermarkButtonHighlighted,
     "Add a circle"},
    {AddKind::text, Icon::addTextWatermarkButton, Icon::addTextWatermarkButtonHighlighted,
     "Add a text"},
    {AddKind::strike, Icon::addStrikeWatermarkButton, Icon::addStrikeWatermarkButtonHighlighted,
     "Strike through"},
    {AddKind::arrow, Icon::addArrowWatermarkButton, Icon::addArrowWatermarkButtonHighlighted,
     "Add an arrow"},
    {AddKind::square, Icon::addSquareWatermarkButton, Icon::addSquareWatermarkButtonHighlighted,
     "Add a square"},
    {AddKind::pixellate, Icon::addPixellatedWatermarkButton,
     Icon::addPixellatedWatermarkButtonHighlighted, "Pixellate an area"},
};

} // namespace

OVWatermarkPtr makeWatermark(AddKind kind) {
    switch (kind) {
    case AddKind::image:
        return OVImageWatermark::imageWatermark();
    case AddKind::circle:
        return OVShapeWatermark::circleShapeWatermark();
    case AddKind::text:
        return OVTextWatermark::textWatermark();
    case AddKind::strike:
        return OVStrikethroughWatermark::strikethroughWatermark();
    case AddKind::arrow:
        return OVArrowWatermark::arrowWatermark();
    case AddKind::square:
        return OVShapeWatermark::squareShapeWatermark();
    case AddKind::pixellate:
        return OVPixellateWatermark::pixellateWatermark();
    }
    return nullptr;
}

MainToolbar::MainToolbar(QWidget* parent) : QToolBar(tr("Tools"), parent) {
    setObjectName("toolbar");
    setMovable(false);
    setIconSize(QSize(32, 32));
    open_ = QToolBar::addAction(OVStyleKit::imageOfOpenButton(), tr("Open…"));
    open_->setShortcut(QKeySequence::Open);
    open_->setObjectName("openAction");
    export_ = QToolBar::addAction(OVStyleKit::imageOfShareButton(), tr("Export…"));
    export_->setShortcut(QKeySequence(tr("Ctrl+E")));
    export_->setObjectName("exportAction");
    addSeparator();
    for (const auto& button : kAddButtons) {
        auto* action = QToolBar::addAction(OVStyleKit::qIcon(button.plain), tr(button.tip));
        action->setCheckable(true);
        const AddKind kind = button.kind;
        connect(action, &QAction::triggered, this,
                [this, kind](bool on) { Q_EMIT addRequested(kind, on); });
        connect(action, &QAction::toggled, this, [action, button](bool on) {
            action->setIcon(OVStyleKit::qIcon(on ? button.highlighted : button.plain));
        });
        add_[kind] = action;
    }
}

void MainToolbar::showInsertion(AddKind kind) {
    for (auto& [k, action] : add_)
        action->setChecked(k == kind);
}

void MainToolbar::endInsertion() {
    for (auto& [kind, action] : add_)
        action->setChecked(false);
}
