#pragma once
// What a row of results may not be trusted for, as flags a table column or
// a GIS property carries, "nofix;sky":
//   nofix      no GPS position (the rule that leaves a record out of the
//              track and point files)
//   undefined  an element of the reflectance the output reads is undefined
//   range      a normalised difference outside -1..1, which only negative
//              reflectances give
//   sky        the light on the reference, Σ ch.2 over 400..800 nm, changed
//              from the record before by more than the threshold (10 %):
//              a cloud passed between the two channels' readings
//   lowsun     the sun stands further from the zenith than the threshold
//              (60°), where the reference's cosine response is poor
//   saturated  a head read its full scale somewhere over 340..850 nm: the
//              true light is unknown there
//   panel      the record was taken over the white reference panel

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "analysis/spectral_index.h"
#include "data/measurement_record.h"

namespace varnelo {

enum QualityFlag : unsigned {
    QC_NOFIX = 1u << 0,
    QC_UNDEFINED = 1u << 1,
    QC_RANGE = 1u << 2,
    QC_SKY = 1u << 3,
    QC_LOWSUN = 1u << 4,
    QC_SATURATED = 1u << 5,
    QC_PANEL = 1u << 6,
};

inline constexpr double DEFAULT_SKY_CHANGE = 0.10;
// The heads' full scale in raw counts, the top of the spectrum chart.
inline constexpr float DEFAULT_SATURATION = 65535.0f;
inline constexpr double DEFAULT_MAX_ZENITH = 60.0;

struct QualityName {
    unsigned flag;
    std::string_view name;
};
inline constexpr QualityName QUALITY_NAMES[] = {
    {QC_NOFIX, "nofix"}, {QC_UNDEFINED, "undefined"}, {QC_RANGE, "range"}, {QC_SKY, "sky"},
    {QC_LOWSUN, "lowsun"}, {QC_SATURATED, "saturated"}, {QC_PANEL, "panel"}};

// The names joined by ';' in the order above; empty for none.
std::string QualityText(unsigned flags);

// The longest QualityText: every name, and a ';' between each two.
constexpr std::size_t QualityTextMax() {
    std::size_t size = 0;
    for (const QualityName& n : QUALITY_NAMES) size += n.name.size() + 1;
    return size - 1;
}

// |S - previous| > threshold · previous.
bool SkyChanged(double previousSum, double sum, double threshold);

// QC_RANGE when a normalised difference among `values` lies outside -1..1.
unsigned RangeFlag(std::span<const SpectralIndex> indices, std::span<const IndexValue> values);

// "--sky-change PCT": a percentage ≥ 0; nothing otherwise, `error` naming it.
std::optional<double> ParseSkyChange(std::string_view percent, std::string& error);

// QC_SATURATED when a raw reading of either head, as the logger counted it,
// is at or above `counts`. The scaled ch.1 is not compared: scaling to
// ch.2's exposure moves it past full scale, or below, without saturating.
unsigned SaturationFlag(const MeasurementRecord& record, float counts);

// "--saturation COUNTS" (> 0) and "--max-zenith DEG" (0..180).
std::optional<float> ParseSaturation(std::string_view counts, std::string& error);
std::optional<double> ParseMaxZenith(std::string_view degrees, std::string& error);

}  // namespace varnelo
