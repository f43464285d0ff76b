#pragma once

#include "inkstead/platform/gfx/Color.h"
#include "inkstead/platform/log/Result.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

namespace ov {

class VectorPicture;

/// Alpha layout codes of a 32-bit pixel (the platform's CGImageAlphaInfo values).
enum class AlphaInfo : uint32_t {
    none = 0,
    premultipliedLast = 1,
    premultipliedFirst = 2,
    last = 3,
    first = 4,
    noneSkipLast = 5,
    noneSkipFirst = 6,
    only = 7,
};

inline constexpr uint32_t kBitmapAlphaInfoMask = 0x1F;
inline constexpr uint32_t kBitmapFloatComponents = 0x100;
inline constexpr uint32_t kBitmapByteOrder32Little = 0x2000;

/// Bitmap info of the library's native pixels: premultiplied ARGB in a 32-bit little-endian word,
/// i.e. bytes B, G, R, A in memory (Cairo's ARGB32 on x86 and ARM).
inline constexpr uint32_t kNativeBitmapInfo =
    static_cast<uint32_t>(AlphaInfo::premultipliedFirst) | kBitmapByteOrder32Little;

/// An immutable decoded bitmap: 8 bits per component, 32 bits per pixel, rows top to bottom.
/// Shared as std::shared_ptr<const Image>; never changes after creation, so it may be read from
/// any thread.
class Image {
public:
    /// Takes ownership of `pixels` (at least bytesPerRow × height bytes). Returns null for
    /// non-positive sizes or a buffer that is too small.
    static std::shared_ptr<const Image> create(int width, int height, std::size_t bytesPerRow,
                                               uint32_t bitmapInfo, std::vector<uint8_t> pixels);
    /// A width × height image in the native layout, filled with transparent black.
    static std::shared_ptr<Image> createNative(int width, int height);
    /// Reads a PNG file written by writePNG (tests and debugging); null on failure.
    static std::shared_ptr<const Image> readPNG(const std::filesystem::path& path);

    [[nodiscard]] int width() const { return width_; }
    [[nodiscard]] int height() const { return height_; }
    [[nodiscard]] std::size_t bytesPerRow() const { return bytesPerRow_; }
    [[nodiscard]] uint32_t bitsPerComponent() const { return 8; }
    [[nodiscard]] uint32_t bitsPerPixel() const { return 32; }
    [[nodiscard]] uint32_t bitmapInfo() const { return bitmapInfo_; }
    [[nodiscard]] AlphaInfo alphaInfo() const {
        return static_cast<AlphaInfo>(bitmapInfo_ & kBitmapAlphaInfoMask);
    }
    [[nodiscard]] bool isNativeLayout() const { return bitmapInfo_ == kNativeBitmapInfo; }
    [[nodiscard]] const uint8_t* data() const { return pixels_.data(); }
    [[nodiscard]] uint8_t* mutableData() { return pixels_.data(); }
    [[nodiscard]] const std::vector<uint8_t>& bytes() const { return pixels_; }

    /// Colour of one pixel, un-premultiplied, in the y-up convention of the drawing space:
    /// (0, 0) is the bottom-left pixel. Out-of-range coordinates give transparent black.
    [[nodiscard]] Color colorAt(int x, int y) const;
    /// The same image converted to the native layout (shares nothing with this one).
    [[nodiscard]] std::shared_ptr<const Image> nativeCopy() const;
    /// Writes the image as a PNG (tests and debugging).
    [[nodiscard]] Result<void> writePNG(const std::filesystem::path& path) const;

    /// The vector picture this bitmap is a rendition of (a logo read from an SVG document),
    /// for drawing it sharp at any size; null for an ordinary bitmap.
    [[nodiscard]] const std::shared_ptr<const VectorPicture>& vectorSource() const {
        return vectorSource_;
    }
    /// A copy of `image` that is a rendition of `vector`.
    static std::shared_ptr<const Image>
    withVectorSource(const Image& image, std::shared_ptr<const VectorPicture> vector);

private:
    Image() = default;
    int width_ = 0;
    int height_ = 0;
    std::size_t bytesPerRow_ = 0;
    uint32_t bitmapInfo_ = kNativeBitmapInfo;
    std::vector<uint8_t> pixels_;
    std::shared_ptr<const VectorPicture> vectorSource_;
};

using ImagePtr = std::shared_ptr<const Image>;

} // namespace ov
