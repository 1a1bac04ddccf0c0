// The index table, the point layer and the band table of fuzzed records:
// whole record bytes (GPS text, temperatures, battery, spectra, clock)
// with NaN, infinite and huge floats mixed in, under any index list
// (nd:A:B of any A and B), smoothing and grouping. Each file must keep its
// shape (a row per record or group with the header's fields, JSON that
// parses, a feature per fix) and no row may outgrow its room, which the
// writers' own checks and AddressSanitizer both watch.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "export/index_export.h"
#include "file_shape_check.h"
#include "fuzz_check.h"
#include "track/gps_track.h"

namespace {

using namespace varnelo;

constexpr int MAX_RECORDS = 12;

const float SPECIAL_FLOATS[] = {std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::quiet_NaN(),
                                std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                                std::numeric_limits<float>::max(),      -std::numeric_limits<float>::max(),
                                std::numeric_limits<float>::denorm_min(), -0.0f, 1e-30f, 12345.678f};

void FillRecord(FuzzedDataProvider& input, MeasurementRecord& record) {
    std::uint8_t* const bytes = record.at(0);
    std::memset(bytes, 0, BLOCK_SIZE);
    // The GPS text and the clock first, so that even short inputs give
    // them; then the head (temperatures, battery) and the spectra.
    const std::vector<std::uint8_t> gps = input.ConsumeBytes<std::uint8_t>(BLOCK_SIZE - record_offset::GPS_TEXT);
    std::copy(gps.begin(), gps.end(), bytes + record_offset::GPS_TEXT);
    const std::vector<std::uint8_t> clock = input.ConsumeBytes<std::uint8_t>(record_offset::SECOND + 2 - record_offset::YEAR);
    std::copy(clock.begin(), clock.end(), bytes + record_offset::YEAR);
    const std::vector<std::uint8_t> rest = input.ConsumeBytes<std::uint8_t>(record_offset::YEAR);
    std::copy(rest.begin(), rest.end(), bytes);
    for (const std::size_t at : {record_offset::TEMP_CH1, record_offset::TEMP_CH2, record_offset::BATV}) {
        if (input.ConsumeBool()) {
            const float v = input.PickValueInArray(SPECIAL_FLOATS);
            std::memcpy(bytes + at, &v, sizeof v);
        }
    }
}

std::vector<SpectralIndex> Indices(FuzzedDataProvider& input) {
    std::vector<SpectralIndex> indices;
    const int n = input.ConsumeIntegralInRange(0, 6);
    std::string error;
    for (int i = 0; i < n; ++i) {
        const int kind = input.ConsumeIntegralInRange(0, 4);
        if (kind < 4) {
            indices.push_back(DefaultIndices()[static_cast<std::size_t>(kind)]);
            continue;
        }
        const std::string name = "nd:" + std::to_string(input.ConsumeIntegralInRange(-2000, 2000)) + ":" +
                                 std::to_string(input.ConsumeIntegral<int>());
        if (const std::optional<SpectralIndex> index = ParseIndexName(name, error)) indices.push_back(*index);
    }
    return indices;
}

RowStages Stages(FuzzedDataProvider& input) {
    RowStages stages;
    std::string error;
    if (input.ConsumeBool()) {
        const std::string text = "sg:" + std::to_string(input.ConsumeIntegralInRange(3, 53)) + ":" +
                                 std::to_string(input.ConsumeIntegralInRange(0, 52));
        stages.smoothing = ParseSmoothing(text, error);
        if (stages.smoothing) stages.smoothing->derivative = input.ConsumeBool();
    }
    if (input.ConsumeBool()) {
        const std::string text = input.ConsumeBool() ? std::to_string(input.ConsumeIntegralInRange(0, 5))
                                                     : "gap:" + std::to_string(input.ConsumeIntegralInRange(0, 100000));
        if (const std::optional<Grouping> g = ParseGrouping(text, error)) stages.grouping = *g;
    }
    stages.skyChange = input.ConsumeFloatingPointInRange(0.0, 2.0);
    return stages;
}

std::size_t Fixes(const CVarneloDoc& doc, int count) {
    std::size_t fixes = 0;
    for (int i = 0; i < count; ++i) {
        GpsFix fix;
        ParseGpsText(GpsSentenceBytes(doc.record(i)), fix);
        fixes += SignedPositionOf(doc.record(i), fix.latitude, fix.longitude, fix.given) ? 1 : 0;
    }
    return fixes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto doc = std::make_unique<CVarneloDoc>();
    // In memory where there is such a folder: each file is flushed to its disk.
    static const std::filesystem::path folder =
        std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
    static const std::string target = (folder / ("result_files_fuzz_" + std::to_string(::getpid()))).string();
    FuzzedDataProvider input(data, size);
    const int which = input.ConsumeIntegralInRange(0, 2);
    const int count = input.ConsumeIntegralInRange(0, MAX_RECORDS);
    const std::vector<SpectralIndex> indices = Indices(input);
    // The point layer's features are single records whatever grouping says.
    const RowStages stages = Stages(input);
    const bool profiles = input.ConsumeBool();
    BandSet bands;
    std::string error;
    if (which == 2) {
        bands = *BuiltInSensor(input.ConsumeBool() ? "s2a" : "l8", error);
        if (input.ConsumeBool()) LeaveOutPartialBands(bands);
        if (input.ConsumeBool())
            bands.bands.push_back(GaussianBand("G", input.ConsumeFloatingPointInRange(0.0, 2000.0),
                                               input.ConsumeFloatingPointInRange(0.1, 2000.0)));
    }
    for (int i = 0; i < count; ++i) FillRecord(input, doc->record(i));
    doc->setRecordCount(count);

    if (which == 0) {
        IndexTableOptions options;
        options.indices = indices;
        options.stages = stages;
        FUZZ_EXPECT(ExportIndexTable(target, *doc, options).status.ok());
        const std::size_t rows = fuzz::CsvRows(fuzz::ReadWhole(target));
        FUZZ_EXPECT(stages.grouping.on() ? rows <= static_cast<std::size_t>(count) : rows == static_cast<std::size_t>(count));
    } else if (which == 1) {
        PointLayerOptions options;
        options.indices = indices;
        options.stages = stages;
        options.profiles = profiles;
        const ExportResult result = ExportPointLayer(target, *doc, options);
        FUZZ_EXPECT(result.status.ok());
        FUZZ_EXPECT(static_cast<std::size_t>(result.items) == Fixes(*doc, count));
        fuzz::CheckJson(fuzz::ReadWhole(target));
    } else {
        BandTableOptions options;
        options.bands = bands;
        options.stages = stages;
        FUZZ_EXPECT(ExportBandTable(target, *doc, options).status.ok());
        const std::size_t rows = fuzz::CsvRows(fuzz::ReadWhole(target));
        FUZZ_EXPECT(stages.grouping.on() ? rows <= static_cast<std::size_t>(count) : rows == static_cast<std::size_t>(count));
    }
    return 0;
}
