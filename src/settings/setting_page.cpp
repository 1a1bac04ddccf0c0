#include "settings/setting_page.h"

#include "text/number_text.h"

namespace varnelo {

namespace {

std::vector<std::string> HardwareLines(const DeviceInfoBlock& info) {
    std::vector<std::string> lines;
    lines.push_back(SensorName(info, 0) + "         , " + SensorName(info, 1));
    const SensorCoefficientSet ch1 = SensorCoefficients(info, 0);
    const SensorCoefficientSet ch2 = SensorCoefficients(info, 1);
    for (std::size_t k = 0; k < ch1.size(); ++k) {
        lines.push_back(ScientificText(ch1[k]) + " , " + ScientificText(ch2[k]));
    }
    return lines;
}

std::vector<std::string> ParameterLines(const ParameterBlock& p) {
    return {IntText(p.exp_ch1(), 5) + "," + IntText(p.exp_ch2(), 5),
            FixedText(p.batc(), 5, 2) + "," + FixedText(p.batv(), 5, 2)};
}

std::vector<std::string> DataLines(const ParameterBlock& p) {
    std::vector<std::string> lines;
    lines.reserve(SPECTRUM_LENGTH);
    const SpectrumView ch1 = p.spectrum_ch1();
    const SpectrumView ch2 = p.spectrum_ch2();
    for (std::size_t j = 0; j < SpectrumView::size(); ++j) {
        lines.push_back(FixedText(ch1[j], 5, 1) + ", " + FixedText(ch2[j], 5, 1));
    }
    return lines;
}

std::vector<std::string> ChannelDifferenceLines(const ParameterBlock& p) {
    std::vector<std::string> lines;
    lines.reserve(SPECTRUM_LENGTH);
    const SpectrumView diff = p.channel_diff();
    for (std::size_t j = 0; j < SpectrumView::size(); ++j) lines.push_back(FixedText(diff[j], 5, 3));
    return lines;
}

}  // namespace

std::vector<std::string> SettingPageLines(SettingPage page, const DeviceInfoBlock& info,
                                          const ParameterBlock& parameters) {
    switch (page) {
        case SettingPage::Hardware: return HardwareLines(info);
        case SettingPage::Parameters: return ParameterLines(parameters);
        case SettingPage::Data: return DataLines(parameters);
        case SettingPage::ChannelDifference: return ChannelDifferenceLines(parameters);
    }
    return {};
}

}  // namespace varnelo
