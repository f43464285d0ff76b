#pragma once

#include "inkstead/platform/archive/KeyedArchiver.h"
#include "inkstead/platform/archive/KeyedUnarchiver.h"
#include "inkstead/platform/archive/UUID.h"
#include "inkstead/platform/gfx/Geometry.h"
#include "inkstead/platform/gfx/Image.h"
#include "inkstead/watermarks/OVPlacement.h"
#include "inkstead/watermarks/OVTiling.h"
#include "inkstead/watermarks/OVWatermarkKeys.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <variant>

namespace ov {
class GraphicsContext;
}

/// One value of a watermark creation options dictionary.
using OVWatermarkOptionValue =
    std::variant<bool, std::int64_t, double, std::string, ov::Size, ov::Point>;

/// Creation options of a watermark, keyed by the kOVWatermark…Key strings. Numbers may be given
/// as bool, integer or double; each is converted to what the property needs.
using OVWatermarkOptions = std::map<std::string, OVWatermarkOptionValue, std::less<>>;

/// Backing scale factor of the main screen (device pixels per point): 1 on ordinary screens,
/// 2 on high-density ones. Selection frames and handles are sized with it. Process-wide; the
/// editor feeds its device pixel ratio here. Thread-safe.
[[nodiscard]] double OVMainScreenBackingScaleFactor();
void OVSetMainScreenBackingScaleFactor(double factor);

/// The handle square centred on a frame corner `point`, drawn at `scale` device units per
/// watermark unit: side 10 / scale · backing factor, so handles keep one on-screen size.
[[nodiscard]] ov::Rect unscaledHandleBoundsAtPoint(ov::Point point, double scale);

/// Smallest width (and, when resizing freely, height) that handle drags leave.
inline constexpr double kOVWatermarkMinimumHandleSize = 25.0;

class OVStorageFolder;

/// The base of every watermark kind: identity, kind tag and title; geometry inside the image it
/// is placed on; opacity and shadow; the selection, visibility and dirty flags; relative
/// placement; handles, hit testing, moving and resizing; copying and equality.
///
/// Coordinates are image units in a y-up space. `origin` is measured from the lower-left corner
/// of `bounds()` (the image rectangle in the context), so the same origin means the same place on
/// the image wherever the image lies. `frame()` and `drawRect()` are in context coordinates.
///
/// Kinds subclass it, override renderInContext() (and whatever else their geometry needs) and
/// newInstance()/copy(). Every operation and accessor is virtual and every internal call goes
/// through them, so an override acts everywhere.
///
/// Objects are shared (std::shared_ptr). Not thread-safe except for shouldSave and hasMaxSize,
/// which are atomic because a preset's save timer reads shouldSave on a background thread.
class OVTextVariables;

class OVWatermark : public std::enable_shared_from_this<OVWatermark>, public ov::KeyedCoding {
public:
    /// The plain initializer: every field zero, false or empty, a nil uuid, zero alpha and an
    /// invisible watermark. Copies and decoded records start from here; new watermarks are made
    /// by a kind factory through initWatermarkWithOptions() or initWithWatermarkType().
    OVWatermark();
    virtual ~OVWatermark();
    OVWatermark(const OVWatermark&) = delete;
    OVWatermark& operator=(const OVWatermark&) = delete;

    //! \name Creation
    /// Every property at its creation default (size 200 × 200, alpha 1, visible, proportional,
    /// both relative flags on, relative size (1, 1)), the given type and a new random uuid.
    virtual void initWithWatermarkType(OVWatermarkType type);
    /// A new uuid, origin (0, 0), then each property from its option (missing options take the
    /// creation defaults). Leaves the watermark invisible, unselected and without a maximum size;
    /// the kind factory makes it visible.
    virtual void initWatermarkWithOptions(const OVWatermarkOptions& options);
    /// A base watermark made by initWithWatermarkType() (tests and generic code).
    [[nodiscard]] static std::shared_ptr<OVWatermark> watermarkWithType(OVWatermarkType type);

