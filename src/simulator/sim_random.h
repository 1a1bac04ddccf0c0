#pragma once
// A small generator whose sequence is the same on every platform and
// standard library, so a seed always gives the same simulated logger.

#include <cmath>
#include <cstdint>
#include <numbers>

namespace varnelo {

class SimRandom {
public:
    explicit SimRandom(std::uint64_t seed) : m_state(seed) {}

    // Two inputs folded into one well-mixed seed.
    static std::uint64_t Mix(std::uint64_t a, std::uint64_t b) {
        SimRandom r(a * 0x9E3779B97F4A7C15ull ^ b);
        r.next();
        return r.next();
    }

    std::uint64_t next() {  // splitmix64
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }  // [0, 1)
    std::uint64_t below(std::uint64_t n) { return next() % n; }

    double normal() {  // Box-Muller, one value per call
        const double u = 1.0 - uniform();
        const double v = uniform();
        return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * std::numbers::pi * v);
    }

    // Sum of four 16-bit uniforms, scaled to unit variance: close enough to a
    // normal for instrument noise, and cheap enough for every spectrum element.
    double quickNormal() {
        const std::uint64_t bits = next();
        const double sum = static_cast<double>((bits & 0xFFFF) + ((bits >> 16) & 0xFFFF) + ((bits >> 32) & 0xFFFF) +
                                               (bits >> 48));
        return (sum / 65536.0 - 2.0) * 1.7320508075688772;
    }

private:
    std::uint64_t m_state;
};

}  // namespace varnelo
