#pragma once
// Records taken together: consecutive groups of N, or runs whose neighbours
// are at most S seconds apart (a pause in walking starts a new plot). A
// group's reflectance is the mean of its members' where they are defined.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnelo {

struct Grouping {
    enum class Kind { None, Count, Gap } kind = Kind::None;
    int count = 0;           // Count: records per group
    double gapSeconds = 0;   // Gap: a longer pause starts a new group
    bool on() const { return kind != Kind::None; }
};

// "N" (1 or more) or "gap:S" (S seconds, 0 or more).
std::optional<Grouping> ParseGrouping(std::string_view text, std::string& error);
// "mean 5", "mean gap:30".
std::string GroupingName(const Grouping& grouping);

struct RecordRange {
    int first = 0;
    int last = 0;  // inclusive
    int size() const { return last - first + 1; }
};

// The groups of records 0..count-1 in order. `seconds(i)` is record i's
// time, or nothing when it has none: such a record is a gap on both sides.
std::vector<RecordRange> GroupRecords(const Grouping& grouping, int count,
                                      const std::function<std::optional<double>(int)>& seconds);

}  // namespace varnelo
