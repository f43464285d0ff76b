#include "inkstead/editor/OVStaticEditorView.h"

void OVStaticEditorView::mouseDown(QMouseEvent*) {}

void OVStaticEditorView::mouseUp(QMouseEvent*) {}

void OVStaticEditorView::mouseDragged(QMouseEvent*) {}
