#include "device/record_append.h"

#include "data/layout.h"

namespace varnelo {

std::string DescribeRefusal(AppendRefusal refusal, int kept, int loggerCount) {
    const std::string held = std::to_string(kept);
    switch (refusal) {
        case AppendRefusal::None: break;
        case AppendRefusal::NoRecords: return "there is no record yet to check the logger's against";
        case AppendRefusal::LoggerHoldsFewer:
            return "the logger holds " + std::to_string(loggerCount) + " records, fewer than the " + held +
                   " already here: its memory was cleared";
        case AppendRefusal::RecordDiffers:
            return "the logger's record " + std::to_string(kept - 1) +
                   " differs from the one here: another logger, or its memory was cleared and filled again";
        case AppendRefusal::NoNewRecords:
            return kept >= RECORD_CAPACITY ? "no new records: the " + held + " records here fill the capacity"
                                           : "no new records: the logger holds the " + held + " records here";
    }
    return {};
}

}  // namespace varnelo
