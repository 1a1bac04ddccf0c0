// The CSV export of a full 15000-record document (two channels, full range)
// against a plain exporter that formats every value with snprintf and writes
// the same file the same way. Also the row building alone, without the file,
// and the process's peak memory around exports of 1500 and 15000 records.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "data/atomic_file.h"
#include "export/csv_export.h"
#include "support/test_support.h"
#include "track/gps_track.h"

namespace {

using namespace varnelo;

// Records shaped like the logger's: smooth spectra up to a few ten thousand
// counts, a channel-difference table near 1, plausible exposures and a walk
// of GPS positions.
void FillRecord(MeasurementRecord& record, int i, std::mt19937& random) {
    std::uniform_real_distribution<float> noise(-50.0f, 50.0f);
    record.set_exp(100 + i % 7, 120 + i % 11);
    record.set_temps(25.0f + noise(random) / 100.0f, 25.3f + noise(random) / 100.0f);
    record.set_battery(95.0f - static_cast<float>(i) / 1000.0f, 3.85f + noise(random) / 1000.0f);
    for (std::size_t j = 0; j < SPECTRUM_LENGTH; ++j) {
        const float shape = 30000.0f * std::exp(-std::pow((static_cast<float>(j) - 250.0f) / 150.0f, 2.0f));
        record.set_spectrum_ch1(j, shape * 0.4f + noise(random));
        record.set_spectrum_ch2(j, shape + noise(random));
        record.set_channel_diff(j, 1.0f + noise(random) / 1000.0f);
    }
    record.set_time(41, 10, 7, 9 + i / 3600 % 12, i / 60 % 60, i % 60);
    char text[128];
    std::snprintf(text, sizeof text, "$GPRMC,1,A,%.4f,N,%.4f,E,%.1f,%.1f,9,%.1f,%.1f", 3539.1234 + i * 0.0003,
                  13945.6789 + i * 0.0002, 1.0 + i % 5, 90.0 + i % 45, 12.3 + i % 10, 45.6);
    record.set_gps_text(text);
}

struct Document {
    std::unique_ptr<CVarneloDoc> doc = std::make_unique<CVarneloDoc>();
    std::unique_ptr<GpsTrack> track = std::make_unique<GpsTrack>();
    test::TempDir dir;

