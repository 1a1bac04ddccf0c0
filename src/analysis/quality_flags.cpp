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

unsigned SaturationFlag(const MeasurementRecord& record, float counts) {
    const SpectrumView ch1 = record.spectrum_ch1();
    const SpectrumView ch2 = record.spectrum_ch2();
    bool saturated = false;
    for (std::size_t j = 0; j < SPECTRUM_LENGTH; ++j) saturated |= ch1[j] >= counts || ch2[j] >= counts;
    return saturated ? unsigned{QC_SATURATED} : 0u;
}

namespace {

std::optional<double> Number(std::string_view text) {
    double value = 0.0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || failure != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<float> ParseSaturation(std::string_view counts, std::string& error) {
    const std::optional<double> value = Number(counts);
    if (value && *value > 0.0 && *value <= 3.4e38) return static_cast<float>(*value);
    error = "--saturation " + QuotedValue(counts) + " is not a count above 0";
    return std::nullopt;
}

std::optional<double> ParseMaxZenith(std::string_view degrees, std::string& error) {
    const std::optional<double> value = Number(degrees);
    if (value && *value >= 0.0 && *value <= 180.0) return value;
    error = "--max-zenith " + QuotedValue(degrees) + " is not an angle of 0..180 degrees";
    return std::nullopt;
}

}  // namespace varnelo
