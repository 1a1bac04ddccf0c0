#pragma once
// A white reference panel measured now and then through a session turns
// each record's reflectance into a reflectance factor:
//   R'(λ) = ρ(λ) · R(λ) / P(λ, t)
// ρ the panel's certified reflectance, P the panel records' own reflectance
// interpolated linearly in time (the records' clock) between the nearest
// panel before and after the record. It corrects what the two heads'
// calibration leaves (their drift with temperature, a reference that does
// not see the sky as the target does) as long as the light changes slowly
// between two panels. Panel records of one second are averaged; before the
// first or after the last panel, the nearest one holds. R' is undefined
// wherever P is not positive or undefined, and for a record without a real
// time.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/reflectance.h"

namespace varnelo {

inline constexpr int PANEL_RECORDS_MAX = 15000;

// "0,20-21,39": record numbers from 0, ascending and each once in the
// result; nothing for a malformed list, `error` naming it.
std::optional<std::vector<int>> ParsePanelList(std::string_view text, std::string& error);
// The list of ascending records as ParsePanelList reads it, runs as ranges.
std::string PanelListText(const std::vector<int>& records);

// The certified reflectance on the grid: a single factor ("0.99", 0..2), or
// a table (wavelength nm, reflectance; read by ParseResponseTable)
// interpolated linearly, which must cover 340..850 nm.
std::optional<ReflectanceArray> ParsePanelReflectance(std::string_view value, std::string_view tableText,
                                                      std::string_view tableName, bool isTable, std::string& error);

class PanelCalibration {
public:
    PanelCalibration(std::vector<int> records, const ReflectanceArray& certified);

    const std::vector<int>& records() const { return m_records; }
    bool isPanel(int record) const;

    // A panel record's time (seconds of the clock) and reflectance; one
    // without a real time cannot be placed and is not used.
    void addPanel(std::optional<double> seconds, const ReflectanceArray& reflectance);

    // R' for the elements `which` of `reflectance`, for a record at `seconds`.
    void apply(std::optional<double> seconds, ReflectanceArray& reflectance, std::span<const std::size_t> which) const;

    // P(λ, t) at one element, NaN where undefined.
    double panelAt(double seconds, std::size_t j) const;

private:
    struct Panel {
        double seconds;
        ReflectanceArray sum{};
        std::array<int, SPECTRUM_LENGTH> n{};
    };
    double mean(const Panel& panel, std::size_t j) const;

    std::vector<int> m_records;
    ReflectanceArray m_certified;
    std::vector<Panel> m_panels;  // by time
};

}  // namespace varnelo
