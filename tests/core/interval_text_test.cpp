#include "interval_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace clicker {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct ConversionCase {
    std::string text;  // code page 936 bytes
    double number;
    std::int32_t period;
};

void PrintTo(const ConversionCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class ConversionTable : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(ConversionTable, TextGivesNumberAndPeriod) {
    const ConversionCase& c = GetParam();
    const double number = TextToNumber(c.text);
    if (c.number == 0.0) {
        EXPECT_EQ(number, 0.0);
        EXPECT_EQ(std::signbit(number), std::signbit(c.number)) << "sign of zero";
    } else {
        EXPECT_EQ(number, c.number);  // exact: the nearest double, or the same infinity
    }
    EXPECT_EQ(NumberToPeriod(number), c.period);
}

// Full-width characters as code page 936 bytes: digits A3 B0..B9, point A3 AE,
// minus A3 AD, e A3 E5, ideographic space A1 A1, ideographic full stop A1 A3.
INSTANTIATE_TEST_SUITE_P(Texts, ConversionTable, ::testing::Values(
    ConversionCase{"100", 100, 100},
    ConversionCase{"", 0.0, 0},
    ConversionCase{"abc", 0.0, 0},
    ConversionCase{"  12", 12, 12},
    ConversionCase{"\t\n\v\f\r12", 12, 12},
    ConversionCase{"12abc", 12, 12},
    ConversionCase{"12ms", 12, 12},
    ConversionCase{"1,000", 1, 1},
    ConversionCase{"1 000", 1, 1},
    ConversionCase{"0x1A", 0.0, 0},
    ConversionCase{"inf", 0.0, 0},
    ConversionCase{"nan", 0.0, 0},
    ConversionCase{"00012", 12, 12},
    ConversionCase{"\xA3\xB1\xA3\xB0\xA3\xB0", 100, 100},
    ConversionCase{"\xA3\xB1\xA3\xB2\xA3\xB3\xA3\xED\xA3\xF3", 123, 123},
    ConversionCase{"\xA1\xA1\xA3\xB5\xA3\xB0", 50, 50},
    ConversionCase{"\xA3\xB1\xA1\xA1\xA3\xB0\xA3\xB0\xA3\xB0", 1, 1},
    ConversionCase{"\xA3\xAD\xA3\xB5", -5, -5},
    ConversionCase{"\xA3\xB1\xA3\xAE\xA3\xB5", 1.5, 1},
    ConversionCase{"\xA3\xB1\xA1\xA3\xA3\xB5", 1, 1},
    ConversionCase{"\xA3\xB1\xA3\xE5\xA3\xB3", 1000, 1000},
    ConversionCase{"\xA3\xB1\xA3\xC5\xA3\xB3", 1000, 1000},
    ConversionCase{"\xA3\xB2\xA3\xE4\xA3\xB2", 200, 200},
    ConversionCase{"\xA1\xEE\xA3\xB5", 0.0, 0},
    ConversionCase{"\xA1\xEF\xA3\xB5", 0.0, 0},
    ConversionCase{"\xA3\xAB\xA3\xB7", 7, 7},
    ConversionCase{"\xB0\xA1" "5", 0.0, 0},  // a Chinese character before the digits
    ConversionCase{"5\xB0\xA1", 5, 5},
    ConversionCase{"5\xA3", 5, 5},          // lone lead byte at the end
    ConversionCase{"\xA3", 0.0, 0},
    ConversionCase{"1e3", 1000, 1000},
    ConversionCase{"1E3", 1000, 1000},
    ConversionCase{"1d3", 1000, 1000},
    ConversionCase{"1D3", 1000, 1000},
    ConversionCase{"1e", 1, 1},
    ConversionCase{"1e+", 1, 1},
    ConversionCase{"1e-x", 1, 1},
    ConversionCase{"1e-0", 1, 1},
    ConversionCase{"1e+-2", 1, 1},
    ConversionCase{"1e-2", 0.01, 0},
    ConversionCase{"1e2.5", 100, 100},
    ConversionCase{"12e3e4", 12000, 12000},
    ConversionCase{"1.5e2", 150, 150},
    ConversionCase{".5e3", 500, 500},
    ConversionCase{"5.", 5, 5},
    ConversionCase{"1.2.3", 1.2, 1},
    ConversionCase{"0e5", 0.0, 0},
    ConversionCase{"0.5e1", 5, 5},
    ConversionCase{".", 0.0, 0},
    ConversionCase{"-", 0.0, 0},
    ConversionCase{"+", 0.0, 0},
    ConversionCase{"+-5", 0.0, 0},
    ConversionCase{"- 5", 0.0, 0},
    ConversionCase{"-.", 0.0, 0},
    ConversionCase{"e5", 0.0, 0},
    ConversionCase{".e5", 0.0, 0},
    ConversionCase{"0.9", 0.9, 0},
    ConversionCase{"-0.9", -0.9, 0},
    ConversionCase{"-0", -0.0, 0},
    ConversionCase{"-0.000", -0.0, 0},
    ConversionCase{"-0e5", -0.0, 0},
    ConversionCase{"99.9", 99.9, 99},
    ConversionCase{"99.99999999999999", std::nextafter(100.0, 0.0), 99},
    ConversionCase{"99.999999999999999", 100, 100},
    ConversionCase{"-2.5", -2.5, -2},
    ConversionCase{"-5", -5, -5},
    ConversionCase{"21474836.47e2", 2147483647, 2147483647},
    ConversionCase{"2147483648", 2147483648.0, -2147483647 - 1},
    ConversionCase{"3e9", 3e9, -1294967296},
    ConversionCase{"4294967295", 4294967295.0, -1},
    ConversionCase{"4294967296", 4294967296.0, 0},
    ConversionCase{"4294967396", 4294967396.0, 100},
    ConversionCase{"-4294967297", -4294967297.0, -1},
    ConversionCase{"1e18", 1e18, -1486618624},
    ConversionCase{"9223372036854774784", 9223372036854774784.0, -1024},
    ConversionCase{"9223372036854775807", 9223372036854775808.0, 0},
    ConversionCase{"-9223372036854775808", -9223372036854775808.0, 0},
    ConversionCase{"1e19", 1e19, 0},
    ConversionCase{"1e309", kInf, 0},
    ConversionCase{"-1e400", -kInf, 0},
    ConversionCase{"1e99999", kInf, 0},
    ConversionCase{"1e99999999999999999999", kInf, 0},
    ConversionCase{"1e-400", 0.0, 0},
    ConversionCase{"-1e-400", -0.0, 0},
    ConversionCase{"1e-99999", 0.0, 0},
    ConversionCase{"1e-99999999999999999999", 0.0, 0},
    ConversionCase{"4.9406564584124654e-324", std::numeric_limits<double>::denorm_min(), 0},
    ConversionCase{"1.7976931348623157e308", std::numeric_limits<double>::max(), 0},
    ConversionCase{"0.0000000000000000000000000001e28", 1, 1},
    ConversionCase{std::string("12\0" "34", 5), 12, 12},  // the text ends at its first NUL
    // 400 digits: the value, not the first digits, decides.
    ConversionCase{"0." + std::string(399, '0') + "1e400", 1, 1},
    ConversionCase{"1" + std::string(399, '0') + "e-399", 1, 1},
    ConversionCase{"0." + std::string(400, '9'), 1, 1},
    ConversionCase{"1" + std::string(399, '0'), kInf, 0},
    ConversionCase{"-" + std::string(300, '0') + "42", -42, -42}
));

TEST(FoldFullWidth, FoldsOnlyTheTableAndKeepsOtherCharacters) {
    struct Case {
        std::string text;
        std::string folded;
    };
    const Case cases[] = {
        {"", ""},
        {"abc 12", "abc 12"},
        {"\xA1\xA1\xA1\xAB\xA1\xEE\xA1\xEF", " ~**"},
        {"\xA3\xA1\xA3\xA4\xA3\xFE", "!$~"},                    // first, yen sign, last
        {"\xA3\xA0\xA3\xFF", "\xA3\xA0\xA3\xFF"},                // just outside the range
        {"\xA1\xA3\xB0\xA1", "\xA1\xA3\xB0\xA1"},                // ideographic full stop, a Han character
        {"\x81\x31", "\x81\x31"},                                // a trail byte below 0x80 is still a trail byte
        {"7\xA3", "7"},                                          // lone lead byte dropped
        {std::string("\xA3\0" "5", 3), ""},                      // the NUL ends the text
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FoldFullWidth(c.text), c.folded);
    }
}

