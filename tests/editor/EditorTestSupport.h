#pragma once

// Shared pieces of the editor view tests: generated photographs, a recording delegate, a view
// that records its redraw requests and stands in for the system drag, and input events given
// in the view's y-up space.

#include "inkstead/editor/OVEditorView.h"
#include "inkstead/editor/OVStaticEditorView.h"
#include "support/EveryKindPreset.h"
#include "support/GeneratedPhotos.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDrag>
#include <QKeyEvent>
#include <QMouseEvent>

#include <fstream>
#include <functional>
#include <map>
#include <string>

namespace ov::test {

/// A JPEG whose upright picture is width × height, stored with `orientation` (0: untagged);
/// made once per run.
inline std::filesystem::path editorPhoto(int width, int height, int orientation = 0) {
    static TempDir dir;
    const auto path = dir / (std::to_string(width) + "x" + std::to_string(height) + "_" +
                             std::to_string(orientation) + ".jpg");
    if (!std::filesystem::exists(path))
        writeOrientedPhoto(path, width, height, orientation, "[Q=80,strip]");
    return path;
}

class RecordingDelegate : public OVEditorViewDelegate {
public:
    int reloads = 0;
    std::vector<std::filesystem::path> saveDirectories;
    std::vector<std::vector<std::filesystem::path>> receivedFiles;

    void presetShouldReloadWatermarks() override { ++reloads; }
    /// Writes a small finished file, as a host writes the photograph.
    void saveCurrentImageToDirectory(const std::filesystem::path& directory) override {
        saveDirectories.push_back(directory);
        std::ofstream(directory / "photo_Watermarked.jpg") << "written";
    }
    void editorViewDragDestinationReceivedImages(
        const std::vector<std::filesystem::path>& files) override {
        receivedFiles.push_back(files);
    }
};

/// A view that records what it asks to redraw (the whole view as bounds()) and runs drags
/// through `dragTarget` instead of the window system.
template <class Base> class RecordingView : public Base {
public:
    std::vector<ov::Rect> redraws;
    int drags = 0;
    QPixmap dragPixmap;
    QPoint dragHotSpot;
    std::function<Qt::DropAction(QDrag&)> dragTarget = [](QDrag&) { return Qt::IgnoreAction; };

protected:
    void setNeedsDisplay() override {
        redraws.push_back(this->bounds());
        Base::setNeedsDisplay();
    }
    void setNeedsDisplayInRect(ov::Rect rect) override {
        redraws.push_back(rect);
        Base::setNeedsDisplayInRect(rect);
    }
    Qt::DropAction executeDrag(QDrag& drag) override {
        ++drags;
        dragPixmap = drag.pixmap();
        dragHotSpot = drag.hotSpot();
        return dragTarget(drag);
    }
};

using TestView = RecordingView<OVEditorView>;
using TestStaticView = RecordingView<OVStaticEditorView>;

/// A view of `size` points showing `photo` with `preset`, shown and drawn once (drawing gives
/// the watermarks their bounds).
template <class View>
void showPhoto(View& view, const OVPresetPtr& preset,
               const std::shared_ptr<RecordingDelegate>& delegate,
               const std::filesystem::path& photo, QSize size = {800, 700}) {
    view.resize(size);
    view.setPreset(preset);
    view.setDelegate(delegate);
    view.setSource(ov::ImageSource::createWithURL(photo));
    view.show();
    (void)view.grab();
}

/// The view point of a point given in image pixels.
inline ov::Point onScreen(const OVEditorView& view, ov::Point image) {
    const ov::Point origin = view.translatedOrigin();
    return {(image.x + origin.x) * view.scale(), (image.y + origin.y) * view.scale()};
}

/// Sends a mouse event at a view point (y up). Moves carry `button` as held; hover moves
/// carry none.
inline void sendMouse(QWidget& view, QEvent::Type type, ov::Point at,
                      Qt::MouseButton button = Qt::LeftButton) {
    const QPointF local(at.x, view.height() - at.y);
    const Qt::MouseButton changed = type == QEvent::MouseMove ? Qt::NoButton : button;
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, local, view.mapToGlobal(local), changed, held, Qt::NoModifier);
    QApplication::sendEvent(&view, &event);
}

inline void press(QWidget& v, ov::Point at, Qt::MouseButton b = Qt::LeftButton) {
    sendMouse(v, QEvent::MouseButtonPress, at, b);
}
inline void drag(QWidget& v, ov::Point at) {
    sendMouse(v, QEvent::MouseMove, at);
}
inline void hover(QWidget& v, ov::Point at) {
    sendMouse(v, QEvent::MouseMove, at, Qt::NoButton);
}
inline void release(QWidget& v, ov::Point at, Qt::MouseButton b = Qt::LeftButton) {
    sendMouse(v, QEvent::MouseButtonRelease, at, b);
}

inline void sendKey(QWidget& view, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(&view, &event);
}

/// How many cursors the view left on the override stack (all are popped to count them).
inline int popOverrideCursors() {
    int count = 0;
    while (QGuiApplication::overrideCursor()) {
        QGuiApplication::restoreOverrideCursor();
        ++count;
    }
    return count;
}

} // namespace ov::test
