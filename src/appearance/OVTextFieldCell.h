#pragma once

#include <QLineEdit>

/// A single-line text field of the dark theme: the text in the primary text colour on the editor
/// background, in a rectangle with corners rounded by 2 points.
///
/// While the field is not being edited it draws its text itself into titleRectForBounds() (the
/// placeholder at half strength when there is no text); while editing, Qt's editor draws it,
/// moved so that the text stays where it was drawn.
class OVTextFieldCell : public QLineEdit {
    Q_OBJECT
public:
    explicit OVTextFieldCell(QWidget* parent = nullptr);

    /// Where the text is drawn: `bounds` less 5 points on the left and on the right.
    [[nodiscard]] static QRectF titleRectForBounds(const QRectF& bounds);
    [[nodiscard]] bool usesSingleLineMode() const { return true; }

protected:
    void paintEvent(QPaintEvent* event) override;
};