    //! \name Copying and equality
    /// A new object of the receiver's own class (see newInstance()) with every archived property
    /// and `visible` copied, the same uuid included. Not selected, not dirty, zero bounds.
    [[nodiscard]] virtual std::shared_ptr<OVWatermark> copy() const;
    /// A separate watermark like this one: copy() under a new uuid. Kinds that keep something
    /// under their uuid (the image kind's picture file) give the duplicate its own.
    [[nodiscard]] virtual std::shared_ptr<OVWatermark> duplicate() const;
    /// True exactly when `other` is not null and has the same uuid; a nil uuid matches nothing.
    [[nodiscard]] virtual bool isEqualToWatermark(const OVWatermark* other) const;
    [[nodiscard]] bool isEqualToWatermark(const std::shared_ptr<const OVWatermark>& other) const {
        return isEqualToWatermark(other.get());
    }

    //! \name Archiving (OVWatermarkCoding.cpp)
    /// Writes the 16 base entries in their fixed order, each value read through its getter.
    /// A kind's override calls this first, then writes its own entries.
    void encodeWithCoder(ov::KeyedArchiver& coder) const override;
    /// Makes the watermark visible, then reads the 16 base entries; missing numbers read as 0
    /// and missing flags as false. A kind's override calls this first, then reads its own.
    bool initWithCoder(ov::KeyedUnarchiver& coder) override;
    /// Registers every kind for decoding (OVRegisterWatermarkKinds()).
    static void registerArchivedClasses();
    /// Records are decoded only as the classes they are expected to be (identifiers as UUIDs,
    /// titles as strings, flags as numbers): always true.
    [[nodiscard]] static constexpr bool supportsSecureCoding() { return true; }

    //! \name Moving and resizing
    /// Moves the origin by (dx, dy), marks the watermark dirty and recomputes its relative
    /// placement.
    virtual void offsetOriginByX(double dx, double dy);
    /// Drags `handle` to `point` (relative to the bounds origin), keeping the aspect ratio when
    /// shouldResizeProportionally() is true.
    virtual void resizeByMovingHandle(OVWatermarkHandle handle, ov::Point point);
    /// Free resizing keeps at least 25 units in each dimension; proportional resizing is driven
    /// by the pointer's x coordinate alone and keeps at least 25 units of width.
    virtual void resizeByMovingHandle(OVWatermarkHandle handle, ov::Point point,
                                      bool resizeProportionally);

    //! \name Rendering
    /// The base draws the dashed selection frame when the watermark is editable, nothing else.
    /// Kinds draw their content and call this for the frame.
    virtual void renderInContext(ov::GraphicsContext& context);
    /// Dashed blue frame around frame(), 2 device units wide at any zoom.
    virtual void drawEditableIndicationFrameInContext(ov::GraphicsContext& context);
    /// The four handles, at (minX, minY), (maxX, minY), (minX, maxY), (maxX, maxY) of frame().
    virtual void drawHandlesInContext(ov::GraphicsContext& context);
    /// One handle: a grey-to-white square centred on `point`, outlined in 50 % grey.
    virtual void drawHandleInContext(ov::GraphicsContext& context, ov::Point point, double scale);

    //! \name Hit testing (points in the space of frame())
    /// In frame() (half-open) or on one of its handles, selected or not.
    [[nodiscard]] virtual bool containsPoint(ov::Point point, double scale) const;
    /// The first handle containing the point, testing bottom-left, bottom-right, top-left,
    /// top-right; OVWatermarkHandleNone when none does.
    [[nodiscard]] virtual OVWatermarkHandle handleUnderPoint(ov::Point point, double scale) const;
    [[nodiscard]] virtual bool isHandleAtPoint(ov::Point corner, ov::Point point,
                                               double scale) const;

