#pragma once
// The three spectra shown and exported for a record: ch.1 brought to ch.2's
// exposure and corrected by the record's channel-difference table, ch.2 as
// measured, and their ratio. Computed on demand, never stored.

#include <array>

#include "data/layout.h"
#include "data/measurement_record.h"

namespace varnelo {

using Spectrum = std::array<float, SPECTRUM_LENGTH>;

struct DerivedSpectra {
    Spectrum ch1_scaled;
    Spectrum ch2;
    Spectrum reflectance;
};

enum class SpectraNeeded { ChannelsOnly, WithReflectance };

// Nothing is guarded: an exp_ch1 of 0 yields non-finite values, which pass on.
// With ChannelsOnly the reflectance is left untouched.
void DeriveSpectra(const MeasurementRecord& record, DerivedSpectra& out,
                   SpectraNeeded needed = SpectraNeeded::WithReflectance);
DerivedSpectra DeriveSpectra(const MeasurementRecord& record);

// The reflectance of element j (0..510) alone: the very float that
// DeriveSpectra gives there, for whoever needs a few elements of many records.
float ReflectanceAt(const MeasurementRecord& record, std::size_t j);

constexpr int WavelengthOfElement(int j) { return WAVELENGTH_BASE_NM + j; }

// Inclusive element ranges on the 340..850 nm grid.
struct WavelengthWindow {
    int first;
    int last;
    constexpr int count() const { return last - first + 1; }
    constexpr bool contains(int j) const { return j >= first && j <= last; }
};

inline constexpr WavelengthWindow FULL_RANGE{0, SPECTRUM_LENGTH - 1};    // 340..850 nm
inline constexpr WavelengthWindow EXPORT_WINDOW{60, 460};                // 400..800 nm
inline constexpr WavelengthWindow CHART_WINDOW{50, 460};                 // 390..800 nm: the chart starts 10 nm early

constexpr WavelengthWindow ExportWindow(bool limitRange) { return limitRange ? EXPORT_WINDOW : FULL_RANGE; }
constexpr WavelengthWindow ChartWindow(bool limitRange) { return limitRange ? CHART_WINDOW : FULL_RANGE; }

}  // namespace varnelo
