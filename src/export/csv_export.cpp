#include "export/csv_export.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "io/atomic_file.h"
#include "export/export_text.h"
#include "export/file_batches.h"
#include "export/ordered_batches.h"
#include "text/fixed_format.h"

namespace varnelo {

using namespace export_text;

namespace {

// Value formats: "%3.1f" for the two channels and most fixed columns,
// "%3.2f" for batv, "%3.3f" for the reflectance.
constexpr int VALUE_WIDTH = 3;
constexpr int POSITION_WIDTH = 9;  // "%9.7f"

constexpr std::size_t FIXED_PART_MAX =
    RECORD_TIME_LABEL_MAX + 2 * (DOUBLE_FIXED_TEXT_MAX + 1) + 5 * (FLOAT_FIXED_TEXT_MAX + 1) + 2 * (INT32_TEXT_MAX + 1);
constexpr std::size_t ROW_TEXT_MAX =
    FIXED_PART_MAX + 2 * SPECTRUM_LENGTH * (FLOAT_FIXED_TEXT_MAX + 1) + CSV_LINE_END.size();
constexpr std::size_t BATCH_BYTES = RECORDS_PER_BATCH * ROW_TEXT_MAX;

template <int Decimals>
char* AppendFloat(char* out, float value) {
    out = FormatFloatFixed<Decimals>(out, value, VALUE_WIDTH);
    *out++ = ',';
    return out;
}

template <int Decimals>
char* AppendSpectrum(char* out, const Spectrum& values, WavelengthWindow window) {
    const auto first = static_cast<std::size_t>(window.first);
    const auto count = static_cast<std::size_t>(window.count());
    return FormatFloatRun<Decimals>(out, std::span<const float>(values).subspan(first, count), VALUE_WIDTH, ',');
}

// Where a record was, as its line gives it.
struct RowPosition {
    double latitude = 0.0;
    double longitude = 0.0;
    float altitude = 0.0f;
};

RowPosition PositionInTrack(const GpsTrack& track, int index) {
    const auto i = static_cast<std::size_t>(index);
    return {track.latitude[i], track.longitude[i], track.altitude[i]};
}

// What a new session's track holds for the record: the slots start at zero.
RowPosition PositionOfRecord(const MeasurementRecord& record) {
    GpsFix fix;
    ParseGpsText(GpsSentenceBytes(record), fix);
    return {fix.latitude, fix.longitude, fix.altitude};
}

// One record's line, line end included, from `out`; needs ROW_TEXT_MAX bytes.
char* AppendCsvRow(char* out, const MeasurementRecord& record, const RowPosition& position, const CsvOptions& options,
                   DerivedSpectra& spectra) {
    out = AppendRecordTimeLabel(out, record);
    *out++ = ',';
    out = FormatFixed(out, position.latitude, POSITION_DECIMALS, POSITION_WIDTH);
    *out++ = ',';
    out = FormatFixed(out, position.longitude, POSITION_DECIMALS, POSITION_WIDTH);
    *out++ = ',';
    out = AppendFloat<1>(out, position.altitude);
    out = AppendFloat<2>(out, record.batv());
    out = AppendFloat<1>(out, record.batc());
    out = AppendFloat<1>(out, record.temp_ch1());
    out = AppendFloat<1>(out, record.temp_ch2());
    out = FormatInt(out, record.exp_ch1());
    *out++ = ',';
    out = FormatInt(out, record.exp_ch2());
    *out++ = ',';

    const WavelengthWindow window = ExportWindow(options.limitRange);
    if (options.mode == ExportMode::TwoChannel) {
        DeriveSpectra(record, spectra, SpectraNeeded::ChannelsOnly);
        out = AppendSpectrum<1>(out, spectra.ch1_scaled, window);
        out = AppendSpectrum<1>(out, spectra.ch2, window);
    } else {
        DeriveSpectra(record, spectra, SpectraNeeded::WithReflectance);
        out = AppendSpectrum<3>(out, spectra.reflectance, window);
    }
    return Append(out, CSV_LINE_END);
}

// The header, then the lines of records 0..count-1 that `format` makes on
// every core, written in record order by this thread while the rest is
// still being formatted. `unreadable`, when given, says what went wrong if
// a record before the one it is given could not be read.
ExportResult WriteCsv(const std::filesystem::path& target, const CsvOptions& options, int count,
                      const FormatBatch& format, const std::function<std::string(int before)>& unreadable,
                      const ExportProgress& progress) {
    AtomicFileWriter file(target);
    if (!file.open() || !file.write(CsvHeaderLine(options))) return ExportResult{file.status()};

    std::string error;
    int reported = 0;
    const TakeBatch write = [&](std::string_view text, std::size_t done) {
        const int written = static_cast<int>(done);
        if (unreadable) error = unreadable(written);
        if (error.empty() && !file.write(text)) error = file.status().detail;
        if (!error.empty()) return false;
        if (!progress || (written / PROGRESS_STEP == reported / PROGRESS_STEP && written != count)) return true;
        reported = written;
        return progress(written, count);
    };
    const BatchShape shape{static_cast<std::size_t>(count), RECORDS_PER_BATCH, BATCH_BYTES};
    if (!FormatInOrder(shape, format, write)) {
        if (!error.empty()) return ExportResult::Failed(Status::Kind::Failed, error);
        return ExportResult{Status::Stopped()};
    }
    if (!file.commit()) return ExportResult{file.status()};
    return {};
}

}  // namespace

std::string CsvHeaderLine(const CsvOptions& options) {
    std::string wavelengths;
    const WavelengthWindow window = ExportWindow(options.limitRange);
    for (int j = window.first; j <= window.last; ++j) {
        wavelengths += std::to_string(WavelengthOfElement(j));
        wavelengths += ',';
    }
    std::string line(CSV_FIXED_HEADER);
    line += wavelengths;
    if (options.mode == ExportMode::TwoChannel) line += wavelengths;
    line += CSV_LINE_END;
    return line;
}

CsvRowFormatter::CsvRowFormatter(const CsvOptions& options) : m_options(options), m_spectra{}, m_line(ROW_TEXT_MAX) {}

std::string_view CsvRowFormatter::Row(const MeasurementRecord& record, const GpsTrack& track, int index) {
    char* const begin = m_line.data();
    char* const end = BatchRoom(begin, m_line.size(), 1, ROW_TEXT_MAX, "a CSV row").line(begin, [&](char* at) {
        return AppendCsvRow(at, record, PositionInTrack(track, index), m_options, m_spectra);
    });
    return std::string_view(begin, static_cast<std::size_t>(end - begin));
}

ExportResult ExportCsv(const std::filesystem::path& target, const CVarneloDoc& doc, const GpsTrack& track,
                       const CsvOptions& options, const ExportProgress& progress) {
    const int count = std::clamp(doc.recordCount(), 0, RECORD_CAPACITY);
    const FormatBatch format = [&](std::size_t begin, std::size_t end, char* out) {
        const BatchRoom room(out, BATCH_BYTES, end - begin, ROW_TEXT_MAX, "a CSV export row");
        DerivedSpectra spectra;
        for (auto i = static_cast<int>(begin); i < static_cast<int>(end); ++i) {
            out = room.line(out, [&](char* at) {
                return AppendCsvRow(at, doc.record(i), PositionInTrack(track, i), options, spectra);
            });
        }
        return out;
    };
    return WriteCsv(target, options, count, format, {}, progress);
}

ExportResult ExportCsv(const std::filesystem::path& target, DataFileReader& source, const CsvOptions& options,
                       const ExportProgress& progress) {
    FileBatches batches(source);
    const FormatBatch format = [&](std::size_t begin, std::size_t end, char* out) {
        const BatchRoom room(out, BATCH_BYTES, end - begin, ROW_TEXT_MAX, "a CSV export row");
        std::unique_ptr<MeasurementRecord[]> records;
        DerivedSpectra spectra;
        for (const MeasurementRecord& record : batches.read(begin, end, records)) {
            out = room.line(out, [&](char* at) {
                return AppendCsvRow(at, record, PositionOfRecord(record), options, spectra);
            });
        }
        return out;
    };
    return WriteCsv(target, options, batches.count(), format,
                    [&](int before) { return batches.unreadable(before); }, progress);
}

}  // namespace varnelo
