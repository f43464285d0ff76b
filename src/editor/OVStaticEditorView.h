#pragma once

#include "inkstead/editor/OVEditorView.h"

/// The editor view without left-button editing: presses, drags and releases of the left button
/// do nothing. Drawing, keys, the context menu, dropped files and the cursor rules stay.
class OVStaticEditorView : public OVEditorView {
    Q_OBJECT

public:
    using OVEditorView::OVEditorView;

protected:
    void mouseDown(QMouseEvent* event) override;
    void mouseUp(QMouseEvent* event) override;
    void mouseDragged(QMouseEvent* event) override;
};
