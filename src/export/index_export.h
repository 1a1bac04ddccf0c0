#pragma once
// The records' spectral indices as files for other programs: a table (CSV)
// with one row per record, and a GIS point layer (RFC 7946 GeoJSON) with one
// Point feature per record that has a fix, optionally carrying the record's
// reflectance as a spectral profile in the form EnMAP-Box reads as a
// spectral library. Positions are signed as in the track files (records
// without a fix have empty position fields in the table and no feature in
// the layer); times are the logger's local time in ISO 8601. Numbers are
// the shortest text that reads back to the same value, except positions
// (7 decimals, about a centimetre, as the track files) and the profiles'
// reflectances (4 decimals, one more than the CSV export's); a value that
// does not exist is an empty field or null. Each row or feature ends with its
// quality flags (qc, analysis/quality_flags.h).
//
// Each record's GPS sentence is read afresh, as a newly opened file's
// would be, so the same records give the same bytes whatever was shown before.

#include <filesystem>
#include <string>
#include <vector>

#include "analysis/satellite_bands.h"
#include "analysis/spectral_index.h"
#include "data/document.h"
#include "export/csv_export.h"
#include "export/record_rows.h"

namespace varnelo {

struct IndexTableOptions {
    std::vector<SpectralIndex> indices = DefaultIndices();
    RowStages stages;  // grouped rows start first,last,n instead of record
};

struct PointLayerOptions {
    std::vector<SpectralIndex> indices = DefaultIndices();
    bool profiles = false;  // each feature's reflectance, 340..850 nm
    RowStages stages;       // smoothing only: a feature is one record
    std::string provenance;  // a JSON object, the collection's "varnelo" member
    // With profiles: the layer's QGIS style beside it (export/profile_style.h),
    // replaced together with the layer.
    bool style = false;
};

// Satellite band reflectances (analysis/satellite_bands.h), one row per
// record or group: record, time, signed position, qc, then one column per
// band, and "NAME_coverage" beside a band that reaches past the grid.
struct BandTableOptions {
    BandSet bands;
    RowStages stages;
};

inline constexpr int PROFILE_DECIMALS = 4;

// "record,time,latitude (deg),...,NDVI,PRI,REP (nm),MTCI" and CR LF.
std::string IndexTableHeader(const IndexTableOptions& options);

// Records 0..recordCount()-1, written through a temporary file that
// replaces the target only once complete; the lines are made on every core.
ExportResult ExportIndexTable(const std::filesystem::path& target, const CVarneloDoc& doc,
                              const IndexTableOptions& options, const ExportProgress& progress = {});
ExportResult ExportPointLayer(const std::filesystem::path& target, const CVarneloDoc& doc,
                              const PointLayerOptions& options, const ExportProgress& progress = {});

std::string BandTableHeader(const BandTableOptions& options);
ExportResult ExportBandTable(const std::filesystem::path& target, const CVarneloDoc& doc,
                             const BandTableOptions& options, const ExportProgress& progress = {});
ExportResult ExportBandTable(const std::filesystem::path& target, DataFileReader& source,
                             const BandTableOptions& options, const ExportProgress& progress = {});

// The same files straight from a data file, a few records at a time, as the
// CSV export reads one: the same bytes as from the file opened in a new
// session. A record that cannot be read fails the export.
ExportResult ExportIndexTable(const std::filesystem::path& target, DataFileReader& source,
                              const IndexTableOptions& options, const ExportProgress& progress = {});
ExportResult ExportPointLayer(const std::filesystem::path& target, DataFileReader& source,
                              const PointLayerOptions& options, const ExportProgress& progress = {});

}  // namespace varnelo
