// `varnelo-cli download --append` of the logger's 10 newest records to a file
// of the 14990 before them (15000 in all: the capacity), against a full
// download of the 15000 records, both fresh processes over the same
// simulated logger on a pseudo-terminal, taking turns in each round.
// Counters, medians with _min and _max:
//   append_ms, download_ms       the two commands from start to exit
//   append_vs_download           per round; the goal is 0.03 at most
//   append_commands              commands on the wire for one append: the
//                                connection's 5, the check's 2 (select and
//                                read of record k-1), 2 per new record
// In-process, the writing alone: extending a 14990-record file by 10 records
// against saving the 15000-record document (write_ms, save_ms, write_vs_save).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "bench_support.h"
#include "data/data_file_append.h"
#include "support/simulator_process.h"
#include "support/test_support.h"

namespace {

using namespace varnelo;

constexpr int NEW = 10;
constexpr int HELD = RECORD_CAPACITY - NEW;
constexpr int ROUNDS = 11;  // as the download's: one round of the simulated logger differs from the next

std::filesystem::path Folder() {
    // Where the download benchmark writes: off the disk where possible,
    // unless VARNELO_BENCH_DIR names a folder on the file system to measure.
    const std::filesystem::path shm = "/dev/shm";
    const char* asked = std::getenv("VARNELO_BENCH_DIR");
    const auto base = asked ? std::filesystem::path(asked)
                            : std::filesystem::exists(shm) ? shm : std::filesystem::temp_directory_path();
    const auto folder = base / ("varnelo-append-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    return folder;
}

long Lines(const std::filesystem::path& path) {
    std::ifstream in(path);
    long n = 0;
    for (std::string line; std::getline(in, line);) ++n;
    return n;
}

void BM_AppendTenAgainstFullDownload(benchmark::State& state) {
    const auto folder = Folder();
    const auto held = folder / "held.vrnldata", target = folder / "day.vrnldata", full = folder / "full.vrnldata";
    const auto wire = folder / "wire.log";
    bench::WriteSimulatedFile(held, HELD);
    test::SimulatorProcess simulator({"--records", std::to_string(RECORD_CAPACITY), "--wire-log", wire.string()});
    const std::vector<std::string> append{test::CliPath(), "download", "--append", target.string(), "--port",
                                          simulator.port()};
    const std::vector<std::string> download{test::CliPath(), "download", "--port", simulator.port(), "-o",
                                            full.string()};
    bench::Samples appendTime, downloadTime, ratio, commands;
    for (auto _ : state) {
        bench::ProcessRun appended, downloaded;
        std::filesystem::copy_file(held, target, std::filesystem::copy_options::overwrite_existing);
        std::filesystem::remove(full);
        long before = 0, after = 0;
        bench::InTurn(
            appendTime.size(),
            [&] {
                before = Lines(wire);
                appended = bench::RunChecked(state, append);
                after = Lines(wire);
            },
            [&] { downloaded = bench::RunChecked(state, download); });
        if (std::filesystem::file_size(target) != DataFileSize(RECORD_CAPACITY)) state.SkipWithError("nothing appended");
        appendTime.add(appended.seconds);
        downloadTime.add(downloaded.seconds);
        ratio.add(appended.seconds / downloaded.seconds);
        commands.add(static_cast<double>(after - before));
    }
    appendTime.report(state, "append_ms", 1e3);
    downloadTime.report(state, "download_ms", 1e3);
    ratio.report(state, "append_vs_download");
    commands.report(state, "append_commands");
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_AppendTenAgainstFullDownload)->Iterations(ROUNDS)->Unit(benchmark::kMillisecond);

// The same 10 new records after 1000 and after 14990: an append in place
// costs the new records, not the file (small_vs_full: the goal is 0.8..1.2).
void BM_AppendTenBySize(benchmark::State& state) {
    constexpr int SMALL = 1000;
    const auto folder = Folder();
    const auto smallHeld = folder / "small-held.vrnldata", fullHeld = folder / "full-held.vrnldata";
    const auto small = folder / "small.vrnldata", full = folder / "full.vrnldata";
    bench::WriteSimulatedFile(smallHeld, SMALL);
    bench::WriteSimulatedFile(fullHeld, HELD);
    test::SimulatorProcess smallLogger({"--records", std::to_string(SMALL + NEW)});
    test::SimulatorProcess fullLogger({"--records", std::to_string(RECORD_CAPACITY)});
    const auto command = [](const std::filesystem::path& file, const test::SimulatorProcess& logger) {
        return std::vector<std::string>{test::CliPath(), "download", "--append", file.string(), "--port", logger.port()};
    };
    bench::Samples smallTime, fullTime, ratio;
    for (auto _ : state) {
        std::filesystem::copy_file(smallHeld, small, std::filesystem::copy_options::overwrite_existing);
        std::filesystem::copy_file(fullHeld, full, std::filesystem::copy_options::overwrite_existing);
        bench::ProcessRun a, b;
        bench::InTurn(
            smallTime.size(), [&] { a = bench::RunChecked(state, command(small, smallLogger)); },
            [&] { b = bench::RunChecked(state, command(full, fullLogger)); });
        if (std::filesystem::file_size(small) != DataFileSize(SMALL + NEW)) state.SkipWithError("nothing appended");
        smallTime.add(a.seconds);
        fullTime.add(b.seconds);
        ratio.add(a.seconds / b.seconds);
    }
    smallTime.report(state, "small_ms", 1e3);
    fullTime.report(state, "full_ms", 1e3);
    ratio.report(state, "small_vs_full");
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_AppendTenBySize)->Iterations(ROUNDS)->Unit(benchmark::kMillisecond);

void BM_WriteExtendedFileAgainstSave(benchmark::State& state) {
    const auto folder = Folder();
    const auto held = folder / "held.vrnldata", target = folder / "day.vrnldata", saved = folder / "saved.vrnldata";
    bench::WriteSimulatedFile(held, HELD);
    auto doc = std::make_unique<CVarneloDoc>();
    const SimulatedContent content(RECORD_CAPACITY, 1);
    doc->parameterBlock() = content.parameters();
    for (int i = 0; i < RECORD_CAPACITY; ++i) content.buildRecord(i, doc->record(i));
    doc->setRecordCount(RECORD_CAPACITY);
    bench::Samples write, save, ratio;
    for (auto _ : state) {
        std::filesystem::copy_file(held, target, std::filesystem::copy_options::overwrite_existing);
        std::filesystem::copy_file(held, saved, std::filesystem::copy_options::overwrite_existing);
        double w = 0, s = 0;
        bench::InTurn(
            write.size(),
            [&] {
                LockedDataFile file;
                const auto start = bench::Clock::now();
                if (!file.open(target) || !file.append(*doc, RECORD_CAPACITY).status) state.SkipWithError("append failed");
                w = bench::SecondsSince(start);
            },
            [&] {
                const auto start = bench::Clock::now();
                if (!SaveDataFile(saved, *doc)) state.SkipWithError("save failed");
                s = bench::SecondsSince(start);
            });
        write.add(w);
        save.add(s);
        ratio.add(w / s);
    }
    write.report(state, "write_ms", 1e3);
    save.report(state, "save_ms", 1e3);
    ratio.report(state, "write_vs_save");
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_WriteExtendedFileAgainstSave)->Iterations(bench::ROUNDS)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