TEST(NumberToPeriod, NotANumberAndTheLimitsOf64Bits) {
    const double kTwoTo63 = 9223372036854775808.0;
    struct Case {
        double number;
        std::int32_t period;
    };
    const Case cases[] = {
        {std::numeric_limits<double>::quiet_NaN(), 0},
        {-std::numeric_limits<double>::quiet_NaN(), 0},
        {kInf, 0},
        {-kInf, 0},
        {kTwoTo63, 0},
        {-kTwoTo63, 0},
        {std::nextafter(kTwoTo63, 0.0), -1024},
        {-std::nextafter(kTwoTo63, 0.0), 1024},
        {std::numeric_limits<double>::max(), 0},
        {-0.0, 0},
        {0.999999, 0},
        {-1.5, -1},
        {2147483647.9, 2147483647},
        {-2147483648.9, -2147483647 - 1},
        {-2147483649.0, 2147483647},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(NumberToPeriod(c.number), c.period);
    }
}

TEST(TextToNumber, LongTextsAreReadInFullAndWithoutFailure) {
    const std::size_t kMiB = 1024 * 1024;
    // A mebibyte of digits that only the exponent brings back to 1.
    EXPECT_EQ(TextToNumber("1" + std::string(kMiB, '0') + "e-1048576"), 1.0);
    EXPECT_EQ(TextToNumber("0." + std::string(kMiB, '0') + "5e1048577"), 5.0);
    // A mebibyte of lead and trail bytes, with and without a number after it.
    std::string han;
    for (std::size_t i = 0; i < kMiB / 2; ++i) {
        han += "\xB0\xA1";
    }
    EXPECT_EQ(TextToNumber(han + "12"), 0.0);
    EXPECT_EQ(TextToNumber(std::string(kMiB, ' ') + "\xA3\xB9"), 9.0);
    EXPECT_EQ(TextToNumber(std::string(kMiB, '\xFF')), 0.0);
}

}  // namespace
}  // namespace clicker
