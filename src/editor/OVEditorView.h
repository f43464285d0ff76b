#pragma once

#include "inkstead/editor/OVEditorViewDelegate.h"
#include "inkstead/platform/gfx/Geometry.h"
#include "inkstead/platform/gfx/Image.h"
#include "inkstead/platform/imageio/ImageSource.h"
#include "inkstead/presets/OVPreset.h"

#include <QImage>
#include <QWidget>

#include <atomic>
#include <filesystem>
#include <memory>
#include <vector>

class QDrag;
class QTemporaryDir;

namespace ov {
class GraphicsContext;
}

/// Where a drag of the photograph out of the view is over.
enum class OVDraggingContext { outsideApplication = 0, withinApplication = 1 };

/// The view that shows the current photograph, fitted and centred, never enlarged, with the
/// current preset's watermarks drawn over it exactly as an export draws them, and turns mouse,
/// keyboard and drag-and-drop input into edits of that preset.
///
/// Spaces. The view's own space is y-up in points (origin at the lower-left corner); Qt's
/// y-down positions are converted once, at the event handlers. The unscaled space is view space
/// divided by scale(): one unit is one pixel of the photograph at its export size
/// (originalImageSize()); hit tests and moves work in it. Image-relative points are unscaled
/// points minus translatedOrigin(), (0, 0) being the photograph's lower-left corner; resizing
/// and insertion hand those to the preset.
///
/// The host sets the preset before the source. The view holds the preset strongly and the
/// delegate weakly. Main thread only.
class OVEditorView : public QWidget {
    Q_OBJECT

public:
    explicit OVEditorView(QWidget* parent = nullptr);
    ~OVEditorView() override;

    //! \name State
    [[nodiscard]] std::shared_ptr<OVEditorViewDelegate> delegate() const;
    void setDelegate(std::weak_ptr<OVEditorViewDelegate> delegate);
    [[nodiscard]] const ov::ImageSourcePtr& source() const { return source_; }
    /// Takes the photograph: drops the cached thumbnail and builds a new one (which caches
    /// originalImageSize()); when that succeeds, updates the scale. Null clears source and
    /// thumbnail. Requests no redraw.
    void setSource(ov::ImageSourcePtr source);
    [[nodiscard]] const OVPresetPtr& preset() const { return preset_; }
    /// Plain store; the host redraws.
    void setPreset(OVPresetPtr preset) { preset_ = std::move(preset); }
    /// The thumbnail of the source fitted to the view at its device pixel ratio, built on first
    /// request (which also caches originalImageSize()) and kept until the source changes or the
    /// view is resized. Null without a source or when the source cannot be decoded.
    [[nodiscard]] ov::ImagePtr image();
    /// Takes `image` as the thumbnail for the view's current size.
    void setImage(ov::ImagePtr image);
    /// Off (the default): thumbnails are decoded on the main thread when first needed. On: they
    /// are decoded on a worker thread, so a large photograph never holds up the window; until
    /// the new one arrives the view draws the last one stretched to the frame (or the
    /// background alone for a new source), and thumbnailReady() follows its arrival. The scale
    /// is known at once either way, from the source's properties.
    void setDecodesInBackground(bool background) { decodesInBackground_ = background; }
    [[nodiscard]] bool decodesInBackground() const { return decodesInBackground_; }
    /// True while a thumbnail is being decoded in the background.
    [[nodiscard]] bool isDecoding() const { return pending_.source != nullptr; }
    /// View points per unscaled unit; at most 1, set only by updateScaleFactor().
    [[nodiscard]] double scale() const { return scale_; }
    /// The photograph's pixel size after orientation (6 and 8 exchange width and height) and
    /// after the preset's resize settings.
    [[nodiscard]] ov::Size originalImageSize() const { return originalImageSize_; }
    /// Stored for the host; the view neither sets nor reads them.
    [[nodiscard]] ov::Point mousePoint() const { return mousePoint_; }
    void setMousePoint(ov::Point point) { mousePoint_ = point; }
    [[nodiscard]] const std::filesystem::path& dropLocation() const { return dropLocation_; }
    void setDropLocation(std::filesystem::path location) { dropLocation_ = std::move(location); }
    /// True from a press that arms a resize by handle until the resize gesture ends.
    [[nodiscard]] bool shouldResizeWatermark() const { return shouldResizeWatermark_; }
    void setShouldResizeWatermark(bool should) { shouldResizeWatermark_ = should; }
    /// True while a drag of the photograph out of the view is recorded.
    [[nodiscard]] bool hasDragSession() const { return dragSession_ != nullptr; }
    /// True when a source is set.
    [[nodiscard]] bool hasImage() const { return source_ != nullptr; }

