#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ov {
class ImageSource;
}

/// A light item that presents one image file to an image browser: its identity, title and
/// subtitle, and its representation (the file's URL). Not thread-safe for `setURL`.
class OVImage {
public:
    /// The representation type of every item: the file's URL.
    static constexpr std::string_view kURLRepresentationType = "url";

    explicit OVImage(std::filesystem::path url);
    /// Null when `url` has no value or is empty.
    static std::shared_ptr<OVImage> imageWithURL(const std::optional<std::filesystem::path>& url);

    [[nodiscard]] const std::filesystem::path& url() const { return url_; }
    void setURL(std::filesystem::path url) { url_ = std::move(url); }

    /// A new image source on the file; null when it cannot be read.
    [[nodiscard]] std::shared_ptr<ov::ImageSource> copyCGImageSource() const;
    [[nodiscard]] std::filesystem::path imageRepresentation() const { return url_; }
    [[nodiscard]] std::string_view imageRepresentationType() const {
        return kURLRepresentationType;
    }
    /// The file's URL text ("file:///Photos/My%20Trip/a.jpg"), unique per file.
    [[nodiscard]] std::string imageUID() const;
    /// The last component of the URL text, percent escapes kept ("My%20Photo.jpg").
    [[nodiscard]] std::string imageTitle() const;
    /// The file's size as a short human text ("2.4 MB"); empty when the size cannot be read.
    [[nodiscard]] std::string imageSubtitle() const;

private:
    std::filesystem::path url_;
};

/// The file URL text of an absolute path: "file://" and the path with every byte outside the
/// characters a URL path may hold written as %XX.
[[nodiscard]] std::string OVFileURLString(const std::filesystem::path& path);

/// A byte count as people read it, in decimal units: "Zero KB", "1 byte", "532 bytes",
/// "12 KB", "2.4 MB", "1.23 GB" (kilobytes whole, megabytes with one decimal, larger units with
/// two; trailing zero decimals dropped; "." as decimal separator).
[[nodiscard]] std::string OVByteCountString(std::uint64_t bytes);
