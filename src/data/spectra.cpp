#include "data/spectra.h"

#include <bit>
#include <cstdint>

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
        // Every element is divided, by 1 where the reading is zero (either
        // sign), and that quotient dropped: chosen by masks of bits rather
        // than by comparisons of floats, the loop runs on whole vectors.
        const auto bits = std::bit_cast<std::uint32_t>(out.ch2[j]);
        const std::uint32_t keep = static_cast<std::uint32_t>((bits & 0x7fffffffu) == 0) - 1u;  // zero: none
        const float denominator = std::bit_cast<float>((bits & keep) | (std::bit_cast<std::uint32_t>(1.0f) & ~keep));
        const float quotient = static_cast<float>(static_cast<double>(out.ch1_scaled[j]) / denominator);
        out.reflectance[j] = std::bit_cast<float>(std::bit_cast<std::uint32_t>(quotient) & keep);
    }
}

float ReflectanceAt(const MeasurementRecord& record, std::size_t j) {
    const float ratio = static_cast<float>(static_cast<double>(record.exp_ch2()) / static_cast<double>(record.exp_ch1()));
    const float scaled =
        static_cast<float>(static_cast<double>(record.spectrum_ch1()[j]) * ratio * static_cast<double>(record.channel_diff()[j]));
    const float ch2 = record.spectrum_ch2()[j];
    if (ch2 == 0.0f) return 0.0f;
    return static_cast<float>(static_cast<double>(scaled) / ch2);
}

DerivedSpectra DeriveSpectra(const MeasurementRecord& record) {
    DerivedSpectra out;
    DeriveSpectra(record, out);
    return out;
}

}  // namespace varnelo
