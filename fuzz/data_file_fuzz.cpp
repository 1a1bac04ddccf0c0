// Any bytes as a data file. Loading either refuses them and leaves the
// document exactly as it was, or takes them whole; what it took then goes
// through everything that reads a document (track, CSV rows of every layout,
// track files, both charts) and saves back to the same bytes.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "charts/dialog_units.h"
#include "charts/spectrum_chart.h"
#include "charts/track_chart.h"
#include "data/data_file.h"
#include "export/csv_export.h"
#include "export/track_export.h"
#include "fuzz_check.h"
#include "null_canvas.h"
#include "track/gps_track.h"

namespace {

using namespace varnelo;
namespace fs = std::filesystem;

// The state the document is put in before each load, to tell a refusal
// that touched nothing from one that did.
constexpr std::uint8_t BEFORE = 0xC3;
constexpr int COUNT_BEFORE = 1;

struct Fixture {
    int input = -1;
    fs::path inputPath;
    fs::path saved;
    std::unique_ptr<CVarneloDoc> doc = std::make_unique<CVarneloDoc>();
    std::unique_ptr<GpsTrack> track = std::make_unique<GpsTrack>();

    Fixture() {
        input = ::memfd_create("varnelo-fuzz-input", 0);
        FUZZ_EXPECT(input >= 0);
        inputPath = "/proc/self/fd/" + std::to_string(input);
        const fs::path shm = "/dev/shm";
        saved = (fs::exists(shm) ? shm : fs::temp_directory_path()) /
                ("varnelo-fuzz-" + std::to_string(::getpid()) + ".vrnldata");
    }
};

Fixture& TheFixture() {
    static Fixture fixture;
    return fixture;
}

void Prepare(CVarneloDoc& doc) {
    doc.parameterBlock().bytes.fill(BEFORE);
    doc.record(0).bytes.fill(BEFORE);
    doc.setRecordCount(COUNT_BEFORE);
}

bool Untouched(const CVarneloDoc& doc) {
    const auto same = [](const MeasurementRecord& r) {
        for (std::uint8_t b : r.bytes) {
            if (b != BEFORE) return false;
        }
        return true;
    };
    return doc.recordCount() == COUNT_BEFORE && same(doc.parameterBlock()) && same(doc.record(0));
}

void ReadEverything(const CVarneloDoc& doc, GpsTrack& track) {
    const int count = doc.recordCount();
    ComputeTrack(doc, count, track);
    for (const ExportMode mode : {ExportMode::TwoChannel, ExportMode::Reflectance}) {
        for (const bool limit : {false, true}) {
            const CsvOptions options{mode, limit};
            CsvRowFormatter rows(options);
            const std::size_t columns = 11 + static_cast<std::size_t>(ExportWindow(limit).count()) *
                                                 (mode == ExportMode::TwoChannel ? 2 : 1);
            for (int i = 0; i < count; ++i) {
                const std::string_view row = rows.Row(doc.record(i), track, i);
                // Every field, the label's two included, ends with a comma.
                FUZZ_EXPECT(static_cast<std::size_t>(std::count(row.begin(), row.end(), ',')) == columns);
                FUZZ_EXPECT(row.ends_with(",\r\n"));
            }
        }
    }
    const std::vector<TrackPoint> points = TrackPoints(doc, track);
    FUZZ_EXPECT(points.size() <= static_cast<std::size_t>(count));
    FUZZ_EXPECT(!GpxText(points).empty() && !GeoJsonText(points).empty());

    const PixelSize spectrumSize = SpectrumFrameSize();
    const PixelSize trackSize = TrackFrameSize();
    for (int k = 0; k < count; ++k) {
        fuzz::NullCanvas spectrum({0, 0, spectrumSize.width, spectrumSize.height});
        DrawSpectrumChart(spectrum, doc.record(k), k % 2 == 1);
        fuzz::NullCanvas chart({0, 0, trackSize.width, trackSize.height});
        DrawTrackChart(chart, TrackChartDataOf(track, count), k);
    }
}

std::vector<std::uint8_t> FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fixture& f = TheFixture();
    FUZZ_EXPECT(::ftruncate(f.input, 0) == 0);
    FUZZ_EXPECT(size == 0 || ::pwrite(f.input, data, size, 0) == static_cast<ssize_t>(size));

    CVarneloDoc& doc = *f.doc;
    Prepare(doc);
    const Status outcome = LoadDataFile(f.inputPath, doc);
    if (!outcome) {
        FUZZ_EXPECT(outcome.kind == Status::Kind::UnexpectedFormat);
        FUZZ_EXPECT(Untouched(doc));
        return 0;
    }
    if (size == 0) {
        FUZZ_EXPECT(Untouched(doc));
        return 0;
    }

    const int count = doc.recordCount();
    FUZZ_EXPECT(count >= 0 && count <= RECORD_CAPACITY);
    FUZZ_EXPECT(size >= DataFileSize(count));
    FUZZ_EXPECT(std::memcmp(doc.parameterBlock().bytes.data(), data, BLOCK_SIZE) == 0);
    for (int i = 0; i < count; ++i) {
        FUZZ_EXPECT(std::memcmp(doc.record(i).bytes.data(), data + DataFileSize(i), BLOCK_SIZE) == 0);
    }

    ReadEverything(doc, *f.track);

    FUZZ_EXPECT(SaveDataFile(f.saved, doc).ok());
    const std::vector<std::uint8_t> saved = FileBytes(f.saved);
    FUZZ_EXPECT(saved.size() == DataFileSize(count) && std::memcmp(saved.data(), data, saved.size()) == 0);
    return 0;
}
