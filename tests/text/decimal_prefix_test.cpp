#include "text/decimal_prefix.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>
#include <string_view>

#include "support/test_support.h"

namespace varnelo {
namespace {

double Read(std::string_view text) {
    return ReadDecimalPrefix(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

TEST(DecimalPrefix, ReadsTheLongestDecimalPrefixLikeTheCConversion) {
    EXPECT_EQ(Read("3539.1234,N"), 3539.1234);
    EXPECT_EQ(Read("  \t\n\v\f\r12.5"), 12.5);
    EXPECT_EQ(Read("+7"), 7.0);
    EXPECT_EQ(Read(".5"), 0.5);
    EXPECT_EQ(Read("5."), 5.0);
    EXPECT_EQ(Read("1.5e2x"), 150.0);
    EXPECT_EQ(Read("2e+"), 2.0);  // an exponent without digits is not part of the number
    EXPECT_EQ(Read("12,5"), 12.0);
    EXPECT_TRUE(std::signbit(Read("-0")));
    for (std::string_view text : {"", ",", "-", ".", "-.", " ", "+-1", "- 1", "inf", "nan", "NAN(1)"}) {
        EXPECT_EQ(Read(text), 0.0) << text;
        EXPECT_FALSE(std::signbit(Read(text))) << text;
    }
    // Only decimal notation: hexadecimal text reads as its leading 0.
    EXPECT_EQ(Read("0x1A"), 0.0);
    EXPECT_EQ(Read("1x1A"), 1.0);

    const std::string saved = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, test::SystemLocale("de_DE.UTF-8")), nullptr) << "scripts/setup generates de_DE.UTF-8";
    EXPECT_EQ(Read("3539.1234"), 3539.1234);
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(DecimalPrefix, OutOfRangeValuesSaturateLikeTheCConversion) {
    EXPECT_EQ(Read("1e400"), HUGE_VAL);
    EXPECT_EQ(Read("-1e99999999999999999999999"), -HUGE_VAL);
    EXPECT_EQ(Read("0.0000000001e319"), HUGE_VAL);
    EXPECT_EQ(Read("0.0000000001e318"), 1e308);
    EXPECT_EQ(Read(std::string(400, '9')), HUGE_VAL);
    EXPECT_TRUE(std::signbit(Read("-1e-400")));
    EXPECT_EQ(Read("-1e-400"), 0.0);
    EXPECT_EQ(Read("12345e-320"), 12345e-320);  // a subnormal is kept
    EXPECT_EQ(Read("0e99999999999"), 0.0);
    EXPECT_EQ(Read("0." + std::string(300, '0') + "1e300"), 1e-1);
}

}  // namespace
}  // namespace varnelo
