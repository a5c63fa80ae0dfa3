#include "integer_entry.h"

#include <gtest/gtest.h>

#include <string>

namespace clicker {
namespace {

TEST(NormalizeIntegerText, WritesTheClampedIntegerAndShowsZeroAsEmpty) {
    struct Case {
        std::string text;
        std::string shown;
    };
    const Case cases[] = {
        {"", ""},
        {"007", "7"},
        {"0", ""},
        {"-", ""},
        {"-0", ""},
        {"12-3", "12"},
        {"99999999999", "2147483647"},
        {"-99999999999", "-2147483648"},
        {"2147483647", "2147483647"},
        {"-2147483648", "-2147483648"},
        {" 12abc", "12"},
        {"\t\r\n-8", "-8"},
        {"+5", "5"},
        {"--5", ""},
        {"abc", ""},
        {"1 2", "1"},
        {"18446744073709551615", "-1"},  // 2^64 - 1 wraps to -1
        {"18446744073709551616", ""},    // 2^64 wraps to 0
        {"\xA3\xB1\xA3\xB2", ""},         // full-width digits are not digits here
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(NormalizeIntegerText(c.text), c.shown);
    }
}

TEST(IsAcceptedTypedChar, OnlyDigitsMinusAndControlCharactersPass) {
    for (char32_t c = 0; c < 0x80; ++c) {
        const bool expected = c < 0x20 || c == U'-' || (c >= U'0' && c <= U'9');
        EXPECT_EQ(IsAcceptedTypedChar(c), expected) << static_cast<unsigned>(c);
    }
    for (const char32_t c : {U'\x7F', U'\xFF11', U'\x3000', U'\xFF0D', U'\x4E2D'}) {
        EXPECT_FALSE(IsAcceptedTypedChar(c)) << static_cast<unsigned>(c);
    }
}

}  // namespace
}  // namespace clicker
