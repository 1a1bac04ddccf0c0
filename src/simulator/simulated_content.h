#pragma once
// What the simulated logger holds: identity texts, device information, a
// parameter block, and records of a plausible field day, all reproducible
// from a seed. Records are built on demand from a few per-record values fixed
// at construction, so a logger of 20000 records costs little memory.

#include <cstdint>
#include <string>
#include <vector>

#include "data/device_info_block.h"
#include "data/measurement_record.h"

namespace varnelo {

struct SimulatedPosition {
    double latitude = 0.0;   // decimal degrees
    double longitude = 0.0;  // decimal degrees
    double speedKnots = 0.0;
    double course = 0.0;     // degrees
    double altitude = 0.0;   // metres
    bool fix = false;        // the receiver has a position
};

class SimulatedContent {
public:
    SimulatedContent(int recordCount, std::uint32_t seed);

    int recordCount() const { return static_cast<int>(m_perRecord.size()); }
    std::uint32_t seed() const { return m_seed; }

    const std::string& identityA() const { return m_identityA; }
    const std::string& identityB() const { return m_identityB; }
    const DeviceInfoBlock& deviceInfo() const { return m_deviceInfo; }
    const ParameterBlock& parameters() const { return m_parameters; }

    // Record `index` for 0 <= index < recordCount(); the same bytes every time.
    void buildRecord(int index, MeasurementRecord& record) const;
    MeasurementRecord record(int index) const;

    const SimulatedPosition& trackPoint(int index) const { return m_perRecord[static_cast<std::size_t>(index)].track; }

private:
    struct PerRecord {
        std::int64_t secondsSinceStart;
        double illumination;  // sky brightness, 1 = clear midday
        double canopy;        // how much of the ch.1 view is vegetation, 0..1
        SimulatedPosition track;
    };

    void buildShapes();
    void buildTrack();
    void fillSpectra(const PerRecord& values, std::uint64_t noiseSeed, MeasurementRecord& record) const;

    std::uint32_t m_seed;
    std::string m_identityA;
    std::string m_identityB;
    DeviceInfoBlock m_deviceInfo{};
    ParameterBlock m_parameters{};
    std::vector<PerRecord> m_perRecord;
    // Per-wavelength shapes shared by every record.
    std::vector<double> m_daylightCounts;  // ch.2 counts per microsecond of exposure, clear sky
    std::vector<double> m_vegetation;      // reflectance of a green canopy
    std::vector<double> m_soil;            // reflectance of bare soil
    std::vector<double> m_channelDiff;     // ch.1 to ch.2 factor, near 1
};

}  // namespace varnelo
