#pragma once
// The one path from records to result rows that every analysis output
// takes: each record's defined reflectance (analysis/reflectance.h), then
// optionally smoothed, then optionally grouped, with the quality flags of
// each row. The outputs only choose the stages and what they read.
//
// Outputs are made in parallel batches; a row reads its own records and the
// record just before them, whose reference light the sky flag compares
// with, so a batch needs nothing from another.

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "analysis/grouping.h"
#include "analysis/panel_calibration.h"
#include "analysis/quality_flags.h"
#include "analysis/reflectance.h"
#include "analysis/savitzky_golay.h"
#include "analysis/solar_position.h"
#include "data/measurement_record.h"
#include "export/file_batches.h"
#include "export/track_export.h"

namespace varnelo {

struct RowStages {
    std::optional<SmoothingOptions> smoothing;
    Grouping grouping;
    double skyChange = DEFAULT_SKY_CHANGE;
    // The clock's offset from UTC in minutes, known for this file; without
    // it times are the clock's own and the sun is not placed.
    std::optional<int> utcOffset;
    float saturation = DEFAULT_SATURATION;
    double maxZenith = DEFAULT_MAX_ZENITH;
    // A white-panel calibration of this file, applied to each record's
    // reflectance before smoothing and grouping; its records are flagged.
    std::shared_ptr<const PanelCalibration> panel;
};

// "smooth sg:11:2; mean gap:30": the stages chosen, for a file's provenance.
std::string StagesText(const RowStages& stages);

struct ResultRow {
    RecordRange records;
    // Means over the members with a fix (position, altitude, speed) or over
    // all members (temperatures, battery); a single record's own values.
    std::optional<SignedPosition> position;
    double altitude = 0.0;  // NaN when no member has one
    double speed = 0.0;
    double tempCh1 = 0.0, tempCh2 = 0.0, batv = 0.0;
    ReflectanceArray reflectance{};  // the elements asked for; the others NaN
    unsigned flags = 0;              // every member's, united
    // With the clock's offset: the sun at the first member's time over the
    // row's position; nothing without a fix or a real time.
    std::optional<SunPosition> sun;
};

class RowMaker {
public:
    // `needed`: the elements the output reads, which decide the undefined
    // flag; `wholeSpectrum`: all 511 are wanted in the row (a library, a
    // profile), not just those.
    RowMaker(const RowStages& stages, const ElementMask& needed, bool wholeSpectrum);

    // `members` are records first..first+size-1; `previous` the record
    // before them, or null for record 0.
    void make(std::span<const MeasurementRecord> members, const MeasurementRecord* previous, int first,
              ResultRow& row) const;

private:
    void memberReflectance(const MeasurementRecord& record, ReflectanceArray& out) const;
    void calibrate(const MeasurementRecord& record, ReflectanceArray& reflectance) const;

    RowStages m_stages;
    ElementMask m_needed;
    std::vector<std::size_t> m_read;  // the elements of the row
    std::vector<std::size_t> m_raw;   // the reflectance they are made from
    std::optional<SavitzkyGolay> m_smoother;
};

// The calibration of the panel `records`, each read by `recordAt`; nothing
// when one could not be read (null). A file's through FileBatches, whose
// unreadable() then says which.
using RecordAt = std::function<const MeasurementRecord*(int)>;
std::shared_ptr<const PanelCalibration> LoadPanelCalibration(const RecordAt& recordAt, std::vector<int> records,
                                                             const ReflectanceArray& certified);
std::shared_ptr<const PanelCalibration> LoadPanelCalibration(FileBatches& batches, std::vector<int> records,
                                                             const ReflectanceArray& certified);

// Seconds of a record's local time since 1970, or nothing for a record
// whose date or time is not a real one.
std::optional<double> RecordSeconds(const MeasurementRecord& record);

// The rows of `count` records: one per record, or the groups. `seconds(i)`
// is consulted only when grouping by gaps.
std::vector<RecordRange> PlanRows(const Grouping& grouping, int count,
                                  const std::function<std::optional<double>(int)>& seconds);

// The same for a data file read a few records at a time; nothing when a
// record could not be read (batches.unreadable() says which).
std::optional<std::vector<RecordRange>> PlanFileRows(FileBatches& batches, const Grouping& grouping);

// A row's records and the one before them (null before record 0).
using RowRecords =
    std::function<void(const RecordRange& row, std::span<const MeasurementRecord> members, const MeasurementRecord* previous)>;

// Reads the records rows[begin..end) need, in one read, and hands each row
// its own; false when they could not be read. Safe on any thread.
bool ReadRows(FileBatches& batches, const std::vector<RecordRange>& rows, std::size_t begin, std::size_t end,
              const RowRecords& each);

}  // namespace varnelo