    //! \name Layout (the host calls windowDidResize(); the view also does on every resize)
    /// Reads the source's size and orientation and applies the preset's resize settings; zero
    /// without a preset.
    void cacheOriginalImageSize();
    /// Drops the thumbnail; when one can be built at the new size, updates the scale.
    void windowDidResize();
    void updateScaleFactor();
    /// originalImageSize() fitted into the view, in points.
    [[nodiscard]] ov::Size scaledImageSize() const;
    /// `size` itself when strictly smaller than the view in both dimensions, else the largest
    /// size of its aspect ratio inside the view.
    [[nodiscard]] ov::Size scaleInsideEditorView(ov::Size size) const;
    /// The lower-left corner of the centred photograph, in unscaled units.
    [[nodiscard]] ov::Point translatedOrigin() const;
    /// The photograph's rectangle in unscaled space: (translatedOrigin(), originalImageSize()).
    [[nodiscard]] ov::Rect scaledImageFrame() const;
    /// A view point in unscaled space, negative coordinates clamped to 0.
    [[nodiscard]] ov::Point unscalePoint(ov::Point point) const;
    /// An unscaled rectangle in view points, grown by 10 points on every side (redraw areas).
    [[nodiscard]] ov::Rect scaleRect(ov::Rect rect) const;
    /// (0, 0, width, height) in points.
    [[nodiscard]] ov::Rect bounds() const;

    //! \name Responder traits
    [[nodiscard]] bool acceptsFirstResponder() const { return true; }
    /// A click in an inactive window acts at once.
    [[nodiscard]] bool acceptsFirstMouse() const { return true; }
    /// A press in the view never drags the window.
    [[nodiscard]] bool mouseDownCanMoveWindow() const { return false; }

    //! \name Editing
    /// Forwards to the delegate's watermark(watermark, index).
    void watermark(const OVWatermarkPtr& watermark, std::size_t clickedAtIndex);
    /// Removes the selected watermark (the delegate may take the removal over; see
    /// editorViewRemoveWatermark()) and asks the delegate to reload. The Delete key does the same.
    void removeWatermarkFromContextMenu();
    /// Pops the cursor stack once when the current cursor is not the arrow.
    void resetCursor();
    void updateTrackingAreas();

    //! \name Drag and drop
    /// (point, originalImageSize() fitted into 150 × 150).
    [[nodiscard]] ov::Rect draggingSessionThumbnailFrameAtPoint(ov::Point point) const;
    /// Copy outside the application; nothing inside it (the photograph is not dropped on the
    /// host itself).
    [[nodiscard]] Qt::DropActions
    draggingSessionSourceOperationMask(OVDraggingContext context) const;
    /// Sends the directory to the delegate.
    void saveCurrentImageToDirectory(const std::filesystem::path& directory);
    /// Sends the files to the delegate.
    void editorViewDragDestinationReceivedImages(const std::vector<std::filesystem::path>& files);

Q_SIGNALS:
    /// A thumbnail decoded in the background is in place (the view has asked for a redraw).
    void thumbnailReady();

protected:
    //! \name The view's mouse operations (the static variant turns the left-button ones off)
    virtual void mouseDown(QMouseEvent* event);
    virtual void mouseUp(QMouseEvent* event);
    virtual void mouseDragged(QMouseEvent* event);
    void rightMouseDown(QMouseEvent* event);
    void mouseMoved(QMouseEvent* event);
    void keyDown(QKeyEvent* event);

