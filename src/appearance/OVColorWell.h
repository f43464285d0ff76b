#pragma once

#include "inkstead/platform/gfx/Color.h"

#include <QColorDialog>
#include <QPointer>
#include <QWidget>

/// The colour well of the dark theme: the colour in a swatch with corners rounded by 2 points
/// and a 1-point border in editorViewBackgroundColor. A click opens the platform's colour
/// chooser on the well's colour; every colour chosen there becomes the well's at once and is
/// reported with colorChanged(), and cancelling the chooser brings the first colour back.
class OVColorWell : public QWidget {
    Q_OBJECT
public:
    explicit OVColorWell(QWidget* parent = nullptr);

    [[nodiscard]] const ov::Color& color() const { return color_; }
    /// Sets the colour without reporting it.
    void setColor(const ov::Color& color);

    /// A popover the host keeps with the well; the well does not use it. The well owns it:
    /// one without a parent becomes the well's child (a window still), and a replaced one that
    /// the well owned is deleted.
    [[nodiscard]] QWidget* popover() const { return popover_; }
    void setPopover(QWidget* popover);

    /// The colour chooser while it is open, else null.
    [[nodiscard]] QColorDialog* colorChooser() const { return chooser_; }
    /// Opens the colour chooser (what a click does).
    void activate();

    [[nodiscard]] QSize sizeHint() const override { return {44, 23}; }

Q_SIGNALS:
    /// The user chose a colour in the chooser; color() is the new colour.
    void colorChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    ov::Color color_ = ov::Color::white();
    QPointer<QWidget> popover_;
    QPointer<QColorDialog> chooser_;
};
