#pragma once

#include "inkstead/platform/archive/KeyedArchiver.h"
#include "inkstead/platform/archive/KeyedUnarchiver.h"
#include "inkstead/platform/archive/UUID.h"
#include "inkstead/platform/gfx/Geometry.h"
#include "inkstead/platform/gfx/Image.h"
#include "inkstead/presets/OVPresetKeys.h"
#include "inkstead/watermarks/OVWatermark.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace ov {
class GraphicsContext;
}

/// A named, identified, ordered list of watermarks with the export settings that go with it.
///
/// Stacking order: the first list element is drawn first (bottom-most), the last is topmost.
/// Two index spaces are in use: the list position (0 = bottom-most) and the display index
/// (0 = topmost = last element; display index i is list position count − 1 − i). Operations
/// that take an "index" take display indexes unless they say otherwise.
///
/// Selection is the watermarks' editable flag; the preset keeps at most one selected.
///
/// Threads: every operation is for the main thread, except copies made for export, which may
/// be used on any one thread each. A preset made by the name constructor (or decoded) runs a
/// background save timer that turns dirty flags into "preset-should-save" notifications posted on
/// the main queue; it reads the list under a lock that the list operations also take, and stops
/// when the preset is destroyed.
class OVStampCache;
class OVTextVariables;

class OVPreset : public std::enable_shared_from_this<OVPreset>, public ov::KeyedCoding {
public:
    /// The plain initializer: empty name and list, nil uuid, default settings, no save timer.
    /// Copies and decoded records start from here.
    OVPreset();
    /// A new preset with the given name, a new uuid, no watermarks and default export settings;
    /// starts the save timer.
    explicit OVPreset(std::string name);
    virtual ~OVPreset();
    OVPreset(const OVPreset&) = delete;
    OVPreset& operator=(const OVPreset&) = delete;

    /// A new preset named "Default", without watermarks.
    [[nodiscard]] static std::shared_ptr<OVPreset> defaultPresetTemplate();
    /// Same name, same uuid, a copy of every watermark (each by its own copy()) and the export
    /// settings; no save timer, nothing dirty, insertion mode off. The export renders such copies
    /// so that export mode never reaches the preset being edited.
    [[nodiscard]] virtual std::shared_ptr<OVPreset> copy() const;
    /// A separate preset like this one: the copy under a new uuid with every watermark
    /// duplicated (new identifiers; image watermarks get picture files of their own).
    [[nodiscard]] virtual std::shared_ptr<OVPreset> duplicate() const;

    //! \name Archiving (OVPresetCoding.cpp)
    /// Writes name, uuid, the watermark list, resize constraint, method and value, and the two
    /// flags, in that order; then, each only when it is not at its default, the metadata policy
    /// (beyond stripping the location), artist, copyright notice, output format and quality.
    void encodeWithCoder(ov::KeyedArchiver& coder) const override;
    /// Reads the record (a missing list is empty, missing flags are false), leaves the preset
    /// clean and starts its save timer.
    bool initWithCoder(ov::KeyedUnarchiver& coder) override;
    /// Registers the preset and watermark classes for decoding (OVRegisterPresetClasses()).
    static void registerArchivedClasses();
    /// Records are decoded only as the classes they are expected to be (identifiers as UUIDs,
    /// titles as strings, flags as numbers): always true.
    [[nodiscard]] static constexpr bool supportsSecureCoding() { return true; }

    //! \name Properties
    /// Empty when the preset has no name.
    [[nodiscard]] std::string name() const;
    /// Also marks the preset dirty, so a rename is saved.
    void setName(std::string name);
    /// Whether a name was ever set: a record decoded without one has none (not an empty one)
    /// and is encoded again without one. Likewise a nil uuid is the absent identifier.
    [[nodiscard]] bool hasName() const;
    [[nodiscard]] ov::UUID uuid() const { return uuid_; }
    void setUuid(ov::UUID uuid) { uuid_ = uuid; }
    /// The list in stacking order (a snapshot).
    [[nodiscard]] std::vector<OVWatermarkPtr> watermarks() const;
    /// Replaces the whole list (decoding). Posts nothing.
    void setWatermarks(std::vector<OVWatermarkPtr> watermarks);
    /// Dirty flag of the preset itself (rename, insertion). Thread-safe.
    [[nodiscard]] bool shouldSave() const;
    void setShouldSave(bool shouldSave);

