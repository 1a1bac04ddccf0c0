#include "simulator/simulated_content.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "data/byte_order.h"
#include "simulator/sim_random.h"

namespace varnelo {

namespace {

constexpr double METRES_PER_DEGREE = 111320.0;
constexpr double ORIGIN_LATITUDE = 35.6520;
constexpr double ORIGIN_LONGITUDE = 139.7613;
constexpr double WANDER_RADIUS_M = 1500.0;   // the walk turns back beyond this
constexpr double CLEAR_SKY_PEAK_PER_US = 2.0;  // ch.2 counts per microsecond at the brightest wavelength
constexpr double TARGET_PEAK_COUNTS = 40000.0; // what the logger's auto-exposure aims for
constexpr int FIRST_FIX_RECORD = 2;            // the receiver needs a moment for its first fix

// 14 July 2023, 09:30:00, as days since 1970-01-01 and seconds of the day.
constexpr std::int64_t START_DAY = 19552;
constexpr std::int64_t START_SECOND = 9 * 3600 + 30 * 60;

double Wavelength(int j) { return WAVELENGTH_BASE_NM + j; }

double Gauss(double x, double centre, double sigma) {
    const double d = (x - centre) / sigma;
    return std::exp(-0.5 * d * d);
}

struct CivilDate {
    int year, month, day;
};

// Days since 1970-01-01 to a proleptic Gregorian date.
CivilDate CivilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const auto y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
    return {y, static_cast<int>(m), static_cast<int>(d)};
}

void SetTime(MeasurementRecord& record, std::int64_t secondsSinceStart) {
    const std::int64_t total = START_DAY * 86400 + START_SECOND + secondsSinceStart;
    const CivilDate date = CivilFromDays(total / 86400);
    const auto second = static_cast<int>(total % 86400);
    record.set_time(date.year - 1980, date.month, date.day, second / 3600, second / 60 % 60, second % 60);
}

// Numbers in the GPS sentence are written from integers, so the text never
// depends on a locale: tenths as "12.3", minutes as "ddmm.mmmm".
std::string Tenths(double value) {
    const long tenths = std::lround(value * 10.0);
    const long magnitude = std::labs(tenths);
    std::string text = tenths < 0 ? "-" : "";
    text += std::to_string(magnitude / 10);
    text += '.';
    text += std::to_string(magnitude % 10);
    return text;
}

std::string DegreesMinutes(double degrees, int degreeDigits) {
    auto whole = static_cast<long>(std::floor(degrees));
    long tenThousandths = std::lround((degrees - static_cast<double>(whole)) * 60.0 * 10000.0);
    if (tenThousandths >= 600000) {
        tenThousandths -= 600000;
        ++whole;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%0*ld%02ld.%04ld", degreeDigits, whole, tenThousandths / 10000,
                  tenThousandths % 10000);
    return text;
}

std::string GpsSentence(const SimulatedPosition& p, std::int64_t clockSeconds, int satellites) {
    char hms[16];
    const auto s = static_cast<int>(clockSeconds % 86400);
    std::snprintf(hms, sizeof hms, "%02d%02d%02d", s / 3600, s / 60 % 60, s % 60);
    char sats[8];
    std::snprintf(sats, sizeof sats, "%02d", p.fix ? satellites : 0);
    // Fields 0..11: tag, time, status, latitude, N, longitude, E, knots,
    // course, satellites, altitude, second height. Without a fix the
    // position and motion fields are empty.
    const std::string fields[] = {
        "GPS", hms, p.fix ? "A" : "V",
        p.fix ? DegreesMinutes(p.latitude, 2) : "", p.fix ? "N" : "",
        p.fix ? DegreesMinutes(p.longitude, 3) : "", p.fix ? "E" : "",
        p.fix ? Tenths(p.speedKnots) : "", p.fix ? Tenths(p.course) : "", sats,
        p.fix ? Tenths(p.altitude) : "", p.fix ? Tenths(39.4 + 0.01 * p.altitude) : "",
    };
    std::string sentence = fields[0];
    for (std::size_t k = 1; k < std::size(fields); ++k) sentence += "," + fields[k];
    return sentence;
}

void FillNoise(MeasurementRecord& record, std::size_t from, std::size_t to, SimRandom& random) {
    for (std::size_t i = from; i < to; ++i) record.bytes[i] = static_cast<std::uint8_t>(random.next());
}

std::int32_t QuantisedExposure(double microseconds) {
    const double held = std::clamp(microseconds, 100.0, 1000000.0);
    return static_cast<std::int32_t>(std::lround(held / 10.0) * 10);
}

}  // namespace

