#pragma once
// The four pages of the settings dialog: the lines each shows of the
// document's device information and parameter blocks, written as C printf
// writes them in the "C" locale, whatever the user's locale.
//
//   Hardware           7 lines  "%s         , %s" of the names, then
//                               "%+15.8E , %+15.8E" of coefficients 0..5
//   Parameters         2 lines  "%5d,%5d" of the exposures, "%5.2f,%5.2f" of batc, batv
//   Data             511 lines  "%5.1f, %5.1f" of spectrum_ch1[j], spectrum_ch2[j]
//   ChannelDifference 511 lines "%5.3f" of channel_diff[j]

#include <string>
#include <vector>

#include "data/device_info_block.h"
#include "data/measurement_record.h"

namespace varnelo {

enum class SettingPage { Hardware = 0, Parameters = 1, Data = 2, ChannelDifference = 3 };

inline constexpr int SETTING_PAGE_COUNT = 4;

// Lines are bytes: the names stand as the block holds them, in the system's
// 8-bit encoding; a name field without a NUL shows all 16 bytes.
std::vector<std::string> SettingPageLines(SettingPage page, const DeviceInfoBlock& info,
                                          const ParameterBlock& parameters);

}  // namespace varnelo
