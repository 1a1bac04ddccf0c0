#include "data/measurement_record.h"

#include <algorithm>
#include <cstdio>

namespace varnelo {

void MeasurementRecord::set_exp(std::int32_t ch1, std::int32_t ch2) {
    WriteI32Le(at(record_offset::EXP_CH1), ch1);
    WriteI32Le(at(record_offset::EXP_CH2), ch2);
}

void MeasurementRecord::set_temps(float ch1, float ch2) {
    WriteF32Le(at(record_offset::TEMP_CH1), ch1);
    WriteF32Le(at(record_offset::TEMP_CH2), ch2);
}

void MeasurementRecord::set_battery(float batc_value, float batv_value) {
    WriteF32Le(at(record_offset::BATC), batc_value);
    WriteF32Le(at(record_offset::BATV), batv_value);
}

void MeasurementRecord::set_time(int y, int mo, int d, int h, int mi, int s) {
    WriteI16Le(at(record_offset::YEAR), static_cast<std::int16_t>(y));
    WriteI16Le(at(record_offset::MONTH), static_cast<std::int16_t>(mo));
    WriteI16Le(at(record_offset::DAY), static_cast<std::int16_t>(d));
    WriteI16Le(at(record_offset::HOUR), static_cast<std::int16_t>(h));
    WriteI16Le(at(record_offset::MINUTE), static_cast<std::int16_t>(mi));
    WriteI16Le(at(record_offset::SECOND), static_cast<std::int16_t>(s));
}

void MeasurementRecord::set_gps_text(std::string_view text) {
    std::uint8_t* field = at(record_offset::GPS_TEXT);
    const std::size_t n = std::min(text.size(), record_offset::GPS_TEXT_SIZE - 1);
    std::fill(field, field + record_offset::GPS_TEXT_SIZE, std::uint8_t{0});
    std::copy_n(text.begin(), n, field);
}

std::string RecordTimeLabel(const MeasurementRecord& record) {
    // Widest case: six int16 values with signs, separators and the terminator.
    char text[64];
    const int n = std::snprintf(text, sizeof text, "%d/%2d/%2d,%2d:%2d:%2d", record.year() + 1980, record.month(),
                                record.day(), record.hour(), record.minute(), record.second());
    return std::string(text, static_cast<std::size_t>(n));
}

}  // namespace varnelo