    /// Redraw requests, in view space.
    virtual void setNeedsDisplay();
    virtual void setNeedsDisplayInRect(ov::Rect rect);
    /// Draws the background, the photograph and the preset into `context`, whose user space is
    /// the view's space in points, limited to `dirtyRect`.
    void drawRect(ov::GraphicsContext& context, ov::Rect dirtyRect);

    /// Runs the system drag of the photograph and returns what the drop target did.
    virtual Qt::DropAction executeDrag(QDrag& drag);
    /// A view-space point of a widget position.
    [[nodiscard]] ov::Point viewPoint(QPointF position) const;

    //! \name Qt events
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    enum class Gesture { none, moving, resizing, draggingOut };
    struct DragSession;

    void sendReload();
    [[nodiscard]] ov::Point unscaledPoint(const QMouseEvent* event) const;
    /// The thumbnail was built for the view's current size and pixel ratio.
    [[nodiscard]] bool imageFitsView() const;
    [[nodiscard]] Qt::CursorShape currentCursorShape() const;
    /// The thumbnail's size in device pixels for the view's current size.
    [[nodiscard]] ov::Rect thumbnailRect();
    /// Starts the background decode for the current source and size, unless it runs already or
    /// the thumbnail in place was made for them.
    void requestThumbnail();

    void moveStep(QMouseEvent* event);
    void endMove(QMouseEvent* event);
    void resizeStep(QMouseEvent* event);
    void endResize(QMouseEvent* event);
    void nudgeSelection(double dx, double dy);

    [[nodiscard]] bool acceptsDrag(const QDropEvent* event) const;
    void beginDraggingSessionWithEvent(QMouseEvent* event);
    void draggingSessionMovedToPoint(ov::Point screenPoint);
    void draggingSessionEndedAtPoint(ov::Point screenPoint, Qt::DropAction operation);
    /// Asks the delegate for the promised file; the URLs of what it wrote.
    [[nodiscard]] std::vector<std::filesystem::path> providePromisedFiles();

    std::weak_ptr<OVEditorViewDelegate> delegate_;
    ov::ImageSourcePtr source_;
    // The values of the photograph shown for the variables of texts; made at the first draw.
    std::shared_ptr<const OVTextVariables> textVariables_;
    OVPresetPtr preset_;
    ov::ImagePtr image_;
    bool imageIsOpaque_ = false; ///< of the thumbnail the view built itself
    struct {
        QSize size;
        double devicePixelRatio = 0;
    } imageBuiltFor_; ///< the view the thumbnail was built for
    bool decodesInBackground_ = false;
    /// A background decode: for which source, view size, pixel ratio and thumbnail size.
    struct Request {
        const ov::ImageSource* source = nullptr;
        QSize size;
        double devicePixelRatio = 0;
        ov::Size pixels;
        bool operator==(const Request&) const = default;
    };
    Request pending_;                   ///< under way
    Request built_;                     ///< what image_ was decoded for
    std::shared_ptr<int> decodeTicket_; ///< held for the latest request
    void thumbnailArrived(ov::ImagePtr thumbnail, bool opaque, const Request& request);
    double scale_ = 1;
    ov::Size originalImageSize_;
    ov::Point mousePoint_;
    std::filesystem::path dropLocation_;
    std::atomic<bool> shouldResizeWatermark_{false};

    Gesture gesture_ = Gesture::none;
    OVWatermarkPtr gestureWatermark_;
    OVWatermarkHandle gestureHandle_ = OVWatermarkHandleNone;
    ov::Point gesturePoint_; ///< last accepted point of a move, unscaled

    std::unique_ptr<DragSession> dragSession_;
    ov::Point draggedThumbnailSourceOrigin_; ///< (0, 0): not recorded yet
    /// Holds the files written for the last drag-out until the next one (targets copy late).
    std::unique_ptr<QTemporaryDir> promisedFilesDirectory_;

    QImage backing_; ///< the pixels drawn through ov::GraphicsContext, at the device ratio
};
