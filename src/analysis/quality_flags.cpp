#include "analysis/quality_flags.h"

#include <charconv>
#include <cmath>

#include "text/message_text.h"

namespace varnelo {

std::string QualityText(unsigned flags) {
    std::string text;
    for (const QualityName& n : QUALITY_NAMES) {
        if ((flags & n.flag) == 0) continue;
        if (!text.empty()) text += ';';
        text += n.name;
    }
    return text;
}

bool SkyChanged(double previousSum, double sum, double threshold) {
    return std::abs(sum - previousSum) > threshold * previousSum;
}

unsigned RangeFlag(std::span<const SpectralIndex> indices, std::span<const IndexValue> values) {
    for (std::size_t i = 0; i < indices.size() && i < values.size(); ++i) {
        if (IsNormalisedDifference(indices[i]) && values[i] && std::abs(*values[i]) > 1.0) return QC_RANGE;
    }
    return 0;
}

std::optional<double> ParseSkyChange(std::string_view percent, std::string& error) {
    double value = 0.0;
    const auto [end, failure] = std::from_chars(percent.data(), percent.data() + percent.size(), value);
    if (percent.empty() || failure != std::errc() || end != percent.data() + percent.size() || !std::isfinite(value) ||
        value < 0.0) {
        error = "--sky-change " + QuotedValue(percent) + " is not a percentage of 0 or more";
        return std::nullopt;
    }
    return value / 100.0;
}

}  // namespace varnelo
