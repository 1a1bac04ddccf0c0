#pragma once
// The *.vrnldata file: block 0 (the ParameterBlock), the record count as a
// little-endian int32, then the records; no header of its own.

#include <filesystem>
#include <optional>
#include <string>

#include "data/document.h"

namespace varnelo {

inline constexpr const char* MSG_OPEN_FAILED = "ドキュメントを開くことに失敗しました。";
inline constexpr const char* MSG_UNEXPECTED_FORMAT = "予期しないファイル形式です。";
inline constexpr const char* MSG_SAVE_FAILED = "ドキュメントの保存に失敗しました。";

inline constexpr std::uintmax_t DATA_FILE_HEADER_SIZE = BLOCK_SIZE + 4;  // block 0 and the count

constexpr std::uintmax_t DataFileSize(int recordCount) {
    return DATA_FILE_HEADER_SIZE + static_cast<std::uintmax_t>(recordCount) * BLOCK_SIZE;
}

// message: the text shown to the user; detail: which file and what exactly.
struct FileError {
    std::string message;
    std::string detail;
};
using FileOutcome = std::optional<FileError>;  // empty on success

// A refused file leaves the document exactly as it was. A 0-byte file opens
// and changes nothing; bytes after the last record are ignored.
FileOutcome LoadDataFile(const std::filesystem::path& path, CVarneloDoc& doc);

// Writes through a temporary file: a failed save leaves the old file intact.
FileOutcome SaveDataFile(const std::filesystem::path& path, const CVarneloDoc& doc);

}  // namespace varnelo
