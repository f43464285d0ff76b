// A host program built against the installed library: draws a picture through the graphics
// layer, checks one pixel and writes the picture as a JPEG photo to the path it is given, so
// that headers, the library and its platform libraries all have to be found.

#include <inkstead/inkstead.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PHOTO\n", argv[0]);
        return 2;
    }
    auto context = ov::GraphicsContext::createBitmap(300, 200);
    if (!context)
        return 1;
    CGContextSaveStateWithCompletion(*context, [&] {
        context->setFillColor({0.2, 0.4, 0.7, 1});
        context->fillRect(CGRectFromCGSize({300, 200}));
        context->setFillColor(ov::Color::black());
        context->fillRect(CGRectFromCGSize({10, 10}));
    });
    const ov::ImagePtr picture = context->makeImage();
    const ov::Point centre = OVRectCenter({0, 0, 10, 10});
    const ov::Color c = picture->colorAt(static_cast<int>(centre.x), static_cast<int>(centre.y));
    if (c.alpha != 1 || c.red != 0) {
        std::fprintf(stderr, "consumer: unexpected pixel\n");
        return 1;
    }
    const ov::ImageDestinationPtr photo =
        ov::ImageDestination::createWithURL(argv[1], "public.jpeg");
    photo->addImage(picture, nullptr);
    if (!photo->finalize()) {
        std::fprintf(stderr, "consumer: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("consumer: ok\n");
    return 0;
}
