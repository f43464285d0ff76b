#pragma once

// The drag of the photograph out of the editor view in progress. Not installed.

#include "inkstead/editor/OVEditorView.h"
#include "inkstead/editor/OVPromisedFileMimeData_p.h"

#include <QDrag>
#include <QPointer>

/// Recorded from the press that starts the drag-out until the drag ends. The system drag
/// itself runs only once the pointer has moved far enough, carrying the rendered picture.
struct OVEditorView::DragSession {
    QPointer<QDrag> drag;                   ///< owns `item`
    OVPromisedFileMimeData* item = nullptr; ///< the one dragged item
    ov::Rect frame;                         ///< the item's frame, in view space
    bool hasImageComponents = false;        ///< the drag picture is set
};
