#pragma once
// Plausible records for chart tests: a daylight-like ch.2 spectrum, a
// vegetation-like reflectance with its red edge near 700 nm, and GPS
// sentences that walk a curved path.

#include <cmath>
#include <cstdio>
#include <string>

#include "data/document.h"

namespace varnelo::test {

inline std::string GpsSentence(double latitude, double longitude, double knots, double course, double altitude) {
    const auto ddmm = [](double degrees) {
        const double whole = std::floor(degrees);
        return whole * 100.0 + (degrees - whole) * 60.0;
    };
    char text[128];
    std::snprintf(text, sizeof text, "$GPRMC,120000.00,A,%.4f,N,%.4f,E,%.1f,%.1f,9,%.1f,%.1f", ddmm(latitude), ddmm(longitude), knots,
                  course, altitude, altitude + 38.5);
    return text;
}

// Record i of a walk that starts at 35.6581 N, 139.7414 E.
inline void FillSampleRecord(MeasurementRecord& r, int i) {
    r.set_exp(200, 100);
    r.set_temps(24.5f, 25.0f);
    r.set_battery(0.3f, 3.9f);
    r.set_time(44, 5, 17, 10, i / 60, i % 60);
    const double brightness = 1.0 - 0.04 * (i % 5);
    for (int j = 0; j < SPECTRUM_LENGTH; ++j) {
        const double nm = 340.0 + j;
        const double daylight = 30000.0 * brightness * std::exp(-std::pow((nm - 560.0) / 170.0, 2.0)) + 800.0;
        const double reflectance = 0.06 + 0.42 / (1.0 + std::exp(-(nm - 705.0) / 12.0)) + 0.05 * std::exp(-std::pow((nm - 550.0) / 30.0, 2.0));
        const double diff = 1.0 + 0.02 * std::sin(nm / 37.0);
        const auto jj = static_cast<std::size_t>(j);
        r.set_spectrum_ch2(jj, static_cast<float>(daylight));
        // ch1 at twice the exposure; scaled by 100/200 and the difference table.
        r.set_spectrum_ch1(jj, static_cast<float>(daylight * reflectance * 2.0 / diff));
        r.set_channel_diff(jj, static_cast<float>(diff));
    }
    const double t = i * 0.15;
    r.set_gps_text(GpsSentence(35.6581 + 0.004 * std::sin(t), 139.7414 + 0.0035 * t + 0.002 * std::cos(t), 3.0 + i % 4,
                               std::fmod(40.0 * t, 360.0), 21.0 + 0.5 * i));
}

inline void FillSampleDocument(CVarneloDoc& doc, int count) {
    for (int i = 0; i < count; ++i) FillSampleRecord(doc.record(i), i);
    doc.setRecordCount(count);
}

}  // namespace varnelo::test
