#include "data/measurement_record.h"

#include <algorithm>
#include <charconv>
#include <string_view>

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

namespace {

// printf("%*d", width, value) followed by `separator` (none when 0).
char* AppendField(char* out, int value, int width, char separator) {
    char digits[12];
    const char* const end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    const auto length = static_cast<int>(end - digits);
    for (int pad = length; pad < width; ++pad) *out++ = ' ';
    out = std::copy(static_cast<const char*>(digits), end, out);
    if (separator != 0) *out++ = separator;
    return out;
}

// Six int16 fields (the year plus 1980 stays within an int16's width),
// each with its sign and widest digits, and the five separators.
static_assert(6 * std::string_view("-32768").size() + 5 <= RECORD_TIME_LABEL_MAX);

}  // namespace

char* AppendRecordTimeLabel(char* out, const MeasurementRecord& record) {
    // Without printf: every record list and every CSV line has one, 15000
    // to a full file.
    out = AppendField(out, record.year() + 1980, 0, '/');
    out = AppendField(out, record.month(), 2, '/');
    out = AppendField(out, record.day(), 2, ',');
    out = AppendField(out, record.hour(), 2, ':');
    out = AppendField(out, record.minute(), 2, ':');
    return AppendField(out, record.second(), 2, 0);
}

std::string RecordTimeLabel(const MeasurementRecord& record) {
    char text[RECORD_TIME_LABEL_MAX];
    return std::string(text, AppendRecordTimeLabel(text, record));
}

}  // namespace varnelo
