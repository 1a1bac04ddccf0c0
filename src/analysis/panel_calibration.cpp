#include "analysis/panel_calibration.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "analysis/satellite_bands.h"
#include "text/message_text.h"

namespace varnelo {

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

std::optional<int> RecordNumber(std::string_view text) {
    int value = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || failure != std::errc() || end != text.data() + text.size() || value < 0 ||
        value >= PANEL_RECORDS_MAX)
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<std::vector<int>> ParsePanelList(std::string_view text, std::string& error) {
    std::vector<int> records;
    std::string_view rest = text;
    while (true) {
        const std::size_t comma = rest.find(',');
        const std::string_view item = rest.substr(0, comma);
        const std::size_t dash = item.find('-');
        const std::optional<int> first = RecordNumber(item.substr(0, dash));
        const std::optional<int> last = dash == std::string_view::npos ? first : RecordNumber(item.substr(dash + 1));
        if (!first || !last || *last < *first) {
            error = "--panel " + QuotedValue(text) + " is not a list of record numbers (0,20-21,39)";
            return std::nullopt;
        }
        for (int r = *first; r <= *last; ++r) records.push_back(r);
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    std::sort(records.begin(), records.end());
    records.erase(std::unique(records.begin(), records.end()), records.end());
    return records;
}

std::string PanelListText(const std::vector<int>& records) {
    std::string text;
    for (std::size_t i = 0; i < records.size();) {
        std::size_t last = i;
        while (last + 1 < records.size() && records[last + 1] == records[last] + 1) ++last;
        if (!text.empty()) text += ',';
        text += std::to_string(records[i]);
        if (last > i) text += '-' + std::to_string(records[last]);
        i = last + 1;
    }
    return text;
}

std::optional<ReflectanceArray> ParsePanelReflectance(std::string_view value, std::string_view tableText,
                                                      std::string_view tableName, bool isTable, std::string& error) {
    ReflectanceArray certified;
    if (!isTable) {
        double factor = 0.0;
        const auto [end, failure] = std::from_chars(value.data(), value.data() + value.size(), factor);
        if (value.empty() || failure != std::errc() || end != value.data() + value.size() || !(factor > 0.0) ||
            factor > 2.0) {
            error = "--panel-reflectance " + QuotedValue(value) + " is neither a reflectance factor (0..2) nor a table";
            return std::nullopt;
        }
        certified.fill(factor);
        return certified;
    }
    std::optional<BandSet> table = ParseResponseTable(tableText, tableName, error);
    if (!table) return std::nullopt;
    if (table->bands.size() != 1) {
        error = MessageText(tableName, MESSAGE_PATH_MAX) + ": a panel table has a wavelength and one reflectance column";
        return std::nullopt;
    }
    // A value outside the table would be a guess.
    if (table->firstNm > WAVELENGTH_BASE_NM || table->lastNm < WAVELENGTH_BASE_NM + SPECTRUM_LENGTH - 1) {
        error = MessageText(tableName, MESSAGE_PATH_MAX) + ": the table does not cover 340..850 nm";
        return std::nullopt;
    }
    return table->bands.front().response;
}

PanelCalibration::PanelCalibration(std::vector<int> records, const ReflectanceArray& certified)
    : m_records(std::move(records)), m_certified(certified) {}

bool PanelCalibration::isPanel(int record) const {
    return std::binary_search(m_records.begin(), m_records.end(), record);
}

void PanelCalibration::addPanel(std::optional<double> seconds, const ReflectanceArray& reflectance) {
    if (!seconds) return;
    auto at = std::lower_bound(m_panels.begin(), m_panels.end(), *seconds,
                               [](const Panel& p, double t) { return p.seconds < t; });
    if (at == m_panels.end() || at->seconds != *seconds) at = m_panels.insert(at, Panel{*seconds});
    for (std::size_t j = 0; j < SPECTRUM_LENGTH; ++j) {
        if (!Defined(reflectance[j])) continue;
        at->sum[j] += reflectance[j];
        ++at->n[j];
    }
}

double PanelCalibration::mean(const Panel& panel, std::size_t j) const {
    return panel.n[j] > 0 ? panel.sum[j] / panel.n[j] : NaN;
}

double PanelCalibration::panelAt(double seconds, std::size_t j) const {
    if (m_panels.empty()) return NaN;
    const auto after = std::lower_bound(m_panels.begin(), m_panels.end(), seconds,
                                        [](const Panel& p, double t) { return p.seconds < t; });
    if (after == m_panels.end()) return mean(m_panels.back(), j);
    if (after->seconds == seconds || after == m_panels.begin()) return mean(*after, j);
    const Panel& before = *(after - 1);
    const double f = (seconds - before.seconds) / (after->seconds - before.seconds);
    const double p0 = mean(before, j), p1 = mean(*after, j);
    return p0 + f * (p1 - p0);  // NaN when either is
}

void PanelCalibration::apply(std::optional<double> seconds, ReflectanceArray& reflectance,
                             std::span<const std::size_t> which) const {
    for (const std::size_t j : which) {
        const double p = seconds ? panelAt(*seconds, j) : NaN;
        reflectance[j] = p > 0.0 ? m_certified[j] * reflectance[j] / p : NaN;
    }
}

}  // namespace varnelo
