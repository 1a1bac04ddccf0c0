#include "export/record_rows.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "export/clock_offset.h"
#include "export/export_text.h"
#include "track/gps_track.h"

namespace varnelo {

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// Days since 1970-01-01 of a proleptic Gregorian date (Hinnant's algorithm).
long long DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<long long>(era) * 146097 + doe - 719468;
}

struct Sums {
    double value = 0.0;
    int n = 0;
    void add(double v) {
        if (!std::isfinite(v)) return;
        value += v;
        ++n;
    }
    double mean() const { return n > 0 ? value / n : NaN; }
};

}  // namespace

std::string StagesText(const RowStages& stages) {
    std::string text;
    const auto add = [&text](const std::string& part) {
        if (part.empty()) return;
        if (!text.empty()) text += "; ";
        text += part;
    };
    if (stages.smoothing) add("smooth " + SmoothingName(*stages.smoothing));
    add(GroupingName(stages.grouping));
    if (stages.skyChange != DEFAULT_SKY_CHANGE) {
        char percent[32];
        const auto [end, error] = std::to_chars(percent, percent + sizeof percent, stages.skyChange * 100.0);
        if (error == std::errc()) add("sky-change " + std::string(percent, end));
    }
    if (stages.utcOffset) add("utc-offset " + OffsetText(*stages.utcOffset));
    const auto number = [&add](const char* name, double value) {
        char text[32];
        const auto [end, error] = std::to_chars(text, text + sizeof text, value);
        if (error == std::errc()) add(name + std::string(text, end));
    };
    if (stages.saturation != DEFAULT_SATURATION) number("saturation ", stages.saturation);
    if (stages.utcOffset && stages.maxZenith != DEFAULT_MAX_ZENITH) number("max-zenith ", stages.maxZenith);
    if (stages.panel) number("panel records ", static_cast<double>(stages.panel->records().size()));
    return text;
}

RowMaker::RowMaker(const RowStages& stages, const ElementMask& needed, bool wholeSpectrum)
    : m_stages(stages), m_needed(needed) {
    if (stages.smoothing) m_smoother.emplace(*stages.smoothing);
    ElementMask raw;
    for (std::size_t j = 0; j < SPECTRUM_LENGTH; ++j) {
        if (!wholeSpectrum && !needed[j]) continue;
        m_read.push_back(j);
        if (!m_smoother) {
            raw.set(j);
            continue;
        }
        // A smoothed element reads its whole window.
        const int start = m_smoother->windowStart(static_cast<int>(j));
        for (int i = start; i < start + m_smoother->window(); ++i) raw.set(static_cast<std::size_t>(i));
    }
    for (std::size_t j = 0; j < SPECTRUM_LENGTH; ++j) {
        if (raw[j]) m_raw.push_back(j);
    }
}

void RowMaker::calibrate(const MeasurementRecord& record, ReflectanceArray& reflectance) const {
    if (m_stages.panel) m_stages.panel->apply(RecordSeconds(record), reflectance, m_raw);
}

// Only the elements the row reads are derived (and smoothed): an index
// needs a few of the 511.
void RowMaker::memberReflectance(const MeasurementRecord& record, ReflectanceArray& out) const {
    thread_local ReflectanceArray raw;
    ReflectanceArray& source = m_smoother ? raw : out;
    if (m_raw.size() == SPECTRUM_LENGTH) {
        DefinedReflectance(record, source);
    } else {
        for (const std::size_t j : m_raw) source[j] = DefinedReflectanceAt(record, j);
    }
    calibrate(record, source);
    if (m_smoother) {
        for (const std::size_t j : m_read) out[j] = m_smoother->at(raw, static_cast<int>(j));
    }
}

