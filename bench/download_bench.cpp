// `varnelo-cli download` of 15000 records from the simulated logger over a
// pseudo-terminal, in a fresh process, against plain baselines measured in
// the same round:
//   exchange: the bare poll/read exchanges with plain read/write calls, no
//             Qt, no document, no file: the cost of the protocol itself
//             (the baseline of the goal); like the download, a fresh
//             process (this program started again) timed from start to exit;
//   keeping:  the same loop, also a fresh process, keeping every record
//             where it arrived, in fresh memory as a plain program's buffer
//             is, and writing them to a file at the end: what a download
//             cannot do without;
//   loop:     the bare exchanges inside this long-lived process, timed from
//             the first request to the last reply;
//   raw:      the same number of bytes pushed through a pseudo-terminal pair
//             as one stream, no protocol.
// DOWNLOAD_ROUNDS rounds; counters are medians with _min and _max beside them:
//   exchange_ms, keeping_ms, loop_ms,  the five times
//   download_ms, raw_ms
//   download_vs_exchange               per round; the goal is 0.95 at least
//   download_vs_keeping                per round
//   download_vs_loop                   per round
//   download_vs_raw                    per round
//   cpu_us_per_record                  the download's user and system time per
//                                      record: waiting costs none, so a busy
//                                      wait would show here
//   exchange_cpu_us_per_record         the same for the bare exchanges
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "data/layout.h"
#include "support/simulator_process.h"
#include "support/test_support.h"

