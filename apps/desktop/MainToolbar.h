#pragma once

#include "inkstead/watermarks/OVWatermark.h"

#include <QToolBar>

#include <map>

class QAction;

/// The kinds of the "add" buttons, in toolbar order.
enum class AddKind { image, circle, text, strike, arrow, square, pixellate };

/// A new watermark of `kind` as the library makes it (an image watermark without picture).
[[nodiscard]] OVWatermarkPtr makeWatermark(AddKind kind);

/// The window's toolbar: open, export, and the seven "add" buttons. An "add" button stays
/// highlighted (checked, with the highlighted icon) while its insertion lasts; the window
/// answers the signals and calls endInsertion() when the preset leaves insertion mode.
class MainToolbar : public QToolBar {
    Q_OBJECT

public:
    explicit MainToolbar(QWidget* parent = nullptr);

    [[nodiscard]] QAction* openAction() const { return open_; }
    [[nodiscard]] QAction* exportAction() const { return export_; }
    [[nodiscard]] QAction* addAction(AddKind kind) const { return add_.at(kind); }
    /// Highlights the button of `kind` alone.
    void showInsertion(AddKind kind);
    /// No button highlighted.
    void endInsertion();

Q_SIGNALS:
    /// An "add" button was pressed (`on`: it is now highlighted; off: pressed again).
    void addRequested(AddKind kind, bool on);

private:
    QAction* open_ = nullptr;
    QAction* export_ = nullptr;
    std::map<AddKind, QAction*> add_;
};
