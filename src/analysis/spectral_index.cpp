#include "analysis/spectral_index.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "text/message_text.h"
#include "text/number_text.h"

namespace varnelo {

namespace {

constexpr int LAST_NM = WAVELENGTH_BASE_NM + SPECTRUM_LENGTH - 1;

// Wavelengths of the fixed indices.
constexpr int NDVI_NIR = 800, NDVI_RED = 680;
constexpr int PRI_A = 531, PRI_B = 570;
constexpr int REP_RED = 670, REP_EDGE_LOW = 700, REP_EDGE_HIGH = 740, REP_NIR = 780;
constexpr double REP_BASE_NM = 700.0, REP_STEP_NM = 40.0;
constexpr int MTCI_A = 754, MTCI_B = 709, MTCI_C = 681;

// R(nm) widened to double from an element source; finite() turns false once
// any element read was not finite.
template <class Element>
class Reflectance {
public:
    explicit Reflectance(Element element) : m_element(element) {}
    double operator()(int nm) {
        const auto v = static_cast<double>(m_element(static_cast<std::size_t>(nm - WAVELENGTH_BASE_NM)));
        if (!std::isfinite(v)) m_finite = false;
        return v;
    }
    bool finite() const { return m_finite; }

private:
    Element m_element;
    bool m_finite = true;
};

IndexValue Quotient(bool finite, double numerator, double denominator) {
    if (!finite || denominator == 0.0) return std::nullopt;
    const double q = numerator / denominator;
    if (!std::isfinite(q)) return std::nullopt;
    return q;
}

template <class R>
IndexValue NormalisedDifference(R& r, int a, int b) {
    const double ra = r(a);
    const double rb = r(b);
    return Quotient(r.finite(), ra - rb, ra + rb);
}

bool InGrid(int nm) { return nm >= WAVELENGTH_BASE_NM && nm <= LAST_NM; }

// "'text' " and what is wrong with it.
std::string Quoted(std::string_view text, std::string_view what) { return QuotedValue(text) + ' ' + std::string(what); }

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// A whole number of nanometres, digits only.
std::optional<int> Nanometres(std::string_view text) {
    int value = 0;
    if (text.empty() || text.size() > 6) return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.front() == '-') return std::nullopt;
    return value;
}

template <class R>
IndexValue Compute(const SpectralIndex& index, R& r) {
    switch (index.kind) {
        case IndexKind::Ndvi: return NormalisedDifference(r, NDVI_NIR, NDVI_RED);
        case IndexKind::Pri: return NormalisedDifference(r, PRI_A, PRI_B);
        case IndexKind::Rep: {
            const double inflection = (r(REP_RED) + r(REP_NIR)) / 2.0;
            const double low = r(REP_EDGE_LOW);
            const double high = r(REP_EDGE_HIGH);
            const IndexValue fraction = Quotient(r.finite(), inflection - low, high - low);
            if (!fraction) return std::nullopt;
            return REP_BASE_NM + REP_STEP_NM * *fraction;
        }
        case IndexKind::Mtci: {
            const double a = r(MTCI_A);
            const double b = r(MTCI_B);
            const double c = r(MTCI_C);
            return Quotient(r.finite(), a - b, b - c);
        }
        case IndexKind::NormalisedDifference:
            if (!InGrid(index.a) || !InGrid(index.b)) return std::nullopt;
            return NormalisedDifference(r, index.a, index.b);
    }
    return std::nullopt;
}

}  // namespace

std::vector<SpectralIndex> DefaultIndices() { return {NDVI, PRI, REP, MTCI}; }

IndexValue ComputeIndex(const SpectralIndex& index, std::span<const float, SPECTRUM_LENGTH> reflectance) {
    Reflectance r([reflectance](std::size_t j) { return reflectance[j]; });
    return Compute(index, r);
}

IndexValue ComputeIndex(const SpectralIndex& index, const ReflectanceArray& reflectance) {
    Reflectance r([&reflectance](std::size_t j) { return reflectance[j]; });
    return Compute(index, r);
}

void ComputeIndices(const MeasurementRecord& record, std::span<const SpectralIndex> indices,
                    std::span<IndexValue> values) {
    const std::size_t n = std::min(indices.size(), values.size());
    for (std::size_t i = 0; i < n; ++i) {
        Reflectance r([&record](std::size_t j) { return DefinedReflectanceAt(record, j); });
        values[i] = Compute(indices[i], r);
    }
}

