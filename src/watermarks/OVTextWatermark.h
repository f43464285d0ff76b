#pragma once

#include "inkstead/platform/gfx/Color.h"
#include "inkstead/platform/text/AttributedString.h"
#include "inkstead/platform/text/Font.h"
#include "inkstead/watermarks/OVWatermark.h"
#include "inkstead/watermarks/OVWatermarkKind.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

//! \name Archive keys and constants of the text kind
inline constexpr std::string_view kOVTextWatermarkStringKey = "stringValue";
inline constexpr std::string_view kOVTextWatermarkFontColor = "fontColor";
inline constexpr std::string_view kOVTextWatermarkFont = "font";
inline constexpr std::string_view kOVTextWatermarkFontSize = "fontSize";
inline constexpr std::string_view kOVTextWatermarkUseDynamicFontSizeKey = "useDynamicFontSize";
/// For the host's font-size control; the library does not read it.
inline constexpr std::string_view kOVTextWatermarkFontSizeDynamic = "Dynamic";
/// The margin both measuring functions leave: 5 % of the text's extent or of the frame's width.
inline constexpr double kOVTextWatermarkFontBuffer = 0.05;

/// The frame a text needs: the typographic width and height of `string` set on one line (line
/// separators included) in the face `fontName` at `fontSize`, each enlarged by 5 %. The string's
/// own font is ignored and the string is not changed. A null string measures as zero, and so does
/// a font size that is zero, negative or not finite.
[[nodiscard]] ov::Size OVAttributedStringDisplaySize(const ov::AttributedString* string,
                                                     std::string_view fontName, double fontSize);

/// The largest font size, in steps of 2 from the height rounded to a whole number downward, at
/// which all of `string` fits on one line within floor(95 % of `width`) and the line's ascent,
/// descent and leading, each rounded to a whole number, add up to at most `height`. When no
/// candidate fits, the search ends at the first candidate not above 1 and returns it (1 for an
/// odd rounded height, 0 for an even one). A null string gives 1. The string is not changed.
/// Cheap enough to run on every step of an interactive resize: the text is shaped once.
[[nodiscard]] double OVAttributedStringSetDynamicSize(const ov::AttributedString* string,
                                                      std::string_view fontName, double width,
                                                      double height);

/// A line of text over the photograph, in a chosen face, size and colour, with an optional soft
/// shadow and a rotation.
///
/// Two sizing modes. Fixed font size (the factory's): every change of the text, the font or the
/// font size sets the size to the text's display size (reloadText()), 5 % larger than the
/// single-line extent, and the frame has no handles. Dynamic font size: the frame is set by
/// handle drags and by placement on a new image, and each of those recomputes fontSize() as the
/// largest size at which the text fits on one line in the frame; changing the text, font or font
/// size still runs reloadText(). Switching modes recomputes nothing by itself.
///
/// The text is drawn top-left aligned in drawRect(), wrapped at its width, in the colour
/// fontColor() at the context's alpha set to alpha(), with a black shadow of opacity shadow()
/// (blur 7, no offset) and turned by rotation() degrees clockwise about the frame's centre.
class OVTextWatermark : public OVWatermark {
public:
    /// Type text, title "Text", text "Text...", "Helvetica" at 96 points, opaque black, fixed
    /// mode, proportional resizing, no relative size, visible; sized to the text's display size.
    [[nodiscard]] static std::shared_ptr<OVTextWatermark> textWatermark();
    /// The kind's description: name, type code, factory and editable properties.
    [[nodiscard]] static const OVWatermarkKind& kind();

    /// The base entries, then stringValue, fontColor, font, fontSize (32-bit float) and
    /// useDynamicFontSize (integer 0 or 1).
    void encodeWithCoder(ov::KeyedArchiver& coder) const override;
    /// The base entries, then through the setters (so the frame is re-measured from the decoded
    /// text): rotation, font, font size, colour, mode and text.
    bool initWithCoder(ov::KeyedUnarchiver& coder) override;
    /// Nothing while invisible. Otherwise the selection frame (when editable), the handles (when
    /// editable in dynamic mode), then the text. A draw rectangle of infinite width or height logs
    /// "renderInContext: Frame inf+ Bailing out." and draws no text; so does a missing colour.
    void renderInContext(ov::GraphicsContext& context) override;
    /// The base copy, then text, colour, font, font size and mode set through the setters.
    [[nodiscard]] std::shared_ptr<OVWatermark> copy() const override;
    /// No handle in fixed mode; the base's handles in dynamic mode.
    [[nodiscard]] OVWatermarkHandle handleUnderPoint(ov::Point point, double scale) const override;

    /// Sets the size to the display size of attrString() in font()'s face at fontSize().
    virtual void reloadText();
    virtual void setFontSize(double fontSize);
    /// Only the face name is used; the font's own point size is ignored. No font means the
    /// default face.
    virtual void setFont(std::optional<ov::Font> font);
    /// No value changes nothing. Otherwise stores the text and puts it into attrString(); a
    /// non-empty text also runs reloadText(), so the empty text keeps the previous frame size.
    virtual void setStringValue(std::optional<std::string> stringValue);
    /// Equal bounds do nothing. Otherwise the base re-placement, then in dynamic mode fontSize()
    /// becomes the dynamic size for drawRect()'s width and height (without reloadText()).
    void setBounds(ov::Rect bounds) override;
    /// The attributed string drawn, owned by the watermark; created empty on first access.
    [[nodiscard]] virtual std::shared_ptr<ov::AttributedString> attrString();
    virtual void setAttrString(std::shared_ptr<ov::AttributedString> attrString);
    using OVWatermark::resizeByMovingHandle;
    /// The base resize; then in dynamic mode fontSize() follows the new drawRect(); then the
    /// relative placement is recomputed.
    void resizeByMovingHandle(OVWatermarkHandle handle, ov::Point point) override;
    /// In fixed mode the font size is scaled so that the text's frame is `width` wide; in
    /// dynamic mode the frame is resized and the font size follows it.
    void setContentWidth(double width) override;
    /// The box of the glyphs' ink in the frame, rotation included: without the spare room that
    /// the frame keeps at the right and bottom, nor the fonts' space above and below the glyphs.
    /// frame() when no glyph would be drawn.
    [[nodiscard]] ov::Rect inkRect() const override;

