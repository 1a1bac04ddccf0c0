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
    // A ch.1 reading that is not finite makes the scaled ch.1, and so the
    // ratio, not finite: checking the ratio covers it, in one pass over
    // arrays that the processor takes a vector at a time.
    for (std::size_t j = 0; j < SPECTRUM_LENGTH; ++j) {
        const float ch2 = spectra.ch2[j];
        const float r = spectra.reflectance[j];
        const bool defined = ch2 > 0.0f && ch2 <= std::numeric_limits<float>::max() && std::isfinite(r);
        out[j] = defined ? static_cast<double>(r) : UNDEFINED;
    }
}

double SkySum(const MeasurementRecord& record) {
    const SpectrumView ch2 = record.spectrum_ch2();
    // Four running sums, which the processor adds side by side; the order
    // of a few hundred additions changes nothing a 10 % threshold sees.
    double sum[4] = {};
    int j = EXPORT_WINDOW.first;
    for (; j + 3 <= EXPORT_WINDOW.last; j += 4) {
        for (int k = 0; k < 4; ++k) sum[k] += static_cast<double>(ch2[static_cast<std::size_t>(j + k)]);
    }
    for (; j <= EXPORT_WINDOW.last; ++j) sum[0] += static_cast<double>(ch2[static_cast<std::size_t>(j)]);
    return (sum[0] + sum[1]) + (sum[2] + sum[3]);
}

bool AnyUndefined(const ReflectanceArray& reflectance, const ElementMask& needed) {
    if (needed.all()) {
        bool any = false;
        for (const double r : reflectance) any |= std::isnan(r);
        return any;
    }
    for (std::size_t j = 0; j < SPECTRUM_LENGTH; ++j) {
        if (needed[j] && !Defined(reflectance[j])) return true;
    }
    return false;
}

}  // namespace varnelo