void RowMaker::make(std::span<const MeasurementRecord> members, const MeasurementRecord* previous, int first,
                    ResultRow& row) const {
    row.records = RecordRange{first, first + static_cast<int>(members.size()) - 1};
    row.flags = 0;
    thread_local ReflectanceArray one;
    thread_local std::array<Sums, SPECTRUM_LENGTH> spectrum;
    const bool single = members.size() == 1;
    ReflectanceArray& target = single ? row.reflectance : one;
    if (!single) {
        for (const std::size_t j : m_read) spectrum[j] = Sums{};
    }
    Sums latitude, longitude, altitude, speed, temp1, temp2, batv;
    double previousSky = previous ? SkySum(*previous) : NaN;
    int number = first;
    for (const MeasurementRecord& record : members) {
        if (m_stages.panel && m_stages.panel->isPanel(number)) row.flags |= QC_PANEL;
        ++number;
        GpsFix fix;
        ParseGpsText(GpsSentenceBytes(record), fix);
        const std::optional<SignedPosition> position = SignedPositionOf(record, fix.latitude, fix.longitude, fix.given);
        if (position) {
            latitude.add(position->latitude);
            longitude.add(position->longitude);
            // A field the sentence did not carry is missing, not zero.
            if (fix.has(GPS_ALTITUDE)) altitude.add(fix.altitude);
            if (fix.has(GPS_SPEED)) speed.add(fix.speed);
        } else {
            row.flags |= QC_NOFIX;
        }
        temp1.add(record.temp_ch1());
        temp2.add(record.temp_ch2());
        batv.add(record.batv());
        row.flags |= SaturationFlag(record, m_stages.saturation);
        const double sky = SkySum(record);
        if (!std::isnan(previousSky) && SkyChanged(previousSky, sky, m_stages.skyChange)) row.flags |= QC_SKY;
        previousSky = sky;
        memberReflectance(record, target);
        if (AnyUndefined(target, m_needed)) row.flags |= QC_UNDEFINED;
        if (!single) {
            for (const std::size_t j : m_read) {
                if (Defined(target[j])) spectrum[j].add(target[j]);
            }
        }
    }
    if (!single) {
        row.reflectance.fill(NaN);
        for (const std::size_t j : m_read) row.reflectance[j] = spectrum[j].mean();
    } else if (m_read.size() < SPECTRUM_LENGTH) {
        for (std::size_t j = 0; j < SPECTRUM_LENGTH; ++j) {
            if (!m_needed[j]) row.reflectance[j] = NaN;
        }
    }
    row.position.reset();
    if (latitude.n > 0) row.position = SignedPosition{latitude.mean(), longitude.mean()};
    row.sun.reset();
    if (m_stages.utcOffset && row.position) {
        if (const std::optional<double> utc = UtcSeconds(members.front(), *m_stages.utcOffset)) {
            row.sun = SolarPosition(*utc, row.position->latitude, row.position->longitude);
            if (row.sun->zenith > m_stages.maxZenith) row.flags |= QC_LOWSUN;
        }
    }
    row.altitude = altitude.mean();
    row.speed = speed.mean();
    row.tempCh1 = temp1.mean();
    row.tempCh2 = temp2.mean();
    row.batv = batv.mean();
}

std::optional<double> RecordSeconds(const MeasurementRecord& record) {
    if (RecordIsoTime(record).empty()) return std::nullopt;
    const long long days = DaysFromCivil(record.year() + 1980, record.month(), record.day());
    return static_cast<double>(days * 86400 + record.hour() * 3600 + record.minute() * 60 + record.second());
}

std::vector<RecordRange> PlanRows(const Grouping& grouping, int count,
                                  const std::function<std::optional<double>(int)>& seconds) {
    return GroupRecords(grouping, count, seconds);
}

}  // namespace varnelo

namespace varnelo {

std::optional<std::vector<RecordRange>> PlanFileRows(FileBatches& batches, const Grouping& grouping) {
    if (grouping.kind != Grouping::Kind::Gap) return PlanRows(grouping, batches.count(), {});
    // The gaps need every record's time before the first row is made.
    std::vector<std::optional<double>> seconds(static_cast<std::size_t>(batches.count()));
    for (std::size_t first = 0; first < seconds.size(); first += export_text::RECORDS_PER_BATCH) {
        const std::size_t last = std::min(seconds.size(), first + export_text::RECORDS_PER_BATCH);
        std::unique_ptr<MeasurementRecord[]> room;
        const auto records = batches.read(first, last, room);
        if (records.empty()) return std::nullopt;
        for (std::size_t k = 0; k < records.size(); ++k) seconds[first + k] = RecordSeconds(records[k]);
    }
    return PlanRows(grouping, batches.count(), [&](int i) { return seconds[static_cast<std::size_t>(i)]; });
}

std::shared_ptr<const PanelCalibration> LoadPanelCalibration(const RecordAt& recordAt, std::vector<int> records,
                                                             const ReflectanceArray& certified) {
    auto calibration = std::make_shared<PanelCalibration>(std::move(records), certified);
    ReflectanceArray reflectance;
    for (const int r : calibration->records()) {
        const MeasurementRecord* record = recordAt(r);
        if (record == nullptr) return nullptr;
        DefinedReflectance(*record, reflectance);
        calibration->addPanel(RecordSeconds(*record), reflectance);
    }
    return calibration;
}

std::shared_ptr<const PanelCalibration> LoadPanelCalibration(FileBatches& batches, std::vector<int> records,
                                                             const ReflectanceArray& certified) {
    std::unique_ptr<MeasurementRecord[]> room;
    return LoadPanelCalibration(
        [&](int r) {
            const auto record = batches.read(static_cast<std::size_t>(r), static_cast<std::size_t>(r) + 1, room);
            return record.empty() ? nullptr : &record.front();
        },
        std::move(records), certified);
}

bool ReadRows(FileBatches& batches, const std::vector<RecordRange>& rows, std::size_t begin, std::size_t end,
              const RowRecords& each) {
    if (begin >= end) return true;
    const int from = std::max(rows[begin].first - 1, 0);
    const int to = rows[end - 1].last + 1;
    std::unique_ptr<MeasurementRecord[]> room;
    const auto records = batches.read(static_cast<std::size_t>(from), static_cast<std::size_t>(to), room);
    if (records.empty()) return false;
    for (std::size_t r = begin; r < end; ++r) {
        const RecordRange range = rows[r];
        const auto at = static_cast<std::size_t>(range.first - from);
        each(range, records.subspan(at, static_cast<std::size_t>(range.size())), range.first > 0 ? &records[at - 1] : nullptr);
    }
    return true;
}

}  // namespace varnelo
