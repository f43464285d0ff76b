// The desktop window's responsiveness (a timing program with its own main; it only reports):
//   first photograph: from making the window to the first 24 MP photograph painted;
//   export stalls:    the longest time the event loop is not served while the window exports
//                     N copies of that photograph (default 100), with a text mark, while the
//                     user steps through the list (a new photograph in the editor every 0.5 s).
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
#include <QEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

namespace {

// The processor time the calling thread has used.
double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Times every event the application delivers on the main thread: a stall made of one long
// handler shows here with its receiver; a stall without one is time the thread did not run.
class TimedApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        if (depth_++ > 0) {
            const bool handled = QApplication::notify(receiver, event);
            --depth_;
            return handled;
        }
        QElapsedTimer timer;
        timer.start();
        const double cpuStart = threadCpuMs();
        const int type = event->type(); // the event may be gone afterwards
        const QByteArray name = receiver->metaObject()->className();
        const bool handled = QApplication::notify(receiver, event);
        --depth_;
        const qint64 ms = timer.elapsed();
        const double cpu = threadCpuMs() - cpuStart;
        if (recording && ms > 50)
            std::printf("  handler of %lld ms (%.0f ms on the processor): %s event %d\n",
                        static_cast<long long>(ms), cpu, name.constData(), type);
        if (recording)
            longestCpu = std::max(longestCpu, cpu);
        if (recording && ms > longest) {
            longest = ms;
            longestWhat = name + " event " + QByteArray::number(type);
        }
        return handled;
    }
    bool recording = false;
    qint64 longest = 0;
    double longestCpu = 0;
    QByteArray longestWhat;

private:
    int depth_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    int images = 100;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--images") == 0)
            images = std::max(1, std::atoi(argv[++i]));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    setenv("INKSTEAD_HOME", home.path().toLocal8Bit().constData(), 1);
    TimedApplication app(argc, argv);
    applyDarkTheme(app);
    const std::filesystem::path photo = bench::photoPath();

    QElapsedTimer clock;
    clock.start();
    MainWindow window;
    window.resize(1280, 800);
    window.show();
    window.addFiles({photo});
    // The photograph is decoded in the background: painted once it has arrived.
    while (window.editor()->isDecoding())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
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
    while (window.imageList()->pendingThumbnails() > 0 || window.editor()->isDecoding())
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
    app.recording = true;
    gap.start();
    tick.start(5);
    QTimer browse;
    QObject::connect(&browse, &QTimer::timeout, [&] {
        ImageList& list = *window.imageList();
        list.setCurrentRow((list.currentRow() + 1) % list.count());
    });
    browse.start(500);
    window.exportImages(folder, nullptr);
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    std::printf("export of %d photographs: %.1f s, longest stall of the window %lld ms\n",
                images + 1, clock.elapsed() / 1000.0, static_cast<long long>(longest));
    std::printf("longest single event handler: %lld ms (%s); most processor time in one: %.0f ms\n",
                static_cast<long long>(app.longest), app.longestWhat.constData(), app.longestCpu);
    return 0;
}
