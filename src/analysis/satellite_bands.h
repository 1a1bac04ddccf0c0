#pragma once
// A satellite sensor's bands as the field spectrum would have seen them: the
// reflectance weighted by each band's relative spectral response S(λ),
// Σ R(λ) S(λ) / Σ S(λ) over the 1 nm grid 340..850 nm.
//
// Built-in responses are Gaussians with the published centre and width
// (taken as the full width at half maximum):
//   s2a  Sentinel-2A MSI, from ESA's Sentinel-2 MSI spectral response
//        functions (Sentinel-2 User Handbook, ESA 2015, and the
//        S2-SRF document COPE-GSEG-EOPG-TN-15-0007)
//   l8   Landsat 8 OLI, from the USGS OLI relative spectral response
//        (Barsi, Lee, Kvaran, Markham & Pedelty 2014, "The spectral response
//        of the Landsat-8 Operational Land Imager", Remote Sensing 6(10),
//        10232-10251)
// A measured table (--srf) replaces them.
//
// A band reaching past the grid (Sentinel-2 B8A at 865 nm) cannot be
// computed honestly from it: each band says how much of its response lies
// inside 339.5..850.5 nm, and the caller leaves out those below
// FULL_COVERAGE unless asked to keep them.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/reflectance.h"

namespace varnelo {

inline constexpr double FULL_COVERAGE = 0.99;
inline constexpr std::size_t RESPONSE_COLUMNS_MAX = 256;
inline constexpr double TABLE_WAVELENGTH_MIN_NM = 1.0;
inline constexpr double TABLE_WAVELENGTH_MAX_NM = 100000.0;  // far infrared: every optical sensor fits

struct SpectralBand {
    std::string name;
    ReflectanceArray response{};  // S on the grid, ≥ 0
    double coverage = 0.0;        // of the whole response, inside the grid
    ElementMask needed;           // where S ≥ 1 % of its peak
    // The elements summed: where S is above 1e-16 of its peak (a Gaussian's
    // tails beyond change no digit of a double).
    int first = 0;
    int last = SPECTRUM_LENGTH - 1;
};

struct BandSet {
    std::string sensor;  // "s2a", "l8", or the table's file name
    std::vector<SpectralBand> bands;
    // A table's first and last wavelength (nm): outside them its values are 0.
    double firstNm = 0.0, lastNm = 0.0;
};

// A Gaussian response of the given centre and FWHM (nm).
SpectralBand GaussianBand(std::string name, double centreNm, double fwhmNm);

// "s2a" or "l8", in any case; anything else gives nothing, with `error` naming it.
std::optional<BandSet> BuiltInSensor(std::string_view name, std::string& error);

// A CSV table: a wavelength column in nm (its header starts with
// "wavelength", or is "nm" or "lambda"), increasing, and one column per
// band named by its header. The response is interpolated linearly to each
// whole nm of the table's range. At most RESPONSE_COLUMNS_MAX columns and
// wavelengths inside TABLE_WAVELENGTH_MIN_NM..TABLE_WAVELENGTH_MAX_NM, so
// that the work stays bounded whatever the table says; values quoted in
// `error` are cut short and escaped (text/message_text.h).
std::optional<BandSet> ParseResponseTable(std::string_view text, std::string_view sensor, std::string& error);

// Removes the bands below FULL_COVERAGE and returns one line for each:
// "B8 covers 65 % of its response".
std::vector<std::string> LeaveOutPartialBands(BandSet& set);

// The elements some band of the set needs.
ElementMask BandElements(const BandSet& set);

// Σ R S / Σ S, or nothing when an element the band needs is undefined or
// the band has no response on the grid.
std::optional<double> BandValue(const SpectralBand& band, const ReflectanceArray& reflectance);

}  // namespace varnelo
