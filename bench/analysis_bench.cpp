// The index table and the GIS point layer of a full 15000-record data file,
// the way a user meets them: fresh processes, each round measuring in turn
// the command and its baseline.
//
// BM_IndicesInFreshProcess, ROUNDS rounds:
//   list_ms            `varnelo-cli list FULL` (start, load, one line per record)
//   dd_ms              the table's bytes copied into a file and flushed, as
//                      `dd bs=1M conv=fsync` does
//   indices_ms         `varnelo-cli indices FULL -o OUT.csv`
//   indices_vs_base    indices_ms / (list_ms + dd_ms)
//   dd_command_ms      `dd bs=1M conv=fsync` of the table's bytes, in a fresh
//                      process like list and indices
//   indices_vs_commands indices_ms / (list_ms + dd_command_ms): three
//                      commands as a user times them; the goal is 1.5 at most
// BM_PointsWithProfilesInFreshProcess, ROUNDS rounds:
//   dd_ms              the layer's bytes (about 80 MB) copied and flushed
//   points_ms          `varnelo-cli points FULL --profiles -o OUT.geojson`
//   points_vs_dd       points_ms / dd_ms; the goal is 1.5 at most
//   dd_command_ms      the same copy by `dd` in a fresh process
//   points_vs_dd_command points_ms / dd_command_ms
// BM_ResultsInFreshProcess, ROUNDS rounds, each command in turn:
//   indices_ms         `varnelo-cli indices FULL -o OUT.csv`
//   smoothed_ms        the same with --smooth sg:11:2
//   smoothing_adds     smoothed_ms / indices_ms - 1; the goal is 0.5 at most
//   bands_ms           `varnelo-cli bands FULL --sensor s2a -o OUT.csv`
//   bands_vs_indices   bands_ms / indices_ms; the goal is 1.5 at most
//   library_ms         `varnelo-cli library FULL -o OUT.sli` (.sli, .hdr, .csv)
//   dd_command_ms      `dd bs=1M conv=fsync` of the library's .sli in a fresh process
//   library_vs_dd      library_ms / dd_command_ms; the goal is 1.5 at most
// Each counter is the median of the rounds, with _min and _max beside it.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench_support.h"
#include "support/test_support.h"

