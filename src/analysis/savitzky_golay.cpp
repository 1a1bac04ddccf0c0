#include "analysis/savitzky_golay.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "text/message_text.h"

namespace varnelo {

namespace {

std::optional<int> WholeNumber(std::string_view text) {
    int value = 0;
    if (text.empty() || text.size() > 4) return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// Orthonormal polynomials on the window's points x_i = (i - c) / c, built by
// Arnoldi (Gram-Schmidt on x q_{k-1}, twice): a monomial basis of order 49
// on 51 points is far too ill-conditioned for the normal equations, this
// one is not. Each q_k is also carried as a polynomial through the
// recurrence, so its derivative at the points follows.
struct Basis {
    std::vector<std::vector<double>> q;   // q[k][i]
    std::vector<std::vector<double>> dq;  // q_k' (per unit of x) at x_i
};

Basis OrthonormalBasis(int window, int order) {
    const auto n = static_cast<std::size_t>(window);
    const double c = (window - 1) / 2.0;
    std::vector<double> x(n);
    for (std::size_t i = 0; i < n; ++i) x[i] = (static_cast<double>(i) - c) / c;
    Basis b;
    b.q.push_back(std::vector<double>(n, 1.0 / std::sqrt(static_cast<double>(window))));
    b.dq.push_back(std::vector<double>(n, 0.0));
    for (int k = 1; k <= order; ++k) {
        std::vector<double> v(n), dv(n);
        const std::vector<double>& prev = b.q.back();
        const std::vector<double>& dprev = b.dq.back();
        for (std::size_t i = 0; i < n; ++i) {
            v[i] = x[i] * prev[i];
            dv[i] = prev[i] + x[i] * dprev[i];
        }
        for (int pass = 0; pass < 2; ++pass) {
            for (std::size_t m = 0; m < b.q.size(); ++m) {
                double h = 0.0;
                for (std::size_t i = 0; i < n; ++i) h += b.q[m][i] * v[i];
                for (std::size_t i = 0; i < n; ++i) {
                    v[i] -= h * b.q[m][i];
                    dv[i] -= h * b.dq[m][i];
                }
            }
        }
        double norm = 0.0;
        for (const double e : v) norm += e * e;
        norm = std::sqrt(norm);
        for (std::size_t i = 0; i < n; ++i) {
            v[i] /= norm;
            dv[i] /= norm;
        }
        b.q.push_back(std::move(v));
        b.dq.push_back(std::move(dv));
    }
    return b;
}

std::string SmoothingError(std::string_view text, std::string_view what) {
    return QuotedValue(text) + ' ' + std::string(what);
}

}  // namespace

std::optional<SmoothingOptions> ParseSmoothing(std::string_view text, std::string& error) {
    const auto bad = [&](std::string_view why) {
        error = SmoothingError(text, why);
        return std::nullopt;
    };
    if (!text.starts_with("sg:")) return bad("is not sg:W:P");
    const std::string_view rest = text.substr(3);
    const std::size_t colon = rest.find(':');
    if (colon == std::string_view::npos) return bad("is not sg:W:P");
    const std::optional<int> w = WholeNumber(rest.substr(0, colon));
    const std::optional<int> p = WholeNumber(rest.substr(colon + 1));
    if (!w || !p) return bad("is not sg:W:P with whole numbers W and P");
    if (*w < SMOOTHING_WINDOW_MIN || *w > SMOOTHING_WINDOW_MAX || *w % 2 == 0) {
        return bad("needs an odd window W of 5..51 points");
    }
    if (*p < 1 || *p > *w - 2) return bad("needs a polynomial order P of 1..W-2");
    return SmoothingOptions{*w, *p, false};
}

std::string SmoothingName(const SmoothingOptions& filter) {
    std::string name = "sg:" + std::to_string(filter.window) + ":" + std::to_string(filter.order);
    if (filter.derivative) name += " derivative";
    return name;
}

SavitzkyGolay::SavitzkyGolay(const SmoothingOptions& filter) : m_window(filter.window) {
    const Basis b = OrthonormalBasis(filter.window, filter.order);
    const auto n = static_cast<std::size_t>(filter.window);
    // Per nm: x is (i - c) / c.
    const double scale = filter.derivative ? 2.0 / (filter.window - 1) : 1.0;
    const auto& at = filter.derivative ? b.dq : b.q;
    m_weights.assign(n * n, 0.0);
    for (std::size_t t = 0; t < n; ++t) {
        for (std::size_t i = 0; i < n; ++i) {
            double w = 0.0;
            for (std::size_t k = 0; k < b.q.size(); ++k) w += at[k][t] * b.q[k][i];
            m_weights[t * n + i] = w * scale;
        }
    }
}

int SavitzkyGolay::windowStart(int j, int length) const {
    return std::clamp(j - m_window / 2, 0, length - m_window);
}

double SavitzkyGolay::at(const ReflectanceArray& in, int j) const {
    const int start = windowStart(j);
    const int t = j - start;
    const double* w = &m_weights[static_cast<std::size_t>(t * m_window)];
    double sum = 0.0;
    // NaN carries through the sum: an undefined point in the window leaves
    // the output undefined.
    for (int i = 0; i < m_window; ++i) sum += w[i] * in[static_cast<std::size_t>(start + i)];
    return sum;
}

void SavitzkyGolay::apply(const ReflectanceArray& in, ReflectanceArray& out) const {
    for (int j = 0; j < SPECTRUM_LENGTH; ++j) out[static_cast<std::size_t>(j)] = at(in, j);
}

}  // namespace varnelo