    [[nodiscard]] virtual std::optional<ov::Font> font() const { return font_; }
    /// Points; the size the text is measured and drawn at.
    [[nodiscard]] virtual double fontSize() const { return fontSize_; }
    [[nodiscard]] virtual std::optional<ov::Color> fontColor() const { return fontColor_; }
    virtual void setFontColor(std::optional<ov::Color> color) { fontColor_ = color; }
    /// The text; no value before one is set.
    [[nodiscard]] virtual std::optional<std::string> stringValue() const { return stringValue_; }
    [[nodiscard]] bool shouldUseDynamicFontSize() const override { return dynamicFontSize_; }
    /// Fills the {variables} of the text with these values from now on (null: the text as
    /// written). The stored text keeps its variables. In fixed mode the frame is measured
    /// again and, on an image, placed again; in dynamic mode the frame stays and the font size
    /// follows the filled text.
    void setTextVariables(std::shared_ptr<const OVTextVariables> variables) override;
    [[nodiscard]] std::shared_ptr<const OVTextVariables> textVariables() const {
        return textVariables_;
    }
    /// The text as drawn: stringValue() with its variables filled.
    [[nodiscard]] std::string displayedText() const;

    //! \name Legibility
    //! Lengths are fractions of the font size, so that they scale with the text.
    /// Width of the outline around the glyphs (outside them); 0 for none.
    [[nodiscard]] virtual double outlineWidth() const { return outlineWidth_; }
    virtual void setOutlineWidth(double width) { outlineWidth_ = width; }
    [[nodiscard]] virtual std::optional<ov::Color> outlineColor() const { return outlineColor_; }
    virtual void setOutlineColor(std::optional<ov::Color> color) { outlineColor_ = color; }
    /// Colour of the plate behind the text; none for no plate.
    [[nodiscard]] virtual std::optional<ov::Color> plateColor() const { return plateColor_; }
    virtual void setPlateColor(std::optional<ov::Color> color) { plateColor_ = color; }
    /// Opacity of the plate, 0 to 1, on top of its colour's own and the watermark's.
    [[nodiscard]] virtual double plateOpacity() const { return plateOpacity_; }
    virtual void setPlateOpacity(double opacity) { plateOpacity_ = opacity; }
    /// Room between the glyphs' ink and the plate's edges.
    [[nodiscard]] virtual double platePadding() const { return platePadding_; }
    virtual void setPlatePadding(double padding) { platePadding_ = padding; }
    [[nodiscard]] virtual double plateCornerRadius() const { return plateCornerRadius_; }
    virtual void setPlateCornerRadius(double radius) { plateCornerRadius_ = radius; }
    /// Whether the text is drawn white or black, whichever stands out from the picture under
    /// it (its mean luminance from the backdrop sample), instead of fontColor(); the font
    /// colour's opacity is kept. Without a backdrop sample fontColor() is used.
    [[nodiscard]] virtual bool usesAutomaticColor() const { return automaticColor_; }
    virtual void setUsesAutomaticColor(bool automatic) { automaticColor_ = automatic; }
    /// The colour the text is drawn in on the current backdrop.
    [[nodiscard]] virtual std::optional<ov::Color> drawnColor() const;
    bool wantsBackdropSample() const override { return automaticColor_; }
    void setBackdropSample(ov::ImagePtr sample) override { backdropSample_ = std::move(sample); }
    /// The plate's padding and the outline, in image units.
    [[nodiscard]] double drawingOutset() const override;
    void setShouldUseDynamicFontSize(bool dynamic) override { dynamicFontSize_ = dynamic; }

protected:
    [[nodiscard]] std::shared_ptr<OVWatermark> newInstance() const override;

private:
    [[nodiscard]] std::string fontName() const;
    // Fills the plate behind the glyphs of `string` in `content`; false when there is none.
    bool drawPlate(ov::GraphicsContext& context, const ov::AttributedString& string,
                   const ov::Rect& content);
    [[nodiscard]] double dynamicFontSize();

    std::optional<std::string> stringValue_;
    std::optional<ov::Font> font_;
    double fontSize_ = 0;
    std::optional<ov::Color> fontColor_;
    bool dynamicFontSize_ = false;
    std::shared_ptr<ov::AttributedString> attrString_;
    std::shared_ptr<const OVTextVariables> textVariables_;
    double outlineWidth_ = 0;
    std::optional<ov::Color> outlineColor_ = ov::Color::white();
    std::optional<ov::Color> plateColor_;
    double plateOpacity_ = 0.6;
    double platePadding_ = 0.3;
    double plateCornerRadius_ = 0.2;
    bool automaticColor_ = false;
    ov::ImagePtr backdropSample_;
};
