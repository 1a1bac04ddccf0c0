// `varnelo-cli download` of 15000 records from the simulated logger over a
// pseudo-terminal, against two plain baselines measured in the same run:
//   raw:      the same number of bytes pushed through a pseudo-terminal pair
//             as one stream, no protocol;
//   exchange: the bare select/read exchanges with plain read/write calls,
//             no Qt, no document, no file: the cost of the protocol itself.
// Counters: MB/s of each, and the download's share of raw and of exchange.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>
#include <vector>

#include "data/layout.h"
#include "support/simulator_process.h"
#include "support/test_support.h"

namespace {

using namespace varnelo;
using Clock = std::chrono::steady_clock;

constexpr int RECORDS = RECORD_CAPACITY;
constexpr std::size_t BYTES = static_cast<std::size_t>(RECORDS) * BLOCK_SIZE;

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

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
    const double seconds = Seconds(start);
    ::close(slave);
    ::close(master);
    return seconds;
}

// Every record's two exchanges with plain system calls.
double BareExchangeSeconds(const std::string& port) {
    const int fd = ::open(port.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) throw std::runtime_error("cannot open " + port);
    MakeRaw(fd);
    std::vector<std::uint8_t> record(BLOCK_SIZE);
    const auto start = Clock::now();
    for (int i = 0; i < RECORDS; ++i) {
        const std::uint8_t select[8] = {0x8C, 0x00, 0x04, 0x00, static_cast<std::uint8_t>(i),
                                        static_cast<std::uint8_t>(i >> 8), 0x00, 0x00};
        const std::uint8_t read[4] = {0x10, 0x00, 0x48, 0x1A};
        std::uint8_t ack[2];
        if (::write(fd, select, sizeof select) != sizeof select || !ReadExactly(fd, ack, 2) ||
            ::write(fd, read, sizeof read) != sizeof read || !ReadExactly(fd, record.data(), record.size())) {
            throw std::runtime_error("the bare exchange failed at record " + std::to_string(i));
        }
    }
    const double seconds = Seconds(start);
    ::close(fd);
    return seconds;
}

std::filesystem::path OutputFile() {
    // Kept off the disk where possible, so the file system does not weigh in.
    const std::filesystem::path shm = "/dev/shm";
    const auto folder = std::filesystem::exists(shm) ? shm : std::filesystem::temp_directory_path();
    return folder / ("varnelo-download-bench-" + std::to_string(::getpid()) + ".vrnldata");
}

void BM_DownloadAgainstRawPty(benchmark::State& state) {
    test::SimulatorProcess simulator({"--records", std::to_string(RECORDS)});
    const auto file = OutputFile();
    double raw = 0, bare = 0, cli = 0;
    for (auto _ : state) {
        raw += RawPtySeconds();
        bare += BareExchangeSeconds(simulator.port());
        const auto start = Clock::now();
        const auto result = test::RunCli({"download", "--port", simulator.port(), "-o", file.string()});
        cli += Seconds(start);
        if (result.status != 0) state.SkipWithError(result.err.c_str());
    }
    std::filesystem::remove(file);
    const double runs = static_cast<double>(state.iterations());
    const double megabytes = static_cast<double>(BYTES) / 1e6;
    state.counters["raw_MBps"] = megabytes * runs / raw;
    state.counters["exchange_MBps"] = megabytes * runs / bare;
    state.counters["download_MBps"] = megabytes * runs / cli;
    state.counters["download_vs_raw"] = raw / cli;
    state.counters["download_vs_exchange"] = bare / cli;
}
BENCHMARK(BM_DownloadAgainstRawPty)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
