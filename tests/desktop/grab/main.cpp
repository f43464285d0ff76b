// grab-screen OUT.png: waits until something is drawn on the X display, lets it settle, and
// saves the whole screen. A helper of the window test that runs the real application.

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QThread>

namespace {
// Whether more than a few percent of the screen is not black.
bool somethingShown(const QImage& image) {
    int lit = 0;
    for (int y = 0; y < image.height(); y += 8)
        for (int x = 0; x < image.width(); x += 8)
            lit += (image.pixel(x, y) & 0xffffff) != 0;
    return lit * 64 * 20 > image.width() * image.height();
}
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    if (argc != 2)
        return 2;
    QScreen* screen = QGuiApplication::primaryScreen();
    for (int tries = 0; tries < 60; ++tries) {
        if (somethingShown(screen->grabWindow(0).toImage()))
            break;
        QThread::msleep(250);
    }
    QThread::msleep(1500); // thumbnails and the photograph come in after the first paint
    return screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