SimulatedContent::SimulatedContent(int recordCount, std::uint32_t seed) : m_seed(seed) {
    m_perRecord.resize(static_cast<std::size_t>(std::max(recordCount, 0)));
    buildShapes();
    buildTrack();

    SimRandom random(SimRandom::Mix(seed, 0xD1CE));
    const unsigned serial = 200000 + static_cast<unsigned>(random.below(100000));
    m_identityA = "SL-2C SPECTRAL LOGGER";
    m_identityB = "V1.07 SN" + std::to_string(serial);

    // Device information: a model tag in the reserved head, two C12880MA heads.
    std::copy_n("SL-2C", 5, m_deviceInfo.bytes.begin());
    WriteU32Le(m_deviceInfo.bytes.data() + 8, serial);
    for (int channel = 0; channel < 2; ++channel) {
        char name[16];
        std::snprintf(name, sizeof name, "C12880MA-%02uA%03u", static_cast<unsigned>(20 + random.below(4)),
                      static_cast<unsigned>(random.below(1000)));
        const SensorCoefficientSet coefficients = {
            308.2 + random.normal() * 1.5,        2.712 + random.normal() * 0.01,
            -1.23e-3 + random.normal() * 2e-5,   -7.5e-6 + random.normal() * 1e-7,
            1.1e-8 + random.normal() * 1e-10,     -4.0e-12 + random.normal() * 1e-13,
        };
        AssignSensor(m_deviceInfo, channel, name, coefficients);
    }

    // Parameters: the logger's default exposures, its battery now, and the
    // white-reference spectra it was set up with.
    PerRecord reference{};
    reference.illumination = 1.0;
    reference.canopy = -1.0;  // a white panel, not a canopy
    fillSpectra(reference, SimRandom::Mix(seed, 0xCA11B), m_parameters);
    m_parameters.set_battery(100.0f, 4.18f);
    SetTime(m_parameters, -86400);
    std::copy_n("SL2P", 4, m_parameters.bytes.begin());
}

