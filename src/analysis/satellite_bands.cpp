#include "analysis/satellite_bands.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <span>

#include "text/message_text.h"

namespace varnelo {

namespace {

constexpr double GRID_LOW_EDGE = WAVELENGTH_BASE_NM - 0.5;
constexpr double GRID_HIGH_EDGE = WAVELENGTH_BASE_NM + SPECTRUM_LENGTH - 0.5;
constexpr double NEEDED_FRACTION_OF_PEAK = 0.01;
constexpr double SUMMED_FRACTION_OF_PEAK = 1e-16;

struct Published {
    const char* name;
    double centre;
    double fwhm;
};

// Sentinel-2A MSI: centre wavelength and bandwidth, nm (ESA).
constexpr Published SENTINEL_2A[] = {
    {"B1", 442.7, 21}, {"B2", 492.4, 66},  {"B3", 559.8, 36}, {"B4", 664.6, 31},  {"B5", 704.1, 15},
    {"B6", 740.5, 15}, {"B7", 782.8, 20},  {"B8", 832.8, 106}, {"B8A", 864.7, 21},
};
// Landsat 8 OLI: centre wavelength and FWHM, nm (Barsi et al. 2014).
constexpr Published LANDSAT_8[] = {
    {"B1", 442.96, 15.98}, {"B2", 482.04, 60.04}, {"B3", 561.41, 57.33}, {"B4", 654.59, 37.47}, {"B5", 864.67, 28.25},
};

double NormalCdf(double z) { return 0.5 * std::erfc(-z / std::sqrt(2.0)); }

void MarkNeeded(SpectralBand& band, double peak) {
    band.first = SPECTRUM_LENGTH;
    band.last = -1;
    for (std::size_t j = 0; j < SPECTRUM_LENGTH; ++j) {
        band.needed[j] = peak > 0.0 && band.response[j] >= NEEDED_FRACTION_OF_PEAK * peak;
        if (band.response[j] > SUMMED_FRACTION_OF_PEAK * peak) {
            band.first = std::min(band.first, static_cast<int>(j));
            band.last = static_cast<int>(j);
        }
    }
}

std::string Trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
    return std::string(text);
}

std::vector<std::string> Cells(std::string_view line) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = line.find(',', start);
        cells.push_back(Trimmed(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start)));
        if (comma == std::string_view::npos) return cells;
        start = comma + 1;
    }
}