    //! \name Export settings (plain stores; they do not mark the preset dirty)
    [[nodiscard]] bool shouldResize() const { return shouldResize_; }
    void setShouldResize(bool shouldResize) { shouldResize_ = shouldResize; }
    [[nodiscard]] OVResizeConstraint resizeConstraint() const { return resizeConstraint_; }
    void setResizeConstraint(OVResizeConstraint c) { resizeConstraint_ = c; }
    [[nodiscard]] OVResizeMethod resizeMethod() const { return resizeMethod_; }
    void setResizeMethod(OVResizeMethod m) { resizeMethod_ = m; }
    [[nodiscard]] double resizeValue() const { return resizeValue_; }
    void setResizeValue(double value) { resizeValue_ = value; }
    /// True under every metadata policy but OVMetadataPolicyKeepAll (each drops the location).
    [[nodiscard]] bool shouldStripMetadata() const {
        return metadataPolicy_ != OVMetadataPolicyKeepAll;
    }
    /// False keeps all metadata; true strips the location unless a stricter policy is set.
    void setShouldStripMetadata(bool strip);
    [[nodiscard]] OVMetadataPolicy metadataPolicy() const { return metadataPolicy_; }
    void setMetadataPolicy(OVMetadataPolicy policy) { metadataPolicy_ = policy; }
    /// Creator and copyright notice written into every export (EXIF, XMP, IPTC); empty: the
    /// source's own are left as they are.
    [[nodiscard]] const std::string& metadataArtist() const { return metadataArtist_; }
    void setMetadataArtist(std::string artist) { metadataArtist_ = std::move(artist); }
    [[nodiscard]] const std::string& metadataCopyright() const { return metadataCopyright_; }
    void setMetadataCopyright(std::string notice) { metadataCopyright_ = std::move(notice); }
    /// The file type of exports; the source's own by default.
    [[nodiscard]] OVOutputFormat outputFormat() const { return outputFormat_; }
    void setOutputFormat(OVOutputFormat format) { outputFormat_ = format; }
    /// Quality of lossy outputs from 0 to 1; 0 (the default) leaves it to the encoder.
    [[nodiscard]] double outputQuality() const { return outputQuality_; }
    void setOutputQuality(double quality);
    /// The size an image of `size` pixels is rendered at under these settings: unchanged unless
    /// shouldResize; otherwise scaled with its aspect kept, never enlarged, the constrained side
    /// never below 5 % of its length (see OVPresetExportSettings.cpp).
    [[nodiscard]] ov::Size scaleSizeWithPresetResizeSettings(ov::Size size) const;

    //! \name List
    [[nodiscard]] std::size_t numberOfWatermarks() const;
    /// The watermark at a display index; null when the index is not below the count.
    [[nodiscard]] OVWatermarkPtr watermarkAtIndex(std::size_t index) const;
    /// List position of the topmost watermark with the same uuid; 0 when none matches.
    [[nodiscard]] std::size_t indexOfWatermark(const OVWatermarkPtr& watermark) const;
    /// Appends on top, selects it and posts "preset-changed". Kind adjustments (relative placement
    /// for shapes, pixellates and texts, dynamic font size for texts) are made before it
    /// returns. Null does nothing.
    void addWatermark(const OVWatermarkPtr& watermark);
    /// Inserts at a display index (0 on top, count at the bottom). No selection change, nothing
    /// posted. An index above the count does nothing.
    void insertWatermark(const OVWatermarkPtr& watermark, std::size_t index);
    /// Removes the watermark (by identity), asking an image watermark to delete its picture
    /// first, and posts "preset-changed". Null does nothing.
    void removeWatermark(const OVWatermarkPtr& watermark);
    /// Removes the watermark at a display index and posts "preset-changed" twice; an index not
    /// below the count does nothing.
    void removeWatermarkAtIndex(std::size_t index);
    /// The watermark's duplicate() (a new uuid; an image watermark keeps its picture in a file
    /// of its own); not added to the list. Null for null.
    [[nodiscard]] OVWatermarkPtr duplicateWatermark(const OVWatermarkPtr& watermark) const;
    /// The uuid strings of the image watermarks, in list order.
    [[nodiscard]] std::vector<std::string> allWatermarkIDs() const;
    /// The first watermark in list order with this uuid; null when none.
    [[nodiscard]] OVWatermarkPtr watermarkWithID(const ov::UUID& uuid) const;

