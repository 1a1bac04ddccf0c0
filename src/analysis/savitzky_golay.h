#pragma once
// Savitzky–Golay smoothing of a reflectance on the 1 nm grid: each point
// becomes the value (or the first derivative, per nm) at that point of the
// least-squares polynomial of order P through the W points centred on it.
// The first and last W/2 points, which have no centred window, take the one
// polynomial fitted to the first or last W points (the "interp" ends of
// scipy.signal.savgol_filter), so a polynomial of order P comes back exactly
// everywhere. An undefined point (NaN) is never smoothed over: every output
// whose window holds one is undefined.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/reflectance.h"

namespace varnelo {

struct SmoothingOptions {
    int window = 0;  // odd, 5..51
    int order = 0;   // 1..window-2
    bool derivative = false;
    friend bool operator==(const SmoothingOptions&, const SmoothingOptions&) = default;
};

inline constexpr int SMOOTHING_WINDOW_MIN = 5;
inline constexpr int SMOOTHING_WINDOW_MAX = 51;

// "sg:W:P"; anything else gives nothing, with `error` naming the value.
std::optional<SmoothingOptions> ParseSmoothing(std::string_view text, std::string& error);
// "sg:11:2", with " derivative" when asked for.
std::string SmoothingName(const SmoothingOptions& filter);

class SavitzkyGolay {
public:
    explicit SavitzkyGolay(const SmoothingOptions& filter);

    // Weight of window point i (0..W-1) for the fit evaluated at window
    // point t (0..W-1): t = W/2 is the centred filter, the others the ends.
    double weight(int t, int i) const { return m_weights[static_cast<std::size_t>(t * m_window + i)]; }
    int window() const { return m_window; }

    // The first element of the window element j's output reads.
    int windowStart(int j, int length = SPECTRUM_LENGTH) const;

    void apply(const ReflectanceArray& in, ReflectanceArray& out) const;
    // Output element j alone, reading only its window.
    double at(const ReflectanceArray& in, int j) const;

private:
    int m_window;
    std::vector<double> m_weights;
};

}  // namespace varnelo
