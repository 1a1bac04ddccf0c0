// Drawing the charts into their off-screen pictures, against a plain QPainter
// polyline of the same points on an image of the same size. The track is the
// worst case: all 15000 records, every point on a new pixel.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <cmath>
#include <memory>
#include <vector>

#include "bench_support.h"
#include "support/recording_canvas.h"
#include "charts/form_layout.h"
#include "charts/sample_records.h"
#include "charts/spectrum_chart.h"
#include "charts/track_chart.h"
#include "ui/chart_surface.h"

namespace {

using namespace varnelo;

QGuiApplication& App() {
    static int argc = 1;
    static char name[] = "charts_bench";
    static char* argv[] = {name, nullptr};
    // Drawing happens off-screen; no display is needed to measure it.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    return app;
}

const MeasurementRecord& Record() {
    static const MeasurementRecord record = [] {
        MeasurementRecord r{};
        test::FillSampleRecord(r, 3);
        return r;
    }();
    return record;
}

struct SpiralTrack {
    std::vector<double> x, y;
    std::vector<float> motion;
    TrackChartData data;
    SpiralTrack() : x(RECORD_CAPACITY), y(RECORD_CAPACITY), motion(RECORD_CAPACITY, 1.0f) {
        for (int i = 0; i < RECORD_CAPACITY; ++i) {
            const double t = i * 0.01;
            x[static_cast<std::size_t>(i)] = t * std::cos(t) * 5.0;
            y[static_cast<std::size_t>(i)] = t * std::sin(t) * 5.0;
        }
        data.count = RECORD_CAPACITY;
        data.x = x;
        data.y = y;
        data.speed = data.course = data.altitude = data.altitude2 = motion;
        data.min_x = *std::min_element(x.begin(), x.end());
        data.max_x = *std::max_element(x.begin(), x.end());
        data.min_y = *std::min_element(y.begin(), y.end());
        data.max_y = *std::max_element(y.begin(), y.end());
    }
};

const SpiralTrack& Track() {
    static const SpiralTrack track;
    return track;
}

// The line points a drawing produced, as polylines for the plain baseline.
std::vector<QPolygon> Polylines(const RecordingCanvas& canvas) {
    std::vector<QPolygon> out;
    for (const CanvasOp& op : canvas.ops()) {
        if (op.kind == CanvasOp::Kind::MoveTo) out.emplace_back();
        if ((op.kind == CanvasOp::Kind::MoveTo || op.kind == CanvasOp::Kind::LineTo) && !out.empty()) out.back() << QPoint(op.point.x, op.point.y);
    }
    return out;
}

void PlainPolylines(benchmark::State& state, QSize size, const std::vector<QPolygon>& lines) {
    QImage image(size, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        for (const QPolygon& line : lines) painter.drawPolyline(line);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_SpectrumPlainPolylines(benchmark::State& state) {
    App();
    RecordingCanvas recording({0, 0, 586, 483});
    DrawSpectrumChart(recording, Record(), false);
    PlainPolylines(state, QSize(586, 483), Polylines(recording));
}
BENCHMARK(BM_SpectrumPlainPolylines);

void BM_SpectrumChart(benchmark::State& state) {
    App();
    ChartSurface surface(QSize(586, 483));
    for (auto _ : state) {
        surface.draw([](Canvas& c) { DrawSpectrumChart(c, Record(), false); });
        benchmark::DoNotOptimize(surface.image().constBits());
    }
}
BENCHMARK(BM_SpectrumChart);

void BM_TrackPlainPolylines(benchmark::State& state) {
    App();
    RecordingCanvas recording({0, 0, 233, 172});
    DrawTrackChart(recording, Track().data, 0);
    PlainPolylines(state, QSize(233, 172), Polylines(recording));
}
BENCHMARK(BM_TrackPlainPolylines);

void BM_TrackChart(benchmark::State& state) {
    App();
    ChartSurface surface(QSize(233, 172));
    for (auto _ : state) {
        surface.draw([](Canvas& c) { DrawTrackChart(c, Track().data, 0); });
        benchmark::DoNotOptimize(surface.image().constBits());
    }
}
BENCHMARK(BM_TrackChart);

// The track coloured by an index against the plain track, drawn in turn in
// each round on the same surface: coloured_vs_plain is the median of the
// rounds' ratios; the goal is under 2. Every record has a value and its own
// colour, so every dot is drawn.
void BM_ColouredTrackVsPlain(benchmark::State& state) {
    App();
    std::vector<IndexValue> values(RECORD_CAPACITY);
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = std::sin(static_cast<double>(i) * 0.003);
    const TrackColouring colouring = MakeTrackColouring(NDVI, values);
    ChartSurface surface(QSize(233, 172));
    constexpr int DRAWINGS = 20;  // per timing, so that each is well above the clock's grain
    bench::Samples plain, coloured, ratio;
    for (auto _ : state) {
        double p = 0, c = 0;
        bench::InTurn(
            plain.size(),
            [&] {
                const auto start = bench::Clock::now();
                for (int i = 0; i < DRAWINGS; ++i) surface.draw([](Canvas& canvas) { DrawTrackChart(canvas, Track().data, 0); });
                p = bench::SecondsSince(start) / DRAWINGS;
            },
            [&] {
                const auto start = bench::Clock::now();
                for (int i = 0; i < DRAWINGS; ++i)
                    surface.draw([&](Canvas& canvas) { DrawTrackChart(canvas, Track().data, 0, colouring); });
                c = bench::SecondsSince(start) / DRAWINGS;
            });
        plain.add(p);
        coloured.add(c);
        ratio.add(c / p);
    }
    plain.report(state, "plain_ms", 1e3);
    coloured.report(state, "coloured_ms", 1e3);
    ratio.report(state, "coloured_vs_plain");
}
BENCHMARK(BM_ColouredTrackVsPlain)->Iterations(21)->Unit(benchmark::kMillisecond);

// Both charts drawn again for a window of 1920 x 1200 (its form less the
// bars), as a resize or a new selection draws them: the spectrum of one
// record and the track of all 15000, plain and coloured. The goal is one
// frame of a 60 Hz screen, 16 ms, for both charts.
void BM_BothChartsAtLargeWindow(benchmark::State& state) {
    App();
    const bool colour = state.range(0) != 0;
    std::vector<IndexValue> values(RECORD_CAPACITY);
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = std::sin(static_cast<double>(i) * 0.003);
    const TrackColouring colouring = MakeTrackColouring(NDVI, values);
    constexpr int WINDOW_BARS = 81;  // menu bar, toolbar and status bar
    const FormLayout layout = LayOutForm({1920, 1200 - WINDOW_BARS});
    const PixelRect spectrumRect = layout[FormControl::Spectrum];
    const PixelRect trackRect = layout[FormControl::Track];
    ChartSurface spectrum(QSize(586, 483));
    ChartSurface track(QSize(233, 172));
    spectrum.resize(QSize(spectrumRect.width, spectrumRect.height));
    track.resize(QSize(trackRect.width, trackRect.height));
    for (auto _ : state) {
        spectrum.draw([](Canvas& c) { DrawSpectrumChart(c, Record(), false); });
        track.draw([&](Canvas& c) {
            if (colour) DrawTrackChart(c, Track().data, 0, colouring);
            else DrawTrackChart(c, Track().data, 0);
        });
        benchmark::DoNotOptimize(spectrum.image().constBits());
        benchmark::DoNotOptimize(track.image().constBits());
    }
    state.counters["spectrum_px"] = spectrumRect.width * spectrumRect.height;
    state.counters["track_px"] = trackRect.width * trackRect.height;
}
BENCHMARK(BM_BothChartsAtLargeWindow)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
