#include "text/fixed_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <numeric>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace varnelo {
namespace {

// What C printf writes in the "C" locale, with a NaN's sign dropped.
std::string Printf(double value, int decimals, int width) {
    char text[400];
    const int n = std::snprintf(text, sizeof text, "%*.*f", width, decimals, value);
    std::string s(text, static_cast<std::size_t>(n));
    if (const auto minus = s.find("-nan"); minus != std::string::npos) {
        s.erase(minus, 1);
        if (s.size() < static_cast<std::size_t>(width)) s.insert(0, 1, ' ');
    }
    return s;
}

std::string Ours(float value, int decimals, int width) {
    char text[FLOAT_FIXED_TEXT_MAX];
    return std::string(text, FormatFixed(text, value, decimals, width));
}

std::string Ours(double value, int decimals, int width) {
    char text[DOUBLE_FIXED_TEXT_MAX];
    return std::string(text, FormatFixed(text, value, decimals, width));
}

// The float formats of the export, and a spread of others.
constexpr int EXPORT_DECIMALS[] = {1, 2, 3};

class FixedFormat : public ::testing::Test {
protected:
    void SetUp() override {
        // printf is the reference only in the "C" locale.
        saved = std::setlocale(LC_ALL, nullptr);
        std::setlocale(LC_ALL, "C");
    }
    void TearDown() override { std::setlocale(LC_ALL, saved.c_str()); }

    // Collects at most a few mismatches so that a fault shows its pattern.
    void Check(float value, int decimals, int width = 3) {
        const std::string expected = Printf(static_cast<double>(value), decimals, width);
        const std::string actual = Ours(value, decimals, width);
        if (expected != actual && ++mismatches <= 10)
            ADD_FAILURE() << "bits 0x" << std::hex << std::bit_cast<std::uint32_t>(value) << std::dec << " %"
                          << width << "." << decimals << "f: printf \"" << expected << "\", ours \"" << actual << "\"";
    }
    void CheckAllExportFormats(float value) {
        for (int d : EXPORT_DECIMALS) Check(value, d);
    }
    void CheckDouble(double value, int decimals = 7, int width = 9) {
        const std::string expected = Printf(value, decimals, width);
        const std::string actual = Ours(value, decimals, width);
        if (expected != actual && ++mismatches <= 10)
            ADD_FAILURE() << "double bits 0x" << std::hex << std::bit_cast<std::uint64_t>(value) << std::dec << " %"
                          << width << "." << decimals << "f: printf \"" << expected << "\", ours \"" << actual << "\"";
    }