    //! \name Relative placement
    /// Recomputes relativeQuadrant, relativePosition and relativeSize from bounds, frame and
    /// drawRect: the nearest image corner (ties go to bottom-left), the gaps to it as fractions
    /// of the image size, and the content size as fractions. Does nothing with zero bounds.
    virtual void calculateRelativePosition();
    /// The origin (relative to the bounds origin) that puts frame() at relativePosition from the
    /// anchor corner of the current bounds. Not stored.
    [[nodiscard]] virtual ov::Point adjustOrigin() const;
    /// The image rectangle the watermark is placed in, in context coordinates.
    [[nodiscard]] virtual ov::Rect bounds() const;
    /// Stores the image rectangle and re-derives size (from the width fraction and the current
    /// aspect ratio) and origin from the relative placement. Setting equal bounds does nothing.
    virtual void setBounds(ov::Rect bounds);
    /// Whether relativePosition and relativeSize hold computed values. A position that is not
    /// computed leaves the origin alone when the bounds change; a size that is not computed is
    /// computed from the current geometry at the next bounds. Setting a relative value marks it
    /// computed unless it is one of the legacy "not computed" values ((0, 0) for the position,
    /// (0, 0) and (1, 1) for the size); calculateRelativePosition() marks both computed, so a
    /// gap of exactly 0 or a size of exactly the image's works as any other.
    [[nodiscard]] virtual bool isRelativePositionComputed() const;
    virtual void setRelativePositionComputed(bool computed);
    [[nodiscard]] virtual bool isRelativeSizeComputed() const;
    virtual void setRelativeSizeComputed(bool computed);

    //! \name Placement by anchor, margin and size (OVWatermarkPlacement.cpp)
    /// The placement, when the watermark has one. While it has one, every new image rectangle
    /// sizes and places the watermark by it (instead of by the relative data, which are kept as
    /// the nearest description for readers that know no placement). Moving or resizing the
    /// watermark by hand removes it.
    [[nodiscard]] virtual std::optional<OVPlacement> placement() const;
    /// Stores the placement and applies it at once: in the current bounds, or, while there are
    /// none, on a 3:2 reference image whose relative data then describe it. An invalid
    /// placement is ignored.
    virtual void setPlacement(std::optional<OVPlacement> placement);
    /// The placement, or for a watermark without one the nearest placement its relative data
    /// describe (anchored at its corner, the horizontal gap as the margin, the width share as
    /// the size when the relative size is in use), for editing a watermark placed before
    /// placements existed.
    [[nodiscard]] virtual OVPlacement effectivePlacement() const;
    /// Stores the placement without applying it (readers of records whose geometry was
    /// recorded with it). An invalid placement is ignored.
    virtual void storePlacement(std::optional<OVPlacement> placement);
    /// Sizes and places the watermark by its placement in the current bounds; nothing without
    /// placement or bounds.
    virtual void applyPlacement();
    /// Places the watermark over `area`, given as fractions of the image measured from its
    /// top-left corner (y downward), relatively: on every image it covers the same share.
    /// Removes any placement by anchor.
    virtual void placeOverArea(ov::Rect area);
    /// The share of the image a relatively placed watermark covers, measured from the top-left
    /// corner (y downward); nothing unless both relative position and size are in use and
    /// computed.
    [[nodiscard]] virtual std::optional<ov::Rect> area() const;
    /// Sets the unrotated content width to `width` units, the height following the aspect
    /// ratio. Kinds whose size follows their content (text) scale that content.
    virtual void setContentWidth(double width);
    /// Box of what the watermark draws, rotation included, in the space of frame(). The base
    /// returns frame(); kinds whose content does not fill their frame (text) return less.
    [[nodiscard]] virtual ov::Rect inkRect() const;
    /// How far, in image units, the content may draw beyond frame() (a text's outline and
    /// background plate); a shadow's blur comes on top. The base returns 0.
    [[nodiscard]] virtual double drawingOutset() const { return 0; }

    //! \name Repeating over the image
    /// How the watermark repeats over the image; disabled by default. Kinds that cross or
    /// sample the image (strike-through, pixellate) do not repeat whatever it says.
    [[nodiscard]] virtual OVTiling tiling() const;
    /// Stores the tiling; spacing and angle outside their ranges are clamped into them.
    virtual void setTiling(OVTiling tiling);

