#pragma once
// The *.vrnldata file: block 0 (the ParameterBlock), the record count as a
// little-endian int32, then the records; no header of its own.

#include <filesystem>
#include <string>

#include "data/document.h"
#include "io/status.h"

namespace varnelo {

inline constexpr std::uintmax_t DATA_FILE_HEADER_SIZE = BLOCK_SIZE + 4;  // block 0 and the count

constexpr std::uintmax_t DataFileSize(int recordCount) {
    return DATA_FILE_HEADER_SIZE + static_cast<std::uintmax_t>(recordCount) * BLOCK_SIZE;
}

// What to do with a pipe, FIFO or device named as a data file: read it as a
// stream to the end of what a data file can hold (the command line), or
// refuse it before opening (the window: opening a FIFO waits for a writer
// that may never come). Either way it is never taken as an empty file.
enum class Streams { Read, Refuse };

// A refused file leaves the document exactly as it was; the status says
// what was wrong (kind, cause) and, in its detail, names the file. A 0-byte
// file opens and changes nothing; bytes after the last record are ignored.
// A stream that gives nothing is refused: nothing says it was meant to be
// empty.
Status LoadDataFile(const std::filesystem::path& path, CVarneloDoc& doc, Streams streams = Streams::Read);

// Writes through a temporary file: a failed save leaves the old file intact.
Status SaveDataFile(const std::filesystem::path& path, const CVarneloDoc& doc);

}  // namespace varnelo