void SimulatedContent::buildShapes() {
    SimRandom random(SimRandom::Mix(m_seed, 0x5EED));
    const double phase = random.uniform() * 2.0 * std::numbers::pi;

    // Absorption features as the coarse spectrometer sees them: Fraunhofer
    // lines, the oxygen B and A bands and the water bands.
    struct Dip {
        double centre, sigma, depth;
    };
    static constexpr Dip DIPS[] = {
        {393.4, 4.0, 0.30}, {396.8, 4.0, 0.25}, {430.8, 4.0, 0.12}, {486.1, 4.0, 0.12}, {517.0, 4.5, 0.08},
        {589.0, 4.0, 0.08}, {656.3, 4.0, 0.12}, {686.7, 4.5, 0.18}, {718.0, 7.0, 0.12}, {760.5, 5.0, 0.45},
        {823.0, 9.0, 0.18},
    };
    constexpr double SECOND_RADIATION = 1.4388e7;  // h c / k in nm K
    constexpr double SUN_KELVIN = 5778.0;

    m_daylightCounts.resize(SPECTRUM_LENGTH);
    m_vegetation.resize(SPECTRUM_LENGTH);
    m_soil.resize(SPECTRUM_LENGTH);
    m_channelDiff.resize(SPECTRUM_LENGTH);
    double peak = 0.0;
    for (int j = 0; j < SPECTRUM_LENGTH; ++j) {
        const double nm = Wavelength(j);
        const double planck = 1.0 / (std::pow(nm / 500.0, 5.0) * (std::exp(SECOND_RADIATION / (nm * SUN_KELVIN)) - 1.0));
        const double rayleigh = std::exp(-1.5 * 0.0088 * std::pow(nm / 1000.0, -4.05));
        const double responsivity = Gauss(nm, 620.0, 170.0);
        double transmission = 1.0;
        for (const Dip& dip : DIPS) transmission *= 1.0 - dip.depth * Gauss(nm, dip.centre, dip.sigma);
        m_daylightCounts[j] = planck * rayleigh * responsivity * transmission;
        peak = std::max(peak, m_daylightCounts[j]);

        // A green canopy: low in the blue, a green bump, chlorophyll's red
        // trough, then the red edge up to the near-infrared plateau.
        const double redEdge = 1.0 / (1.0 + std::exp(-(nm - 712.0) / 11.0));
        m_vegetation[j] = std::max(0.01, 0.035 + 0.075 * Gauss(nm, 552.0, 28.0) - 0.02 * Gauss(nm, 672.0, 14.0) +
                                             0.44 * redEdge - 0.03 * Gauss(nm, 825.0, 18.0));
        m_soil[j] = 0.08 + 0.22 * (nm - WAVELENGTH_BASE_NM) / 510.0;
        m_channelDiff[j] =
            1.0 + 0.03 * std::sin(2.0 * std::numbers::pi * (nm - WAVELENGTH_BASE_NM) / 230.0 + phase) +
            0.015 * (nm - 595.0) / 255.0;
    }
    for (double& v : m_daylightCounts) v *= CLEAR_SKY_PEAK_PER_US / peak;
}

void SimulatedContent::buildTrack() {
    SimRandom random(SimRandom::Mix(m_seed, 0x7AC));
    const double cosOrigin = std::cos(ORIGIN_LATITUDE * std::numbers::pi / 180.0);
    double north = 0.0, east = 0.0;  // metres from the start
    double course = random.uniform() * 360.0;
    double illumination = 0.95, canopy = 0.8;
    double speed = 1.3;
    std::int64_t seconds = 0;
    for (std::size_t i = 0; i < m_perRecord.size(); ++i) {
        PerRecord& r = m_perRecord[i];
        const int interval = 2 + static_cast<int>(random.below(5));  // 2..6 s between measurements
        if (i > 0) seconds += interval;
        r.secondsSinceStart = seconds;

        // The walker strolls, sometimes stops to measure, and turns back
        // towards the start once it has wandered far enough.
        speed = random.uniform() < 0.08 ? 0.0 : std::clamp(1.3 + random.normal() * 0.25, 0.6, 2.0);
        course += random.normal() * 12.0;
        const double distance = std::hypot(north, east);
        if (distance > WANDER_RADIUS_M) {
            const double home = std::atan2(-east, -north) * 180.0 / std::numbers::pi;
            double turn = std::remainder(home - course, 360.0);
            course += std::clamp(turn, -25.0, 25.0);
        }
        course = std::fmod(course + 360.0, 360.0);
        if (i > 0) {
            const double step = speed * interval;
            north += step * std::cos(course * std::numbers::pi / 180.0);
            east += step * std::sin(course * std::numbers::pi / 180.0);
        }
        r.track.latitude = ORIGIN_LATITUDE + north / METRES_PER_DEGREE;
        r.track.longitude = ORIGIN_LONGITUDE + east / (METRES_PER_DEGREE * cosOrigin);
        r.track.speedKnots = speed / 0.514444;
        r.track.course = course;
        r.track.altitude = 38.0 + 12.0 * std::sin(north / 260.0) + 6.0 * std::cos(east / 410.0);
        r.track.fix = static_cast<int>(i) >= FIRST_FIX_RECORD;

        // Clouds come and go; the view drifts between canopy and bare ground.
        illumination = std::clamp(illumination + random.normal() * 0.03 + (0.9 - illumination) * 0.02, 0.3, 1.0);
        canopy = std::clamp(canopy + random.normal() * 0.04 + (0.75 - canopy) * 0.05, 0.3, 0.98);
        r.illumination = illumination;
        r.canopy = canopy;
    }
}

