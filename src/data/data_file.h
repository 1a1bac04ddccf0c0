#pragma once
// The *.vrnldata file: block 0 (the ParameterBlock), the record count as a
// little-endian int32, then the records; no header of its own.

#include <filesystem>
#include <optional>
#include <string>

#include "data/document.h"

namespace varnelo {

inline constexpr std::uintmax_t DATA_FILE_HEADER_SIZE = BLOCK_SIZE + 4;  // block 0 and the count

constexpr std::uintmax_t DataFileSize(int recordCount) {
    return DATA_FILE_HEADER_SIZE + static_cast<std::uintmax_t>(recordCount) * BLOCK_SIZE;
}

// What went wrong, for the user's wording of it; detail names the file and
// says exactly what happened, in English.
enum class FileFailure {
    OpenFailed,        // the file cannot be read at all, or a read failed half way
    UnexpectedFormat,  // the file is not a data file this program can take
    SaveFailed,
    NotRegular,        // a pipe, FIFO or device where streams are refused
};

// What to do with a pipe, FIFO or device named as a data file: read it as a
// stream to the end of what a data file can hold (the command line), or
// refuse it before opening (the window: opening a FIFO waits for a writer
// that may never come). Either way it is never taken as an empty file.
enum class Streams { Read, Refuse };

// What a refusal was about, as values, so that each program words it in
// its own language (detail is the command line's English).
enum class FileProblem {
    Other,         // detail says it; the system's word is systemError where there is one
    CutShort,      // shorter than its count announces: announced, holds
    ReadError,     // a read the system failed: systemError
    TooShort,      // shorter than a parameter block and a count: size
    CountOutside,  // a count outside 0..RECORD_CAPACITY: announced
    EmptyStream,   // nothing arrived from a pipe or device
    Busy,          // another program is writing the file
};

struct FileError {
    FileFailure kind;
    std::string detail;  // the path, then what was wrong with it
    FileProblem problem = FileProblem::Other;
    std::string path{};         // the file, where the problem names one
    int announced = 0;          // CutShort, CountOutside: the records the count announces
    int holds = 0;              // CutShort: the complete records the file holds
    std::uintmax_t size = 0;    // TooShort: the file's bytes
    std::string systemError{};  // ReadError: the system's word for it
};
using FileOutcome = std::optional<FileError>;  // empty on success

// A refused file leaves the document exactly as it was. A 0-byte file opens
// and changes nothing; bytes after the last record are ignored. A stream that
// gives nothing is refused: nothing says it was meant to be empty.
FileOutcome LoadDataFile(const std::filesystem::path& path, CVarneloDoc& doc, Streams streams = Streams::Read);

// Writes through a temporary file: a failed save leaves the old file intact.
FileOutcome SaveDataFile(const std::filesystem::path& path, const CVarneloDoc& doc);

}  // namespace varnelo
