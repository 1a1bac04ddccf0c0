#include "export/index_export.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>

#include "io/atomic_file.h"
#include "export/export_text.h"
#include "export/file_batches.h"
#include "export/ordered_batches.h"
#include "export/track_export.h"
#include "text/fixed_format.h"
#include "text/shortest_text.h"
#include "track/gps_track.h"

namespace varnelo {

using namespace export_text;

namespace {

constexpr std::string_view LINE_END = "\r\n";
constexpr std::size_t NUMBER_MAX = std::max(SHORTEST_TEXT_MAX, DOUBLE_FIXED_TEXT_MAX) + 1;
// The fixed part of a row or feature: names, punctuation, time and numbers.
constexpr std::size_t FIXED_TEXT_MAX = 512 + 12 * NUMBER_MAX;

char* AppendFixed(char* out, double value, int decimals) { return AppendUnsignedZero(out, value, decimals); }

// Shortest text, or nothing for a value that is not finite. A zero is
// written unsigned: "-0" reads as a value of its own to many programs.
template <class Number>
char* AppendCsvNumber(char* out, Number value) {
    return std::isfinite(value) ? FormatShortest(out, value == 0 ? Number(0) : value) : out;
}

// A field of the sentence that it did not carry is left empty.
template <class Number>
char* AppendCsvField(char* out, Number value, bool given) {
    return given ? AppendCsvNumber(out, value) : out;
}

// JSON has no non-finite numbers: those are null. A whole number keeps a
// ".0", so that a GIS reader types the property as real in every file.
template <class Number>
char* AppendJsonNumber(char* out, Number value) {
    if (!std::isfinite(value)) return Append(out, "null");
    char* const begin = out;
    out = FormatShortest(out, value == 0 ? Number(0) : value);
    if (std::find_if(begin, out, [](char c) { return c == '.' || c == 'e'; }) == out) out = Append(out, ".0");
    return out;
}

// What a record's sentence says, read as a new document's track would.
struct RecordPlace {
    GpsFix fix;
    std::optional<SignedPosition> position;
};

RecordPlace PlaceOf(const MeasurementRecord& record) {
    RecordPlace place;
    ParseGpsText(GpsSentenceBytes(record), place.fix);
    place.position = SignedPositionOf(record, place.fix.latitude, place.fix.longitude, place.fix.given);
    return place;
}

std::size_t IndexTextMax(const std::vector<SpectralIndex>& indices) {
    return indices.size() * (NUMBER_MAX + 32);
}

struct Layout {
    std::string_view header;
    std::string_view footer;
    std::size_t itemTextMax = 0;
    bool trimFirstByte = false;  // every item starts with a separator that the first one goes without
};

// Writes the header, the text of records 0..count-1 that `format` makes on
// every core, in record order, and the footer. `unreadable`, when given,
// says what went wrong if a record before the one it is given could not be
// read.
ExportResult WriteInOrder(const std::filesystem::path& target, const Layout& layout, int count,
                          const FormatBatch& format, const std::function<std::string(int before)>& unreadable,
                          const ExportProgress& progress) {
    AtomicFileWriter file(target);
    if (!file.open() || !file.write(layout.header)) return ExportResult{ExportStatus::Failed, file.error()};
    std::string error;
    bool written = false;
    int reported = 0;
    const TakeBatch take = [&](std::string_view text, std::size_t done) {
        const int n = static_cast<int>(done);
        if (unreadable) error = unreadable(n);
        if (!error.empty()) return false;
        if (layout.trimFirstByte && !written && !text.empty()) text.remove_prefix(1);
        written = written || !text.empty();
        if (!file.write(text)) return false;
        if (!progress || (n / PROGRESS_STEP == reported / PROGRESS_STEP && n != count)) return true;
        reported = n;
        return progress(n, count);
    };
    const BatchShape shape{static_cast<std::size_t>(count), RECORDS_PER_BATCH, RECORDS_PER_BATCH * layout.itemTextMax};
    if (!FormatInOrder(shape, format, take)) {
        if (!error.empty()) return ExportResult{ExportStatus::Failed, error};
        if (!file.error().empty()) return ExportResult{ExportStatus::Failed, file.error()};
        return ExportResult{ExportStatus::Cancelled, {}};
    }
    if (!file.write(layout.footer) || !file.commit()) return ExportResult{ExportStatus::Failed, file.error()};
    return ExportResult{ExportStatus::Written, {}};
}

// `item(out, index, record)` writes one record's text from `out` and returns
// its end; these give it the records of a document or of a data file.
template <class Item>
ExportResult Write(const std::filesystem::path& target, const Layout& layout, const CVarneloDoc& doc, Item item,
                   const ExportProgress& progress) {
    const FormatBatch format = [&](std::size_t begin, std::size_t end, char* out) {
        for (auto i = static_cast<int>(begin); i < static_cast<int>(end); ++i) out = item(out, i, doc.record(i));
        return out;
    };
    return WriteInOrder(target, layout, std::clamp(doc.recordCount(), 0, RECORD_CAPACITY), format, {}, progress);
}

template <class Item>
ExportResult Write(const std::filesystem::path& target, const Layout& layout, DataFileReader& source, Item item,
                   const ExportProgress& progress) {
    FileBatches batches(source);
    const FormatBatch format = [&](std::size_t begin, std::size_t end, char* out) {
        std::unique_ptr<MeasurementRecord[]> room;
        auto i = static_cast<int>(begin);
        for (const MeasurementRecord& record : batches.read(begin, end, room)) out = item(out, i++, record);
        return out;
    };
    return WriteInOrder(target, layout, batches.count(), format,
                        [&](int before) { return batches.unreadable(before); }, progress);
}

// --- the table ---

char* AppendTableRow(char* out, int index, const MeasurementRecord& record, const std::vector<SpectralIndex>& indices) {
    const RecordPlace place = PlaceOf(record);
    out = FormatInt(out, index);
    *out++ = ',';
    out = Append(out, RecordIsoTime(record));
    *out++ = ',';
    if (place.position) {
        out = AppendFixed(out, place.position->latitude, POSITION_DECIMALS);
        *out++ = ',';
        out = AppendFixed(out, place.position->longitude, POSITION_DECIMALS);
        *out++ = ',';
        out = AppendCsvField(out, place.fix.altitude, place.fix.has(GPS_ALTITUDE));
        *out++ = ',';
        out = AppendCsvField(out, place.fix.speed, place.fix.has(GPS_SPEED));
        *out++ = ',';
    } else {
        out = Append(out, ",,,,");
    }
    for (const float v : {record.temp_ch1(), record.temp_ch2(), record.batv()}) {
        out = AppendCsvNumber(out, v);
        *out++ = ',';
    }
    for (std::size_t i = 0; i < indices.size(); ++i) {
        if (i > 0) *out++ = ',';
        IndexValue value;
        ComputeIndices(record, std::span(&indices[i], 1), std::span(&value, 1));
        if (value) out = AppendCsvNumber(out, *value);
    }
    return Append(out, LINE_END);
}

// --- the point layer ---

std::string ProfileWavelengths() {
    std::string text = "\"profiles\":{\"x\":[";
    for (int j = 0; j < SPECTRUM_LENGTH; ++j) {
        if (j > 0) text += ',';
        text += std::to_string(WavelengthOfElement(j));
    }
    return text + "],\"y\":[";
}

constexpr std::string_view PROFILE_END = "],\"xUnit\":\"nanometers\",\"yUnit\":\"reflectance\"}";

// ",\n" and one feature; nothing for a record without a fix.
char* AppendFeature(char* out, int index, const MeasurementRecord& record, const PointLayerOptions& options,
                    const std::vector<std::string>& propertyNames, std::string_view wavelengths) {
    const RecordPlace place = PlaceOf(record);
    if (!place.position) return out;
    out = Append(out, ",\n{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":[");
    out = AppendFixed(out, place.position->longitude, POSITION_DECIMALS);
    *out++ = ',';
    out = AppendFixed(out, place.position->latitude, POSITION_DECIMALS);
    if (place.fix.has(GPS_ALTITUDE) && std::isfinite(place.fix.altitude)) {
        *out++ = ',';
        out = AppendFixed(out, place.fix.altitude, ALTITUDE_DECIMALS);
    }
    out = Append(out, "]},\"properties\":{\"record\":");
    out = FormatInt(out, index);
    out = Append(out, ",\"time\":");
    const std::string time = RecordIsoTime(record);
    if (time.empty()) {
        out = Append(out, "null");
    } else {
        *out++ = '"';
        out = Append(out, time);
        *out++ = '"';
    }
    // A field the sentence did not carry is null, like a value that is not finite.
    const auto given = [&](float value, GpsField field) {
        return place.fix.has(field) ? value : std::numeric_limits<float>::quiet_NaN();
    };
    const struct {
        std::string_view name;
        float value;
    } numbers[] = {
        {",\"speed\":", given(place.fix.speed, GPS_SPEED)},
        {",\"course\":", given(place.fix.course, GPS_COURSE)},
        {",\"altitude\":", given(place.fix.altitude, GPS_ALTITUDE)},
        {",\"temp_ch1\":", record.temp_ch1()},
        {",\"temp_ch2\":", record.temp_ch2()},
        {",\"batv\":", record.batv()},
    };
    for (const auto& n : numbers) {
        out = Append(out, n.name);
        out = AppendJsonNumber(out, n.value);
    }
    // With the profile the whole reflectance is derived anyway; the indices
    // read it there, to the same values.
    thread_local DerivedSpectra spectra;
    if (options.profiles) DeriveSpectra(record, spectra, SpectraNeeded::WithReflectance);
    for (std::size_t i = 0; i < options.indices.size(); ++i) {
        IndexValue value;
        if (options.profiles) {
            value = ComputeIndex(options.indices[i], spectra.reflectance);
        } else {
            ComputeIndices(record, std::span(&options.indices[i], 1), std::span(&value, 1));
        }
        out = Append(out, propertyNames[i]);
        out = value ? AppendJsonNumber(out, *value) : Append(out, "null");
    }
    if (options.profiles) {
        *out++ = ',';
        out = Append(out, wavelengths);
        for (std::size_t j = 0; j < spectra.reflectance.size(); ++j) {
            if (j > 0) *out++ = ',';
            const float r = spectra.reflectance[j];
            out = std::isfinite(r) ? FormatFloatFixed<PROFILE_DECIMALS>(out, r, 0) : Append(out, "null");
        }
        out = Append(out, PROFILE_END);
    }
    return Append(out, "}}");
}

}  // namespace

std::string IndexTableHeader(const IndexTableOptions& options) {
    std::string line =
        "record,time,latitude (deg),longitude (deg),altitude (m),speed (m/s),temp(CH1) (degC),temp(CH2) (degC),"
        "batv (V)";
    for (const SpectralIndex& index : options.indices) {
        line += ',';
        line += IndexName(index);
        const std::string_view unit = IndexUnit(index);
        if (!unit.empty()) line += " (" + std::string(unit) + ")";
    }
    line += LINE_END;
    return line;
}

namespace {

template <class Records>
ExportResult IndexTable(const std::filesystem::path& target, Records& records, const IndexTableOptions& options,
                        const ExportProgress& progress) {
    const std::string header = IndexTableHeader(options);
    const Layout layout{header, {}, FIXED_TEXT_MAX + IndexTextMax(options.indices), false};
    const auto row = [&](char* out, int index, const MeasurementRecord& record) {
        return AppendTableRow(out, index, record, options.indices);
    };
    return Write(target, layout, records, row, progress);
}

template <class Records>
ExportResult PointLayer(const std::filesystem::path& target, Records& records, const PointLayerOptions& options,
                        const ExportProgress& progress) {
    std::vector<std::string> propertyNames;
    for (const SpectralIndex& index : options.indices) propertyNames.push_back(",\"" + IndexName(index) + "\":");
    const std::string wavelengths = options.profiles ? ProfileWavelengths() : std::string();
    const std::size_t itemMax = FIXED_TEXT_MAX + IndexTextMax(options.indices) + wavelengths.size() +
                                (options.profiles ? SPECTRUM_LENGTH * (FLOAT_FIXED_TEXT_MAX + 1) + PROFILE_END.size() : 0);
    // Every feature comes with the separator before it; the first one's
    // comma is dropped as it is written.
    const Layout layout{"{\"type\":\"FeatureCollection\",\"features\":[", "\n]}\n", itemMax, true};
    // Records without a fix have no feature: the features are counted as made.
    std::atomic<int> features{0};
    const auto feature = [&](char* out, int index, const MeasurementRecord& record) {
        char* const end = AppendFeature(out, index, record, options, propertyNames, wavelengths);
        if (end != out) features.fetch_add(1, std::memory_order_relaxed);
        return end;
    };
    ExportResult result = Write(target, layout, records, feature, progress);
    result.items = features.load();
    return result;
}

}  // namespace

ExportResult ExportIndexTable(const std::filesystem::path& target, const CVarneloDoc& doc,
                              const IndexTableOptions& options, const ExportProgress& progress) {
    return IndexTable(target, doc, options, progress);
}

ExportResult ExportIndexTable(const std::filesystem::path& target, DataFileReader& source,
                              const IndexTableOptions& options, const ExportProgress& progress) {
    return IndexTable(target, source, options, progress);
}

ExportResult ExportPointLayer(const std::filesystem::path& target, const CVarneloDoc& doc,
                              const PointLayerOptions& options, const ExportProgress& progress) {
    return PointLayer(target, doc, options, progress);
}

ExportResult ExportPointLayer(const std::filesystem::path& target, DataFileReader& source,
                              const PointLayerOptions& options, const ExportProgress& progress) {
    return PointLayer(target, source, options, progress);
}

}  // namespace varnelo
