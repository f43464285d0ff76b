#pragma once

#include "inkstead/platform/gfx/Image.h"
#include "inkstead/watermarks/OVMosaic.h"
#include "inkstead/watermarks/OVWatermark.h"
#include "inkstead/watermarks/OVWatermarkKind.h"

#include <optional>
#include <string_view>

//! \name Archive key of the pixellate kind
inline constexpr std::string_view kOVPixellateIntensityKey = "intensity";

/// Hides a rectangle of the photograph under a mosaic of large square blocks (a face, a number
/// plate).
///
/// It carries no picture of its own: before every render the preset hands it the picture the
/// watermarks are drawn over (setImage()/setBackdropImage()). The mosaic is made of blocks of
/// side intensity() × the context's scale pixels of that picture, each the average of the
/// pixels it covers, on a grid with a corner at pixel (150, 150) of the picture, so moving the
/// watermark never moves the grid. The picture is laid over bounds(); the mosaic reaches
/// 1.1 × intensity beyond it on every side (repeating the edge blocks) and only the part inside
/// drawRect() shows. It is drawn opaque, unrotated and without shadow: alpha, shadow and
/// rotation have no effect on this kind. An intensity of 0 or less shows the picture unchanged.
class OVPixellateWatermark : public OVWatermark {
public:
    /// Type pixellate, title "Image", 300 × 100, intensity 20, visible, proportional resizing
    /// and relative placement off.
    [[nodiscard]] static std::shared_ptr<OVPixellateWatermark> pixellateWatermark();
    /// The kind's description: name, type code, factory and editable properties.
    [[nodiscard]] static const OVWatermarkKind& kind();

    /// A copy with the same intensity and no picture.
    //! \name Archiving (OVPixellateWatermarkCoding.cpp)
    /// The base entries, then "intensity" (missing: 0).
    void encodeWithCoder(ov::KeyedArchiver& coder) const override;
    bool initWithCoder(ov::KeyedUnarchiver& coder) override;

    [[nodiscard]] std::shared_ptr<OVWatermark> copy() const override;
    /// Draws nothing while invisible, with bounds of zero width and height, or without a
    /// picture (not even the selection frame); otherwise the mosaic clipped to drawRect(), then
    /// the selection frame and the handles when editable.
    void renderInContext(ov::GraphicsContext& context) override;

    /// The picture to pixellate, whose pixels cover bounds(). Kept until replaced.
    [[nodiscard]] virtual ov::ImagePtr image() const { return image_; }
    virtual void setImage(ov::ImagePtr image) {
        image_ = std::move(image);
        part_.reset();
    }
    /// Hands over only part of the picture: `image` holds the pixels `where` (whole pixels,
    /// y-up) of a picture of `pictureWidth` × `pictureHeight` pixels laid over bounds(). Blocks
    /// are averaged from these pixels alone, so the part must hold every block that the drawn
    /// area meets (a render clipped to a region of the picture passes that region grown by a
    /// block); where it ends at the picture's edge the edge blocks repeat as usual.
    virtual void setImagePart(ov::ImagePtr image, OVPixelRect where, int pictureWidth,
                              int pictureHeight) {
        image_ = std::move(image);
        part_ = Part{where, pictureWidth, pictureHeight};
    }
    void setBackdropImage(ov::ImagePtr image) override { setImage(std::move(image)); }
    /// Block side in image units.
    [[nodiscard]] virtual double intensity() const { return intensity_; }
    virtual void setIntensity(double intensity) { intensity_ = intensity; }

protected:
    [[nodiscard]] std::shared_ptr<OVWatermark> newInstance() const override;

private:
    struct Part {
        OVPixelRect where;
        int pictureWidth = 0;
        int pictureHeight = 0;
    };
    /// The mosaic of `picture` over drawRect(); the picture covers `imageRect`.
    void drawMosaic(ov::GraphicsContext& context, const ov::Rect& imageRect, ov::ImagePtr picture);
    ov::ImagePtr image_;
    std::optional<Part> part_; ///< unset: image_ is the whole picture
    double intensity_ = 0;
};
