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
#include <tuple>

#include "io/atomic_file.h"
#include "io/file_set.h"
#include "export/clock_offset.h"
#include "export/export_text.h"
#include "export/file_batches.h"
#include "export/ordered_batches.h"
#include "export/profile_style.h"
#include "export/record_rows.h"
#include "export/track_export.h"
#include "text/fixed_format.h"
#include "text/shortest_text.h"
#include "track/gps_track.h"

namespace varnelo {

using namespace export_text;

namespace {

constexpr std::string_view LINE_END = "\r\n";
constexpr std::string_view NULL_TEXT = "null";
constexpr std::string_view WHOLE_MARK = ".0";

// The room of each kind of field, the separator after it included. A fixed
// position may use all of its room as it is made.
constexpr std::size_t INT_FIELD = INT32_TEXT_MAX + 1;
constexpr std::size_t TIME_FIELD = OFFSET_ISO_TIME_MAX + 1;
constexpr std::size_t POSITION_FIELD = DOUBLE_FIXED_TEXT_MAX + 1;
constexpr std::size_t CSV_NUMBER_FIELD = SHORTEST_TEXT_MAX + 1;
constexpr std::size_t QUALITY_MAX = QualityTextMax();
constexpr std::size_t JSON_NUMBER_MAX = std::max(SHORTEST_TEXT_MAX + WHOLE_MARK.size(), NULL_TEXT.size());
// The sun's zenith and azimuth, each with its separator, in a table.
constexpr std::size_t SUN_FIELDS = 2 * POSITION_FIELD;
constexpr std::string_view SUN_NAMES[] = {",\"sun_zenith\":", ",\"sun_azimuth\":"};

// record,time,latitude,longitude,altitude,speed,temp_ch1,temp_ch2,batv, the
// indices, qc and the line end.
constexpr std::size_t TableRowMax(std::size_t indices) {
    return SUN_FIELDS + INT_FIELD + TIME_FIELD + 2 * POSITION_FIELD + 5 * CSV_NUMBER_FIELD + indices * CSV_NUMBER_FIELD +
           QUALITY_MAX + LINE_END.size();
}

// first,last,n,time,latitude,longitude: a group's start.
constexpr std::size_t GROUP_START_MAX = 3 * INT_FIELD + TIME_FIELD + 2 * POSITION_FIELD;

// The group's start, five means, the indices, qc and the line end.
constexpr std::size_t GroupRowMax(std::size_t indices) {
    return SUN_FIELDS + GROUP_START_MAX + 5 * CSV_NUMBER_FIELD + indices * CSV_NUMBER_FIELD + QUALITY_MAX + LINE_END.size();
}

// A record's or group's start, qc, each band with the comma before it and
// its coverage beside it, and the line end.
constexpr std::size_t BandRowMax(std::size_t bands) {
    return SUN_FIELDS + std::max(GROUP_START_MAX, INT_FIELD + TIME_FIELD + 2 * POSITION_FIELD) + QUALITY_MAX +
           bands * 2 * CSV_NUMBER_FIELD + LINE_END.size();
}

// A feature's texts, in the order it writes them.
constexpr std::string_view FEATURE_START = ",\n{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":[";
constexpr std::string_view PROPERTIES_START = "]},\"properties\":{\"record\":";
constexpr std::string_view TIME_NAME = ",\"time\":";
constexpr std::string_view NUMBER_NAMES[] = {",\"speed\":",    ",\"course\":",   ",\"altitude\":",
                                             ",\"temp_ch1\":", ",\"temp_ch2\":", ",\"batv\":"};
constexpr std::string_view QUALITY_NAME = ",\"qc\":\"";
constexpr std::string_view FEATURE_END = "}}";
constexpr std::string_view PROFILE_END = "],\"xUnit\":\"nanometers\",\"yUnit\":\"reflectance\"}";
// A derivative's values are a few thousandths per nm: four decimals would
// lose them, so they are written in full.
constexpr std::string_view DERIVATIVE_PROFILE_END = "],\"xUnit\":\"nanometers\",\"yUnit\":\"reflectance per nm\"}";

// Everything of a feature but its index properties and profile: the
// coordinates (with altitude), record, time, the numbers and qc.
constexpr std::size_t FeatureFixedMax() {
    std::size_t size = TextsSize({FEATURE_START, PROPERTIES_START, TIME_NAME, QUALITY_NAME, FEATURE_END});
    size += 3 * POSITION_FIELD + INT32_TEXT_MAX + std::max(OFFSET_ISO_TIME_MAX + 2, NULL_TEXT.size());
    for (const std::string_view name : NUMBER_NAMES) size += name.size() + JSON_NUMBER_MAX;
    for (const std::string_view name : SUN_NAMES) size += name.size() + std::max(POSITION_FIELD, NULL_TEXT.size());
    return size + QUALITY_MAX + 1;
}

// One value of a profile and the comma before it: four decimals, or a
// derivative in full, or null.
constexpr std::size_t PROFILE_VALUE_MAX = std::max({FLOAT_FIXED_TEXT_MAX, JSON_NUMBER_MAX, NULL_TEXT.size()}) + 1;
// A profile has a value for every element of the grid.
static_assert(std::tuple_size_v<ReflectanceArray> == SPECTRUM_LENGTH);

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
    if (!std::isfinite(value)) return Append(out, NULL_TEXT);
    char* const begin = out;
    out = FormatShortest(out, value == 0 ? Number(0) : value);
    if (std::find_if(begin, out, [](char c) { return c == '.' || c == 'e'; }) == out) out = Append(out, WHOLE_MARK);
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

struct Layout {
    std::string_view header;
    std::string_view footer;
    std::size_t itemTextMax = 0;
    bool trimFirstByte = false;  // every item starts with a separator that the first one goes without
    // The file that describes this one and is replaced with it, last
    // (io/file_set.h); none when empty.
    std::filesystem::path describedBy = {};
    std::string_view description = {};
};

// The finished file replaces its old one, with the file that describes it.
Status CommitWithDescription(AtomicFileWriter& file, const Layout& layout) {
    if (layout.describedBy.empty()) return file.commit();
    AtomicFileWriter description(layout.describedBy);
    if (!description.open() || !description.write(layout.description)) return description.status();
    AtomicFileWriter* const data[] = {&file};
    return CommitFileSet(data, description);
}

std::size_t BatchBytes(const Layout& layout) { return RECORDS_PER_BATCH * layout.itemTextMax; }

// Writes the header, the text of records 0..count-1 that `format` makes on
// every core, in record order, and the footer. `unreadable`, when given,
// says what went wrong if a record before the one it is given could not be
// read.
ExportResult WriteInOrder(const std::filesystem::path& target, const Layout& layout, int count,
                          const FormatBatch& format, const std::function<std::string(int before)>& unreadable,
                          const ExportProgress& progress) {
    AtomicFileWriter file(target);
    if (!file.open() || !file.write(layout.header)) return ExportResult{file.status()};
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
    const BatchShape shape{static_cast<std::size_t>(count), RECORDS_PER_BATCH, BatchBytes(layout)};
    if (!FormatInOrder(shape, format, take)) {
        if (!error.empty()) return ExportResult::Failed(Status::Kind::Failed, error);
        if (!file.status()) return ExportResult{file.status()};
        return ExportResult{Status::Stopped()};
    }
    if (!file.write(layout.footer)) return ExportResult{file.status()};
    return ExportResult{CommitWithDescription(file, layout)};
}

// `item(out, row records, members, previous)` writes one row's text from
// `out` and returns its end; members are the row's records and previous the
// record before them (null before record 0). These give it the records of a
// document or of a data file.
template <class Item>
ExportResult Write(const std::filesystem::path& target, const Layout& layout, const CVarneloDoc& doc,
                   const Grouping& grouping, Item item, const ExportProgress& progress) {
    const int count = std::clamp(doc.recordCount(), 0, RECORD_CAPACITY);
    const std::vector<RecordRange> rows =
        PlanRows(grouping, count, [&](int i) { return RecordSeconds(doc.record(i)); });
    const FormatBatch format = [&](std::size_t begin, std::size_t end, char* out) {
        const BatchRoom room(out, BatchBytes(layout), end - begin, layout.itemTextMax, "an index export row");
        for (std::size_t r = begin; r < end; ++r) {
            const RecordRange range = rows[r];
            out = room.line(out, [&](char* at) {
                return item(at, range, std::span(&doc.record(range.first), static_cast<std::size_t>(range.size())),
                            range.first > 0 ? &doc.record(range.first - 1) : nullptr);
            });
        }
        return out;
    };
    return WriteInOrder(target, layout, static_cast<int>(rows.size()), format, {}, progress);
}

template <class Item>
ExportResult Write(const std::filesystem::path& target, const Layout& layout, DataFileReader& source,
                   const Grouping& grouping, Item item, const ExportProgress& progress) {
    FileBatches batches(source);
    const std::optional<std::vector<RecordRange>> planned = PlanFileRows(batches, grouping);
    if (!planned) return ExportResult::Failed(Status::Kind::OpenFailed, batches.unreadable(batches.count()));
    const std::vector<RecordRange>& rows = *planned;
    const FormatBatch format = [&](std::size_t begin, std::size_t end, char* out) {
        const BatchRoom room(out, BatchBytes(layout), end - begin, layout.itemTextMax, "an index export row");
        ReadRows(batches, rows, begin, end, [&](const RecordRange& range, auto members, auto previous) {
            out = room.line(out, [&](char* at) { return item(at, range, members, previous); });
        });
        return out;
    };
    // unreadable() counts records, the batches rows.
    return WriteInOrder(target, layout, static_cast<int>(rows.size()), format,
                        [&](int before) {
                            return before <= 0 ? std::string()
                                               : batches.unreadable(rows[static_cast<std::size_t>(before) - 1].last + 1);
                        },
                        progress);
}

// --- the table ---

char* AppendQuality(char* out, unsigned flags) { return Append(out, QualityText(flags)); }

char* AppendIndexValues(char* out, std::span<const IndexValue> values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) *out++ = ',';
        if (values[i]) out = FormatShortest(out, *values[i]);
    }
    return out;
}

const std::vector<IndexValue>& IndexValues(const std::vector<SpectralIndex>& indices, const ResultRow& row) {
    thread_local std::vector<IndexValue> values;
    values.resize(indices.size());
    for (std::size_t i = 0; i < indices.size(); ++i) values[i] = ComputeIndex(indices[i], row.reflectance);
    return values;
}

// "zenith,azimuth," to 0.0001°, or ",," without a sun.
char* AppendSunFields(char* out, const std::optional<SunPosition>& sun) {
    if (!sun) return Append(out, ",,");
    out = AppendFixed(out, sun->zenith, SUN_DECIMALS);
    *out++ = ',';
    out = AppendFixed(out, sun->azimuth, SUN_DECIMALS);
    *out++ = ',';
    return out;
}

// The indices, the sun when the clock's offset is known, then the qc column.
char* AppendIndicesAndQuality(char* out, const std::vector<SpectralIndex>& indices, const ResultRow& row,
                              bool withSun) {
    const std::vector<IndexValue>& values = IndexValues(indices, row);
    out = AppendIndexValues(out, values);
    if (!indices.empty()) *out++ = ',';
    if (withSun) out = AppendSunFields(out, row.sun);
    return AppendQuality(out, row.flags | RangeFlag(indices, values));
}

// "lat,lon," signed by hemisphere, or ",," without a fix.
char* AppendPosition(char* out, const std::optional<SignedPosition>& position) {
    if (!position) return Append(out, ",,");
    out = AppendFixed(out, position->latitude, POSITION_DECIMALS);
    *out++ = ',';
    out = AppendFixed(out, position->longitude, POSITION_DECIMALS);
    *out++ = ',';
    return out;
}

// A single record's row begins "record,time,lat,lon,".
char* AppendRecordStart(char* out, int index, const MeasurementRecord& record,
                        const std::optional<SignedPosition>& position, const std::optional<int>& offset) {
    out = FormatInt(out, index);
    *out++ = ',';
    out = Append(out, ResultTime(record, offset));
    *out++ = ',';
    return AppendPosition(out, position);
}

char* AppendTableRow(char* out, int index, const MeasurementRecord& record, const IndexTableOptions& options,
                     const ResultRow& result) {
    const std::vector<SpectralIndex>& indices = options.indices;
    const RecordPlace place = PlaceOf(record);
    out = AppendRecordStart(out, index, record, place.position, options.stages.utcOffset);
    if (place.position) {
        out = AppendCsvField(out, place.fix.altitude, place.fix.has(GPS_ALTITUDE));
        *out++ = ',';
        out = AppendCsvField(out, place.fix.speed, place.fix.has(GPS_SPEED));
        *out++ = ',';
    } else {
        out = Append(out, ",,");
    }
    for (const float v : {record.temp_ch1(), record.temp_ch2(), record.batv()}) {
        out = AppendCsvNumber(out, v);
        *out++ = ',';
    }
    out = AppendIndicesAndQuality(out, indices, result, options.stages.utcOffset.has_value());
    return Append(out, LINE_END);
}

// A group's row: first, last, n, the first member's time, then means.
char* AppendGroupStart(char* out, const ResultRow& row, const MeasurementRecord& first,
                       const std::optional<int>& offset) {
    out = FormatInt(out, row.records.first);
    *out++ = ',';
    out = FormatInt(out, row.records.last);
    *out++ = ',';
    out = FormatInt(out, row.records.size());
    *out++ = ',';
    out = Append(out, ResultTime(first, offset));
    *out++ = ',';
    return AppendPosition(out, row.position);
}

char* AppendGroupRow(char* out, const ResultRow& row, const MeasurementRecord& first,
                     const IndexTableOptions& options) {
    const std::vector<SpectralIndex>& indices = options.indices;
    out = AppendGroupStart(out, row, first, options.stages.utcOffset);
    // Means of the logger's float32 values, shown as such.
    for (const double v : {row.altitude, row.speed, row.tempCh1, row.tempCh2, row.batv}) {
        out = AppendCsvNumber(out, static_cast<float>(v));
        *out++ = ',';
    }
    out = AppendIndicesAndQuality(out, indices, row, options.stages.utcOffset.has_value());
    return Append(out, LINE_END);
}

ElementMask IndicesElements(const std::vector<SpectralIndex>& indices) {
    ElementMask mask;
    for (const SpectralIndex& index : indices) mask |= IndexElements(index);
    return mask;
}

// --- the band table ---

char* AppendBandRow(char* out, const ResultRow& row, const MeasurementRecord& first, const BandTableOptions& options) {
    out = options.stages.grouping.on() ? AppendGroupStart(out, row, first, options.stages.utcOffset)
                                       : AppendRecordStart(out, row.records.first, first, row.position,
                                                           options.stages.utcOffset);
    if (options.stages.utcOffset) out = AppendSunFields(out, row.sun);
    out = AppendQuality(out, row.flags);
    for (const SpectralBand& band : options.bands.bands) {
        *out++ = ',';
        if (const std::optional<double> value = BandValue(band, row.reflectance)) out = FormatShortest(out, *value);
        if (band.coverage < FULL_COVERAGE) {
            *out++ = ',';
            out = FormatShortest(out, band.coverage);
        }
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

bool Derivative(const RowStages& stages) { return stages.smoothing && stages.smoothing->derivative; }

// ",\n" and one feature; nothing for a record without a fix.
char* AppendFeature(char* out, int index, const MeasurementRecord& record, const PointLayerOptions& options,
                    const std::vector<std::string>& propertyNames, std::string_view wavelengths, const ResultRow& row) {
    const RecordPlace place = PlaceOf(record);
    if (!place.position) return out;
    out = Append(out, FEATURE_START);
    out = AppendFixed(out, place.position->longitude, POSITION_DECIMALS);
    *out++ = ',';
    out = AppendFixed(out, place.position->latitude, POSITION_DECIMALS);
    if (place.fix.has(GPS_ALTITUDE) && std::isfinite(place.fix.altitude)) {
        *out++ = ',';
        out = AppendFixed(out, place.fix.altitude, ALTITUDE_DECIMALS);
    }
    out = Append(out, PROPERTIES_START);
    out = FormatInt(out, index);
    out = Append(out, TIME_NAME);
    const std::string time = ResultTime(record, options.stages.utcOffset);
    if (time.empty()) {
        out = Append(out, NULL_TEXT);
    } else {
        *out++ = '"';
        out = Append(out, time);
        *out++ = '"';
    }
    // A field the sentence did not carry is null, like a value that is not finite.
    const auto given = [&](float value, GpsField field) {
        return place.fix.has(field) ? value : std::numeric_limits<float>::quiet_NaN();
    };
    const float numbers[] = {given(place.fix.speed, GPS_SPEED),     given(place.fix.course, GPS_COURSE),
                             given(place.fix.altitude, GPS_ALTITUDE), record.temp_ch1(),
                             record.temp_ch2(),                        record.batv()};
    static_assert(std::size(numbers) == std::size(NUMBER_NAMES));
    for (std::size_t i = 0; i < std::size(numbers); ++i) {
        out = Append(out, NUMBER_NAMES[i]);
        out = AppendJsonNumber(out, numbers[i]);
    }
    const std::vector<IndexValue>& values = IndexValues(options.indices, row);
    for (std::size_t i = 0; i < options.indices.size(); ++i) {
        out = Append(out, propertyNames[i]);
        out = values[i] ? AppendJsonNumber(out, *values[i]) : Append(out, NULL_TEXT);
    }
    if (options.stages.utcOffset) {
        for (int k = 0; k < 2; ++k) {
            out = Append(out, SUN_NAMES[k]);
            if (!row.sun) {
                out = Append(out, NULL_TEXT);
                continue;
            }
            out = AppendFixed(out, k == 0 ? row.sun->zenith : row.sun->azimuth, SUN_DECIMALS);
        }
    }
    out = Append(out, QUALITY_NAME);
    out = AppendQuality(out, row.flags | RangeFlag(options.indices, values));
    *out++ = '"';
    if (options.profiles) {
        *out++ = ',';
        out = Append(out, wavelengths);
        for (std::size_t j = 0; j < row.reflectance.size(); ++j) {
            if (j > 0) *out++ = ',';
            const double r = row.reflectance[j];
            if (Derivative(options.stages)) {
                out = AppendJsonNumber(out, r);
            } else {
                out = std::isfinite(r) ? FormatFloatFixed<PROFILE_DECIMALS>(out, static_cast<float>(r), 0) : Append(out, NULL_TEXT);
            }
        }
        out = Append(out, Derivative(options.stages) ? DERIVATIVE_PROFILE_END : PROFILE_END);
    }
    return Append(out, FEATURE_END);
}

}  // namespace

std::string IndexTableHeader(const IndexTableOptions& options) {
    std::string line = options.stages.grouping.on() ? "first,last,n" : "record";
    line +=
        ",time,latitude (deg),longitude (deg),altitude (m),speed (m/s),temp(CH1) (degC),temp(CH2) (degC),"
        "batv (V)";
    for (const SpectralIndex& index : options.indices) {
        line += ',';
        line += IndexName(index);
        const std::string_view unit = IndexUnit(index);
        if (!unit.empty()) line += " (" + std::string(unit) + ")";
    }
    if (options.stages.utcOffset) line += ",sun_zenith,sun_azimuth";
    line += ",qc";
    line += LINE_END;
    return line;
}

std::string BandTableHeader(const BandTableOptions& options) {
    std::string line = options.stages.grouping.on() ? "first,last,n" : "record";
    line += ",time,latitude (deg),longitude (deg)";
    if (options.stages.utcOffset) line += ",sun_zenith,sun_azimuth";
    line += ",qc";
    for (const SpectralBand& band : options.bands.bands) {
        line += ',' + band.name;
        if (band.coverage < FULL_COVERAGE) line += ',' + band.name + "_coverage";
    }
    line += LINE_END;
    return line;
}

namespace {

template <class Records>
ExportResult IndexTable(const std::filesystem::path& target, Records& records, const IndexTableOptions& options,
                        const ExportProgress& progress) {
    const std::string header = IndexTableHeader(options);
    const std::size_t n = options.indices.size();
    const Layout layout{header, {}, options.stages.grouping.on() ? GroupRowMax(n) : TableRowMax(n), false};
    const RowMaker maker(options.stages, IndicesElements(options.indices), false);
    const bool grouped = options.stages.grouping.on();
    const auto row = [&](char* out, const RecordRange& range, std::span<const MeasurementRecord> members,
                         const MeasurementRecord* previous) {
        thread_local ResultRow result;
        maker.make(members, previous, range.first, result);
        if (grouped) return AppendGroupRow(out, result, members.front(), options);
        return AppendTableRow(out, range.first, members.front(), options, result);
    };
    return Write(target, layout, records, options.stages.grouping, row, progress);
}

template <class Records>
ExportResult BandTable(const std::filesystem::path& target, Records& records, const BandTableOptions& options,
                       const ExportProgress& progress) {
    const std::string header = BandTableHeader(options);
    const Layout layout{header, {}, BandRowMax(options.bands.bands.size()), false};
    const RowMaker maker(options.stages, BandElements(options.bands), true);
    const auto row = [&](char* out, const RecordRange& range, std::span<const MeasurementRecord> members,
                         const MeasurementRecord* previous) {
        thread_local ResultRow result;
        maker.make(members, previous, range.first, result);
        return AppendBandRow(out, result, members.front(), options);
    };
    return Write(target, layout, records, options.stages.grouping, row, progress);
}

template <class Records>
ExportResult PointLayer(const std::filesystem::path& target, Records& records, const PointLayerOptions& options,
                        const ExportProgress& progress) {
    std::vector<std::string> propertyNames;
    for (const SpectralIndex& index : options.indices) propertyNames.push_back(",\"" + IndexName(index) + "\":");
    const std::string wavelengths = options.profiles ? ProfileWavelengths() : std::string();
    std::size_t itemMax = FeatureFixedMax() + options.indices.size() * JSON_NUMBER_MAX;
    for (const std::string& name : propertyNames) itemMax += name.size();
    if (options.profiles)
        itemMax += 1 + wavelengths.size() + SPECTRUM_LENGTH * PROFILE_VALUE_MAX +
                   std::max(PROFILE_END.size(), DERIVATIVE_PROFILE_END.size());
    // Every feature comes with the separator before it; the first one's
    // comma is dropped as it is written.
    std::string header = "{\"type\":\"FeatureCollection\",";
    if (!options.provenance.empty()) header += "\"varnelo\":" + options.provenance + ",";
    header += "\"features\":[";
    Layout layout{header, "\n]}\n", itemMax, true};
    if (options.style) {
        layout.describedBy = ProfileStylePath(target);
        layout.description = ProfileStyleText();
    }
    const RowMaker maker(options.stages, IndicesElements(options.indices), options.profiles);
    // Records without a fix have no feature: the features are counted as made.
    std::atomic<int> features{0};
    const auto feature = [&](char* out, const RecordRange& range, std::span<const MeasurementRecord> members,
                             const MeasurementRecord* previous) {
        thread_local ResultRow row;
        maker.make(members, previous, range.first, row);
        char* const end = AppendFeature(out, range.first, members.front(), options, propertyNames, wavelengths, row);
        if (end != out) features.fetch_add(1, std::memory_order_relaxed);
        return end;
    };
    ExportResult result = Write(target, layout, records, Grouping{}, feature, progress);
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

ExportResult ExportBandTable(const std::filesystem::path& target, const CVarneloDoc& doc,
                             const BandTableOptions& options, const ExportProgress& progress) {
    return BandTable(target, doc, options, progress);
}

ExportResult ExportBandTable(const std::filesystem::path& target, DataFileReader& source,
                             const BandTableOptions& options, const ExportProgress& progress) {
    return BandTable(target, source, options, progress);
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
