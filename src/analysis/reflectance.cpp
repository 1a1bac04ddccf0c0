#include "analysis/reflectance.h"

#include <limits>

namespace varnelo {

namespace {

constexpr double UNDEFINED = std::numeric_limits<double>::quiet_NaN();

bool DefinedReadings(float ch1, float ch2) { return std::isfinite(ch1) && std::isfinite(ch2) && ch2 > 0.0f; }

double Checked(float ratio) { return std::isfinite(ratio) ? static_cast<double>(ratio) : UNDEFINED; }

}  // namespace

double DefinedReflectanceAt(const MeasurementRecord& record, std::size_t j) {
    if (!DefinedReadings(record.spectrum_ch1()[j], record.spectrum_ch2()[j])) return UNDEFINED;
    return Checked(ReflectanceAt(record, j));
}

void DefinedReflectance(const MeasurementRecord& record, ReflectanceArray& out) {
    thread_local DerivedSpectra spectra;
    DeriveSpectra(record, spectra);
    const SpectrumView ch1 = record.spectrum_ch1();
    const SpectrumView ch2 = record.spectrum_ch2();
    for (std::size_t j = 0; j < SPECTRUM_LENGTH; ++j) {
        out[j] = DefinedReadings(ch1[j], ch2[j]) ? Checked(spectra.reflectance[j]) : UNDEFINED;
    }
}

double SkySum(const MeasurementRecord& record) {
    const SpectrumView ch2 = record.spectrum_ch2();
    double sum = 0.0;
    for (int j = EXPORT_WINDOW.first; j <= EXPORT_WINDOW.last; ++j) sum += static_cast<double>(ch2[static_cast<std::size_t>(j)]);
    return sum;
}

bool AnyUndefined(const ReflectanceArray& reflectance, const ElementMask& needed) {
    for (std::size_t j = 0; j < SPECTRUM_LENGTH; ++j) {
        if (needed[j] && !Defined(reflectance[j])) return true;
    }
    return false;
}

}  // namespace varnelo