namespace {

using namespace varnelo;
using bench::Clock;

constexpr int RECORDS = RECORD_CAPACITY;
constexpr std::size_t BYTES = static_cast<std::size_t>(RECORDS) * BLOCK_SIZE;


void MakeRaw(int fd) {
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
}

bool ReadExactly(int fd, std::uint8_t* buffer, std::size_t n) {
    std::size_t got = 0;
    pollfd p{fd, POLLIN, 0};
    while (got < n) {
        if (::poll(&p, 1, 2000) <= 0) return false;
        const ssize_t r = ::read(fd, buffer + got, n - got);
        if (r <= 0) return false;
        got += static_cast<std::size_t>(r);
    }
    return true;
}

// The same bytes as a download, streamed through a fresh pair.
double RawPtySeconds() {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ::grantpt(master);
    ::unlockpt(master);
    const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    MakeRaw(slave);
    const auto start = Clock::now();
    std::thread writer([&] {
        std::vector<std::uint8_t> block(BLOCK_SIZE, 0x5A);
        for (int i = 0; i < RECORDS; ++i) {
            std::size_t sent = 0;
            while (sent < block.size()) {
                const ssize_t n = ::write(master, block.data() + sent, block.size() - sent);
                if (n > 0) sent += static_cast<std::size_t>(n);
            }
        }
    });
    std::vector<std::uint8_t> buffer(64 * 1024);
    std::size_t got = 0;
    while (got < BYTES) {
        const ssize_t n = ::read(slave, buffer.data(), buffer.size());
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    writer.join();
    const double seconds = bench::SecondsSince(start);
    ::close(slave);
    ::close(master);
    return seconds;
}

// Every record's two exchanges with plain system calls, each record read
// into one reused buffer or, given a file, kept and written there at the end.
double BareExchangeSeconds(const std::string& port, const std::filesystem::path& keptIn = {}) {
    const int fd = ::open(port.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) throw std::runtime_error("cannot open " + port);
    MakeRaw(fd);
    const bool keeping = !keptIn.empty();
    // Not value-initialised: the pages come fresh from the system when first written.
    const std::unique_ptr<std::uint8_t[]> records(new std::uint8_t[keeping ? BYTES : BLOCK_SIZE]);
    const auto start = Clock::now();
    for (int i = 0; i < RECORDS; ++i) {
        const std::uint8_t select[8] = {0x8C, 0x00, 0x04, 0x00, static_cast<std::uint8_t>(i),
                                        static_cast<std::uint8_t>(i >> 8), 0x00, 0x00};
        const std::uint8_t read[4] = {0x10, 0x00, 0x48, 0x1A};
        std::uint8_t ack[2];
        if (::write(fd, select, sizeof select) != sizeof select || !ReadExactly(fd, ack, 2) ||
            ::write(fd, read, sizeof read) != sizeof read ||
            !ReadExactly(fd, records.get() + (keeping ? BLOCK_SIZE * static_cast<std::size_t>(i) : 0), BLOCK_SIZE)) {
            throw std::runtime_error("the bare exchange failed at record " + std::to_string(i));
        }
    }
    if (keeping) {
        const int out = ::open(keptIn.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::size_t written = 0;
        while (out >= 0 && written < BYTES) {
            const ssize_t n = ::write(out, records.get() + written, BYTES - written);
            if (n <= 0) break;
            written += static_cast<std::size_t>(n);
        }
        if (out < 0 || written < BYTES || ::fsync(out) != 0 || ::close(out) != 0)
            throw std::runtime_error("cannot write " + keptIn.string());
    }
    const double seconds = bench::SecondsSince(start);
    ::close(fd);
    return seconds;
}

std::filesystem::path OutputFile() {
    // Kept off the disk where possible, so the file system does not weigh in.
    const std::filesystem::path shm = "/dev/shm";
    const auto folder = std::filesystem::exists(shm) ? shm : std::filesystem::temp_directory_path();
    return folder / ("varnelo-download-bench-" + std::to_string(::getpid()) + ".vrnldata");
}

// The bare exchanges as a program of their own: this one, started again.
constexpr const char* BARE_EXCHANGES = "--bare-exchanges";

std::vector<std::string> BareExchangeProgram(const std::string& port, const std::filesystem::path& keptIn = {}) {
    std::vector<std::string> arguments{std::filesystem::read_symlink("/proc/self/exe").string(), BARE_EXCHANGES, port};
    if (!keptIn.empty()) arguments.push_back(keptIn.string());
    return arguments;
}

// More rounds than the other benchmarks: one round of the simulated logger
// differs from the next by far more than the difference measured.
constexpr int DOWNLOAD_ROUNDS = 11;

void BM_DownloadAgainstBareExchanges(benchmark::State& state) {
    test::SimulatorProcess simulator({"--records", std::to_string(RECORDS)});
    const auto file = OutputFile();
    const std::vector<std::string> download{test::CliPath(), "download", "--port", simulator.port(), "-o", file.string()};
    const auto keptIn = file.parent_path() / ("kept-" + file.filename().string());
    const std::vector<std::string> bareProgram = BareExchangeProgram(simulator.port());
    const std::vector<std::string> keepingProgram = BareExchangeProgram(simulator.port(), keptIn);
    bench::Samples exchange, keeping, loop, cli, raw, vsExchange, vsKeeping, vsLoop, vsRaw, cpu, exchangeCpu;
    for (auto _ : state) {
        bench::ProcessRun bare, run;
        bench::InTurn(
            exchange.size(), [&] { bare = bench::RunChecked(state, bareProgram); },
            [&] {
                // A new file each time, as the loop that keeps its records
                // writes: replacing the last round's would add freeing it.
                std::filesystem::remove(file);
                run = bench::RunChecked(state, download);
            });
        const double kept = bench::RunChecked(state, keepingProgram).seconds;
        std::filesystem::remove(keptIn);
        const double inHere = BareExchangeSeconds(simulator.port());
        const double stream = RawPtySeconds();
        exchange.add(bare.seconds);
        keeping.add(kept);
        loop.add(inHere);
        cli.add(run.seconds);
        raw.add(stream);
        vsExchange.add(bare.seconds / run.seconds);
        vsKeeping.add(kept / run.seconds);
        vsLoop.add(inHere / run.seconds);
        vsRaw.add(stream / run.seconds);
        cpu.add(run.cpuSeconds / RECORDS);
        exchangeCpu.add(bare.cpuSeconds / RECORDS);
    }
    std::filesystem::remove(file);
    exchange.report(state, "exchange_ms", 1e3);
    keeping.report(state, "keeping_ms", 1e3);
    loop.report(state, "loop_ms", 1e3);
    cli.report(state, "download_ms", 1e3);
    raw.report(state, "raw_ms", 1e3);
    vsExchange.report(state, "download_vs_exchange");
    vsKeeping.report(state, "download_vs_keeping");
    vsLoop.report(state, "download_vs_loop");
    vsRaw.report(state, "download_vs_raw");
    cpu.report(state, "cpu_us_per_record", 1e6);
    exchangeCpu.report(state, "exchange_cpu_us_per_record", 1e6);
}
BENCHMARK(BM_DownloadAgainstBareExchanges)->Iterations(DOWNLOAD_ROUNDS)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == BARE_EXCHANGES) {
        try {
            BareExchangeSeconds(argv[2], argc >= 4 ? std::filesystem::path(argv[3]) : std::filesystem::path());
            return 0;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
