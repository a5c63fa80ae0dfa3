#include "integer_entry.h"

#include <cstdint>
#include <limits>

namespace clicker {

bool IsAcceptedTypedChar(char32_t character) {
    return character < 0x20 || character == U'-' || (character >= U'0' && character <= U'9');
}

std::string NormalizeIntegerText(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || (text[pos] >= '\t' && text[pos] <= '\r'))) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    // Unsigned arithmetic: the wrap modulo 2^64 is defined behaviour.
    std::uint64_t magnitude = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        magnitude = magnitude * 10U + static_cast<std::uint64_t>(text[pos] - '0');
    }
    if (negative) {
        magnitude = 0U - magnitude;
    }
    std::int64_t value = static_cast<std::int64_t>(magnitude);  // modular from C++20 on
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    if (value < kMin) {
        value = kMin;
    } else if (value > kMax) {
        value = kMax;
    }
    if (value == 0) {
        return {};
    }
    return std::to_string(value);
}

}  // namespace clicker