    //! \name Rendering
    //! A render sets the pixellate source, (for export) export mode, then the bounds, then renders.
    /// Renders every watermark bottom to top; each decides itself whether it is visible. Tiled
    /// watermarks are drawn repeated (OVRenderTiledWatermark()).
    void renderInContext(ov::GraphicsContext& context);
    /// Gives every watermark the image rectangle, which re-derives relative sizes and positions.
    void setWatermarkBounds(ov::Rect bounds);
    /// Hands the picture under the watermarks to every pixellate watermark.
    void setPixellateImageSource(ov::ImagePtr image);
    /// Deselects every watermark, so no selection frame or handles are drawn.
    void setEnableExportMode();
    /// Gives every watermark the values of the image it is drawn on, for the {variables} of
    /// texts (null: texts as written). Set before the bounds, so that frames fit the filled
    /// texts.
    void setTextVariables(std::shared_ptr<const OVTextVariables> variables);
    /// Whether a watermark draws according to the picture under it (automatic text colour).
    [[nodiscard]] bool wantsBackdropSample() const;
    /// Hands a small copy of the whole picture to every watermark (see wantsBackdropSample()).
    void setBackdropSample(ov::ImagePtr sample);
    /// Keeps the rasterised copies of tiled watermarks in `cache` between renders (null: none
    /// are kept). Only while the watermarks do not change, such as for the strips of one
    /// export.
    void setStampCache(std::shared_ptr<OVStampCache> cache);
    /// The values last given to setTextVariables(); null before.
    [[nodiscard]] std::shared_ptr<const OVTextVariables> textVariables() const;

    //! \name Selection and hit testing (points in frame space)
    /// The topmost editable watermark, or null.
    [[nodiscard]] OVWatermarkPtr selectedWatermark() const;
    /// Selects the watermark equal to the argument and deselects all others; null deselects all.
    void enableEditingForWatermark(const OVWatermarkPtr& watermark);
    /// For drags: in insertion mode the pending watermark. Otherwise the topmost watermark
    /// containing the point if it is already selected; an unselected one is only selected (the
    /// result is null). No hit deselects all.
    [[nodiscard]] OVWatermarkPtr watermarkAtPoint(ov::Point point, double scale);
    /// For clicks: selects the topmost watermark containing the point and returns it through
    /// `hit` (true); no hit deselects all, clears `hit` and returns false. Ignores insertion mode.
    bool watermark(OVWatermarkPtr& hit, ov::Point point, double scale);
    /// The watermark's handle under the point; none for a null watermark.
    [[nodiscard]] OVWatermarkHandle handleAtPoint(ov::Point point, const OVWatermarkPtr& watermark,
                                                  double scale) const;

    //! \name Moving and resizing
    /// Moves the watermark and returns the area to redraw: old frame united with new frame (an
    /// arrow's new frame grown on every side by its larger side, since its head reaches beyond).
    ov::Rect offsetWatermark(const OVWatermarkPtr& watermark, double dx, double dy);
    /// Drags a handle to a point relative to the bounds origin.
    void resizeWatermark(const OVWatermarkPtr& watermark, OVWatermarkHandle handle,
                         ov::Point point);

    //! \name Insertion mode (placing a new watermark with a click)
    /// The next click places `watermark`; it is not added yet.
    void enableInsertionForWatermark(const OVWatermarkPtr& watermark);
    [[nodiscard]] bool insertionModeEnabled() const;
    /// Places the pending watermark at a point relative to the bounds origin (a text watermark
    /// 245 units further left), selects and adds it and marks the preset dirty. Insertion mode
    /// stays on until cancelWatermarkInsert().
    void insertedWatermarkAtPoint(ov::Point point);
    /// Recomputes the relative placement of the selected watermark, leaves insertion mode and
    /// posts "insertion-ended" synchronously.
    void cancelWatermarkInsert();
    /// Queues the posting of "preset-changed" on the main queue.
    void sendPresetChangedNotification();

    //! \name Deferred save
    /// Starts the save timer (once): fires at once and then every saveTimerInterval() on a
    /// background queue; each tick queues at most one "preset-should-save" on the main queue,
    /// for the preset's own dirty flag or else for the first dirty watermark, clearing that flag
    /// after the post. Called by the name constructor and by decoding, never by copy().
    void sharedSetup();
    /// Whether this preset runs a save timer.
    [[nodiscard]] bool hasSaveTimer() const;
    /// Period of save timers started from now on; 5 seconds unless changed (tests shorten it).
    [[nodiscard]] static std::chrono::nanoseconds saveTimerInterval();
    static void setSaveTimerInterval(std::chrono::nanoseconds interval);

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;

    ov::UUID uuid_;
    bool shouldResize_ = false;
    OVResizeConstraint resizeConstraint_ = OVResizeConstraintWidth;
    OVResizeMethod resizeMethod_ = OVResizeMethodPixels;
    double resizeValue_ = 0;
    OVMetadataPolicy metadataPolicy_ = OVMetadataPolicyKeepAll;
    std::string metadataArtist_;
    std::string metadataCopyright_;
    OVOutputFormat outputFormat_ = OVOutputFormatSource;
    double outputQuality_ = 0;
    std::atomic<bool> shouldInsert_{false};
    OVWatermarkPtr watermarkToInsert_;
};

using OVPresetPtr = std::shared_ptr<OVPreset>;

/// Registers the preset and every watermark kind for decoding. Idempotent and thread-safe;
/// making a preset and every typed read of presets from a keyed unarchiver call it.
void OVRegisterPresetClasses();