void SimulatedContent::fillSpectra(const PerRecord& values, std::uint64_t noiseSeed,
                                   MeasurementRecord& record) const {
    SimRandom random(noiseSeed);
    // Auto-exposure: ch.2 (the sky) aims at the target peak; ch.1 looks down
    // at a darker scene and gets a longer exposure.
    const std::int32_t exp2 = QuantisedExposure(TARGET_PEAK_COUNTS / (CLEAR_SKY_PEAK_PER_US * values.illumination));
    const double scale = values.canopy < 0.0 ? 1.0 : 1.0 / 0.55;
    const std::int32_t exp1 = QuantisedExposure(exp2 * scale * 0.95);
    record.set_exp(exp1, exp2);
    for (int j = 0; j < SPECTRUM_LENGTH; ++j) {
        const auto sj = static_cast<std::size_t>(j);
        const double sky = m_daylightCounts[sj] * exp2 * values.illumination;
        const double reflectance = values.canopy < 0.0
                                       ? 0.98
                                       : values.canopy * m_vegetation[sj] + (1.0 - values.canopy) * m_soil[sj];
        const double ground = reflectance * sky * (static_cast<double>(exp1) / exp2) / m_channelDiff[sj];
        auto noisy = [&](double counts) {
            const double v = counts + random.quickNormal() * std::sqrt(2.0 * counts + 25.0);
            return static_cast<float>(std::clamp(std::round(v), 0.0, 65535.0));
        };
        record.set_spectrum_ch2(sj, noisy(sky));
        record.set_spectrum_ch1(sj, noisy(ground));
        record.set_channel_diff(sj, static_cast<float>(m_channelDiff[sj]));
    }
}

void SimulatedContent::buildRecord(int index, MeasurementRecord& record) const {
    const PerRecord& values = m_perRecord.at(static_cast<std::size_t>(index));
    SimRandom random(SimRandom::Mix(m_seed, 0x10000000ull + static_cast<std::uint64_t>(index)));

    // The stretches the program does not interpret still carry something,
    // as a real logger's would.
    FillNoise(record, 0, record_offset::EXP_CH1, random);
    std::copy_n("SL2C", 4, record.bytes.begin());
    WriteI32Le(record.at(4), index);
    FillNoise(record, record_offset::TEMP_CH2 + 4, record_offset::BATC, random);
    FillNoise(record, record_offset::SECOND + 2, record_offset::GPS_TEXT, random);
    FillNoise(record, record_offset::GPS_TEXT + record_offset::GPS_TEXT_SIZE, BLOCK_SIZE, random);

    const double t = static_cast<double>(values.secondsSinceStart);
    const double head = 22.0 + 6.0 * (1.0 - std::exp(-t / 1800.0)) + random.normal() * 0.1;
    record.set_temps(static_cast<float>(head), static_cast<float>(head + 0.8 + random.normal() * 0.05));
    const double batv = std::max(3.3, 4.18 - 0.6 * t / 60000.0) + random.normal() * 0.003;
    const double batc = std::clamp(100.0 - t / 900.0, 5.0, 100.0);
    record.set_battery(static_cast<float>(std::round(batc * 10.0) / 10.0), static_cast<float>(batv));
    SetTime(record, values.secondsSinceStart);
    record.set_gps_text(GpsSentence(values.track, START_SECOND + values.secondsSinceStart,
                                    7 + static_cast<int>(random.below(5))));
    fillSpectra(values, random.next(), record);
}

MeasurementRecord SimulatedContent::record(int index) const {
    MeasurementRecord record{};
    buildRecord(index, record);
    return record;
}

}  // namespace varnelo
