#pragma once
// A record's reflectance as the analyses read it: in double, and undefined
// (NaN) wherever the ratio means nothing. The charts and the CSV export show
// the raw ratio (DeriveSpectra); an index, a band or a library spectrum
// must instead leave out a wavelength whose ch.2 reading is zero, negative or
// not finite, or whose ch.1 reading is not finite: a zero reference would
// otherwise turn into a reflectance of 0, an NDVI of -1.

#include <array>
#include <bitset>
#include <cmath>

#include "data/layout.h"
#include "data/measurement_record.h"
#include "data/spectra.h"

namespace varnelo {

using ReflectanceArray = std::array<double, SPECTRUM_LENGTH>;
// Elements an output reads, by element index (wavelength - 340).
using ElementMask = std::bitset<SPECTRUM_LENGTH>;

inline bool Defined(double reflectance) { return !std::isnan(reflectance); }

// Element j (0..510): the float DeriveSpectra gives there, widened, or NaN.
double DefinedReflectanceAt(const MeasurementRecord& record, std::size_t j);

// All 511 elements, the same values as DefinedReflectanceAt.
void DefinedReflectance(const MeasurementRecord& record, ReflectanceArray& out);

// Σ ch.2 over 400..800 nm, in double: how much light reached the reference,
// whose jump between records means the sky changed under the measurement.
double SkySum(const MeasurementRecord& record);

// True when an element in `needed` is undefined.
bool AnyUndefined(const ReflectanceArray& reflectance, const ElementMask& needed);

}  // namespace varnelo
