#pragma once
// A data file's records as one NetCDF-4 file following the CF conventions
// (1.8, a single trajectory) and ACDD 1.3, the form the geosciences' tools
// (xarray, Panoply, ncview, THREDDS) read without being told its layout:
// dimensions obs (one per record) and wavelength (511, 340..850 nm); the
// record's time, position and altitude; ch.1 scaled to ch.2's exposure,
// ch.2 and the reflectance as float32 (obs, wavelength), chunked by records
// and compressed (deflate with shuffle); the quality flags as CF flag masks;
// with the clock's offset the sun's zenith and azimuth; one variable per
// index. A value that does not exist is NaN, the variables' _FillValue.
//
// The library writes a file by name, so the file is made as a temporary
// sibling and renamed over the target only once closed whole: a failure or
// a kill never leaves a partial file under the target's name.

#include <filesystem>
#include <string>
#include <vector>

#include "analysis/spectral_index.h"
#include "data/data_file_reader.h"
#include "export/csv_export.h"
#include "export/record_rows.h"

namespace varnelo {

struct NetcdfOptions {
    std::vector<SpectralIndex> indices = DefaultIndices();
    RowStages stages;         // one record an observation: no grouping
    std::string trajectory;  // the trajectory's name: the input's
    std::string history;     // what made the file (export/provenance.h)
};

inline constexpr std::size_t NETCDF_CHUNK_RECORDS = 64;

ExportResult ExportNetcdf(const std::filesystem::path& target, DataFileReader& source, const NetcdfOptions& options,
                          const ExportProgress& progress = {});

}  // namespace varnelo
