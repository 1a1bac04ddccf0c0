#pragma once
// Settings files: comma-separated text listing C12880MA sensor heads, one per
// line, each a name and six coefficients. The reading rules are those of the
// C library's line reader in text mode, kept byte for byte so that every file
// made for the logger reads the same here:
//
// - a line ends at LF, and a CR directly before the LF belongs to the line
//   end; a line is read in pieces of at most 255 bytes, each handled as a
//   line of its own;
// - fields are split at "," up to the line end; past the end every field is
//   empty;
// - a sensor line is one whose first field, with every double quote removed,
//   is exactly "C12880MA"; every other line is skipped;
// - the name is field 2 with every double quote removed, blanks kept;
// - coefficients are fields 3 to 8, each read by the C number rule (a quoted
//   number reads 0.0; a missing one is 0.0).

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/device_info_block.h"

namespace varnelo {

inline constexpr std::size_t SENSOR_TABLE_CAPACITY = 1000;
inline constexpr std::size_t SETTINGS_PIECE_MAX = 255;  // bytes of one piece of a line, its LF included
inline constexpr const char* SENSOR_TAG = "C12880MA";

struct SensorHead {
    std::string name;  // bytes as in the file, in the system's 8-bit encoding
    SensorCoefficientSet coefficients{};
};

// The heads of one file in file order: at most SENSOR_TABLE_CAPACITY, the
// sensor lines past that counted in ignoredLines.
struct SensorTable {
    std::vector<SensorHead> heads;
    std::size_t ignoredLines = 0;
};

// The heads of a whole file's bytes.
SensorTable ParseSensorTable(std::string_view text);

// Nothing, with error naming the file and the cause, when the file cannot be
// opened, is no regular file or larger than a table may be (io/table_file.h),
// or a read fails part way: a caller then keeps what it had.
std::optional<SensorTable> LoadSettingsFile(const std::filesystem::path& path, std::string& error);

// Index of the first head whose name is exactly `name`.
std::optional<std::size_t> FindSensor(const SensorTable& table, std::string_view name);

}  // namespace varnelo