    //! \name Geometry (computed on request)
    /// Axis-aligned box the watermark occupies, rotation included, with drawRect()'s origin.
    [[nodiscard]] virtual ov::Rect frame() const;
    /// Clamps to maxSize (storing absolute values) while hasMaxSize is set.
    virtual void setSize(ov::Size size);
    /// Shift that puts the rotated content's bounding box at drawRect()'s origin.
    [[nodiscard]] virtual ov::Point translateContext() const;
    /// Bounding box of drawRect() rotated about its centre.
    [[nodiscard]] virtual ov::Rect rotatedDrawRect() const;
    /// Rotation about the content centre, then the translateContext() shift (none for 0° and
    /// 180°): content drawn into drawRect() under it lands inside frame().
    [[nodiscard]] virtual ov::AffineTransform rotationTransform() const;
    /// Unrotated content rectangle in context coordinates; width and height are rounded to
    /// whole units (halves away from zero).
    [[nodiscard]] virtual ov::Rect drawRect() const;

    //! \name Properties
    [[nodiscard]] virtual ov::Point origin() const;
    virtual void setOrigin(ov::Point origin);
    [[nodiscard]] virtual ov::Size size() const;
    [[nodiscard]] virtual double alpha() const;
    virtual void setAlpha(double alpha);
    /// Degrees; positive turns clockwise about the centre of drawRect().
    [[nodiscard]] virtual double rotation() const;
    virtual void setRotation(double rotation);
    /// Opacity of a black drop shadow (blur 7, no offset); 0 for none.
    [[nodiscard]] virtual double shadow() const;
    virtual void setShadow(double shadow);
    [[nodiscard]] virtual ov::UUID uuid() const;
    virtual void setUuid(ov::UUID uuid);
    [[nodiscard]] virtual OVWatermarkType type() const;
    virtual void setType(OVWatermarkType type);
    /// Empty when the watermark has no title.
    [[nodiscard]] virtual std::string title() const;
    virtual void setTitle(std::string title);
    /// Whether a title was ever set: a record decoded without one has none (not an empty one)
    /// and is encoded again without one. Likewise a nil uuid is the absent identifier.
    [[nodiscard]] virtual bool hasTitle() const;
    /// Selected for editing: frame and handles are drawn. Set through the preset.
    [[nodiscard]] virtual bool isEditable() const;
    virtual void setEditable(bool editable);
    [[nodiscard]] virtual bool isVisible() const;
    virtual void setVisible(bool visible);
    [[nodiscard]] virtual bool shouldResizeProportionally() const;
    virtual void setShouldResizeProportionally(bool proportionally);
    [[nodiscard]] virtual bool shouldUseRelativePosition() const;
    virtual void setShouldUseRelativePosition(bool use);
    [[nodiscard]] virtual bool shouldUseRelativeSize() const;
    virtual void setShouldUseRelativeSize(bool use);
    /// Dirty flag; set by moves, resizes and insertion, cleared by the preset's save timer.
    [[nodiscard]] virtual bool shouldSave() const;
    virtual void setShouldSave(bool shouldSave);
    [[nodiscard]] virtual bool hasMaxSize() const;
    virtual void setHasMaxSize(bool hasMaxSize);
    [[nodiscard]] virtual ov::Size maxSize() const;
    virtual void setMaxSize(ov::Size maxSize);
    /// Content size as a fraction of the bounds size; (1, 1) and (0, 0) mean "not computed yet".
    [[nodiscard]] virtual ov::Size relativeSize() const;
    virtual void setRelativeSize(ov::Size relativeSize);
    [[nodiscard]] virtual ov::Point relativePosition() const;
    virtual void setRelativePosition(ov::Point relativePosition);
    [[nodiscard]] virtual OVRelativeQuadrant relativeQuadrant() const;
    virtual void setRelativeQuadrant(OVRelativeQuadrant quadrant);

