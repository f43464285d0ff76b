// The editor view on Qt's offscreen platform: a full redraw of a 1920 × 1080 view showing a
// 24-megapixel photograph under ten watermarks of every kind (the thumbnail already built), one
// step of a mouse move (only the covered rectangle redrawn), and building the view's thumbnail
// of the photograph.
//
//   bench_editor_view [--benchmark_repetitions=3 ...]

#include "BenchPhoto.h"

#include "inkstead/editor/OVEditorView.h"
#include "inkstead/platform/gfx/GraphicsContext.h"
#include "inkstead/watermarks/OVArrowWatermark.h"
#include "inkstead/watermarks/OVImageWatermark.h"
#include "inkstead/watermarks/OVPixellateWatermark.h"
#include "inkstead/watermarks/OVShapeWatermark.h"
#include "inkstead/watermarks/OVStrikethroughWatermark.h"
#include "inkstead/watermarks/OVTextWatermark.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>

namespace {

/// Counts its passes and the area they drew.
class BenchView : public OVEditorView {
public:
    int paints = 0;
    double paintedArea = 0;

protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        paintedArea += double(event->rect().width()) * event->rect().height();
        OVEditorView::paintEvent(event);
    }
};

ov::ImagePtr logo() {
    auto canvas = ov::GraphicsContext::createBitmap(400, 200);
    canvas->setFillColor({0.1, 0.3, 0.9, 0.8});
    canvas->fillRect({0, 0, 400, 120});
    return canvas->makeImage();
}

std::shared_ptr<OVPreset> tenWatermarks() {
    std::vector<OVWatermarkPtr> marks;
    for (int i = 0; i < 2; ++i) {
        auto shape =
            i ? OVShapeWatermark::circleShapeWatermark() : OVShapeWatermark::squareShapeWatermark();
        shape->setFillColor(ov::Color{1.0, 0.3, 0.0, 0.5});
        shape->setOrigin({400.0 + 2500 * i, 500});
        shape->setSize({900, 700});
        shape->setShadow(0.5);
        marks.push_back(shape);

        auto text = OVTextWatermark::textWatermark();
        text->setStringValue(i ? "Inkstead" : "© 2026 Photographer");
        text->setFontColor(ov::Color::white());
        text->setFontSize(160);
        text->setOrigin({300.0 + 2800 * i, 3300});
        marks.push_back(text);

        auto image = OVImageWatermark::imageWatermark();
        (void)image->setImage(logo());
        image->setOrigin({4600.0, 600.0 + 1200 * i});
        marks.push_back(image);

        auto arrow = OVArrowWatermark::arrowWatermark();
        arrow->setStrokeColor(ov::Color{0, 1, 0, 1});
        arrow->setBeginPoint({1000.0 + 1500 * i, 2000});
        arrow->setEndPoint({2200.0 + 1500 * i, 2800});
        marks.push_back(arrow);
    }
    marks.push_back(OVStrikethroughWatermark::strikethroughWatermark());
    auto pixellate = OVPixellateWatermark::pixellateWatermark();
    pixellate->setOrigin({2500, 1000});
    pixellate->setSize({1200, 800});
    marks.push_back(pixellate);
    auto preset = std::make_shared<OVPreset>();
    preset->setWatermarks(std::move(marks));
    return preset;
}

/// The view, shown and drawn once (which builds the thumbnail and places the watermarks).
BenchView& view() {
    static BenchView* view = [] {
        auto* v = new BenchView;
        v->resize(1920, 1080);
        v->setPreset(tenWatermarks());
        v->setSource(ov::ImageSource::createWithURL(bench::photoPath()));
        v->show();
        // Drawing starts once the platform has exposed the window.
        for (int i = 0; i < 1000 && !(v->windowHandle() && v->windowHandle()->isExposed()); ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        v->repaint();
        return v;
    }();
    return *view;
}

void sendMouse(QWidget& widget, QEvent::Type type, QPointF at) {
    QMouseEvent event(
        type, at, widget.mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

// CPU time of the whole process (every worker thread included), in milliseconds: on a busy
// machine it tells the cost of a step better than wall time does.
double processCPUMilliseconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

void reportProcessCPU(benchmark::State& state, double cpuStart) {
    state.counters["processCPUms"] =
        (processCPUMilliseconds() - cpuStart) / double(state.iterations());
}

void reportPaints(benchmark::State& state, const BenchView& v, int paints, double area) {
    const double passes = v.paints - paints;
    state.counters["paints/iteration"] = passes / double(state.iterations());
    state.counters["points/paint"] = passes > 0 ? (v.paintedArea - area) / passes : 0;
}

void BM_FullRedraw(benchmark::State& state) {
    BenchView& v = view();
    const int paints = v.paints;
    const double area = v.paintedArea;
    const double cpuStart = processCPUMilliseconds();
    for (auto _ : state)
        v.repaint();
    reportProcessCPU(state, cpuStart);
    reportPaints(state, v, paints, area);
}

void BM_MoveStep(benchmark::State& state) {
    BenchView& v = view();
    // Grabs the square (at 400–1300 × 500–1200 of the photograph) and drags it to and fro.
    const ov::Point origin = v.translatedOrigin();
    const QPointF grip((origin.x + 850) * v.scale(), v.height() - (origin.y + 850) * v.scale());
    sendMouse(v, QEvent::MouseButtonPress, grip);
    QCoreApplication::sendPostedEvents(&v, QEvent::UpdateRequest);
    const int paints = v.paints;
    const double area = v.paintedArea;
    double dx = 4;
    const double cpuStart = processCPUMilliseconds();
    for (auto _ : state) {
        sendMouse(v, QEvent::MouseMove, grip + QPointF(dx, 0));
        QCoreApplication::sendPostedEvents(&v, QEvent::UpdateRequest);
        dx = -dx;
    }
    reportProcessCPU(state, cpuStart);
    reportPaints(state, v, paints, area);
    sendMouse(v, QEvent::MouseButtonRelease, grip);
    QCoreApplication::sendPostedEvents(&v, QEvent::UpdateRequest);
}

void BM_Thumbnail(benchmark::State& state) {
    BenchView& v = view();
    const auto source = ov::ImageSource::createWithURL(bench::photoPath());
    const double cpuStart = processCPUMilliseconds();
    for (auto _ : state) {
        v.setSource(source);
        benchmark::DoNotOptimize(v.image());
    }
    reportProcessCPU(state, cpuStart);
    state.counters["thumbnailWidth"] = v.image() ? v.image()->width() : 0;
}

// The same decode by libvips alone, at the size the view asks for: the floor for BM_Thumbnail.
void BM_PlainVipsThumbnail(benchmark::State& state) {
    BenchView& v = view();
    const int side = v.image() ? std::max(v.image()->width(), v.image()->height()) : 1920;
    const double cpuStart = processCPUMilliseconds();
    for (auto _ : state) {
        auto thumbnail = vips::VImage::thumbnail(bench::photoPath().c_str(), side);
        void* pixels = thumbnail.write_to_memory(nullptr);
        benchmark::DoNotOptimize(pixels);
        g_free(pixels);
    }
    reportProcessCPU(state, cpuStart);
}

BENCHMARK(BM_FullRedraw)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_MoveStep)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_Thumbnail)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_PlainVipsThumbnail)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The image watermarks store their pictures; keep them out of the user's storage.
    bench::TemporaryFolder home{std::filesystem::temp_directory_path() /
                                ("inkstead-bench-home-" + std::to_string(::getpid()))};
    std::filesystem::create_directories(home.path);
    setenv("INKSTEAD_HOME", home.path.c_str(), 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
