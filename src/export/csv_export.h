#pragma once
// The CSV file of a document: a header line, then one line per record with
// its date and time, position and altitude from the GPS track, battery and
// temperature values, exposures and the derived spectra. Every line ends with
// a comma and CR LF. Numbers never depend on the process locale.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "data/data_file_reader.h"
#include "data/document.h"
#include "data/spectra.h"
#include "io/status.h"
#include "track/gps_track.h"

namespace varnelo {

enum class ExportMode { TwoChannel, Reflectance };

struct CsvOptions {
    ExportMode mode = ExportMode::TwoChannel;
    bool limitRange = false;  // the 400..800 nm window instead of 340..850 nm
};

inline constexpr std::string_view CSV_FIXED_HEADER =
    "date,time,latitude,longitude,altitude,batv,batc,temp(CH1), temp(CH2), exp(CH1), exp(CH2),";
inline constexpr std::string_view CSV_LINE_END = "\r\n";

// The header line, line end included.
std::string CsvHeaderLine(const CsvOptions& options);

// Builds one record's line at a time in a buffer of its own, so that a whole
// export holds one line in memory however many records it writes.
class CsvRowFormatter {
public:
    explicit CsvRowFormatter(const CsvOptions& options);

    // Record `index`'s line, line end included; valid until the next call.
    // The position and altitude come from the track's slot `index`.
    std::string_view Row(const MeasurementRecord& record, const GpsTrack& track, int index);

private:
    CsvOptions m_options;
    DerivedSpectra m_spectra;
    std::vector<char> m_line;
};

struct ExportResult {
    Status status;  // Cancelled when the progress said stop; a failure's detail names the file
    int items = 0;  // written, where an export counts them: the point layer's features

    static ExportResult Failed(Status::Kind kind, std::string detail) { return {Status{kind, std::move(detail)}}; }
};

// Called now and then with the records written so far and the total; return
// false to stop. A stopped or failed export leaves the target as it was.
using ExportProgress = std::function<bool(int written, int total)>;

// Writes records 0..recordCount()-1 to a temporary file that replaces the
// target only once complete. The track must have been computed for the
// document's records. The lines are made on every core and written in
// record order as they come; memory stays a few batches of lines.
ExportResult ExportCsv(const std::filesystem::path& target, const CVarneloDoc& doc, const GpsTrack& track,
                       const CsvOptions& options, const ExportProgress& progress = {});

// The same file as opening the data file in a new session and exporting it,
// straight from the file: a few records at a time are read where they lie,
// so neither the document nor the whole file is ever held in memory. A
// record that cannot be read fails the export.
ExportResult ExportCsv(const std::filesystem::path& target, DataFileReader& source, const CsvOptions& options,
                       const ExportProgress& progress = {});

}  // namespace varnelo