    //! \name Hooks for kind-specific operations the preset drives by type number
    //! The base does nothing; the kinds named below override them, so the preset works with any
    //! kind without knowing its class.
    /// Text kind: scale the font with the image. Called by the preset when a text watermark is
    /// added.
    virtual void setShouldUseDynamicFontSize(bool /*dynamic*/) {}
    [[nodiscard]] virtual bool shouldUseDynamicFontSize() const { return false; }
    /// Image kind: delete the stored picture. Called by the preset before removing an image
    /// watermark.
    virtual void removeImage() {}
    /// Image kind: keep the decoded picture in memory only and delete its file, for a watermark
    /// that lives for one render and must leave nothing in the storage.
    virtual void detachFromStorage() {}
    /// Image kind: keep the stored picture in `storage` from now on, writing it there when it
    /// is not there yet. A preset manager attaches the watermarks of its presets to its storage.
    virtual void attachToStorage(const OVStorageFolder& storage) {}
    /// Why the watermark's last write into the storage failed (the image kind's picture file);
    /// empty when it succeeded or nothing was written.
    [[nodiscard]] virtual std::error_code storageError() const { return {}; }
    /// Why the last draw looks worse than it could (image kind: a bitmap picture enlarged
    /// beyond its pixels), for the export's report; nothing when it does not.
    [[nodiscard]] virtual std::optional<std::string> renderWarning() const { return std::nullopt; }
    /// Pixellate kind: the picture the watermarks are drawn over, which the mosaic samples.
    /// Called by the preset's setPixellateImageSource() on pixellate watermarks.
    virtual void setBackdropImage(ov::ImagePtr /*image*/) {}
    /// Whether the watermark draws according to the picture under it and wants a small copy of
    /// the whole picture for it (text kind, automatic colour).
    [[nodiscard]] virtual bool wantsBackdropSample() const { return false; }
    /// A small copy of the whole picture the watermark is drawn on (any size; it stands for
    /// bounds()). Called by the preset's setBackdropSample().
    virtual void setBackdropSample(ov::ImagePtr /*sample*/) {}
    /// Text kind: the values of the image the watermark is drawn on, for the {variables} of its
    /// text; null shows the text as written. Called by the preset's setTextVariables().
    virtual void setTextVariables(std::shared_ptr<const OVTextVariables> /*variables*/) {}

protected:
    //! \name Drawing chores the kinds share
    //! A kind's renderInContext() keeps its own order of content, frame and handles, and uses
    //! these for what every kind does the same way.
    /// Visible, and placed on an image that has a size.
    [[nodiscard]] bool isDrawable() const;
    /// The context's alpha set to alpha().
    void applyAlpha(ov::GraphicsContext& context) const;
    /// A black drop shadow of shadow() opacity, blur 7, no offset; nothing for a shadow of 0.
    void applyShadow(ov::GraphicsContext& context) const;

    /// A new, plainly initialised object of the receiver's own class. Every kind overrides it
    /// (`return std::make_shared<OVMyKind>();`) so that copy() keeps the class; a kind's copy()
    /// starts from OVWatermark::copy() and adds its own fields.
    [[nodiscard]] virtual std::shared_ptr<OVWatermark> newInstance() const;

private:
    ov::Point origin_;
    ov::Size size_;
    ov::Rect bounds_;
    double alpha_ = 0;
    double rotation_ = 0;
    double shadow_ = 0;
    ov::UUID uuid_;
    OVWatermarkType type_ = OVWatermarkTypeText;
    std::optional<std::string> title_;
    bool editable_ = false;
    bool visible_ = false;
    bool shouldResizeProportionally_ = false;
    bool shouldUseRelativePosition_ = false;
    bool shouldUseRelativeSize_ = false;
    std::atomic<bool> shouldSave_{false};
    std::atomic<bool> hasMaxSize_{false};
    ov::Size maxSize_;
    ov::Size relativeSize_;
    ov::Point relativePosition_;
    OVRelativeQuadrant relativeQuadrant_ = OVRelativeQuadrantBottomLeft;
    bool relativePositionComputed_ = false;
    bool relativeSizeComputed_ = false;
    std::optional<OVPlacement> placement_;
    OVTiling tiling_;
};

using OVWatermarkPtr = std::shared_ptr<OVWatermark>;
