#pragma once
// An ENVI spectral library of every record (or group) of several data files,
// in input order, for ENVI, EnMAP-Box, spectral-python and the like:
//   NAME.sli  float32 little-endian, one row of 511 values (340..850 nm) per
//             spectrum, no padding; an undefined reflectance is NaN
//   NAME.hdr  the ENVI header: sizes, wavelengths, one name per spectrum
//             (the record's ISO time, made unique), and a description of
//             what made it
//   NAME.csv  one row of attributes per spectrum, joined by its name: the
//             record(s), time, position, altitude, indices, qc, and the
//             position as WKT for a GIS
// All three are written through temporary files and flushed to the disk
// before the first replaces its old file, so a failure leaves all as they
// were; the .hdr, through which readers open the rest, is replaced last
// (io/file_set.h).

#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "analysis/spectral_index.h"
#include "data/data_file_reader.h"
#include "export/csv_export.h"
#include "export/record_rows.h"

namespace varnelo {

struct LibraryOptions {
    std::vector<SpectralIndex> indices = DefaultIndices();
    RowStages stages;
    std::string description;  // the header's description
    // Each source's own stages (its clock's offset may be its own); when
    // empty, `stages` for all.
    std::vector<RowStages> sourceStages = {};
};

struct LibraryFiles {
    std::filesystem::path sli, hdr, csv;
};

// "OUT.sli" → OUT.sli, OUT.hdr, OUT.csv; a name without ".sli" keeps it
// and gains the other two after it.
LibraryFiles LibraryFileNames(const std::filesystem::path& sli);

// Why the files may not be written over `inputs` (one of them would
// replace an input), or empty.
std::string LibraryRefusal(const LibraryFiles& files, std::span<const std::filesystem::path> inputs);

// progress sees the spectra written of the rows planned so far; false
// from it cancels, leaving all three files as they were.
ExportResult ExportSpectralLibrary(const LibraryFiles& files, std::span<DataFileReader* const> sources,
                                   const LibraryOptions& options, const ExportProgress& progress = {});

}  // namespace varnelo