std::vector<IndexValue> IndexOfRecords(const CVarneloDoc& doc, int count, const SpectralIndex& index) {
    std::vector<IndexValue> values(static_cast<std::size_t>(std::clamp(count, 0, RECORD_CAPACITY)));
    for (std::size_t i = 0; i < values.size(); ++i) {
        ComputeIndices(doc.record(static_cast<int>(i)), std::span(&index, 1), std::span(&values[i], 1));
    }
    return values;
}

ElementMask IndexElements(const SpectralIndex& index) {
    ElementMask mask;
    const auto add = [&mask](int nm) {
        if (InGrid(nm)) mask.set(static_cast<std::size_t>(nm - WAVELENGTH_BASE_NM));
    };
    switch (index.kind) {
        case IndexKind::Ndvi: add(NDVI_NIR), add(NDVI_RED); break;
        case IndexKind::Pri: add(PRI_A), add(PRI_B); break;
        case IndexKind::Rep: add(REP_RED), add(REP_EDGE_LOW), add(REP_EDGE_HIGH), add(REP_NIR); break;
        case IndexKind::Mtci: add(MTCI_A), add(MTCI_B), add(MTCI_C); break;
        case IndexKind::NormalisedDifference: add(index.a), add(index.b); break;
    }
    return mask;
}

bool IsNormalisedDifference(const SpectralIndex& index) { return index.kind != IndexKind::Rep && index.kind != IndexKind::Mtci; }

std::string IndexName(const SpectralIndex& index) {
    switch (index.kind) {
        case IndexKind::Ndvi: return "NDVI";
        case IndexKind::Pri: return "PRI";
        case IndexKind::Rep: return "REP";
        case IndexKind::Mtci: return "MTCI";
        case IndexKind::NormalisedDifference: {
            std::string name = "nd:";
            name.append(std::to_string(index.a)).append(":").append(std::to_string(index.b));
            return name;
        }
    }
    return {};
}

std::string_view IndexUnit(const SpectralIndex& index) { return index.kind == IndexKind::Rep ? "nm" : ""; }

int IndexReadoutDecimals(const SpectralIndex& index) {
    switch (index.kind) {
        case IndexKind::Rep: return 1;
        case IndexKind::Mtci: return 2;
        default: return 3;
    }
}

std::string IndexReadoutText(std::span<const SpectralIndex> indices, std::span<const IndexValue> values) {
    std::string text;
    for (std::size_t i = 0; i < indices.size() && i < values.size(); ++i) {
        if (i > 0) text += "  ";
        text += IndexName(indices[i]);
        text += ' ';
        if (!values[i]) {
            text += "\u2014";
            continue;
        }
        text += FixedText(*values[i], 0, IndexReadoutDecimals(indices[i]));
        if (const std::string_view unit = IndexUnit(indices[i]); !unit.empty()) text.append(" ").append(unit);
    }
    return text;
}

std::optional<SpectralIndex> ParseIndexName(std::string_view text, std::string& error) {
    const std::string name = Lower(text);
    if (name == "ndvi") return NDVI;
    if (name == "pri") return PRI;
    if (name == "rep") return REP;
    if (name == "mtci") return MTCI;
    if (name.starts_with("nd:")) {
        const std::string_view rest = std::string_view(name).substr(3);
        const std::size_t colon = rest.find(':');
        const std::optional<int> a = colon == std::string_view::npos ? std::nullopt : Nanometres(rest.substr(0, colon));
        const std::optional<int> b = colon == std::string_view::npos ? std::nullopt : Nanometres(rest.substr(colon + 1));
        if (!a || !b) {
            error = Quoted(text, "is not nd:A:B with A and B whole nanometres");
            return std::nullopt;
        }
        if (!InGrid(*a) || !InGrid(*b)) {
            error = Quoted(text, "names a wavelength outside 340..850 nm");
            return std::nullopt;
        }
        // (x - x) / (x + x) is 0 for every record, or undefined: never an index.
        if (*a == *b) {
            error = Quoted(text, "names one wavelength twice; a normalised difference needs two");
            return std::nullopt;
        }
        return SpectralIndex{IndexKind::NormalisedDifference, *a, *b};
    }
    error = "unknown index " + Quoted(text, "(ndvi, pri, rep, mtci or nd:A:B)");
    return std::nullopt;
}

}  // namespace varnelo
