#pragma once

class QApplication;

/// Gives the whole application the dark theme of the style kit: its window, panel, text and
/// highlight colours on Qt's Fusion style.
void applyDarkTheme(QApplication& app);
