#include "inkstead/watermarks/OVMosaic.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

/// How pixel positions along one axis fall into blocks: the source span whose blocks meet the
/// region, the block of every span position, and the block of every region position.
struct AxisBlocks {
    int64_t spanStart = 0;             ///< first source position of the first block met
    std::vector<int> spanBlock;        ///< block (0-based) of each span position
    std::vector<int> regionBlock;      ///< block of each region position, after edge clamping
    std::vector<int64_t> regionSource; ///< clamped source position of each region position
    int blockCount = 0;
};

int64_t clampIndex(int64_t v, int64_t size) {
    return std::clamp<int64_t>(v, 0, size - 1);
}

AxisBlocks axisBlocks(int64_t sourceSize, double side, double anchor, int64_t regionStart,
                      int64_t regionSize) {
    auto blockOf = [&](int64_t p) {
        return static_cast<int64_t>(std::floor((static_cast<double>(p) + 0.5 - anchor) / side));
    };
    AxisBlocks axis;
    const int64_t first = clampIndex(regionStart, sourceSize);
    const int64_t last = clampIndex(regionStart + regionSize - 1, sourceSize);
    const int64_t firstBlock = blockOf(first);
    const int64_t lastBlock = blockOf(last);
    int64_t start = first;
    while (start > 0 && blockOf(start - 1) == firstBlock)
        --start;
    int64_t end = last;
    while (end + 1 < sourceSize && blockOf(end + 1) == lastBlock)
        ++end;

    axis.spanStart = start;
    axis.blockCount = static_cast<int>(lastBlock - firstBlock + 1);
    axis.spanBlock.resize(static_cast<std::size_t>(end - start + 1));
    for (int64_t p = start; p <= end; ++p)
        axis.spanBlock[static_cast<std::size_t>(p - start)] =
            static_cast<int>(blockOf(p) - firstBlock);
    axis.regionBlock.resize(static_cast<std::size_t>(regionSize));
    axis.regionSource.resize(static_cast<std::size_t>(regionSize));
    for (int64_t i = 0; i < regionSize; ++i) {
        const int64_t p = clampIndex(regionStart + i, sourceSize);
        axis.regionSource[static_cast<std::size_t>(i)] = p;
        axis.regionBlock[static_cast<std::size_t>(i)] =
            axis.spanBlock[static_cast<std::size_t>(p - start)];
    }
    return axis;
}

const uint8_t* sourcePixel(const OVPixelBuffer& source, int64_t x, int64_t yUp) {
    const int64_t row = source.height - 1 - yUp;
    return source.data + static_cast<std::size_t>(row) * source.bytesPerRow +
           static_cast<std::size_t>(x) * 4;
}

void copyRegion(const OVPixelBuffer& source, const OVPixelRect& region, uint8_t* destination,
                std::size_t destinationBytesPerRow) {
    for (int oy = 0; oy < region.height; ++oy) {
        const int64_t y = clampIndex(int64_t{region.y} + region.height - 1 - oy, source.height);
        uint8_t* out = destination + static_cast<std::size_t>(oy) * destinationBytesPerRow;
        for (int ox = 0; ox < region.width; ++ox) {
            const int64_t x = clampIndex(int64_t{region.x} + ox, source.width);
            std::memcpy(out + static_cast<std::size_t>(ox) * 4, sourcePixel(source, x, y), 4);
        }
    }
}

} // namespace

bool OVPixellateRegion(const OVPixelBuffer& source, double blockSide, double anchorX,
                       double anchorY, const OVPixelRect& region, uint8_t* destination,
                       std::size_t destinationBytesPerRow) {
    if (!source.data || source.width <= 0 || source.height <= 0 ||
        source.bytesPerRow < static_cast<std::size_t>(source.width) * 4 || !destination ||
        region.width <= 0 || region.height <= 0 ||
        destinationBytesPerRow < static_cast<std::size_t>(region.width) * 4)
        return false;
    if (!(blockSide > 1.0) || !std::isfinite(anchorX) || !std::isfinite(anchorY)) {
        copyRegion(source, region, destination, destinationBytesPerRow);
        return true;
    }

    const AxisBlocks cols = axisBlocks(source.width, blockSide, anchorX, region.x, region.width);
    const AxisBlocks rows = axisBlocks(source.height, blockSide, anchorY, region.y, region.height);

    // Average colour of every block met, block rows bottom to top.
    std::vector<uint8_t> colours(static_cast<std::size_t>(cols.blockCount) * rows.blockCount * 4);
    std::vector<uint64_t> sums(static_cast<std::size_t>(cols.blockCount) * 4);
    std::vector<uint64_t> counts(static_cast<std::size_t>(cols.blockCount));
    std::size_t spanRow = 0;
    for (int blockRow = 0; blockRow < rows.blockCount; ++blockRow) {
        std::fill(sums.begin(), sums.end(), 0);
        std::fill(counts.begin(), counts.end(), 0);
        for (; spanRow < rows.spanBlock.size() && rows.spanBlock[spanRow] == blockRow; ++spanRow) {
            const uint8_t* px =
                sourcePixel(source, cols.spanStart, rows.spanStart + static_cast<int64_t>(spanRow));
            for (std::size_t c = 0; c < cols.spanBlock.size(); ++c, px += 4) {
                const std::size_t b = static_cast<std::size_t>(cols.spanBlock[c]);
                uint64_t* sum = &sums[b * 4];
                sum[0] += px[0];
                sum[1] += px[1];
                sum[2] += px[2];
                sum[3] += px[3];
                ++counts[b];
            }
        }
        uint8_t* colour = &colours[static_cast<std::size_t>(blockRow) * cols.blockCount * 4];
        for (std::size_t b = 0; b < counts.size(); ++b) {
            const uint64_t n = counts[b];
            for (int ch = 0; ch < 4; ++ch)
                colour[b * 4 + ch] = n ? static_cast<uint8_t>((sums[b * 4 + ch] + n / 2) / n) : 0;
        }
    }

    for (int oy = 0; oy < region.height; ++oy) {
        // Output rows run top to bottom; region rows are y-up.
        const std::size_t ry = static_cast<std::size_t>(region.height - 1 - oy);
        const uint8_t* colourRow =
            &colours[static_cast<std::size_t>(rows.regionBlock[ry]) * cols.blockCount * 4];
        uint8_t* out = destination + static_cast<std::size_t>(oy) * destinationBytesPerRow;
        for (int ox = 0; ox < region.width; ++ox)
            std::memcpy(out + static_cast<std::size_t>(ox) * 4,
                        colourRow + static_cast<std::size_t>(cols.regionBlock[ox]) * 4, 4);
    }
    return true;
}
