#pragma once

#include "inkstead/platform/gfx/Color.h"
#include "inkstead/platform/gfx/GraphicsContext.h"
#include "inkstead/platform/gfx/Image.h"

#include <QIcon>

#include <span>
#include <string_view>

/// The dark theme of the host's windows: its colours, its gradient and the icons of its buttons.
///
/// Every colour is made once, on first use of any of them (thread-safe), in a fixed order with
/// each derived colour made from its base right after it, and kept for the life of the process.
/// Components are 0…1 in the sRGB space. Derived colours blend each component linearly toward
/// black (a shadow) or white (a highlight) by the given level.
class OVStyleKit {
public:
    OVStyleKit() = delete;

    //! \name Theme colours
    [[nodiscard]] static const ov::Color& windowBackgroundColor();
    /// windowBackgroundColor blended toward black with the level 0.4.
    [[nodiscard]] static const ov::Color& windowBackgroundColorDark();
    [[nodiscard]] static const ov::Color& presetVCBackgroundColor();
    /// presetVCBackgroundColor blended toward white with the level 0.1.
    [[nodiscard]] static const ov::Color& presetVCBackgroundHighlightColor();
    [[nodiscard]] static const ov::Color& presetVCPrimaryTextColor();
    /// presetVCPrimaryTextColor blended toward black with the level 0.3.
    [[nodiscard]] static const ov::Color& presetVCPrimaryTextColorDark();
    /// Behind the photograph in the editor view; also the text field background and the colour
    /// well's border.
    [[nodiscard]] static const ov::Color& editorViewBackgroundColor();
    [[nodiscard]] static const ov::Color& titlebarGradientColor();
    [[nodiscard]] static const ov::Color& titlebarGradientColor2();
    /// The selected segment of a segmented control and the highlighted "add" icons.
    [[nodiscard]] static const ov::Color& highlightControlColor();
    /// From titlebarGradientColor2 (start) to titlebarGradientColor (end).
    [[nodiscard]] static const ov::Gradient& titlebarGradient();

    //! \name Blending
    /// `color` moved toward black by `level` (0 keeps it, 1 gives black); alpha is kept.
    [[nodiscard]] static ov::Color shadowWithLevel(const ov::Color& color, double level);
    /// `color` moved toward white by `level` (0 keeps it, 1 gives white); alpha is kept.
    [[nodiscard]] static ov::Color highlightWithLevel(const ov::Color& color, double level);

    //! \name Icons
    /// Each icon has one fixed size in points and draws itself into a graphics context in the
    /// y-up space, from (0, 0) to its size, touching nothing outside. The "add" icons come plain
    /// (light greys) and highlighted (in highlightControlColor).
    enum class Icon {
        openButton,
        shareButton,
        saveButton,
        presetPopoverButton,
        alternatePresetPopoverButton,
        addImageWatermarkButton,
        addCircleWatermarkButton,
        addTextWatermarkButton,
        addStrikeWatermarkButton,
        addArrowWatermarkButton,
        addSquareWatermarkButton,
        addPixellatedWatermarkButton,
        addImageWatermarkButtonHighlighted,
        addCircleWatermarkButtonHighlighted,
        addTextWatermarkButtonHighlighted,
        addStrikeWatermarkButtonHighlighted,
        addArrowWatermarkButtonHighlighted,
        addSquareWatermarkButtonHighlighted,
        addPixellatedWatermarkButtonHighlighted,
        presetDuplicateButton,
        presetAddButton,
        presetRemoveButton,
        fileinfoTemplateButton,
        insertCopyrightSymbol,
        /// The background of a pop-up button: 167 × 24, drawn for a view whose y axis points
        /// down (the rounded body at y 2…24 of that view, the arrow pointing down).
        popupButton,
    };
    /// Every icon, in declaration order.
    [[nodiscard]] static std::span<const Icon> allIcons();
    [[nodiscard]] static std::string_view name(Icon icon);
    [[nodiscard]] static ov::Size size(Icon icon);
    static void draw(Icon icon, ov::GraphicsContext& context);
    /// The icon drawn at `scale` device pixels per point (1 or more), made on first request and
    /// kept for the process. Thread-safe.
    [[nodiscard]] static ov::ImagePtr image(Icon icon, int scale = 1);
    /// The icon with pixmaps at 1× and 2× for Qt's buttons, made on first request and kept for
    /// the process. Main thread only (needs the QGuiApplication).
    [[nodiscard]] static QIcon qIcon(Icon icon);

