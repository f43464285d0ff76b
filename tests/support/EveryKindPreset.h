#pragma once

// Watermarks for tests: a filled square, a logo, and a watermark of every kind placed on a
// 600 × 400 picture (header-only: include from test executables that link the watermarks
// library).

#include "inkstead/platform/gfx/GraphicsContext.h"
#include "inkstead/watermarks/OVArrowWatermark.h"
#include "inkstead/watermarks/OVImageWatermark.h"
#include "inkstead/watermarks/OVPixellateWatermark.h"
#include "inkstead/watermarks/OVShapeWatermark.h"
#include "inkstead/watermarks/OVStrikethroughWatermark.h"
#include "inkstead/watermarks/OVTextWatermark.h"

#include <vector>

namespace ov::test {

/// A logo of width × height: opaque `color` on the left half, transparent on the right half.
inline ImagePtr halfLogo(int width, int height, Color color = {0, 0, 1, 1}) {
    auto canvas = GraphicsContext::createBitmap(width, height);
    canvas->setFillColor(color);
    canvas->fillRect({0, 0, width / 2.0, double(height)});
    return canvas->makeImage();
}

/// An opaque square of `fill` without outline or shadow over `frame`, placed absolutely (no
/// relative position or size) and resized freely.
inline std::shared_ptr<OVShapeWatermark> filledSquare(Rect frame, Color fill = {1, 0, 0, 1}) {
    auto mark = OVShapeWatermark::squareShapeWatermark();
    mark->setShouldUseRelativePosition(false);
    mark->setShouldUseRelativeSize(false);
    mark->setShouldResizeProportionally(false);
    mark->setStrokeColor(fill);
    mark->setStrokeThickness(0);
    mark->setFillColor(fill);
    mark->setShadow(0);
    mark->setSize(frame.size);
    mark->setOrigin(frame.origin);
    return mark;
}

/// In drawing order: a red square at (20, 20), white text "WWW" at (100, 10), the logo at
/// (500, 300), a green arrow from (100, 350) to (250, 250), the strikethrough cross, and a
/// pixellate region of 200 × 100 at (350, 40) on top (covering what lies beneath it).
inline std::vector<OVWatermarkPtr> watermarksOfEveryKind() {
    auto shape = filledSquare({20, 20, 60, 60});
    auto image = OVImageWatermark::imageWatermark();
    (void)image->setImage(halfLogo(80, 80)); // a failed write shows as a missing picture
    image->setOrigin({500, 300});

    auto arrow = OVArrowWatermark::arrowWatermark();
    arrow->setStrokeColor(Color{0, 1, 0, 1});
    arrow->setBeginPoint({100, 350});
    arrow->setEndPoint({250, 250});

    auto strike = OVStrikethroughWatermark::strikethroughWatermark();

    auto pixellate = OVPixellateWatermark::pixellateWatermark();
    pixellate->setOrigin({350, 40});
    pixellate->setSize({200, 100});

    auto text = OVTextWatermark::textWatermark();
    text->setFontColor(Color::white());
    text->setFontSize(40);
    text->setStringValue("WWW");
    text->setOrigin({100, 10});
    return {shape, text, image, arrow, strike, pixellate};
}

} // namespace ov::test
