#pragma once

#include <cstddef>
#include <cstdint>

/// A 32-bit-per-pixel bitmap in memory, rows top to bottom. The four bytes of a pixel are
/// treated as four independent channels, so any byte order works; for averaging to be right
/// the pixels should be premultiplied (the library's native layout is).
struct OVPixelBuffer {
    const uint8_t* data = nullptr;
    int width = 0;
    int height = 0;
    std::size_t bytesPerRow = 0;
};

/// A rectangle of whole pixels in the y-up pixel space of a bitmap: (0, 0) is the bottom-left
/// pixel. It may reach beyond the bitmap.
struct OVPixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

/// Writes the mosaic of `source` over `region` into `destination` (region.width × region.height
/// pixels of 4 bytes, rows top to bottom, `destinationBytesPerRow` apart).
///
/// The mosaic is made of square blocks of side `blockSide` pixels whose corners lie on the grid
/// through `anchorX`, `anchorY` (y-up pixel coordinates): a pixel belongs to the block that holds
/// its centre. Every block is painted in the average of the source pixels it covers, whether or
/// not they lie inside `region`, so a region's blocks match those of any other region. Parts of
/// the region outside the bitmap repeat the nearest edge pixel's block, so the mosaic can be
/// drawn a little beyond the picture without a transparent fringe.
///
/// A block side of 1 pixel or less (and NaN) copies the source (edge-extended) unchanged.
/// Runs in time linear in the pixels of the blocks that meet the region and allocates only
/// per-column tables, never per pixel. Returns false (writing nothing) for an empty source or
/// region or a null buffer.
bool OVPixellateRegion(const OVPixelBuffer& source, double blockSide, double anchorX,
                       double anchorY, const OVPixelRect& region, uint8_t* destination,
                       std::size_t destinationBytesPerRow);