    // One operation per icon by its own name: draw… draws it, imageOf… returns its QIcon.
#define OV_STYLEKIT_ICON(Name, icon)                                                               \
    static void draw##Name(ov::GraphicsContext& context) {                                         \
        draw(Icon::icon, context);                                                                 \
    }                                                                                              \
    [[nodiscard]] static QIcon imageOf##Name() {                                                   \
        return qIcon(Icon::icon);                                                                  \
    }
    OV_STYLEKIT_ICON(OpenButton, openButton)
    OV_STYLEKIT_ICON(ShareButton, shareButton)
    OV_STYLEKIT_ICON(SaveButton, saveButton)
    OV_STYLEKIT_ICON(PresetPopoverButton, presetPopoverButton)
    OV_STYLEKIT_ICON(AlternatePresetPopoverButton, alternatePresetPopoverButton)
    OV_STYLEKIT_ICON(AddImageWatermarkButton, addImageWatermarkButton)
    OV_STYLEKIT_ICON(AddCircleWatermarkButton, addCircleWatermarkButton)
    OV_STYLEKIT_ICON(AddTextWatermarkButton, addTextWatermarkButton)
    OV_STYLEKIT_ICON(AddStrikeWatermarkButton, addStrikeWatermarkButton)
    OV_STYLEKIT_ICON(AddArrowWatermarkButton, addArrowWatermarkButton)
    OV_STYLEKIT_ICON(AddSquareWatermarkButton, addSquareWatermarkButton)
    OV_STYLEKIT_ICON(AddPixellatedWatermarkButton, addPixellatedWatermarkButton)
    OV_STYLEKIT_ICON(AddImageWatermarkButtonHighlighted, addImageWatermarkButtonHighlighted)
    OV_STYLEKIT_ICON(AddCircleWatermarkButtonHighlighted, addCircleWatermarkButtonHighlighted)
    OV_STYLEKIT_ICON(AddTextWatermarkButtonHighlighted, addTextWatermarkButtonHighlighted)
    OV_STYLEKIT_ICON(AddStrikeWatermarkButtonHighlighted, addStrikeWatermarkButtonHighlighted)
    OV_STYLEKIT_ICON(AddArrowWatermarkButtonHighlighted, addArrowWatermarkButtonHighlighted)
    OV_STYLEKIT_ICON(AddSquareWatermarkButtonHighlighted, addSquareWatermarkButtonHighlighted)
    OV_STYLEKIT_ICON(AddPixellatedWatermarkButtonHighlighted,
                     addPixellatedWatermarkButtonHighlighted)
    OV_STYLEKIT_ICON(PresetDuplicateButton, presetDuplicateButton)
    OV_STYLEKIT_ICON(PresetAddButton, presetAddButton)
    OV_STYLEKIT_ICON(PresetRemoveButton, presetRemoveButton)
    OV_STYLEKIT_ICON(FileinfoTemplateButton, fileinfoTemplateButton)
    OV_STYLEKIT_ICON(InsertCopyrightSymbol, insertCopyrightSymbol)
#undef OV_STYLEKIT_ICON
    /// The pop-up button background (see Icon::popupButton); it has no image of its own.
    static void drawPopupButton(ov::GraphicsContext& context) {
        draw(Icon::popupButton, context);
    }
};