namespace {

using namespace varnelo;
using namespace varnelo::bench;

struct FullFile {
    test::TempDir dir;
    std::filesystem::path file = dir / "full.vrnldata";
    FullFile() { WriteSimulatedFile(file, RECORD_CAPACITY); }
};

const FullFile& Full() {
    static const FullFile full;
    return full;
}

void BM_IndicesInFreshProcess(benchmark::State& state) {
    const FullFile& f = Full();
    const auto table = f.dir / "indices.csv";
    const auto copied = f.dir / "dd.csv";
    const auto reference = f.dir / "reference.csv";
    const std::vector<std::string> indices{test::CliPath(), "indices", f.file.string(), "-o", table.string()};
    const std::vector<std::string> list{test::CliPath(), "list", f.file.string()};
    RunChecked(state, indices);
    std::filesystem::copy_file(table, reference, std::filesystem::copy_options::overwrite_existing);
    CopyWithFsync(reference, copied);
    Samples listTime, dd, ddCommand, ours, ratio, commandRatio;
    for (auto _ : state) {
        double listed = 0, copy = 0, copyCommand = 0, made = 0;
        InTurn(
            dd.size(),
            [&] {
                listed = RunChecked(state, list).seconds;
                copy = CopyWithFsync(reference, copied);
                copyCommand = RunDd(state, reference, copied).seconds;
            },
            [&] { made = RunChecked(state, indices).seconds; });
        if (copy <= 0) state.SkipWithError("the plain copy failed");
        listTime.add(listed);
        dd.add(copy);
        ddCommand.add(copyCommand);
        ours.add(made);
        ratio.add(made / (listed + copy));
        commandRatio.add(made / (listed + copyCommand));
    }
    state.counters["csv_MB"] = static_cast<double>(std::filesystem::file_size(reference)) / 1e6;
    listTime.report(state, "list_ms", 1e3);
    dd.report(state, "dd_ms", 1e3);
    ours.report(state, "indices_ms", 1e3);
    ratio.report(state, "indices_vs_base");
    ddCommand.report(state, "dd_command_ms", 1e3);
    commandRatio.report(state, "indices_vs_commands");
}
BENCHMARK(BM_IndicesInFreshProcess)->Iterations(ROUNDS)->Unit(benchmark::kMillisecond);

void BM_PointsWithProfilesInFreshProcess(benchmark::State& state) {
    const FullFile& f = Full();
    const auto layer = f.dir / "points.geojson";
    const auto copied = f.dir / "dd.geojson";
    const auto reference = f.dir / "reference.geojson";
    const std::vector<std::string> points{test::CliPath(), "points", f.file.string(), "--profiles", "-o",
                                          layer.string()};
    RunChecked(state, points);
    std::filesystem::copy_file(layer, reference, std::filesystem::copy_options::overwrite_existing);
    CopyWithFsync(reference, copied);
    Samples dd, ddCommand, ours, ratio, commandRatio;
    for (auto _ : state) {
        double copy = 0, copyCommand = 0, made = 0;
        InTurn(
            dd.size(),
            [&] {
                copy = CopyWithFsync(reference, copied);
                copyCommand = RunDd(state, reference, copied).seconds;
            },
            [&] { made = RunChecked(state, points).seconds; });
        if (copy <= 0) state.SkipWithError("the plain copy failed");
        dd.add(copy);
        ddCommand.add(copyCommand);
        ours.add(made);
        ratio.add(made / copy);
        commandRatio.add(made / copyCommand);
    }
    state.counters["geojson_MB"] = static_cast<double>(std::filesystem::file_size(reference)) / 1e6;
    dd.report(state, "dd_ms", 1e3);
    ours.report(state, "points_ms", 1e3);
    ratio.report(state, "points_vs_dd");
    ddCommand.report(state, "dd_command_ms", 1e3);
    commandRatio.report(state, "points_vs_dd_command");
}
BENCHMARK(BM_PointsWithProfilesInFreshProcess)->Iterations(ROUNDS)->Unit(benchmark::kMillisecond);

void BM_ResultsInFreshProcess(benchmark::State& state) {
    const FullFile& f = Full();
    const std::string full = f.file.string();
    const auto library = f.dir / "results.sli";
    const auto copied = f.dir / "dd.sli";
    const std::vector<std::string> indices{test::CliPath(), "indices", full, "-o", (f.dir / "i.csv").string()};
    std::vector<std::string> smoothed = indices;
    smoothed.insert(smoothed.end(), {"--smooth", "sg:11:2"});
    const std::vector<std::string> bands{test::CliPath(), "bands", full, "--sensor", "s2a", "-o",
                                         (f.dir / "b.csv").string()};
    const std::vector<std::string> libraryCommand{test::CliPath(), "library", full, "-o", library.string()};
    RunChecked(state, libraryCommand);
    Samples plain, smooth, banded, made, ddCommand, smoothAdds, bandsRatio, libraryRatio;
    for (auto _ : state) {
        const double i = RunChecked(state, indices).seconds;
        const double s = RunChecked(state, smoothed).seconds;
        const double b = RunChecked(state, bands).seconds;
        double l = 0, d = 0;
        InTurn(
            made.size(), [&] { d = RunDd(state, library, copied).seconds; },
            [&] { l = RunChecked(state, libraryCommand).seconds; });
        plain.add(i);
        smooth.add(s);
        banded.add(b);
        made.add(l);
        ddCommand.add(d);
        smoothAdds.add(s / i - 1.0);
        bandsRatio.add(b / i);
        libraryRatio.add(l / d);
    }
    plain.report(state, "indices_ms", 1e3);
    smooth.report(state, "smoothed_ms", 1e3);
    smoothAdds.report(state, "smoothing_adds");
    banded.report(state, "bands_ms", 1e3);
    bandsRatio.report(state, "bands_vs_indices");
    made.report(state, "library_ms", 1e3);
    ddCommand.report(state, "dd_command_ms", 1e3);
    libraryRatio.report(state, "library_vs_dd");
}
BENCHMARK(BM_ResultsInFreshProcess)->Iterations(ROUNDS)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