std::optional<double> Number(const std::string& cell) {
    double value = 0.0;
    const char* first = cell.data();
    if (!cell.empty() && cell.front() == '+') ++first;
    const auto [end, error] = std::from_chars(first, cell.data() + cell.size(), value);
    if (cell.empty() || error != std::errc() || end != cell.data() + cell.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::string LowerCase(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

bool IsWavelengthHeader(const std::string& cell) {
    const std::string name = LowerCase(cell);
    return name.starts_with("wavelength") || name == "nm" || name == "lambda";
}

}  // namespace

SpectralBand GaussianBand(std::string name, double centreNm, double fwhmNm) {
    SpectralBand band;
    band.name = std::move(name);
    const double sigma = fwhmNm / (2.0 * std::sqrt(2.0 * std::log(2.0)));
    for (std::size_t j = 0; j < SPECTRUM_LENGTH; ++j) {
        const double z = (WavelengthOfElement(static_cast<int>(j)) - centreNm) / sigma;
        band.response[j] = std::exp(-0.5 * z * z);
    }
    band.coverage = NormalCdf((GRID_HIGH_EDGE - centreNm) / sigma) - NormalCdf((GRID_LOW_EDGE - centreNm) / sigma);
    MarkNeeded(band, 1.0);
    return band;
}

std::optional<BandSet> BuiltInSensor(std::string_view name, std::string& error) {
    const auto make = [&](std::span<const Published> published) {
        BandSet set{LowerCase(name), {}};
        for (const Published& p : published) set.bands.push_back(GaussianBand(p.name, p.centre, p.fwhm));
        return set;
    };
    // Named in any case, as the indices are.
    const std::string lower = LowerCase(name);
    if (lower == "s2a") return make(SENTINEL_2A);
    if (lower == "l8") return make(LANDSAT_8);
    error = "unknown sensor " + QuotedValue(name) + " (s2a or l8)";
    return std::nullopt;
}

std::optional<BandSet> ParseResponseTable(std::string_view text, std::string_view sensor, std::string& error) {
    const auto fail = [&](const std::string& why) {
        error = MessageText(sensor, MESSAGE_PATH_MAX) + ": " + why;
        return std::nullopt;
    };
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    // Each row becomes numbers as it is read: memory stays a few doubles a
    // cell, whatever the table holds.
    std::vector<std::string> header;
    std::size_t wl = 0;
    std::vector<double> nm;
    std::vector<std::vector<double>> response;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (Trimmed(line).empty()) continue;
        const std::string at = "line " + std::to_string(lineNumber);
        if (header.empty()) {
            if (std::count(line.begin(), line.end(), ',') >= static_cast<std::ptrdiff_t>(RESPONSE_COLUMNS_MAX)) {
                return fail(at + " has more than the " + std::to_string(RESPONSE_COLUMNS_MAX) + " columns a table may have");
            }
            header = Cells(line);
            const auto column = std::find_if(header.begin(), header.end(), IsWavelengthHeader);
            if (column == header.end()) return fail("no wavelength column (a header named wavelength, nm or lambda)");
            wl = static_cast<std::size_t>(column - header.begin());
            if (header.size() < 2) return fail("no band columns beside the wavelength");
            response.resize(header.size());
            continue;
        }
        const std::size_t cells = static_cast<std::size_t>(std::count(line.begin(), line.end(), ',')) + 1;
        if (cells != header.size()) {
            return fail(at + " has " + std::to_string(cells) + " cells, the header " + std::to_string(header.size()));
        }
        const std::vector<std::string> row = Cells(line);
        for (std::size_t c = 0; c < header.size(); ++c) {
            const std::optional<double> v = Number(row[c]);
            if (!v) return fail(at + ": " + QuotedValue(row[c]) + " is not a number");
            if (c == wl) {
                if (!nm.empty() && *v <= nm.back()) {
                    return fail(at + ": wavelength " + MessageText(row[c]) + " does not increase");
                }
                if (*v < TABLE_WAVELENGTH_MIN_NM || *v > TABLE_WAVELENGTH_MAX_NM) {
                    return fail(at + ": wavelength " + MessageText(row[c]) + " is outside " +
                                std::to_string(static_cast<int>(TABLE_WAVELENGTH_MIN_NM)) + ".." +
                                std::to_string(static_cast<int>(TABLE_WAVELENGTH_MAX_NM)) + " nm");
                }
                nm.push_back(*v);
            } else {
                response[c].push_back(*v);
            }
        }
    }
    if (header.empty()) return fail("the table is empty");
    if (nm.size() < 2) return fail("fewer than two wavelengths");
    BandSet set{std::string(sensor), {}, nm.front(), nm.back()};
    for (std::size_t c = 0; c < header.size(); ++c) {
        if (c == wl) continue;
        SpectralBand band;
        band.name = header[c];
        const std::vector<double>& s = response[c];
        // Linear interpolation at each whole nm of the table's range.
        double inside = 0.0, total = 0.0;
        std::size_t k = 0;
        for (auto l = static_cast<int>(std::ceil(nm.front())); l <= static_cast<int>(std::floor(nm.back())); ++l) {
            while (k + 2 < nm.size() && nm[k + 1] < l) ++k;
            const double f = (l - nm[k]) / (nm[k + 1] - nm[k]);
            const double v = std::max(0.0, s[k] + f * (s[k + 1] - s[k]));
            total += v;
            const int j = l - WAVELENGTH_BASE_NM;
            if (j >= 0 && j < SPECTRUM_LENGTH) {
                band.response[static_cast<std::size_t>(j)] = v;
                inside += v;
            }
        }
        band.coverage = total > 0.0 ? inside / total : 0.0;
        MarkNeeded(band, *std::max_element(s.begin(), s.end()));
        set.bands.push_back(std::move(band));
    }
    if (std::none_of(set.bands.begin(), set.bands.end(), [](const SpectralBand& b) { return b.coverage > 0.0; })) {
        return fail("no band has any response inside 340..850 nm");
    }
    return set;
}

std::vector<std::string> LeaveOutPartialBands(BandSet& set) {
    std::vector<std::string> lines;
    std::erase_if(set.bands, [&lines](const SpectralBand& band) {
        if (band.coverage >= FULL_COVERAGE) return false;
        lines.push_back(MessageText(band.name) + " covers " + std::to_string(static_cast<int>(std::floor(band.coverage * 100.0))) +
                        " % of its response");
        return true;
    });
    return lines;
}

ElementMask BandElements(const BandSet& set) {
    ElementMask mask;
    for (const SpectralBand& band : set.bands) mask |= band.needed;
    return mask;
}

std::optional<double> BandValue(const SpectralBand& band, const ReflectanceArray& reflectance) {
    double weighted = 0.0, weights = 0.0;
    for (auto j = static_cast<std::size_t>(std::max(band.first, 0)); static_cast<int>(j) <= band.last; ++j) {
        const double s = band.response[j];
        if (!Defined(reflectance[j])) {
            if (band.needed[j]) return std::nullopt;
            // Below 1 % of the peak an undefined element is let go, not summed.
            continue;
        }
        weighted += reflectance[j] * s;
        weights += s;
    }
    if (weights <= 0.0) return std::nullopt;
    return weighted / weights;
}

}  // namespace varnelo