    std::string saved;
    int mismatches = 0;
};

TEST_F(FixedFormat, KnownTexts) {
    EXPECT_EQ(Ours(3.85f, 2, 3), "3.85");
    EXPECT_EQ(Ours(95.0f, 1, 3), "95.0");
    EXPECT_EQ(Ours(0.0f, 3, 3), "0.000");
    EXPECT_EQ(Ours(-0.0f, 1, 3), "-0.0");
    EXPECT_EQ(Ours(-0.04f, 1, 3), "-0.0");
    EXPECT_EQ(Ours(0.25f, 1, 3), "0.2");   // exact tie: to even
    EXPECT_EQ(Ours(0.75f, 1, 3), "0.8");
    EXPECT_EQ(Ours(0.35f, 1, 3), "0.3");   // 0.3499999940...
    EXPECT_EQ(Ours(2.5f, 0, 0), "2");
    EXPECT_EQ(Ours(3.5f, 0, 0), "4");
    EXPECT_EQ(Ours(0.0625f, 3, 3), "0.062");
    EXPECT_EQ(Ours(1.5f, 0, 5), "    2");
    EXPECT_EQ(Ours(std::numeric_limits<float>::max(), 1, 3), "340282346638528859811704183484516925440.0");
    EXPECT_EQ(Ours(std::numeric_limits<float>::infinity(), 1, 3), "inf");
    EXPECT_EQ(Ours(-std::numeric_limits<float>::infinity(), 3, 3), "-inf");
    EXPECT_EQ(Ours(std::numeric_limits<float>::quiet_NaN(), 1, 3), "nan");
    EXPECT_EQ(Ours(-std::numeric_limits<float>::quiet_NaN(), 1, 3), "nan");
    EXPECT_EQ(Ours(35.0 + 39.1234 / 60.0, 7, 9), "35.6520567");
    EXPECT_EQ(Ours(139.761315, 7, 9), "139.7613150");
    EXPECT_EQ(Ours(0.0, 7, 9), "0.0000000");
    EXPECT_EQ(Ours(-std::numeric_limits<double>::infinity(), 7, 9), "     -inf");
    EXPECT_EQ(Ours(-std::numeric_limits<double>::quiet_NaN(), 7, 9), "      nan");

    char text[INT32_TEXT_MAX];
    EXPECT_EQ(std::string(text, FormatInt(text, std::numeric_limits<std::int32_t>::min())), "-2147483648");
    EXPECT_EQ(std::string(text, FormatInt(text, 0)), "0");
    EXPECT_EQ(std::string(text, FormatInt(text, 200)), "200");
}

TEST_F(FixedFormat, FloatsMatchPrintfOnRandomBitPatterns) {
    std::mt19937_64 random(20211007);
    for (int n = 0; n < 1'000'000; ++n) CheckAllExportFormats(std::bit_cast<float>(static_cast<std::uint32_t>(random())));
    for (int n = 0; n < 100'000; ++n) {
        const float value = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
        Check(value, static_cast<int>(random() % (FIXED_DECIMALS_MAX + 1)), static_cast<int>(random() % 16));
    }
    // Values of the size real spectra, temperatures and batteries have.
    std::uniform_real_distribution<float> typical(-70000.0f, 70000.0f);
    for (int n = 0; n < 300'000; ++n) CheckAllExportFormats(typical(random));
}

TEST_F(FixedFormat, FloatsMatchPrintfAtEveryKindOfEdge) {
    for (float value : {0.0f, -0.0f, std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
                        std::numeric_limits<float>::min(), std::numeric_limits<float>::denorm_min(),
                        -std::numeric_limits<float>::denorm_min(), std::numeric_limits<float>::infinity(),
                        -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN(),
                        -std::numeric_limits<float>::quiet_NaN(), std::bit_cast<float>(0x7f800001u),
                        std::bit_cast<float>(0xffbfffffu), 0.05f, 0.15f, 0.25f, 0.35f, 0.45f, 2.5f, 0.005f, 0.0005f,
                        1e-4f, 9.95f, 9.995f, 99.95f, 0.9995f, 1.8446744e19f, 1.8446743e19f, 1.8446746e19f})
        for (int d = 0; d <= FIXED_DECIMALS_MAX; ++d) Check(value, d);

    // Every power of two and its neighbours, both signs.
    for (int e = -149; e <= 127; ++e) {
        const float p = std::ldexp(1.0f, e);
        for (float value : {p, std::nextafter(p, 0.0f), std::nextafter(p, HUGE_VALF)}) {
            CheckAllExportFormats(value);
            CheckAllExportFormats(-value);
        }
    }

    // Exact ties at every export precision: odd multiples of 2^-(d+1).
    for (int d : EXPORT_DECIMALS)
        for (std::uint32_t m = 1; m < 400'000; m += 2) {
            Check(std::ldexp(static_cast<float>(m), -(d + 1)), d);
            Check(-std::ldexp(static_cast<float>(m), -(d + 1)), d);
        }

    // The floats on both sides of each rounding boundary k + 1/2 units.
    std::mt19937_64 random(7);
    for (int d : EXPORT_DECIMALS) {
        const double unit = std::pow(10.0, -d);
        for (int n = 0; n < 200'000; ++n) {
            const double k = n < 100'000 ? n : std::ldexp(static_cast<double>(random() % (1u << 24)), static_cast<int>(random() % 30));
            const float boundary = static_cast<float>((k + 0.5) * unit);
            for (float value : {boundary, std::nextafter(boundary, 0.0f), std::nextafter(boundary, HUGE_VALF)})
                Check(value, d);
        }
    }

    // Subnormals.
    for (std::uint32_t bits = 0; bits < 0x00800000u; bits += 4099) {
        CheckAllExportFormats(std::bit_cast<float>(bits));
        CheckAllExportFormats(std::bit_cast<float>(bits | 0x80000000u));
    }
}

TEST_F(FixedFormat, DoublesMatchPrintf) {
    std::mt19937_64 random(35652056);
    for (int n = 0; n < 100'000; ++n) CheckDouble(std::bit_cast<double>(random()));
    std::uniform_real_distribution<double> degrees(-180.0, 180.0);
    for (int n = 0; n < 300'000; ++n) CheckDouble(degrees(random));
    // Exact ties at seven decimals and their neighbours.
    for (std::uint64_t m = 1; m < 20'000; m += 2) {
        const double tie = std::ldexp(static_cast<double>(m), -8);
        for (double value : {tie, std::nextafter(tie, 0.0), std::nextafter(tie, HUGE_VAL), -tie}) CheckDouble(value);
    }
    for (double value : {0.0, -0.0, std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min(),
                         HUGE_VAL, -HUGE_VAL, std::numeric_limits<double>::quiet_NaN(),
                         -std::numeric_limits<double>::quiet_NaN(), 0.00000005, 0.00000015, 1e300})
        for (int width : {0, 3, 9, 20}) CheckDouble(value, 7, width);
}

TEST_F(FixedFormat, IntegersMatchPrintf) {
    std::mt19937 random(1);
    char text[INT32_TEXT_MAX];
    char expected[16];
    for (int n = 0; n < 200'000; ++n) {
        const auto value = static_cast<std::int32_t>(random() >> (random() % 32));
        const std::int32_t signedValue = n % 2 ? value : -value;
        std::snprintf(expected, sizeof expected, "%d", signedValue);
        ASSERT_EQ(std::string(text, FormatInt(text, signedValue)), expected);
    }
}

// Widths up to 2 + decimals never pad, and such texts of up to eight digits
// are laid out in one register; one more width sends the same value down
// the digit-pair path. The two must agree for every float the layout takes:
// |value| below 10^(8 - decimals), both signs.
std::uint64_t LayoutMismatches(int decimals, std::uint32_t stride, std::uint32_t offset) {
    const std::uint32_t limit = std::bit_cast<std::uint32_t>(static_cast<float>(std::pow(10.0, 8 - decimals)));
    std::uint64_t mismatches = 0;
    char laid[FLOAT_FIXED_TEXT_MAX];
    char paired[FLOAT_FIXED_TEXT_MAX];
    for (std::uint32_t bits = offset; bits < limit; bits += stride) {
        for (const std::uint32_t sign : {0u, 0x80000000u}) {
            const float value = std::bit_cast<float>(bits | sign);
            const std::string a(laid, FormatFixed(laid, value, decimals, decimals + 2));
            std::string b(paired, FormatFixed(paired, value, decimals, decimals + 3));
            if (b.front() == ' ') b.erase(0, 1);
            mismatches += a != b;
        }
    }
    return mismatches;
}

TEST_F(FixedFormat, RegisterLayoutMatchesDigitPairsOnASpreadOfFloats) {
    for (int d : EXPORT_DECIMALS) EXPECT_EQ(LayoutMismatches(d, 997, static_cast<std::uint32_t>(d)), 0u) << d;
}

// All of them; about a minute per core. Run on demand with VARNELO_EXHAUSTIVE=1.
// The sum of share(t) for t = 0..threads-1, each share on a thread of its own.
std::uint64_t SumOnThreads(unsigned threads, const std::function<std::uint64_t(unsigned)>& share) {
    std::vector<std::uint64_t> found(threads);
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < threads; ++t) workers.emplace_back([&, t] { found[t] = share(t); });
    for (std::thread& w : workers) w.join();
    return std::accumulate(found.begin(), found.end(), std::uint64_t{0});
}

unsigned EveryCore() { return std::max(1u, std::thread::hardware_concurrency()); }

TEST_F(FixedFormat, RegisterLayoutMatchesDigitPairsForEveryFloatItTakes) {
    if (!std::getenv("VARNELO_EXHAUSTIVE")) GTEST_SKIP() << "set VARNELO_EXHAUSTIVE=1 to run";
    const unsigned threads = EveryCore();
    for (int d : EXPORT_DECIMALS)
        EXPECT_EQ(SumOnThreads(threads, [&](unsigned t) { return LayoutMismatches(d, threads, t); }), 0u) << d;
}

// A run of values must read as the values one by one, each with its
// separator. Runs of five consecutive patterns from `first` on, one in
// every `stride`, up to `last`: every pattern when stride is 5.
std::uint64_t RunMismatches(int decimals, std::uint64_t first, std::uint64_t last, std::uint64_t stride) {
    std::uint64_t mismatches = 0;
    char run[5 * (FLOAT_FIXED_TEXT_MAX + 1)];
    char one[FLOAT_FIXED_TEXT_MAX];
    float values[5];
    for (std::uint64_t bits = first; bits <= last; bits += stride) {
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(5, last - bits + 1));
        std::string expected;
        for (std::size_t k = 0; k < count; ++k) {
            values[k] = std::bit_cast<float>(static_cast<std::uint32_t>(bits + k));
            expected.append(one, FormatFixed(one, values[k], decimals, 3));
            expected += ',';
        }
        const char* end = decimals == 1   ? FormatFloatRun<1>(run, std::span(values, count), 3, ',')
                          : decimals == 2 ? FormatFloatRun<2>(run, std::span(values, count), 3, ',')
                                          : FormatFloatRun<3>(run, std::span(values, count), 3, ',');
        mismatches += std::string_view(run, static_cast<std::size_t>(end - run)) != expected;
    }
    return mismatches;
}

TEST_F(FixedFormat, RunsReadAsSingleValues) {
    const bool every = std::getenv("VARNELO_EXHAUSTIVE") != nullptr;  // about 7 minutes on two cores
    const unsigned threads = every ? EveryCore() : 1;
    const std::uint64_t part = (std::uint64_t{1} << 32) / threads;
    for (int d : EXPORT_DECIMALS) {
        const auto share = [&](unsigned t) {
            const std::uint64_t first = t * part;
            const std::uint64_t last = t + 1 == threads ? 0xffffffffu : first + part - 1;
            return RunMismatches(d, first + (every ? 0 : static_cast<unsigned>(d)), last, every ? 5 : 9973);
        };
        EXPECT_EQ(SumOnThreads(threads, share), 0u) << d;
    }
}

// Every one of the 2^32 float patterns in the export's three formats. Takes
// about 25 minutes on two cores; run on demand with VARNELO_EXHAUSTIVE=1 (optionally
// VARNELO_EXHAUSTIVE_FIRST / _LAST as hexadecimal bounds of the patterns).
TEST_F(FixedFormat, EveryFloatMatchesPrintf) {
    if (!std::getenv("VARNELO_EXHAUSTIVE")) GTEST_SKIP() << "set VARNELO_EXHAUSTIVE=1 to run";
    const auto bound = [](const char* name, std::uint64_t fallback) {
        const char* text = std::getenv(name);
        return text ? std::strtoull(text, nullptr, 16) : fallback;
    };
    const std::uint64_t first = bound("VARNELO_EXHAUSTIVE_FIRST", 0);
    const std::uint64_t last = bound("VARNELO_EXHAUSTIVE_LAST", 0xffffffffu);
    for (std::uint64_t bits = first; bits <= last; ++bits) {
        CheckAllExportFormats(std::bit_cast<float>(static_cast<std::uint32_t>(bits)));
        if ((bits & 0x0fffffffu) == 0x0fffffffu)
            std::fprintf(stderr, "checked up to 0x%08llx, %d mismatches\n", static_cast<unsigned long long>(bits),
                         mismatches);
    }
    EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace varnelo
