#include "watermarks/OVWatermarkKinds.h"

#include "watermarks/OVArrowWatermark.h"
#include "watermarks/OVImageWatermark.h"
#include "watermarks/OVPixellateWatermark.h"
#include "watermarks/OVShapeWatermark.h"
#include "watermarks/OVStrikethroughWatermark.h"
#include "watermarks/OVTextWatermark.h"

namespace {

// A store to a volatile cannot be optimised away, so the reference to the factory, and through
// it the kind's code, stays in the program.
template <class Factory> void keep(Factory factory) {
    static volatile Factory sink = nullptr;
    sink = factory;
}

} // namespace

void OVLinkWatermarkKinds() {
    keep(&OVShapeWatermark::shapeWatermark);
    keep(&OVArrowWatermark::arrowWatermark);
    keep(&OVImageWatermark::imageWatermark);
    keep(&OVStrikethroughWatermark::strikethroughWatermark);
    keep(&OVPixellateWatermark::pixellateWatermark);
    keep(&OVTextWatermark::textWatermark);
}
