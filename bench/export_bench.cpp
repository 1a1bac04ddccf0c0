// The CSV export of a full 15000-record data file the way a user meets it.
//
// BM_ExportInFreshProcess/<mode>, ROUNDS rounds, each measuring in turn:
//   dd_ms          the export's CSV bytes copied from the page cache into a
//                  file 1 MiB at a time and flushed to the disk, as
//                  `dd bs=1M conv=fsync` does (the baseline)
//   export_ms      `varnelo-cli export FULL -o OUT.csv` with the mode's options,
//                  in a fresh process: start, load, track, format, write, flush
//   export_vs_dd   export_ms / dd_ms of the round; the goal is 1.5 at most
// Each counter is the median of the rounds, with _min and _max beside it.
// Both write over a file of the same size left by the round before, in the
// same folder. Before the rounds, the export's bytes are compared with a
// plain snprintf exporter's: a difference fails the benchmark.
//
// In-process: building the rows alone against snprintf, and the peak memory
// an export adds for a small and a full document (the two should be alike).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "io/atomic_file.h"
#include "resident_memory.h"
#include "export/csv_export.h"
#include "support/test_support.h"
#include "track/gps_track.h"

namespace {

using namespace varnelo;
using namespace varnelo::bench;

struct Document {
    test::TempDir dir;
    std::filesystem::path file = dir / "full.vrnldata";
    std::unique_ptr<CVarneloDoc> doc = std::make_unique<CVarneloDoc>();
    std::unique_ptr<GpsTrack> track = std::make_unique<GpsTrack>();

    explicit Document(int count) {
        WriteSimulatedFile(file, count);
        if (!LoadDataFile(file, *doc)) std::abort();
        ComputeTrack(*doc, count, *track);
    }
};

Document& Full() {
    static Document document(RECORD_CAPACITY);
    return document;
}

// The plain way: one snprintf per value into a line.
void AppendPrintf(std::string& line, const char* format, double value) {
    char text[400];
    const int n = std::snprintf(text, sizeof text, format, value);
    line.append(text, static_cast<std::size_t>(n));
}

std::string PlainRow(const MeasurementRecord& record, const GpsTrack& track, int i, const CsvOptions& options,
                     DerivedSpectra& spectra) {
    std::string line;
    char fixed[1024];
    const auto k = static_cast<std::size_t>(i);
    const int n = std::snprintf(fixed, sizeof fixed, "%s,%9.7f,%9.7f,%3.1f,%3.2f,%3.1f,%3.1f,%3.1f,%d,%d,",
                                RecordTimeLabel(record).c_str(), track.latitude[k], track.longitude[k],
                                static_cast<double>(track.altitude[k]), static_cast<double>(record.batv()),
                                static_cast<double>(record.batc()), static_cast<double>(record.temp_ch1()),
                                static_cast<double>(record.temp_ch2()), record.exp_ch1(), record.exp_ch2());
    line.append(fixed, static_cast<std::size_t>(n));
    const WavelengthWindow window = ExportWindow(options.limitRange);
    const auto each = [&](const Spectrum& values, const char* format) {
        for (int j = window.first; j <= window.last; ++j)
            AppendPrintf(line, format, static_cast<double>(values[static_cast<std::size_t>(j)]));
    };
    if (options.mode == ExportMode::TwoChannel) {
        DeriveSpectra(record, spectra, SpectraNeeded::ChannelsOnly);
        each(spectra.ch1_scaled, "%3.1f,");
        each(spectra.ch2, "%3.1f,");
    } else {
        DeriveSpectra(record, spectra, SpectraNeeded::WithReflectance);
        each(spectra.reflectance, "%3.3f,");
    }
    line += "\r\n";
    return line;
}

bool PlainExport(const std::filesystem::path& target, const Document& d, const CsvOptions& options) {
    AtomicFileWriter file(target);
    if (!file.open() || !file.write(CsvHeaderLine(options))) return false;
    DerivedSpectra spectra;
    for (int i = 0; i < d.doc->recordCount(); ++i)
        if (!file.write(PlainRow(d.doc->record(i), *d.track, i, options, spectra))) return false;
    return file.commit().ok();
}

std::vector<std::string> ExportCommand(const std::filesystem::path& out, const CsvOptions& options) {
    std::vector<std::string> command{test::CliPath(), "export", Full().file.string(), "-o", out.string(), "--mode",
                                     options.mode == ExportMode::TwoChannel ? "2ch" : "reflectance"};
    if (options.limitRange) command.push_back("--limit");
    return command;
}

void BM_ExportInFreshProcess(benchmark::State& state, CsvOptions options) {
    const Document& d = Full();
    const auto reference = d.dir / "reference.csv";
    const auto exported = d.dir / "export.csv";
    const auto copied = d.dir / "dd.csv";
    RunChecked(state, ExportCommand(exported, options));
    if (!PlainExport(reference, d, options) || test::ReadFileBytes(reference) != test::ReadFileBytes(exported)) {
        state.SkipWithError("the export differs from the snprintf reference");
        return;
    }
    CopyWithFsync(exported, copied);  // both now write over a file of their size
    Samples dd, exportTime, ratio;
    for (auto _ : state) {
        double baseline = 0;
        double ours = 0;
        InTurn(
            dd.size(), [&] { baseline = CopyWithFsync(reference, copied); },
            [&] { ours = RunChecked(state, ExportCommand(exported, options)).seconds; });
        if (baseline <= 0) state.SkipWithError("the plain copy failed");
        dd.add(baseline);
        exportTime.add(ours);
        ratio.add(ours / baseline);
    }
    state.counters["csv_MB"] = static_cast<double>(std::filesystem::file_size(reference)) / 1e6;
    dd.report(state, "dd_ms", 1e3);
    exportTime.report(state, "export_ms", 1e3);
    ratio.report(state, "export_vs_dd");
}
BENCHMARK_CAPTURE(BM_ExportInFreshProcess, two_channel, CsvOptions{ExportMode::TwoChannel, false})
    ->Iterations(ROUNDS)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ExportInFreshProcess, two_channel_400_800, CsvOptions{ExportMode::TwoChannel, true})
    ->Iterations(ROUNDS)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ExportInFreshProcess, reflectance, CsvOptions{ExportMode::Reflectance, false})
    ->Iterations(ROUNDS)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ExportInFreshProcess, reflectance_400_800, CsvOptions{ExportMode::Reflectance, true})
    ->Iterations(ROUNDS)->Unit(benchmark::kMillisecond);

