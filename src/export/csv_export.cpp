#include "export/csv_export.h"

#include <algorithm>
#include <cstring>

#include "data/atomic_file.h"
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
    const auto i = static_cast<std::size_t>(index);
    char* const begin = m_line.data();
    char* out = begin;

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

    const WavelengthWindow window = ExportWindow(m_options.limitRange);
    if (m_options.mode == ExportMode::TwoChannel) {
        DeriveSpectra(record, m_spectra, SpectraNeeded::ChannelsOnly);
        out = AppendSpectrum<1>(out, m_spectra.ch1_scaled, window);
        out = AppendSpectrum<1>(out, m_spectra.ch2, window);
    } else {
        DeriveSpectra(record, m_spectra, SpectraNeeded::WithReflectance);
        out = AppendSpectrum<3>(out, m_spectra.reflectance, window);
    }
    out = Append(out, CSV_LINE_END);
    return std::string_view(begin, static_cast<std::size_t>(out - begin));
}

ExportResult ExportCsv(const std::filesystem::path& target, const CVarneloDoc& doc, const GpsTrack& track,
                       const CsvOptions& options, const ExportProgress& progress) {
    AtomicFileWriter file(target);
    const auto failed = [&file] { return ExportResult{ExportStatus::Failed, file.error()}; };
    const auto cancelled = [] { return ExportResult{ExportStatus::Cancelled, {}}; };

    if (!file.open() || !file.write(CsvHeaderLine(options))) return failed();
    const int count = std::clamp(doc.recordCount(), 0, RECORD_CAPACITY);
    CsvRowFormatter formatter(options);
    for (int i = 0; i < count; ++i) {
        if (!file.write(formatter.Row(doc.record(i), track, i))) return failed();
        if (progress && ((i + 1) % PROGRESS_STEP == 0 || i + 1 == count) && !progress(i + 1, count)) return cancelled();
    }
    if (!file.commit()) return failed();
    return ExportResult{ExportStatus::Written, {}};
}

}  // namespace varnelo