    explicit Document(int count) {
        std::mt19937 random(42);
        for (int i = 0; i < count; ++i) FillRecord(doc->record(i), i, random);
        doc->setRecordCount(count);
        ComputeTrack(*doc, count, *track);
    }
};

Document& Full() {
    static Document document(RECORD_CAPACITY);
    return document;
}

// The plain way: one snprintf per value into a line, one write per line.
std::size_t AppendPrintf(std::string& line, const char* format, double value) {
    char text[400];
    const int n = std::snprintf(text, sizeof text, format, value);
    line.append(text, static_cast<std::size_t>(n));
    return static_cast<std::size_t>(n);
}

std::string PlainRow(const MeasurementRecord& record, const GpsTrack& track, int i, DerivedSpectra& spectra) {
    std::string line;
    char fixed[1024];
    const auto k = static_cast<std::size_t>(i);
    const int n = std::snprintf(fixed, sizeof fixed, "%s,%9.7f,%9.7f,%3.1f,%3.2f,%3.1f,%3.1f,%3.1f,%d,%d,",
                                RecordTimeLabel(record).c_str(), track.latitude[k], track.longitude[k],
                                static_cast<double>(track.altitude[k]), static_cast<double>(record.batv()),
                                static_cast<double>(record.batc()), static_cast<double>(record.temp_ch1()),
                                static_cast<double>(record.temp_ch2()), record.exp_ch1(), record.exp_ch2());
    line.append(fixed, static_cast<std::size_t>(n));
    DeriveSpectra(record, spectra, SpectraNeeded::ChannelsOnly);
    for (float v : spectra.ch1_scaled) AppendPrintf(line, "%3.1f,", static_cast<double>(v));
    for (float v : spectra.ch2) AppendPrintf(line, "%3.1f,", static_cast<double>(v));
    line += "\r\n";
    return line;
}

bool PlainExport(const std::filesystem::path& target, const Document& d) {
    AtomicFileWriter file(target);
    if (!file.open() || !file.write(CsvHeaderLine(CsvOptions{}))) return false;
    DerivedSpectra spectra;
    for (int i = 0; i < d.doc->recordCount(); ++i)
        if (!file.write(PlainRow(d.doc->record(i), *d.track, i, spectra))) return false;
    return file.commit();
}

void CheckSameBytes(benchmark::State& state, const std::filesystem::path& ours) {
    const auto reference = Full().dir / "reference.csv";
    if (!PlainExport(reference, Full()) || test::ReadFileBytes(reference) != test::ReadFileBytes(ours))
        state.SkipWithError("the export differs from the snprintf reference");
}

void BM_SnprintfExport(benchmark::State& state) {
    const auto target = Full().dir / "plain.csv";
    for (auto _ : state)
        if (!PlainExport(target, Full())) state.SkipWithError("write failed");
    state.SetItemsProcessed(state.iterations() * RECORD_CAPACITY);
}

void BM_ExportCsv(benchmark::State& state) {
    const auto target = Full().dir / "export.csv";
    for (auto _ : state)
        if (ExportCsv(target, *Full().doc, *Full().track, CsvOptions{}).status != ExportStatus::Written)
            state.SkipWithError("export failed");
    state.SetItemsProcessed(state.iterations() * RECORD_CAPACITY);
    CheckSameBytes(state, target);
}

void BM_SnprintfRows(benchmark::State& state) {
    DerivedSpectra spectra;
    for (auto _ : state)
        for (int i = 0; i < RECORD_CAPACITY; ++i)
            benchmark::DoNotOptimize(PlainRow(Full().doc->record(i), *Full().track, i, spectra).size());
    state.SetItemsProcessed(state.iterations() * RECORD_CAPACITY);
}

void BM_CsvRows(benchmark::State& state) {
    CsvRowFormatter formatter{CsvOptions{}};
    for (auto _ : state)
        for (int i = 0; i < RECORD_CAPACITY; ++i)
            benchmark::DoNotOptimize(formatter.Row(Full().doc->record(i), *Full().track, i).size());
    state.SetItemsProcessed(state.iterations() * RECORD_CAPACITY);
}

// A line of /proc/self/status in KiB ("VmRSS", "VmHWM"), or -1.
long StatusKiB(const char* name) {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status) return -1;
    char line[256];
    long value = -1;
    const std::size_t length = std::strlen(name);
    while (std::fgets(line, sizeof line, status))
        if (std::strncmp(line, name, length) == 0 && line[length] == ':') value = std::atol(line + length + 1);
    std::fclose(status);
    return value;
}

// Sets the peak resident size back to the current one (Linux).
void ResetPeakResident() {
    if (std::FILE* refs = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", refs);
        std::fclose(refs);
    }
}

// Peak memory that an export adds on top of its document, for a small and a
// full document: the two should be alike.
void BM_ExportPeakMemory(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    Document document(count);
    const auto target = document.dir / "memory.csv";
    ResetPeakResident();
    const long before = StatusKiB("VmRSS");
    for (auto _ : state)
        if (ExportCsv(target, *document.doc, *document.track, CsvOptions{}).status != ExportStatus::Written)
            state.SkipWithError("export failed");
    state.counters["peak_growth_KiB"] = static_cast<double>(StatusKiB("VmHWM") - before);
}

BENCHMARK(BM_ExportPeakMemory)->Arg(1500)->Arg(RECORD_CAPACITY)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SnprintfExport)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_SnprintfRows)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_CsvRows)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();
