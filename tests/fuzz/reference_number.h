#pragma once

// A second, deliberately plain implementation of the interval conversion that
// the fuzz target holds the clicker's own code against. It shares no code with
// core/: folding and scanning are index loops, and the rounding is decided by
// exact integer arithmetic rather than trusted to a library.

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzref {

// The text up to its first NUL with the full-width forms folded to ASCII.
std::string FoldText(const std::uint8_t* data, std::size_t size);

// The number at the start of a folded text, split into its parts.
struct ScannedText {
    bool negative = false;
    bool anyDigit = false;      // a mantissa digit was read
    std::string mantissa;       // integer digits followed by fraction digits
    std::size_t integerDigits = 0;
    std::int64_t exponent = 0;  // saturated at +-kExponentLimit
};

// An exponent this large puts any text that fits in memory far outside the
// range of a double, so saturating here cannot change a result.
constexpr std::int64_t kExponentLimit = 4'000'000'000'000'000'000;

ScannedText ScanText(const std::string& folded);

// A nonzero magnitude significand * 10^power, with significand a string of
// decimal digits without leading or trailing zeros, at most kKeptDigits + 1
// long. Longer digit strings are cut to kKeptDigits and a final 1 stands for
// the nonzero rest: every midpoint between two doubles has at most 768
// significant digits, so the cut cannot move the value across one.
struct Decimal {
    std::string significand;
    std::int64_t power = 0;
};

constexpr std::size_t kKeptDigits = 800;

// What the text must give.
struct Expected {
    double value = 0.0;
    // Set when the value came from rounding the decimal below; the magnitude
    // can then be checked exactly, and at an exact tie both neighbours are
    // acceptable.
    bool rounded = false;
    Decimal decimal;
};

Expected EvaluateText(const ScannedText& scanned);

// True when |candidate| (zero, finite or infinite) is a double nearest to the
// decimal, counting a value at or past the midpoint between the largest double
// and 2^1024 as rounding to infinity. Exact ties pass for both neighbours.
bool IsNearestDouble(const Decimal& decimal, double candidate);

// The period from the double's bits: truncation by shifting the significand,
// the 64-bit invalid value for NaN, infinities and |x| >= 2^63, low 32 bits.
std::int32_t PeriodFromBits(double number);

}  // namespace fuzzref
