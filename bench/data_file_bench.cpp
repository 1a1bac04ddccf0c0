// Loading and saving a full 15000-record data file against a plain
// std::ifstream read / std::ofstream write of the same bytes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <fstream>
#include <vector>

#include "data/data_file.h"
#include "support/test_support.h"

namespace {

using namespace varnelo;

struct FullFile {
    test::TempDir dir;
    std::filesystem::path path = dir / "full.vrnldata";
    std::uintmax_t size = DataFileSize(RECORD_CAPACITY);

    FullFile() {
        CVarneloDoc doc;
        for (int i = 0; i < RECORD_CAPACITY; ++i) doc.record(i) = test::PatternRecord(static_cast<std::uint32_t>(i % 97));
        doc.setRecordCount(RECORD_CAPACITY);
        if (SaveDataFile(path, doc)) std::abort();
    }
};

FullFile& File() {
    static FullFile file;
    return file;
}

void BM_PlainRead(benchmark::State& state) {
    std::vector<char> buffer(File().size);
    for (auto _ : state) {
        std::ifstream in(File().path, std::ios::binary);
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * File().size));
}

void BM_LoadDataFile(benchmark::State& state) {
    CVarneloDoc doc;
    for (auto _ : state) {
        if (LoadDataFile(File().path, doc)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(doc.recordCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * File().size));
}

void PlainWrite(benchmark::State& state, bool sync) {
    std::vector<char> buffer(File().size, 'x');
    const auto target = File().dir / "plain.out";
    for (auto _ : state) {
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        out.close();
        if (sync) ::sync();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * File().size));
}

void BM_PlainWrite(benchmark::State& state) { PlainWrite(state, false); }
void BM_PlainWriteThenSync(benchmark::State& state) { PlainWrite(state, true); }

void BM_SaveDataFile(benchmark::State& state) {
    CVarneloDoc doc;
    if (LoadDataFile(File().path, doc)) std::abort();
    const auto target = File().dir / "saved.vrnldata";
    for (auto _ : state) {
        if (SaveDataFile(target, doc)) state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * File().size));
}

BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_LoadDataFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PlainWriteThenSync)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_SaveDataFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
