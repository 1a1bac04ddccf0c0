#pragma once
// Spectral indices of a record's reflectance (the ratio DeriveSpectra gives,
// never changed here), read at whole nanometres of the 340..850 nm grid:
// R(λ) is the reflectance element λ - 340.
//
//   NDVI      (R800 - R680) / (R800 + R680)
//   PRI       (R531 - R570) / (R531 + R570)
//   REP       700 + 40 ((R670 + R780) / 2 - R700) / (R740 - R700), in nm:
//             the red-edge position by linear four-point interpolation
//             (Guyot & Baret 1988)
//   MTCI      (R754 - R709) / (R709 - R681)
//   nd:A:B    (RA - RB) / (RA + RB), A and B whole nanometres in 340..850
//
// Computed in double from the float32 elements. A zero denominator or a
// non-finite element gives no value, never an infinity or a NaN, so that
// every file and view shows the same number or the same gap. A record's
// indices read its defined reflectance (analysis/reflectance.h): an undefined
// element gives no value.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/reflectance.h"
#include "data/document.h"
#include "data/layout.h"
#include "data/measurement_record.h"
#include "data/spectra.h"

namespace varnelo {

enum class IndexKind { Ndvi, Pri, Rep, Mtci, NormalisedDifference };

struct SpectralIndex {
    IndexKind kind = IndexKind::Ndvi;
    int a = 0;  // nm, for NormalisedDifference only
    int b = 0;
    friend bool operator==(const SpectralIndex&, const SpectralIndex&) = default;
};

inline constexpr SpectralIndex NDVI{IndexKind::Ndvi};
inline constexpr SpectralIndex PRI{IndexKind::Pri};
inline constexpr SpectralIndex REP{IndexKind::Rep};
inline constexpr SpectralIndex MTCI{IndexKind::Mtci};

// NDVI, PRI, REP, MTCI: what a table shows when nobody chose.
std::vector<SpectralIndex> DefaultIndices();

using IndexValue = std::optional<double>;

IndexValue ComputeIndex(const SpectralIndex& index, std::span<const float, SPECTRUM_LENGTH> reflectance);
IndexValue ComputeIndex(const SpectralIndex& index, const ReflectanceArray& reflectance);

// Each index of one record, in the order given: the same values as from its
// whole derived reflectance, deriving only the few elements read.
void ComputeIndices(const MeasurementRecord& record, std::span<const SpectralIndex> indices,
                    std::span<IndexValue> values);

// One index of records 0..count-1 (count held to the document's capacity),
// as a coloured track or a status line shows it.
std::vector<IndexValue> IndexOfRecords(const CVarneloDoc& doc, int count, const SpectralIndex& index);

// The elements an index reads.
ElementMask IndexElements(const SpectralIndex& index);
// NDVI, PRI and nd:A:B, whose values lie in -1..1 for positive reflectances.
bool IsNormalisedDifference(const SpectralIndex& index);

// "NDVI", "PRI", "REP", "MTCI", "nd:750:705": the name a column or a
// property carries, and that ParseIndexName reads back.
std::string IndexName(const SpectralIndex& index);
// "nm" for REP; empty for the ratios, which have no unit.
std::string_view IndexUnit(const SpectralIndex& index);
// Decimals a short readout shows: 1 for REP (nm), 2 for MTCI, 3 for the
// normalised differences.
int IndexReadoutDecimals(const SpectralIndex& index);

// "NDVI 0.712  PRI -0.031  REP 718.4 nm  MTCI 2.84": each index with its
// readout decimals and unit, "—" where there is no value; two spaces apart.
std::string IndexReadoutText(std::span<const SpectralIndex> indices, std::span<const IndexValue> values);

// Any case: "ndvi", "PRI", "nd:750:705". An unknown name or a wavelength
// outside 340..850 gives nothing, with `error` naming the bad value.
std::optional<SpectralIndex> ParseIndexName(std::string_view text, std::string& error);

}  // namespace varnelo
