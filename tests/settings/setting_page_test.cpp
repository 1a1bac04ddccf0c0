#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <limits>

#include "settings/setting_page.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

constexpr double INF = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

std::string Printf(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// Awkward values: rounding ties, signs, extremes, sub-normals, non-finite.
// The float fields leave out a negative NaN, which the program writes "nan".
const SensorCoefficientSet COEFS[2] = {{1.0, -2.5e-3, 123456.789012345, 0.0, -0.0, 5e-324},
                            {1.7976931348623157e308, -INF, NaN, -NaN, 9.999999995, -1e-300}};
const float FLOATS[] = {0.0f, -0.0f, 0.125f, 0.05f, -1.25f, 2.675f, 99999.95f, 3.4028235e38f,
                        1e-45f, -123.456f, std::numeric_limits<float>::infinity(), std::nanf("")};

struct Blocks {
    DeviceInfoBlock info{};
    ParameterBlock parameters{};
};

Blocks Sample() {
    Blocks b;
    b.info.bytes.fill(0xA5);
    AssignSensor(b.info, 0, "C12880MA-20A017", COEFS[0]);
    AssignSensor(b.info, 1, "\xE3\x82\xBB\xE3\x83\xB3\xE3\x82\xB5", COEFS[1]);
    b.parameters.bytes.fill(0);
    b.parameters.set_exp(-2147483647 - 1, 123456);
    b.parameters.set_battery(0.125f, 2.675f);
    constexpr std::size_t n = std::size(FLOATS);
    for (std::size_t j = 0; j < SPECTRUM_LENGTH; ++j) {
        b.parameters.set_spectrum_ch1(j, FLOATS[j % n] * (j < n ? 1.0f : 1.0f + static_cast<float>(j) / 7.0f));
        b.parameters.set_spectrum_ch2(j, FLOATS[(j + 3) % n]);
        b.parameters.set_channel_diff(j, FLOATS[(j + 5) % n] / (1.0f + static_cast<float>(j % 9)));
    }
    return b;
}

// "%+15.8E": glibc's printf, and the program everywhere, keep a NaN's sign;
// Windows' C library drops it.
std::string SignedE(double value) {
#ifdef _WIN32
    if (std::isnan(value) && std::signbit(value)) {
        std::string text = Printf("%+15.8E", -value);
        text[text.find('+')] = '-';
        return text;
    }
#endif
    return Printf("%+15.8E", value);
}

// What C printf writes in the "C" locale for each page.
std::vector<std::string> Reference(SettingPage page, const Blocks& b) {
    const ParameterBlock& p = b.parameters;
    std::vector<std::string> lines;
    switch (page) {
        case SettingPage::Hardware:
            lines.push_back(Printf("%s         , %s", SensorName(b.info, 0).c_str(), SensorName(b.info, 1).c_str()));
            for (std::size_t k = 0; k < 6; ++k) {
                lines.push_back(SignedE(SensorCoefficients(b.info, 0)[k]) + " , " +
                                SignedE(SensorCoefficients(b.info, 1)[k]));
            }
            break;
        case SettingPage::Parameters:
            lines.push_back(Printf("%5d,%5d", p.exp_ch1(), p.exp_ch2()));
            lines.push_back(Printf("%5.2f,%5.2f", static_cast<double>(p.batc()), static_cast<double>(p.batv())));
            break;
        case SettingPage::Data:
            for (std::size_t j = 0; j < SPECTRUM_LENGTH; ++j) {
                lines.push_back(Printf("%5.1f, %5.1f", static_cast<double>(p.spectrum_ch1()[j]),
                                       static_cast<double>(p.spectrum_ch2()[j])));
            }
            break;
        case SettingPage::ChannelDifference:
            for (std::size_t j = 0; j < SPECTRUM_LENGTH; ++j) {
                lines.push_back(Printf("%5.3f", static_cast<double>(p.channel_diff()[j])));
            }
            break;
    }
    return lines;
}

TEST(SettingPage, EveryLineIsPrintfOfTheCLocaleUnderEveryLocale) {
    const Blocks b = Sample();
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "C");
    std::vector<std::vector<std::string>> reference;
    for (int page = 0; page < SETTING_PAGE_COUNT; ++page) reference.push_back(Reference(SettingPage(page), b));
    EXPECT_EQ(reference[0][1], "+1.00000000E+00 , +1.79769313E+308");
    EXPECT_EQ(reference[0][3], "+1.23456789E+05 ,            +NAN");

    const std::size_t counts[] = {7, 2, 511, 511};
    for (const char* locale : {"C", "de_DE.UTF-8", "ja_JP.UTF-8"}) {
        if (std::setlocale(LC_ALL, test::SystemLocale(locale)) == nullptr) {
            ADD_FAILURE() << "locale " << locale << " is missing (scripts/setup generates it)";
            continue;
        }
        for (int page = 0; page < SETTING_PAGE_COUNT; ++page) {
            const auto lines = SettingPageLines(SettingPage(page), b.info, b.parameters);
            EXPECT_EQ(lines.size(), counts[page]) << locale << " page " << page;
            EXPECT_EQ(lines, reference[static_cast<std::size_t>(page)]) << locale << " page " << page;
        }
    }
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(SettingPage, NameFieldsAsTheBlockHoldsThem) {
    DeviceInfoBlock info{};
    const ParameterBlock parameters{};
    EXPECT_EQ(SettingPageLines(SettingPage::Hardware, info, parameters).front(), "         , ");
    std::memcpy(info.bytes.data() + 68, "ABCDEFGHIJKLMNOPQ", 17);  // ch.1 without a NUL runs into ch.2
    info.bytes[84 + 1] = 0;
    EXPECT_EQ(SettingPageLines(SettingPage::Hardware, info, parameters).front(), "ABCDEFGHIJKLMNOP         , Q");
}

}  // namespace
}  // namespace varnelo
