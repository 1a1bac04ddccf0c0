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
//   list_vs_read   list_full_ms / read_ms of the round: the whole command
//                  against cat's reading alone
//   cat_ms         `cat FULL` in a fresh process, as a user times it
//   list_vs_cat    list_full_ms / cat_ms of the round: both commands from
//                  start to exit; the file is read in one piece into fresh
//                  memory, and a faster way of opening must buy its
//                  complexity where this is above 3.5
// Each counter is the median of the rounds, with _min and _max beside it.
//
// In-process: a cold load into a document whose memory was never touched,
// against a plain read into a reused buffer; saving against a plain write.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <vector>

#include "bench_support.h"
#include "support/test_support.h"

namespace {

using namespace varnelo;
using namespace varnelo::bench;

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

void BM_OpenInFreshProcess(benchmark::State& state) {
    const Files& files = TheFiles();
    const std::string cli = test::CliPath();
    Samples read, cat, listEmpty, listFull, open, ratio, listRatio, catRatio;
    for (auto _ : state) {
        const double r = ReadLikeCat(files.full);
        const double c = RunCat(state, files.full).seconds;
        const double e = RunChecked(state, {cli, "list", files.empty.string()}).seconds;
        const double f = RunChecked(state, {cli, "list", files.full.string()}).seconds;
        read.add(r);
        listEmpty.add(e);
        listFull.add(f);
        open.add(f - e);
        ratio.add((f - e) / r);
        listRatio.add(f / r);
        cat.add(c);
        catRatio.add(f / c);
    }
    read.report(state, "read_ms", 1e3);
    cat.report(state, "cat_ms", 1e3);
    listEmpty.report(state, "list_empty_ms", 1e3);
    listFull.report(state, "list_full_ms", 1e3);
    open.report(state, "open_ms", 1e3);
    ratio.report(state, "open_vs_read");
    listRatio.report(state, "list_vs_read");
    catRatio.report(state, "list_vs_cat");
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
        if (!LoadDataFile(TheFiles().full, *doc)) state.SkipWithError("load failed");
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
    if (!LoadDataFile(TheFiles().full, *doc)) std::abort();
    const auto target = TheFiles().dir / "saved.vrnldata";
    for (auto _ : state) {
        if (!SaveDataFile(target, *doc)) state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * TheFiles().size));
}
BENCHMARK(BM_SaveDataFile)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
