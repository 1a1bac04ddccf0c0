#include "data/spectra.h"

namespace varnelo {

void DeriveSpectra(const MeasurementRecord& record, DerivedSpectra& out, SpectraNeeded needed) {
    // The ratio is rounded to float32 first: that value, not the exact
    // quotient, scales every element.
    const float ratio = static_cast<float>(static_cast<double>(record.exp_ch2()) / static_cast<double>(record.exp_ch1()));
    const SpectrumView ch1 = record.spectrum_ch1();
    const SpectrumView ch2 = record.spectrum_ch2();
    const SpectrumView diff = record.channel_diff();
    for (std::size_t j = 0; j < SPECTRUM_LENGTH; ++j) {
        out.ch1_scaled[j] = static_cast<float>(static_cast<double>(ch1[j]) * ratio * static_cast<double>(diff[j]));
        out.ch2[j] = ch2[j];
    }
    if (needed == SpectraNeeded::ChannelsOnly) return;
    for (std::size_t j = 0; j < SPECTRUM_LENGTH; ++j) {
        const float denominator = out.ch2[j];
        out.reflectance[j] = denominator == 0.0f
                                 ? 0.0f
                                 : static_cast<float>(static_cast<double>(out.ch1_scaled[j]) / denominator);
    }
}

DerivedSpectra DeriveSpectra(const MeasurementRecord& record) {
    DerivedSpectra out;
    DeriveSpectra(record, out);
    return out;
}

}  // namespace varnelo
