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
//   desktop_open_ms    the desktop program, started afresh with a new
//                      document, opening the full file: until the file is
//                      loaded, its track computed and its records listed
//   desktop_charts_ms  the same until both charts are drawn, the form's
//                      100 ms one-shot timer before the first record included
// Each counter is the median of the rounds, with _min and _max beside it.
//
// In-process: a cold load into a document whose memory was never touched,
// against a plain read into a reused buffer; saving against a plain write.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QStandardPaths>
#include <QString>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "app/chart_frame.h"
#include "app/main_frame.h"
#include "app/varnelo_view.h"
#include "bench_support.h"
#include "support/test_support.h"

namespace {

using namespace varnelo;
using namespace varnelo::bench;

constexpr char OPEN_IN_DESKTOP[] = "--open-in-desktop";
const char* g_self = nullptr;  // this program, started again to play the desktop program

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

// The desktop program's File > Open in this process, started afresh: the
// main window is up with its new document, the clock runs from opening the
// file until openDocument returns (loaded, track computed, records listed)
// and on until both charts are drawn, the 100 ms of the form's one-shot
// timer included. Writes the two times in seconds to `out`.
int OpenInDesktop(const char* data, const char* out) {
    int argc = 1;
    char name[] = "data_file_bench";
    char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);  // a profile of its own, not the user's
    CMainFrame frame(LoggerChoice{LoggerChoice::Kind::Port, QStringLiteral("/nonexistent-port"), {}});
    frame.start(QString());
    const auto runEventsFor = [](const std::function<bool()>& done, double limit) {
        const auto start = Clock::now();
        while (!done() && SecondsSince(start) < limit) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    };
    runEventsFor([] { return false; }, 0.3);  // the empty charts and the connection attempt
    const qint64 emptyTrack = frame.view()->trackFrame()->image().cacheKey();

    const auto start = Clock::now();
    if (!frame.openDocument(QString::fromStdString(data))) return 1;
    const double opened = SecondsSince(start);
    runEventsFor([&] { return frame.view()->trackFrame()->image().cacheKey() != emptyTrack; }, 10.0);
    const double charts = SecondsSince(start);

    std::FILE* file = std::fopen(out, "w");
    if (!file) return 1;
    std::fprintf(file, "%.9f %.9f\n", opened, charts);
    return std::fclose(file) == 0 && charts < 10.0 ? 0 : 1;
}

// The desktop's open and charts times of one fresh process.
std::pair<double, double> DesktopSeconds(benchmark::State& state) {
    const std::string out = (TheFiles().dir / "desktop.txt").string();
    RunChecked(state, {g_self, OPEN_IN_DESKTOP, TheFiles().full.string(), out});
    double opened = 0, charts = 0;
    std::ifstream(out) >> opened >> charts;
    return {opened, charts};
}

void BM_OpenInFreshProcess(benchmark::State& state) {
    const Files& files = TheFiles();
    const std::string cli = test::CliPath();
    Samples read, listEmpty, listFull, open, ratio, desktopOpen, desktopCharts;
    for (auto _ : state) {
        const double r = ReadLikeCat(files.full);
        const double e = RunChecked(state, {cli, "list", files.empty.string()}).seconds;
        const double f = RunChecked(state, {cli, "list", files.full.string()}).seconds;
        read.add(r);
        listEmpty.add(e);
        listFull.add(f);
        open.add(f - e);
        ratio.add((f - e) / r);
        const auto [opened, charts] = DesktopSeconds(state);
        desktopOpen.add(opened);
        desktopCharts.add(charts);
    }
    read.report(state, "read_ms", 1e3);
    listEmpty.report(state, "list_empty_ms", 1e3);
    listFull.report(state, "list_full_ms", 1e3);
    open.report(state, "open_ms", 1e3);
    ratio.report(state, "open_vs_read");
    desktopOpen.report(state, "desktop_open_ms", 1e3);
    desktopCharts.report(state, "desktop_charts_ms", 1e3);
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
    if (argc == 4 && std::string(argv[1]) == OPEN_IN_DESKTOP) return OpenInDesktop(argv[2], argv[3]);
    g_self = argv[0];
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