void BM_SnprintfRows(benchmark::State& state) {
    DerivedSpectra spectra;
    for (auto _ : state)
        for (int i = 0; i < RECORD_CAPACITY; ++i)
            benchmark::DoNotOptimize(PlainRow(Full().doc->record(i), *Full().track, i, CsvOptions{}, spectra).size());
    state.SetItemsProcessed(state.iterations() * RECORD_CAPACITY);
}
BENCHMARK(BM_SnprintfRows)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_CsvRows(benchmark::State& state, CsvOptions options) {
    CsvRowFormatter formatter{options};
    for (auto _ : state)
        for (int i = 0; i < RECORD_CAPACITY; ++i)
            benchmark::DoNotOptimize(formatter.Row(Full().doc->record(i), *Full().track, i).size());
    state.SetItemsProcessed(state.iterations() * RECORD_CAPACITY);
}
BENCHMARK_CAPTURE(BM_CsvRows, two_channel, CsvOptions{ExportMode::TwoChannel, false})
    ->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(BM_CsvRows, reflectance_400_800, CsvOptions{ExportMode::Reflectance, true})
    ->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Peak memory that an export adds on top of its document, for a small and a
// full document: the two should be alike.
void BM_ExportPeakMemory(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    Document document(count);
    const auto target = document.dir / "memory.csv";
    ResetPeakResident();
    const long before = StatusKiB("VmRSS");
    for (auto _ : state)
        if (!ExportCsv(target, *document.doc, *document.track, CsvOptions{}).status)
            state.SkipWithError("export failed");
    state.counters["peak_growth_KiB"] = static_cast<double>(StatusKiB("VmHWM") - before);
}
BENCHMARK(BM_ExportPeakMemory)->Arg(1500)->Arg(RECORD_CAPACITY)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
