#include "inkstead/platform/imageio/MarkCanvas_p.h"

#include "inkstead/platform/imageio/PixelRows_p.h"

#include <algorithm>
#include <cstring>

namespace ov::imageio {

MarkCanvas::MarkCanvas(const PixelBox& area, int bands, bool deep,
                       const ColorConversion* conversion)
    : area_(area), bands_(bands), deep_(deep), conversion_(conversion) {}

void MarkCanvas::load(VipsRegion* region) {
    const std::size_t pixels = std::size_t(area_.width) * area_.height;
    const std::size_t sampleRow = std::size_t(area_.width) * bands_ * (deep_ ? 2 : 1);
    samples_ = std::make_unique_for_overwrite<uint8_t[]>(sampleRow * area_.height);
    native_ = std::make_unique_for_overwrite<uint8_t[]>(pixels * 4);
    std::vector<uint8_t> narrow(deep_ ? std::size_t(area_.width) * bands_ : 0);
    for (int y = 0; y < area_.height; ++y) {
        uint8_t* samples = samples_.get() + y * sampleRow;
        std::memcpy(samples, VIPS_REGION_ADDR(region, area_.x, area_.y + y), sampleRow);
        const uint8_t* row = samples;
        if (deep_) {
            const auto* wide = reinterpret_cast<const uint16_t*>(samples);
            for (std::size_t i = 0; i < narrow.size(); ++i)
                narrow[i] = static_cast<uint8_t>((wide[i] + 128) / 257);
            row = narrow.data();
        }
        premultiplyRow(row, native_.get() + y * bytesPerRow(), area_.width, bands_);
    }
    if (conversion_ != nullptr)
        conversion_->toSRGB(native_.get(), pixels);
    clean_ = std::make_unique_for_overwrite<uint8_t[]>(pixels * 4);
    std::memcpy(clean_.get(), native_.get(), pixels * 4);
}

void MarkCanvas::store(const PixelBox& box, std::vector<uint8_t>& samples) const {
    const std::size_t pixelSize = std::size_t(bands_) * (deep_ ? 2 : 1);
    const std::size_t sampleRow = std::size_t(area_.width) * pixelSize;
    samples.resize(std::size_t(box.width) * box.height * pixelSize);
    std::vector<uint8_t> drawn(std::size_t(box.width) * 4);
    std::vector<uint8_t> straight(std::size_t(box.width) * bands_);
    for (int y = 0; y < box.height; ++y) {
        const std::size_t offset =
            (box.y - area_.y + y) * bytesPerRow() + std::size_t(box.x - area_.x) * 4;
        std::copy_n(native_.get() + offset, drawn.size(), drawn.data());
        if (conversion_ != nullptr)
            conversion_->fromSRGB(drawn.data(), box.width);
        straightenRow(drawn.data(), straight.data(), box.width, bands_);
        const uint8_t* original = samples_.get() + (box.y - area_.y + y) * sampleRow +
                                  std::size_t(box.x - area_.x) * pixelSize;
        uint8_t* out = samples.data() + std::size_t(y) * box.width * pixelSize;
        for (int x = 0; x < box.width; ++x, out += pixelSize, original += pixelSize) {
            if (std::memcmp(native_.get() + offset + x * 4, clean_.get() + offset + x * 4, 4) ==
                0) {
                std::memcpy(out, original, pixelSize);
            } else if (deep_) {
                auto* wide = reinterpret_cast<uint16_t*>(out);
                for (int b = 0; b < bands_; ++b)
                    wide[b] = static_cast<uint16_t>(straight[x * bands_ + b] * 257);
            } else {
                std::memcpy(out, straight.data() + x * bands_, bands_);
            }
        }
    }
}

} // namespace ov::imageio
