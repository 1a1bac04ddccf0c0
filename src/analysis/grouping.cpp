#include "analysis/grouping.h"

#include <charconv>
#include <cmath>

#include "text/message_text.h"

namespace varnelo {

namespace {

std::string Shortest(double value) {
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc() ? std::string(text, end) : std::string();
}

std::string MeanError(std::string_view text, std::string_view what) {
    return "--mean " + QuotedValue(text) + ' ' + std::string(what);
}

}  // namespace

std::optional<Grouping> ParseGrouping(std::string_view text, std::string& error) {
    const auto bad = [&](std::string_view why) {
        error = MeanError(text, why);
        return std::nullopt;
    };
    if (text.starts_with("gap:")) {
        const std::string_view s = text.substr(4);
        double seconds = 0.0;
        const auto [end, failure] = std::from_chars(s.data(), s.data() + s.size(), seconds);
        if (s.empty() || failure != std::errc() || end != s.data() + s.size() || !std::isfinite(seconds) || seconds < 0.0) {
            return bad("needs gap:S with S seconds, 0 or more");
        }
        return Grouping{Grouping::Kind::Gap, 0, seconds};
    }
    int n = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (text.empty() || failure != std::errc() || end != text.data() + text.size() || n < 1) {
        return bad("is neither a number of records (1 or more) nor gap:S");
    }
    return Grouping{Grouping::Kind::Count, n, 0.0};
}

std::string GroupingName(const Grouping& grouping) {
    switch (grouping.kind) {
        case Grouping::Kind::None: return {};
        case Grouping::Kind::Count: return "mean " + std::to_string(grouping.count);
        case Grouping::Kind::Gap: return "mean gap:" + Shortest(grouping.gapSeconds);
    }
    return {};
}

std::vector<RecordRange> GroupRecords(const Grouping& grouping, int count,
                                      const std::function<std::optional<double>(int)>& seconds) {
    std::vector<RecordRange> groups;
    std::optional<double> previous;
    for (int i = 0; i < count; ++i) {
        bool starts = groups.empty();
        if (grouping.kind == Grouping::Kind::Count) {
            starts = starts || groups.back().size() >= grouping.count;
        } else if (grouping.kind == Grouping::Kind::Gap) {
            const std::optional<double> now = seconds(i);
            starts = starts || !now || !previous || std::abs(*now - *previous) > grouping.gapSeconds;
            previous = now;
        } else {
            starts = true;
        }
        if (starts) {
            groups.push_back(RecordRange{i, i});
        } else {
            groups.back().last = i;
        }
    }
    return groups;
}

}  // namespace varnelo
