// Opening a full 15000-record data file the way a user meets it, and saving
// one.
//
// BM_OpenInFreshProcess, ROUNDS rounds, each measuring in turn:
//   read_ms        the file read into one reused 128 KiB buffer, as cat does
//                  (the baseline)
//   list_empty_ms  `varnelo-cli list` of an empty data file: the program's start
//   list_full_ms   `varnelo-cli list` of the full file
//   open_ms        list_full_ms - list_empty_ms: what opening the file costs
//   open_vs_read   open_ms / read_ms of the round; the goal is 2 at most
//   chart_ms       in a fresh process with the document already made, File >
//                  Open as the desktop program does it: load, track, the
//                  record list's labels and both charts drawn
// Each counter is the median of the rounds, with _min and _max beside it.
//
// In-process: a cold load into a document whose memory was never touched,
// against a plain read into a reused buffer; saving against a plain write.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <fstream>
#include <memory>
#include <vector>

#include "bench_support.h"
#include "charts/dialog_units.h"
#include "charts/spectrum_chart.h"
#include "charts/track_chart.h"
#include "session/session.h"
#include "support/test_support.h"
#include "ui/chart_surface.h"

namespace {

using namespace varnelo;
using namespace varnelo::bench;

constexpr char OPEN_AND_DRAW[] = "--open-and-draw";
const char* g_self = nullptr;  // this program, started again for the desktop's open

struct Files {
    test::TempDir dir;
    std::filesystem::path full = dir / "full.vrnldata";
    std::filesystem::path empty = dir / "empty.vrnldata";
    std::uintmax_t size = DataFileSize(RECORD_CAPACITY);

    Files() {
        WriteSimulatedFile(full, RECORD_CAPACITY);
        WriteSimulatedFile(empty, 0);
    }
};

Files& TheFiles() {
    static Files files;
    return files;
}

// What cat does: the whole file through one small buffer that stays in the cache.
double ReadLikeCat(const std::filesystem::path& path) {
    static std::vector<char> buffer(128 * 1024);
    const auto start = Clock::now();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return 0;
    while (::read(fileno(file), buffer.data(), buffer.size()) > 0) {
    }
    std::fclose(file);
    return SecondsSince(start);
}

// The desktop program's File > Open in this (fresh) process: the document
// exists, as it does from the program's start; the clock runs from opening
// the file until both charts are drawn. Writes the seconds to `out`.
int OpenAndDraw(const char* data, const char* out) {
    int argc = 1;
    char name[] = "data_file_bench";
    char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const PixelSize spectrumSize = SpectrumFrameSize();
    const PixelSize trackSize = TrackFrameSize();
    ChartSurface spectrum(QSize(spectrumSize.width, spectrumSize.height));
    ChartSurface track(QSize(trackSize.width, trackSize.height));
    Session session;

    const auto start = Clock::now();
    if (session.open(data)) return 1;
    const CVarneloDoc& doc = session.doc();
    QStringList labels;
    labels.reserve(doc.recordCount());
    for (int i = 0; i < doc.recordCount(); ++i) labels.append(QString::fromStdString(RecordTimeLabel(doc.record(i))));
    spectrum.draw([&](Canvas& c) { DrawSpectrumChart(c, doc.record(0), false); });
    track.draw([&](Canvas& c) { DrawTrackChart(c, TrackChartDataOf(session.track(), doc.recordCount()), 0); });
    const double seconds = SecondsSince(start);

    std::FILE* file = std::fopen(out, "w");
    if (!file) return 1;
    std::fprintf(file, "%.9f\n", seconds);
    return std::fclose(file) == 0 ? 0 : 1;
}

double ChartSeconds(benchmark::State& state) {
    const std::string out = (TheFiles().dir / "chart.txt").string();
    RunChecked(state, {g_self, OPEN_AND_DRAW, TheFiles().full.string(), out});
    double seconds = 0;
    std::ifstream(out) >> seconds;
    return seconds;
}

void BM_OpenInFreshProcess(benchmark::State& state) {
    const Files& files = TheFiles();
    const std::string cli = test::CliPath();
    Samples read, listEmpty, listFull, open, ratio, chart;
    for (auto _ : state) {
        const double r = ReadLikeCat(files.full);
        const double e = RunChecked(state, {cli, "list", files.empty.string()}).seconds;
        const double f = RunChecked(state, {cli, "list", files.full.string()}).seconds;
        read.add(r);
        listEmpty.add(e);
        listFull.add(f);
        open.add(f - e);
        ratio.add((f - e) / r);
        chart.add(ChartSeconds(state));
    }
    read.report(state, "read_ms", 1e3);
    listEmpty.report(state, "list_empty_ms", 1e3);
    listFull.report(state, "list_full_ms", 1e3);
    open.report(state, "open_ms", 1e3);
    ratio.report(state, "open_vs_read");
    chart.report(state, "chart_ms", 1e3);
}
BENCHMARK(BM_OpenInFreshProcess)->Iterations(ROUNDS)->Unit(benchmark::kMillisecond);

void BM_PlainRead(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ReadLikeCat(TheFiles().full));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * TheFiles().size));
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// A new document every time: its memory is fresh, as in a program just started.
void BM_ColdLoadDataFile(benchmark::State& state) {
    for (auto _ : state) {
        auto doc = std::make_unique<CVarneloDoc>();
        if (LoadDataFile(TheFiles().full, *doc)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(doc->recordCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * TheFiles().size));
}
BENCHMARK(BM_ColdLoadDataFile)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void PlainWrite(benchmark::State& state, bool sync) {
    std::vector<char> buffer(TheFiles().size, 'x');
    const auto target = TheFiles().dir / "plain.out";
    for (auto _ : state) {
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        out.close();
        if (sync) ::sync();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * TheFiles().size));
}

void BM_PlainWrite(benchmark::State& state) { PlainWrite(state, false); }
void BM_PlainWriteThenSync(benchmark::State& state) { PlainWrite(state, true); }
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_PlainWriteThenSync)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_SaveDataFile(benchmark::State& state) {
    auto doc = std::make_unique<CVarneloDoc>();
    if (LoadDataFile(TheFiles().full, *doc)) std::abort();
    const auto target = TheFiles().dir / "saved.vrnldata";
    for (auto _ : state) {
        if (SaveDataFile(target, *doc)) state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * TheFiles().size));
}
BENCHMARK(BM_SaveDataFile)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == OPEN_AND_DRAW) return OpenAndDraw(argv[2], argv[3]);
    g_self = argv[0];
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
