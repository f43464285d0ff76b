#include "inkstead/appearance/OVStyleKit.h"

namespace {

ov::Color blend(const ov::Color& c, const ov::Color& target, double level) {
    auto mix = [level](double from, double to) { return from + (to - from) * level; };
    return {mix(c.red, target.red), mix(c.green, target.green), mix(c.blue, target.blue), c.alpha};
}

struct Theme {
    ov::Color windowBackground;
    ov::Color windowBackgroundDark;
    ov::Color presetVCBackground;
    ov::Color presetVCBackgroundHighlight;
    ov::Color presetVCPrimaryText;
    ov::Color presetVCPrimaryTextDark;
    ov::Color editorViewBackground;
    ov::Color titlebarGradientColor;
    ov::Color titlebarGradientColor2;
    ov::Color highlightControl;
    ov::Gradient titlebarGradient;
};

Theme makeTheme() {
    Theme t;
    t.windowBackground = {0.267, 0.263, 0.271, 1.0};
    t.windowBackgroundDark = OVStyleKit::shadowWithLevel(t.windowBackground, 0.4);
    t.presetVCBackground = {0.224, 0.22, 0.224, 1.0};
    t.presetVCBackgroundHighlight = OVStyleKit::highlightWithLevel(t.presetVCBackground, 0.1);
    t.presetVCPrimaryText = {0.8, 0.8, 0.8, 1.0};
    t.presetVCPrimaryTextDark = OVStyleKit::shadowWithLevel(t.presetVCPrimaryText, 0.3);
    t.editorViewBackground = {0.145, 0.145, 0.145, 1.0};
    t.titlebarGradientColor = {0.322, 0.318, 0.322, 1.0};
    t.titlebarGradientColor2 = {0.438, 0.437, 0.438, 1.0};
    t.highlightControl = {0.192, 0.545, 0.918, 1.0};
    t.titlebarGradient = {{t.titlebarGradientColor2, t.titlebarGradientColor}, {}};
    return t;
}

// Built once, on the first request of any value; the initialisation of a function-local static
// is thread-safe.
const Theme& theme() {
    static const Theme instance = makeTheme();
    return instance;
}

} // namespace

ov::Color OVStyleKit::shadowWithLevel(const ov::Color& color, double level) {
    return blend(color, ov::Color::black(), level);
}

ov::Color OVStyleKit::highlightWithLevel(const ov::Color& color, double level) {
    return blend(color, ov::Color::white(), level);
}

const ov::Color& OVStyleKit::windowBackgroundColor() {
    return theme().windowBackground;
}
const ov::Color& OVStyleKit::windowBackgroundColorDark() {
    return theme().windowBackgroundDark;
}
const ov::Color& OVStyleKit::presetVCBackgroundColor() {
    return theme().presetVCBackground;
}
const ov::Color& OVStyleKit::presetVCBackgroundHighlightColor() {
    return theme().presetVCBackgroundHighlight;
}
const ov::Color& OVStyleKit::presetVCPrimaryTextColor() {
    return theme().presetVCPrimaryText;
}
const ov::Color& OVStyleKit::presetVCPrimaryTextColorDark() {
    return theme().presetVCPrimaryTextDark;
}
const ov::Color& OVStyleKit::editorViewBackgroundColor() {
    return theme().editorViewBackground;
}
const ov::Color& OVStyleKit::titlebarGradientColor() {
    return theme().titlebarGradientColor;
}
const ov::Color& OVStyleKit::titlebarGradientColor2() {
    return theme().titlebarGradientColor2;
}
const ov::Color& OVStyleKit::highlightControlColor() {
    return theme().highlightControl;
}
const ov::Gradient& OVStyleKit::titlebarGradient() {
    return theme().titlebarGradient;
}
