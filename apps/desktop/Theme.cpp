#include "Theme.h"

#include "inkstead/appearance/OVQtBridge.h"
#include "inkstead/appearance/OVStyleKit.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

void applyDarkTheme(QApplication& app) {
    app.setStyle(QStyleFactory::create("Fusion"));
    const QColor window = OVQColor(OVStyleKit::windowBackgroundColorDark());
    const QColor panel = OVQColor(OVStyleKit::presetVCBackgroundColor());
    const QColor field = OVQColor(OVStyleKit::editorViewBackgroundColor());
    const QColor text = OVQColor(OVStyleKit::presetVCPrimaryTextColor());
    const QColor dimText = OVQColor(OVStyleKit::presetVCPrimaryTextColorDark());
    const QColor highlight = OVQColor(OVStyleKit::highlightControlColor());

    QPalette p;
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::Base, panel);
    p.setColor(QPalette::AlternateBase, OVQColor(OVStyleKit::presetVCBackgroundHighlightColor()));
    p.setColor(QPalette::Button, panel);
    p.setColor(QPalette::ToolTipBase, panel);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, dimText);
    p.setColor(QPalette::Highlight, highlight);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Light, panel.lighter(130));
    p.setColor(QPalette::Mid, field);
    p.setColor(QPalette::Dark, field);
    p.setColor(QPalette::Shadow, Qt::black);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, dimText.darker(130));
    app.setPalette(p);
}
