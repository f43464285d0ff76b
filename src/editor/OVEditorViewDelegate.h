#pragma once

#include "inkstead/watermarks/OVWatermark.h"

#include <cstddef>
#include <filesystem>
#include <vector>

/// What an editor view asks of its host. The view holds its delegate weakly.
///
/// presetShouldReloadWatermarks() is always sent; the other operations are optional and do
/// nothing unless the host overrides them. Every call arrives on the main thread.
class OVEditorViewDelegate {
public:
    virtual ~OVEditorViewDelegate() = default;

    /// The selection, the insertion mode or the list of watermarks changed through the view:
    /// reload the lists that show watermarks and redraw.
    virtual void presetShouldReloadWatermarks() = 0;

    /// The user asked the view to remove `watermark` (its context menu, the Delete key). Return
    /// true when the host removed it itself, for instance to keep the removal undoable and the
    /// picture of an image watermark on disk; false lets the view remove it with the preset's
    /// removeWatermark().
    virtual bool editorViewRemoveWatermark(const OVWatermarkPtr& /*watermark*/) { return false; }

    /// Forwarded unchanged from the view's own watermark(watermark, index).
    virtual void watermark(const OVWatermarkPtr& /*watermark*/, std::size_t /*clickedAtIndex*/) {}

    /// A drag of the watermarked photograph out of the view is being dropped: write the
    /// photograph, watermarked with the view's preset, into `directory` under a name of the
    /// host's choosing. The file must be complete when the call returns.
    virtual void saveCurrentImageToDirectory(const std::filesystem::path& /*directory*/) {}

    /// Files were dropped on the view (local files only, in the order of the drag).
    virtual void
    editorViewDragDestinationReceivedImages(const std::vector<std::filesystem::path>& /*files*/) {}
};
