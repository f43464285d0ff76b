#include "DemoPicture.h"

#include "geometry/OVGeometry.h"
#include "platform/gfx/GraphicsContext.h"

#include <system_error>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 500;

// A small checkerboard "logo" with a red top row, to show that pictures land upright.
ov::ImagePtr makeLogo() {
    auto logo = ov::GraphicsContext::createBitmap(64, 64);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            logo->setFillColor((x + y) % 2 ? ov::Color{0.1, 0.3, 0.8, 1} : ov::Color::white());
            logo->fillRect({x * 8.0, y * 8.0, 8, 8});
        }
    logo->setFillColor({0.9, 0.1, 0.1, 1});
    logo->fillRect({0, 56, 64, 8});
    return logo->takeImage();
}

void drawPicture(ov::GraphicsContext& ctx) {
    const ov::Rect canvas{0, 0, kWidth, kHeight};
    // Sky: light grey at the bottom to white at the top.
    ctx.drawLinearGradient({{{0.82, 0.84, 0.88, 1}, ov::Color::white()}, {}}, {0, 0}, {0, kHeight});

    // A rotated, half-transparent square with a soft shadow.
    CGContextSaveStateWithCompletion(ctx, [&] {
        const ov::Rect square{80, 220, 180, 180};
        ctx.concatCTM(OVAffineTransformRotateOnPoint(15, OVRectCenter(square)));
        ctx.setAlpha(0.8);
        ctx.setShadowWithColor({0, 0}, 7, ov::Color::black(0.6));
        ctx.setFillColor({0.95, 0.55, 0.1, 1});
        ctx.setStrokeColor({0.4, 0.2, 0.0, 1});
        ctx.setLineWidth(6);
        ctx.addRect(square);
        ctx.drawPath(ov::PathDrawingMode::fillStroke);
    });

    // A dashed circle.
    CGContextSaveStateWithCompletion(ctx, [&] {
        ctx.setStrokeColor({0.1, 0.5, 0.3, 1});
        ctx.setLineWidth(8);
        ctx.setLineDash(0, {20, 10});
        ctx.addEllipseInRect({340, 220, 180, 180});
        ctx.strokePath();
    });

    // An arrow outline converted from a Bezier path, with a shadow offset down and right.
    CGContextSaveStateWithCompletion(ctx, [&] {
        ov::BezierPath arrow;
        arrow.moveTo({560, 280});
        arrow.lineTo({680, 280});
        arrow.lineTo({680, 250});
        arrow.lineTo({740, 310});
        arrow.lineTo({680, 370});
        arrow.lineTo({680, 340});
        arrow.lineTo({560, 340});
        if (auto path = copyQuartzPath(arrow)) {
            ctx.setShadowWithColor({6, -6}, 4, ov::Color::black(0.5));
            ctx.setFillColor({0.2, 0.3, 0.7, 1});
            ctx.addPath(*path);
            ctx.fillPath();
        }
    });

    // The logo picture, upright, scaled up without smoothing, at 70% opacity.
    if (ov::ImagePtr logo = makeLogo()) {
        CGContextSaveStateWithCompletion(ctx, [&] {
            ctx.setAlpha(0.7);
            ctx.setInterpolationQuality(ov::InterpolationQuality::none);
            ctx.drawImage({80, 40, 128, 128}, *logo);
        });
    }

    // Strike-through lines across a clipped band.
    CGContextSaveStateWithCompletion(ctx, [&] {
        ctx.clipToRect({300, 30, 460, 150});
        ctx.setStrokeColor({0.8, 0.1, 0.1, 0.9});
        ctx.setLineWidth(10);
        ctx.setLineCap(ov::LineCap::round);
        ctx.moveTo({canvas.minX(), canvas.minY()});
        ctx.addLineTo({canvas.maxX(), canvas.maxY()});
        ctx.moveTo({canvas.minX(), canvas.maxY()});
        ctx.addLineTo({canvas.maxX(), canvas.minY()});
        ctx.strokePath();
    });
}

} // namespace

std::filesystem::path writeDemoPicture(const std::filesystem::path& directory) {
    std::error_code ec;
    std::filesystem::create_directories(directory, ec);
    auto ctx = ov::GraphicsContext::createBitmap(kWidth, kHeight);
    if (!ctx)
        return {};
    drawPicture(*ctx);
    const std::filesystem::path file = directory / "demo.png";
    if (!ctx->writePNG(file))
        return {};
    return std::filesystem::absolute(file, ec);
}
