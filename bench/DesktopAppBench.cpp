// The desktop window's responsiveness (a timing program with its own main; it only reports):
//   first photograph: from making the window to the first 24 MP photograph painted;
//   export stalls:    the longest time the event loop is not served while the window exports
//                     N copies of that photograph (default 100), with a text mark.
//
//   bench_desktop_app [--images N]

#include "BenchPhoto.h"

#include "ImageList.h"
#include "MainWindow.h"
#include "Theme.h"

#include "inkstead/editor/OVEditorView.h"
#include "inkstead/watermarks/OVTextWatermark.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

int main(int argc, char** argv) {
    int images = 100;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--images") == 0)
            images = std::max(1, std::atoi(argv[++i]));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    setenv("INKSTEAD_HOME", home.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    applyDarkTheme(app);
    const std::filesystem::path photo = bench::photoPath();

    QElapsedTimer clock;
    clock.start();
    MainWindow window;
    window.resize(1280, 800);
    window.show();
    window.addFiles({photo});
    window.editor()->repaint();
    std::printf("first photograph: %lld ms (24 MP JPEG, window made, photograph painted)\n",
                static_cast<long long>(clock.elapsed()));

    window.currentPreset()->addWatermark(OVTextWatermark::textWatermark());
    const std::filesystem::path folder = home.path().toStdString() + "/out";
    // The image list holds a file once, so copies of the photograph make up the batch.
    std::vector<std::filesystem::path> copies;
    for (int i = 0; i < images; ++i) {
        copies.push_back(home.path().toStdString() + "/photo" + std::to_string(i) + ".jpg");
        std::filesystem::copy_file(photo, copies.back());
    }
    window.addFiles(copies);
    // The list's thumbnails and the editor's photograph first: the export alone is measured.
    window.editor()->repaint();
    while (window.imageList()->pendingThumbnails() > 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);

    qint64 longest = 0;
    QElapsedTimer gap;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 g = gap.restart();
        if (g > 200)
            std::printf("  stall of %lld ms ending at %.2f s\n", static_cast<long long>(g),
                        clock.elapsed() / 1000.0);
        longest = std::max(longest, g);
    });
    bool done = false;
    QObject::connect(&window, &MainWindow::exportFinished, [&] { done = true; });
    clock.restart();
    gap.start();
    tick.start(5);
    window.exportImages(folder, nullptr);
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    std::printf("export of %d photographs: %.1f s, longest stall of the window %lld ms\n",
                images + 1, clock.elapsed() / 1000.0, static_cast<long long>(longest));
    return 0;
}
