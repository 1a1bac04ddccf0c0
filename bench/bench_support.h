#pragma once
// What the benchmarks share: samples with their median and spread, programs
// timed in fresh processes, and a full data file from the simulated logger.
// Each benchmark measures its candidate and its baseline in the same round,
// one after the other, so that both meet the same machine.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/data_file.h"
#include "simulator/simulated_content.h"

extern char** environ;

namespace varnelo::bench {

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Rounds of every fresh-process benchmark; the README's figures use these.
inline constexpr int ROUNDS = 7;

class Samples {
public:
    void add(double value) { m_values.push_back(value); }
    std::size_t size() const { return m_values.size(); }
    double median() const {
        std::vector<double> sorted = m_values;
        std::sort(sorted.begin(), sorted.end());
        const std::size_t n = sorted.size();
        return n == 0 ? 0.0 : n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    }
    double min() const { return m_values.empty() ? 0.0 : *std::min_element(m_values.begin(), m_values.end()); }
    double max() const { return m_values.empty() ? 0.0 : *std::max_element(m_values.begin(), m_values.end()); }

    // name, name_min and name_max as counters, scaled (1e3 for milliseconds).
    void report(benchmark::State& state, const std::string& name, double scale = 1.0) const {
        state.counters[name] = median() * scale;
        state.counters[name + "_min"] = min() * scale;
        state.counters[name + "_max"] = max() * scale;
    }

private:
    std::vector<double> m_values;
};

// Runs a and b, a first in even rounds and b first in odd ones, so that
// neither always meets the machine as the other left it.
template <class A, class B>
void InTurn(std::size_t round, A&& a, B&& b) {
    if (round % 2 == 0) {
        a();
        b();
    } else {
        b();
        a();
    }
}

struct ProcessRun {
    int status = -1;
    double seconds = 0;     // wall time from start to exit
    double cpuSeconds = 0;  // user and system time of the process
};

// Runs a program with its output thrown away and waits for it.
inline ProcessRun RunProcess(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    ProcessRun run;
    const auto start = Clock::now();
    pid_t child = -1;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start " + arguments.front());
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    run.seconds = SecondsSince(start);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    return run;
}

// The same, failing the benchmark when the program fails.
inline ProcessRun RunChecked(benchmark::State& state, const std::vector<std::string>& arguments) {
    ProcessRun run = RunProcess(arguments);
    if (run.status != 0) state.SkipWithError((arguments.front() + " failed").c_str());
    return run;
}

// dd bs=1M conv=fsync: read a block, write it, and flush the file at the
// end. Seconds taken, or -1 when anything failed.
inline double CopyWithFsync(const std::filesystem::path& from, const std::filesystem::path& to) {
    static std::vector<char> block(1 << 20);
    const auto start = Clock::now();
    const int in = ::open(from.c_str(), O_RDONLY);
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    bool ok = in >= 0 && out >= 0;
    ssize_t n = 0;
    while (ok && (n = ::read(in, block.data(), block.size())) > 0)
        ok = ::write(out, block.data(), static_cast<std::size_t>(n)) == n;
    ok = ok && n == 0 && ::fsync(out) == 0;
    if (in >= 0) ::close(in);
    if (out >= 0) ::close(out);
    return ok ? SecondsSince(start) : -1;
}

// The commands a user would time against ours, each in a fresh process
// like ours: `cat FILE`, and `dd bs=1M conv=fsync` of one file into another.
inline ProcessRun RunCat(benchmark::State& state, const std::filesystem::path& file) {
    return RunChecked(state, {"/usr/bin/cat", file.string()});
}
inline ProcessRun RunDd(benchmark::State& state, const std::filesystem::path& from, const std::filesystem::path& to) {
    return RunChecked(state, {"/usr/bin/dd", "if=" + from.string(), "of=" + to.string(), "bs=1M", "conv=fsync",
                              "status=none"});
}

// A data file of `count` records of the simulated logger's field day.
inline void WriteSimulatedFile(const std::filesystem::path& path, int count) {
    const SimulatedContent content(count, 1);
    CVarneloDoc doc;
    doc.parameterBlock() = content.parameters();
    for (int i = 0; i < count; ++i) content.buildRecord(i, doc.record(i));
    doc.setRecordCount(count);
    if (!SaveDataFile(path, doc)) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace varnelo::bench
