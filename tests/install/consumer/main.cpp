// A host program built against the installed library: draws through the graphics layer and
// checks one pixel, so that headers, libraries and their dependencies all have to be found.

#include <inkstead/inkstead.h>

#include <cstdio>

int main() {
    auto context = ov::GraphicsContext::createBitmap(20, 20);
    if (!context)
        return 1;
    CGContextSaveStateWithCompletion(*context, [&] {
        context->setFillColor(ov::Color::black());
        context->fillRect(CGRectFromCGSize({10, 10}));
    });
    const ov::Point centre = OVRectCenter({0, 0, 10, 10});
    const ov::Color c =
        context->makeImage()->colorAt(static_cast<int>(centre.x), static_cast<int>(centre.y));
    if (c.alpha != 1 || c.red != 0) {
        std::fprintf(stderr, "consumer: unexpected pixel\n");
        return 1;
    }
    std::printf("consumer: ok\n");
    return 0;
}
