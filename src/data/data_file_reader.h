#pragma once
// A data file opened for reading its records where they lie: its size and
// count are checked once, with the same refusals as loading it, and records
// are then read straight from the file, any stretch at any time, from any
// thread. Loading reads them all into the document; an export can read a
// few at a time and never hold the file in memory.

#include <filesystem>

#include "data/data_file.h"
#include "io/read_only_file.h"

namespace varnelo {

// Refuses a file too short for the parameter block and count (0 bytes is
// an empty file).
Status CheckDataFileLength(const std::filesystem::path& path, std::uintmax_t size);
// The count of a data file of `size` bytes (at least DATA_FILE_HEADER_SIZE)
// whose count field holds `countBytes`, refused as LoadDataFile refuses it.
Status CheckDataFileCount(const std::filesystem::path& path, std::uintmax_t size, const std::uint8_t* countBytes,
                          int& count);

class DataFileReader {
public:
    // Refuses what LoadDataFile refuses, with the same errors. A 0-byte file
    // opens with no records and no parameter block (hasContent() false).
    Status open(const std::filesystem::path& path, Streams streams = Streams::Read);

    bool hasContent() const { return m_hasContent; }
    int count() const { return m_count; }
    const ParameterBlock& parameterBlock() const { return m_block0; }
    const std::filesystem::path& path() const { return m_path; }

    // Reads records first..first+n-1 into `into`; returns how many arrived
    // whole (fewer only after a read error or a file cut since it opened).
    int read(int first, int n, MeasurementRecord* into);
    // A refusal for a read that failed, if one did: the system's error,
    // else what `otherwise` says.
    Status readFailure(const std::string& otherwise);
    // The file itself, for whoever copies stretches of it to another file.
    ReadOnlyFile& file() { return m_file; }

private:
    ReadOnlyFile m_file;
    std::filesystem::path m_path;
    ParameterBlock m_block0{};
    int m_count = 0;
    bool m_hasContent = false;
};

}  // namespace varnelo
