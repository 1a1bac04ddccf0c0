#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

#include "charts/number_text.h"

namespace varnelo {
namespace {

TEST(NumberText, MatchesPrintfOfTheCLocale) {
    EXPECT_EQ(FormatInt(350, 3), "350");
    EXPECT_EQ(FormatInt(5000, 5), " 5000");
    EXPECT_EQ(FormatInt(-7, 3), " -7");
    EXPECT_EQ(FormatInt(123456, 3), "123456");
    EXPECT_EQ(FormatFixed(10.0, 4, 3), "10.000");
    EXPECT_EQ(FormatFixed(0.0, 4, 3), "0.000");
    EXPECT_EQ(FormatFixed(1.5, 8, 3), "   1.500");
    EXPECT_EQ(FormatFixed(static_cast<double>(5.1444f), 3, 1), "5.1");
    EXPECT_EQ(FormatFixed(0.25, 3, 1), "0.2");   // exact binary half: to even, as printf
    EXPECT_EQ(FormatFixed(0.35, 3, 1), "0.3");   // 0.35 is just below in binary
    EXPECT_EQ(FormatFixed(-0.04, 3, 1), "-0.0");
    EXPECT_EQ(FormatFixed(1e20, 3, 1), "100000000000000000000.0");
    EXPECT_EQ(FormatFixed(std::numeric_limits<double>::max(), 3, 1).size(), 311u);
}

TEST(NumberText, NonFiniteValuesHaveFixedSpellings) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(FormatFixed(inf, 4, 3), " inf");
    EXPECT_EQ(FormatFixed(-inf, 4, 3), "-inf");
    EXPECT_EQ(FormatFixed(std::nan(""), 3, 1), "nan");
    EXPECT_EQ(FormatFixed(-std::nan(""), 5, 1), "  nan");
}

TEST(NumberText, DecimalPointIgnoresTheUserLocale) {
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr && std::setlocale(LC_NUMERIC, "de_DE.utf8") == nullptr) {
        GTEST_SKIP() << "no locale with a decimal comma installed";
    }
    const std::string text = FormatFixed(12.25, 3, 2);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(text, "12.25");
}

}  // namespace
}  // namespace varnelo
