#pragma once
// The choices a user keeps for every result the window writes: the clock's
// offset from UTC (none, found from the GPS time, or given), the records
// taken over a white panel and its certified reflectance, the sun's largest
// zenith and the heads' saturation level. They are kept as typed, so that a
// choice that no longer fits the open records (a panel record beyond them,
// a table file since removed) is said when a result is made, not lost.

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "analysis/reflectance.h"
#include "data/document.h"
#include "export/record_rows.h"

namespace varnelo {

struct ResultChoices {
    enum class Offset { None, Auto, Given };
    Offset offset = Offset::None;
    std::string givenOffset;       // "+09:00"
    std::string panelRecords;      // "0,20-21,39"; empty: no panel calibration
    std::string panelReflectance;  // a factor, or a CSV table's path as path_text gives it
    std::string maxZenith = "60";
    std::string saturation = "65535";

    bool operator==(const ResultChoices&) const = default;
};

struct ChoiceProblem {
    enum class Field { Offset, PanelRecords, PanelReflectance, MaxZenith, Saturation };
    Field field;
    std::string detail;  // English, naming the value or the records
};

// The certified reflectance of `value`: a factor, or else the table at the
// path it names, read as every table is.
std::optional<ReflectanceArray> ReadPanelReflectance(std::string_view value, std::string& error);

// The first choice whose text does not read; the table file is read too.
std::optional<ChoiceProblem> CheckChoices(const ResultChoices& choices);

// The stages the choices give the document's records, one record a row:
// the offset found in them when asked for, the panel read from them.
std::variant<RowStages, ChoiceProblem> ResolveStages(const ResultChoices& choices, const CVarneloDoc& doc);

// The stages for showing one record: an offset to be found is found from
// that record's own GPS time, so that showing a record costs the same
// however many records there are, also while they arrive; the defaults
// where the choices do not fit.
RowStages ShownStages(const ResultChoices& choices, const CVarneloDoc& doc, int record);

}  // namespace varnelo
