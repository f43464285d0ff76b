#pragma once

#include "platform/gfx/Color.h"
#include "platform/gfx/GraphicsContext.h"

/// The dark theme of the host's windows: its colours and its gradient.
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
};
