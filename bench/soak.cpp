// The soak run: ROUNDS rounds (default 5) of the program's whole job on a
// simulated logger of RECORDS records (default 15000) served on a
// pseudo-terminal: connect and download over the real serial code, save,
// reopen, export the CSV in both modes, draw the charts as PNG. One session
// lives through all rounds, as in a long day at the desktop program.
// Every round's outputs must be byte-identical to the first round's, and
// each round's peak resident memory must stay within a few MiB of the first.
//
//   soak [ROUNDS] [RECORDS]
//
// Prints one line per round (seconds, peak resident MiB, outputs identical)
// and exits non-zero if an output changed or memory grew.
#include <QBuffer>
#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "charts/dialog_units.h"
#include "charts/spectrum_chart.h"
#include "charts/track_chart.h"
#include "device/connection.h"
#include "device/qt_serial_link.h"
#include "session/logger_session.h"
#include "resident_memory.h"
#include "session/session.h"
#include "support/simulator_process.h"
#include "support/test_support.h"
#include "ui/chart_surface.h"

namespace {

using namespace varnelo;
using Clock = std::chrono::steady_clock;

constexpr long GROWTH_ALLOWED_KIB = 8 * 1024;

// FNV-1a: enough to tell two outputs apart.
std::uint64_t Fingerprint(const char* data, std::size_t size, std::uint64_t hash = 0xcbf29ce484222325ull) {
    for (std::size_t i = 0; i < size; ++i) hash = (hash ^ static_cast<unsigned char>(data[i])) * 0x100000001b3ull;
    return hash;
}

std::uint64_t FileFingerprint(const std::filesystem::path& path) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return 0;
    std::vector<char> chunk(1 << 20);
    for (std::size_t n; (n = std::fread(chunk.data(), 1, chunk.size(), file)) > 0;) hash = Fingerprint(chunk.data(), n, hash);
    std::fclose(file);
    return hash;
}

std::uint64_t PngFingerprint(const ChartSurface& surface) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    surface.image().save(&buffer, "PNG");
    return Fingerprint(png.constData(), static_cast<std::size_t>(png.size()));
}

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "soak: %s\n", what.c_str());
    std::exit(1);
}

// One round; returns the fingerprints of everything it wrote.
std::vector<std::uint64_t> Round(Session& session, const std::string& port, const test::TempDir& dir, int records) {
    OpenedPort opened = OpenSerialPort(port);
    if (!opened.link) Fail(opened.status.detail);
    LoggerSession logger(session, ConnectOnce(std::move(opened.link), port));
    if (const Status report = logger.connect(); !report) Fail(report.detail);
    if (!logger.state()->failures.empty()) Fail(logger.state()->failures.front().detail);
    if (!logger.startDownload().delay) Fail("the download did not start");
    SessionStep step;
    while (logger.busy()) step = logger.step();
    if (step.kind != SessionStep::Kind::Completed || session.doc().recordCount() != records) Fail(DescribeStop(step));
    session.computeTrack();
    session.markChanged();

    std::vector<std::uint64_t> outputs;
    const auto data = dir / "logger.vrnldata";
    if (const Status saved = session.save(data); !saved) Fail(saved.detail);
    outputs.push_back(FileFingerprint(data));
    if (const Status opened = session.open(data); !opened) Fail(opened.detail);
    for (const CsvOptions options : {CsvOptions{ExportMode::TwoChannel, false}, CsvOptions{ExportMode::Reflectance, true}}) {
        const auto csv = dir / "logger.csv";
        const ExportResult result = session.exportCsv(csv, options);
        if (!result.status) Fail(result.status.detail);
        outputs.push_back(FileFingerprint(csv));
    }
    const PixelSize spectrumSize = SpectrumFrameSize();
    const PixelSize trackSize = TrackFrameSize();
    for (const int k : {0, records / 2, records - 1}) {
        ChartSurface spectrum(QSize(spectrumSize.width, spectrumSize.height));
        spectrum.draw([&](Canvas& c) { DrawSpectrumChart(c, session.doc().record(k), k % 2 == 1); });
        ChartSurface track(QSize(trackSize.width, trackSize.height));
        track.draw([&](Canvas& c) { DrawTrackChart(c, TrackChartDataOf(session.track(), records), k); });
        outputs.push_back(PngFingerprint(spectrum));
        outputs.push_back(PngFingerprint(track));
    }
    return outputs;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    const int records = argc > 2 ? std::atoi(argv[2]) : RECORD_CAPACITY;
    if (rounds < 1 || records < 1 || records > RECORD_CAPACITY) Fail("usage: soak [ROUNDS] [RECORDS 1..15000]");

    test::SimulatorProcess simulator({"--records", std::to_string(records), "--seed", "11"});
    const test::TempDir dir;
    Session session;
    std::vector<std::uint64_t> first;
    long firstPeak = 0;
    bool steady = true;
    std::printf("round  seconds  peak RSS MiB  outputs\n");
    for (int round = 1; round <= rounds; ++round) {
        bench::ResetPeakResident();
        const auto start = Clock::now();
        const std::vector<std::uint64_t> outputs = Round(session, simulator.port(), dir, records);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const long peak = bench::StatusKiB("VmHWM");
        if (round == 1) {
            first = outputs;
            firstPeak = peak;
        }
        const bool same = outputs == first;
        const bool flat = peak - firstPeak <= GROWTH_ALLOWED_KIB;
        steady = steady && same && flat;
        std::printf("%5d  %7.2f  %12.1f  %s%s\n", round, seconds, static_cast<double>(peak) / 1024.0,
                    same ? "identical" : "CHANGED", flat ? "" : "  (memory grew)");
        std::fflush(stdout);
    }
    return steady ? 0 : 1;
}
