#pragma once
// One measurement exactly as the logger stores it: 6728 little-endian bytes.
// The same bytes travel over the wire, sit in the document and fill the data
// file, so the record is a byte image with typed accessors, never a struct
// laid over the buffer.

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string>

#include "data/byte_order.h"
#include "data/layout.h"

namespace varnelo {

namespace record_offset {
inline constexpr std::size_t EXP_CH1 = 204;
inline constexpr std::size_t EXP_CH2 = 208;
inline constexpr std::size_t TEMP_CH1 = 212;
inline constexpr std::size_t TEMP_CH2 = 216;
inline constexpr std::size_t BATC = 240;
inline constexpr std::size_t BATV = 244;
inline constexpr std::size_t SPECTRUM_CH1 = 248;
inline constexpr std::size_t SPECTRUM_CH2 = 2292;
inline constexpr std::size_t CHANNEL_DIFF = 4336;
inline constexpr std::size_t YEAR = 6380;
inline constexpr std::size_t MONTH = 6382;
inline constexpr std::size_t DAY = 6384;
inline constexpr std::size_t HOUR = 6386;
inline constexpr std::size_t MINUTE = 6388;
inline constexpr std::size_t SECOND = 6390;
inline constexpr std::size_t GPS_TEXT = 6456;
inline constexpr std::size_t GPS_TEXT_SIZE = 128;
inline constexpr std::size_t SPECTRUM_BYTES = SPECTRUM_LENGTH * 4;

static_assert(TEMP_CH2 + 4 + 20 == BATC, "reserved_mid is 20 bytes");
static_assert(SPECTRUM_CH1 == BATV + 4);
static_assert(SPECTRUM_CH2 == SPECTRUM_CH1 + SPECTRUM_BYTES);
static_assert(CHANNEL_DIFF == SPECTRUM_CH2 + SPECTRUM_BYTES);
static_assert(YEAR == CHANNEL_DIFF + SPECTRUM_BYTES);
static_assert(SECOND + 2 + 64 == GPS_TEXT, "reserved_tail1 is 64 bytes");
static_assert(GPS_TEXT + GPS_TEXT_SIZE + 144 == BLOCK_SIZE, "reserved_tail2 closes the record");
}  // namespace record_offset

// A read-only view of one 511-element float32 array inside a record. An
// element outside 0..510 reads as not-a-number, never as the bytes of a
// neighbouring field.
class SpectrumView {
public:
    explicit SpectrumView(const std::uint8_t* first) : m_first(first) {}
    float operator[](std::size_t j) const {
        return j < SPECTRUM_LENGTH ? ReadF32Le(m_first + 4 * j) : std::numeric_limits<float>::quiet_NaN();
    }
    static constexpr std::size_t size() { return SPECTRUM_LENGTH; }

private:
    const std::uint8_t* m_first;
};

struct MeasurementRecord {
    std::array<std::uint8_t, BLOCK_SIZE> bytes;

    std::int32_t exp_ch1() const { return ReadI32Le(at(record_offset::EXP_CH1)); }
    std::int32_t exp_ch2() const { return ReadI32Le(at(record_offset::EXP_CH2)); }
    float temp_ch1() const { return ReadF32Le(at(record_offset::TEMP_CH1)); }
    float temp_ch2() const { return ReadF32Le(at(record_offset::TEMP_CH2)); }
    float batc() const { return ReadF32Le(at(record_offset::BATC)); }
    float batv() const { return ReadF32Le(at(record_offset::BATV)); }
    SpectrumView spectrum_ch1() const { return SpectrumView(at(record_offset::SPECTRUM_CH1)); }
    SpectrumView spectrum_ch2() const { return SpectrumView(at(record_offset::SPECTRUM_CH2)); }
    SpectrumView channel_diff() const { return SpectrumView(at(record_offset::CHANNEL_DIFF)); }
    std::int16_t year() const { return ReadI16Le(at(record_offset::YEAR)); }
    std::int16_t month() const { return ReadI16Le(at(record_offset::MONTH)); }
    std::int16_t day() const { return ReadI16Le(at(record_offset::DAY)); }
    std::int16_t hour() const { return ReadI16Le(at(record_offset::HOUR)); }
    std::int16_t minute() const { return ReadI16Le(at(record_offset::MINUTE)); }
    std::int16_t second() const { return ReadI16Le(at(record_offset::SECOND)); }
    std::span<const std::uint8_t, record_offset::GPS_TEXT_SIZE> gps_text() const {
        return std::span<const std::uint8_t, record_offset::GPS_TEXT_SIZE>(at(record_offset::GPS_TEXT),
                                                                           record_offset::GPS_TEXT_SIZE);
    }

    // Writers, for whoever plays the logger's part (the simulator, tests).
    void set_exp(std::int32_t ch1, std::int32_t ch2);
    void set_temps(float ch1, float ch2);
    void set_battery(float batc, float batv);
    // An element outside 0..510 is not written.
    void set_spectrum_ch1(std::size_t j, float v) { setElement(record_offset::SPECTRUM_CH1, j, v); }
    void set_spectrum_ch2(std::size_t j, float v) { setElement(record_offset::SPECTRUM_CH2, j, v); }
    void set_channel_diff(std::size_t j, float v) { setElement(record_offset::CHANNEL_DIFF, j, v); }
    void set_time(int year, int month, int day, int hour, int minute, int second);  // year as stored (minus 1980)
    void set_gps_text(std::string_view text);  // cut to 127 bytes, NUL-filled behind

    const std::uint8_t* at(std::size_t offset) const { return bytes.data() + offset; }
    std::uint8_t* at(std::size_t offset) { return bytes.data() + offset; }

private:
    void setElement(std::size_t array, std::size_t j, float v) {
        if (j < SPECTRUM_LENGTH) WriteF32Le(at(array) + 4 * j, v);
    }
};

static_assert(sizeof(MeasurementRecord) == BLOCK_SIZE);
static_assert(alignof(MeasurementRecord) == 1);

// The logger's parameters come in a block laid out like a record.
using ParameterBlock = MeasurementRecord;

// "%d/%2d/%2d,%2d:%2d:%2d" of year + 1980, month, day, hour, minute, second.
std::string RecordTimeLabel(const MeasurementRecord& record);

// The same text written from `out` (not NUL-terminated); returns its end.
// The widest case, six int16 values with signs and the separators, fits in
// RECORD_TIME_LABEL_MAX bytes.
inline constexpr std::size_t RECORD_TIME_LABEL_MAX = 48;
char* AppendRecordTimeLabel(char* out, const MeasurementRecord& record);

}  // namespace varnelo
