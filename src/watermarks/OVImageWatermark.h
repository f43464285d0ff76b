#pragma once

#include "inkstead/platform/gfx/Image.h"
#include "inkstead/storage/OVStorage.h"
#include "inkstead/watermarks/OVWatermark.h"
#include "inkstead/watermarks/OVWatermarkKind.h"

#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>

/// Stamps a picture (typically a logo) over the photograph.
///
/// The picture is not part of the preset's archive: each image watermark keeps it as a file of
/// its own in the shared folder of watermark pictures, named after the watermark's uuid
/// ("<UUID>.png"; the content is TIFF, which keeps transparency losslessly, and readers judge the
/// format by the content). The archive carries only the base data, whose uuid links the
/// watermark to its file. The file is decoded lazily on the first draw and the result cached;
/// a missing or unreadable file draws nothing and is tried again at the next draw.
///
/// Setting a picture caps the watermark's size at the picture's pixel size and fits it into the
/// image it is placed on (1024 × 768 while there is none). A copy (made to render) keeps the
/// uuid and shares the decoded picture, writing nothing; a duplicate (a separate watermark)
/// gets a new uuid and a picture file of its own, so removing one watermark's picture never
/// affects another. The decoded picture is cached thread-safely, so render copies can be made
/// from one watermark on several threads at once. While attached to a read-only storage
/// (OVStorageFolder::readOnly()) the watermark writes and deletes no file: the pictures it is
/// given, and those it had before it was attached there, stay in memory.
class OVImageWatermark : public OVWatermark {
public:
    /// Type image, title "Image", 300 × 300, proportional resizing, visible, no picture.
    [[nodiscard]] static std::shared_ptr<OVImageWatermark> imageWatermark();
    /// The kind's description: name, type code, factory and editable properties.
    [[nodiscard]] static const OVWatermarkKind& kind();

    /// The base copy (same uuid) sharing the decoded picture; writes no file.
    [[nodiscard]] std::shared_ptr<OVWatermark> copy() const override;
    /// The copy under a new uuid with the picture written to a file of its own (a failed write
    /// is logged; the duplicate still draws its picture until it is reloaded).
    [[nodiscard]] std::shared_ptr<OVWatermark> duplicate() const override;
    /// The picture scaled to fill drawRect() (a vector picture drawn at the context's
    /// resolution), rotated, faded by alpha and shadowed; then the
    /// selection frame and handles when editable. Draws nothing at all (no frame either) while
    /// invisible or when the picture cannot be read.
    void renderInContext(ov::GraphicsContext& context) override;

    /// The cached decoded picture, decoding the file when nothing is cached; null (and nothing
    /// cached) when the file cannot be read.
    [[nodiscard]] virtual ov::ImagePtr internal_image();
    virtual void setInternal_image(ov::ImagePtr image);
    /// The picture read afresh from the file at every call; null when missing or unreadable.
    [[nodiscard]] virtual ov::ImagePtr image() const;
    /// Stores `image` as the watermark's picture file (replacing it atomically; the SVG document
    /// of a vector rendition as it is), caps the size at its pixel size (unless enlargement is
    /// allowed or the picture is a vector one), fits the watermark into its bounds, and drops
    /// the cached decode. Fails and changes nothing when there is no image or it cannot be
    /// encoded; when only the write fails the geometry is still updated and the write's error
    /// is returned.
    virtual ov::Result<void> setImage(const ov::ImagePtr& image);
    /// setImage() with the first picture of an image file of any format the library reads,
    /// turned upright (OVPictureWithContentsOfFile()). Fails, changing nothing, when the file
    /// cannot be decoded.
    virtual ov::Result<void> setImageWithContentsOfFile(const std::filesystem::path& file);
    /// Why the last setImage() could not store the picture file; empty when it was stored (or
    /// the picture could not be read or encoded).
    [[nodiscard]] std::error_code imageWriteError() const { return imageWriteError_; }
    [[nodiscard]] std::error_code storageError() const override { return imageWriteError_; }
    /// Whether a bitmap picture may be drawn larger than its pixels (it then looks soft);
    /// off by default, when the watermark's size is capped at the picture's pixel size. A
    /// picture from an SVG document is drawn sharp at any size and never capped.
    [[nodiscard]] virtual bool allowsEnlargement() const { return allowsEnlargement_; }
    virtual void setAllowsEnlargement(bool allows);
    /// After a draw that enlarged a bitmap picture beyond its pixels by more than a few percent:
    /// what the viewer will see and why.
    [[nodiscard]] std::optional<std::string> renderWarning() const override;

    /// Deletes the picture file (errors ignored) and drops the cached decode.
    void removeImage() override;
    /// Decodes the picture into the cache (shared by later copies), then deletes the file.
    void detachFromStorage() override;
    /// Writes the picture into `storage` when it is not there yet and keeps it there from now
    /// on; the file in the former storage stays for whoever else uses it.
    void attachToStorage(const OVStorageFolder& storage) override;
    /// The storage holding the picture file; the process's storage unless attached elsewhere.
    /// Copies and duplicates keep it.
    [[nodiscard]] OVStorageFolder storage() const;
    /// "<UUID>.png", the uuid in upper case.
    [[nodiscard]] virtual std::string filename() const;
    /// Where the picture file lives: filename() inside the folder of watermark pictures of
    /// storage().
    [[nodiscard]] virtual std::filesystem::path imageURL() const;

protected:
    [[nodiscard]] std::shared_ptr<OVWatermark> newInstance() const override;

private:
    /// The cached decode, decoding the file when nothing is cached.
    [[nodiscard]] ov::ImagePtr cachedPicture() const;
    /// Writes `picture` as the file of the current uuid.
    ov::Result<void> writePictureFile(const ov::ImagePtr& picture) const;

    mutable std::mutex storageMutex_;
    OVStorageFolder storage_;
    mutable std::mutex pictureMutex_;
    mutable ov::ImagePtr internalImage_;
    std::error_code imageWriteError_;
    bool allowsEnlargement_ = false;
    // How much the last draw enlarged a bitmap picture (1: not at all).
    double lastEnlargement_ = 1;
};
