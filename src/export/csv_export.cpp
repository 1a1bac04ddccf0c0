#include "export/csv_export.h"

#include <algorithm>
#include <cstring>

#include "data/atomic_file.h"
#include "export/ordered_batches.h"
#include "text/fixed_format.h"

namespace varnelo {

namespace {

// Value formats: "%3.1f" for the two channels and most fixed columns,
// "%3.2f" for batv, "%3.3f" for the reflectance.
constexpr int VALUE_WIDTH = 3;
constexpr int POSITION_DECIMALS = 7;              // "%9.7f"
constexpr int POSITION_WIDTH = 9;

// "%d/%2d/%2d,%2d:%2d:%2d" of six int16 values with the year offset, at most.
constexpr std::size_t LABEL_TEXT_MAX = 64;
constexpr std::size_t FIXED_PART_MAX =
    LABEL_TEXT_MAX + 2 * (DOUBLE_FIXED_TEXT_MAX + 1) + 5 * (FLOAT_FIXED_TEXT_MAX + 1) + 2 * (INT32_TEXT_MAX + 1);
constexpr std::size_t ROW_TEXT_MAX =
    FIXED_PART_MAX + 2 * SPECTRUM_LENGTH * (FLOAT_FIXED_TEXT_MAX + 1) + CSV_LINE_END.size();

// Records between two progress reports.
constexpr int PROGRESS_STEP = 100;

// Records formatted as one piece: enough text (about 250 kB with both
// channels) that handing a batch between threads costs little beside it.
constexpr std::size_t RECORDS_PER_BATCH = 32;

char* Append(char* out, std::string_view text) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

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

// One record's line, line end included, from `out`; needs ROW_TEXT_MAX bytes.
char* AppendCsvRow(char* out, const MeasurementRecord& record, const GpsTrack& track, int index,
                   const CsvOptions& options, DerivedSpectra& spectra) {
    const auto i = static_cast<std::size_t>(index);
    out = Append(out, RecordTimeLabel(record));
    *out++ = ',';
    out = FormatFixed(out, track.latitude[i], POSITION_DECIMALS, POSITION_WIDTH);
    *out++ = ',';
    out = FormatFixed(out, track.longitude[i], POSITION_DECIMALS, POSITION_WIDTH);
    *out++ = ',';
    out = AppendFloat<1>(out, track.altitude[i]);
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
    char* const end = AppendCsvRow(begin, record, track, index, m_options, m_spectra);
    return std::string_view(begin, static_cast<std::size_t>(end - begin));
}

ExportResult ExportCsv(const std::filesystem::path& target, const CVarneloDoc& doc, const GpsTrack& track,
                       const CsvOptions& options, const ExportProgress& progress) {
    AtomicFileWriter file(target);
    if (!file.open() || !file.write(CsvHeaderLine(options))) return ExportResult{ExportStatus::Failed, file.error()};

    // Lines are made on every core while this thread writes them in record
    // order, so the file grows while the rest is still being formatted.
    const int count = std::clamp(doc.recordCount(), 0, RECORD_CAPACITY);
    const BatchShape shape{static_cast<std::size_t>(count), RECORDS_PER_BATCH, RECORDS_PER_BATCH * ROW_TEXT_MAX};
    const FormatBatch format = [&](std::size_t begin, std::size_t end, char* out) {
        DerivedSpectra spectra;
        for (std::size_t i = begin; i < end; ++i) {
            const int index = static_cast<int>(i);
            out = AppendCsvRow(out, doc.record(index), track, index, options, spectra);
        }
        return out;
    };
    bool writeFailed = false;
    int reported = 0;
    const TakeBatch write = [&](std::string_view text, std::size_t done) {
        if (!file.write(text)) {
            writeFailed = true;
            return false;
        }
        const int written = static_cast<int>(done);
        if (!progress || (written / PROGRESS_STEP == reported / PROGRESS_STEP && written != count)) return true;
        reported = written;
        return progress(written, count);
    };
    if (!FormatInOrder(shape, format, write)) {
        if (writeFailed) return ExportResult{ExportStatus::Failed, file.error()};
        return ExportResult{ExportStatus::Cancelled, {}};
    }
    if (!file.commit()) return ExportResult{ExportStatus::Failed, file.error()};
    return ExportResult{ExportStatus::Written, {}};
}

}  // namespace varnelo
