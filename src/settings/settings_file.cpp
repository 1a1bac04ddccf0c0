#include "settings/settings_file.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "io/path_text.h"
#include "io/table_file.h"
#include "text/decimal_prefix.h"

namespace varnelo {

namespace {

constexpr std::size_t FIELD_COUNT = 2 + device_info_offset::SENSOR_COEF_COUNT;

std::string WithoutQuotes(std::string_view field) {
    std::string text(field);
    std::erase(text, '"');
    return text;
}

// Fields 1 to 8 of one piece; past the piece's end every field is empty.
std::array<std::string_view, FIELD_COUNT> SplitFields(std::string_view piece) {
    std::array<std::string_view, FIELD_COUNT> fields{};
    for (std::size_t i = 0; i < FIELD_COUNT && !piece.empty(); ++i) {
        const std::size_t comma = piece.find(',');
        fields[i] = piece.substr(0, comma);
        if (comma == std::string_view::npos) break;
        piece.remove_prefix(comma + 1);
    }
    return fields;
}

void AddLine(std::string_view piece, SensorTable& table) {
    const auto fields = SplitFields(piece);
    if (WithoutQuotes(fields[0]) != SENSOR_TAG) return;
    if (table.heads.size() == SENSOR_TABLE_CAPACITY) {
        ++table.ignoredLines;
        return;
    }
    SensorHead& head = table.heads.emplace_back();
    head.name = WithoutQuotes(fields[1]);
    for (std::size_t k = 0; k < head.coefficients.size(); ++k) {
        const std::string_view number = fields[2 + k];
        head.coefficients[k] =
            ReadDecimalPrefix({reinterpret_cast<const std::uint8_t*>(number.data()), number.size()});
    }
}

// Cuts the bytes that `next` hands out (EOF at the end) into pieces as the C
// line reader does in text mode: a CR LF pair is one LF, a piece ends after
// its LF or at SETTINGS_PIECE_MAX bytes, and the LF is not part of the piece.
// A spreadsheet saving "UTF-8 CSV" puts a byte-order mark before the first
// line; it is no part of the first field, so it is skipped.
template <class NextByte>
SensorTable ReadPieces(NextByte nextByte) {
    constexpr std::array<int, 3> BOM{0xEF, 0xBB, 0xBF};
    std::array<int, 3> head{};
    std::size_t headSize = 0;
    while (headSize < head.size() && (head[headSize] = nextByte()) == BOM[headSize]) ++headSize;
    if (headSize < head.size()) ++headSize;  // the byte that broke the mark, or EOF
    std::size_t headAt = headSize == BOM.size() && head == BOM ? headSize : 0;
    auto next = [&] { return headAt < headSize ? head[headAt++] : nextByte(); };

    SensorTable table;
    std::string piece;
    std::size_t taken = 0;
    int c = next();
    while (c != EOF) {
        int following = next();
        if (c == '\r' && following == '\n') {
            c = '\n';
            following = next();
        }
        ++taken;
        if (c != '\n') piece.push_back(static_cast<char>(c));
        if (c == '\n' || taken == SETTINGS_PIECE_MAX) {
            AddLine(piece, table);
            piece.clear();
            taken = 0;
        }
        c = following;
    }
    if (taken > 0) AddLine(piece, table);
    return table;
}

}  // namespace

SensorTable ParseSensorTable(std::string_view text) {
    std::size_t at = 0;
    return ReadPieces([&] { return at < text.size() ? static_cast<unsigned char>(text[at++]) : EOF; });
}

std::optional<SensorTable> LoadSettingsFile(const std::filesystem::path& path, std::string& error) {
    // Its lines are read in pieces whatever their length: only the file's
    // size is bounded.
    std::string text;
    if (const Status read = ReadTableFile(path, text, NO_LINE_LIMIT); !read) {
        // A half-read file would replace a good list with part of one.
        const std::string name = PathText(path);
        const bool named = read.detail.starts_with(name + " ");
        error = name + ": " + (!read.systemError.empty() ? read.systemError
                               : named                   ? read.detail.substr(name.size() + 1)
                                                         : read.detail);
        return std::nullopt;
    }
    return ParseSensorTable(text);
}

std::optional<std::size_t> FindSensor(const SensorTable& table, std::string_view name) {
    const auto found = std::find_if(table.heads.begin(), table.heads.end(),
                                    [&](const SensorHead& head) { return head.name == name; });
    if (found == table.heads.end()) return std::nullopt;
    return static_cast<std::size_t>(found - table.heads.begin());
}

}  // namespace varnelo
