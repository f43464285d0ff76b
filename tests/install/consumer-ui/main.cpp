// A Qt host built against the installed ui library: asks the theme for a colour and turns it
// into Qt's, so that the ui headers, the library and Qt all have to be found.

#include <inkstead/appearance/OVQtBridge.h>
#include <inkstead/appearance/OVStyleKit.h>

#include <cstdio>

int main() {
    const QColor c = OVQColor(OVStyleKit::editorViewBackgroundColor());
    if (c.red() != 37 || c.alpha() != 255) {
        std::fprintf(stderr, "consumer-ui: unexpected colour %d\n", c.red());
        return 1;
    }
    std::printf("consumer-ui: ok\n");
    return 0;
}
