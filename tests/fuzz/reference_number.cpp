#include "reference_number.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale.h>
#include <vector>

namespace fuzzref {
namespace {

// Minimal unsigned big integer, little-endian 32-bit limbs; only what the
// midpoint comparison needs.
class BigUnsigned {
public:
    explicit BigUnsigned(std::uint64_t value) {
        while (value != 0) {
            limbs_.push_back(static_cast<std::uint32_t>(value));
            value >>= 32;
        }
    }

    static BigUnsigned FromDigits(const std::string& digits) {
        BigUnsigned result(0);
        std::size_t i = 0;
        while (i < digits.size()) {
            std::uint32_t chunk = 0;
            std::uint32_t scale = 1;
            for (int k = 0; k < 9 && i < digits.size(); ++k, ++i) {
                chunk = chunk * 10 + static_cast<std::uint32_t>(digits[i] - '0');
                scale *= 10;
            }
            result.MultiplyAdd(scale, chunk);
        }
        return result;
    }

    void MultiplyAdd(std::uint32_t factor, std::uint32_t addend) {
        std::uint64_t carry = addend;
        for (std::uint32_t& limb : limbs_) {
            const std::uint64_t product = static_cast<std::uint64_t>(limb) * factor + carry;
            limb = static_cast<std::uint32_t>(product);
            carry = product >> 32;
        }
        if (carry != 0) {
            limbs_.push_back(static_cast<std::uint32_t>(carry));
        }
    }

    void MultiplyByPowerOfTen(std::uint64_t power) {
        for (; power >= 9; power -= 9) {
            MultiplyAdd(1'000'000'000, 0);
        }
        std::uint32_t rest = 1;
        for (; power > 0; --power) {
            rest *= 10;
        }
        MultiplyAdd(rest, 0);
    }

    void ShiftLeft(std::uint64_t bits) {
        if (limbs_.empty()) {
            return;
        }
        const std::size_t whole = static_cast<std::size_t>(bits / 32);
        const unsigned part = static_cast<unsigned>(bits % 32);
        if (part != 0) {
            std::uint32_t carry = 0;
            for (std::uint32_t& limb : limbs_) {
                const std::uint32_t next = limb >> (32 - part);
                limb = (limb << part) | carry;
                carry = next;
            }
            if (carry != 0) {
                limbs_.push_back(carry);
            }
        }
        limbs_.insert(limbs_.begin(), whole, 0U);
    }

    void Add(const BigUnsigned& other) {
        if (limbs_.size() < other.limbs_.size()) {
            limbs_.resize(other.limbs_.size(), 0U);
        }
        std::uint64_t carry = 0;
        for (std::size_t i = 0; i < limbs_.size(); ++i) {
            const std::uint64_t sum =
                static_cast<std::uint64_t>(limbs_[i]) + (i < other.limbs_.size() ? other.limbs_[i] : 0U) + carry;
            limbs_[i] = static_cast<std::uint32_t>(sum);
            carry = sum >> 32;
        }
        if (carry != 0) {
            limbs_.push_back(static_cast<std::uint32_t>(carry));
        }
    }

    // -1, 0 or 1 as a is less than, equal to or greater than b.
    static int Compare(const BigUnsigned& a, const BigUnsigned& b) {
        if (a.limbs_.size() != b.limbs_.size()) {
            return a.limbs_.size() < b.limbs_.size() ? -1 : 1;
        }
        for (std::size_t i = a.limbs_.size(); i-- > 0;) {
            if (a.limbs_[i] != b.limbs_[i]) {
                return a.limbs_[i] < b.limbs_[i] ? -1 : 1;
            }
        }
        return 0;
    }

private:
    // No leading zero limbs: every operation here only grows the number, and
    // the constructor drops them, so Compare can go by size first.
    std::vector<std::uint32_t> limbs_;
};

// A nonnegative binary value significand * 2^exponent2, exponent2 >= -1074.
struct Dyadic {
    std::uint64_t significand;
    int exponent2;
};

Dyadic FromDouble(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    if (biased == 0) {
        return {fraction, -1074};
    }
    return {fraction | (std::uint64_t{1} << 52), biased - 1075};
}

// Sign of decimal - (a + b) / 2, both sides scaled by 2^1076 and by any
// negative power of ten so that only integers are compared.
int CompareWithMidpoint(const Decimal& decimal, Dyadic a, Dyadic b) {
    BigUnsigned left = BigUnsigned::FromDigits(decimal.significand);
    left.ShiftLeft(1076);
    BigUnsigned right(a.significand);
    right.ShiftLeft(static_cast<std::uint64_t>(a.exponent2 + 1075));
    BigUnsigned other(b.significand);
    other.ShiftLeft(static_cast<std::uint64_t>(b.exponent2 + 1075));
    right.Add(other);
    if (decimal.power >= 0) {
        left.MultiplyByPowerOfTen(static_cast<std::uint64_t>(decimal.power));
    } else {
        right.MultiplyByPowerOfTen(static_cast<std::uint64_t>(-decimal.power));
    }
    return BigUnsigned::Compare(left, right);
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

double Signed(bool negative, double magnitude) { return negative ? -magnitude : magnitude; }

locale_t ClassicLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

}  // namespace

std::string FoldText(const std::uint8_t* data, std::size_t size) {
    std::size_t length = 0;
    while (length < size && data[length] != 0) {
        ++length;
    }
    std::string out;
    std::size_t i = 0;
    while (i < length) {
        const std::uint8_t b = data[i];
        if (b < 0x80) {
            out += static_cast<char>(b);
            i += 1;
            continue;
        }
        if (i + 1 == length) {
            break;  // lead byte with nothing after it
        }
        const std::uint8_t t = data[i + 1];
        const unsigned pair = (static_cast<unsigned>(b) << 8) | t;
        if (pair == 0xA1A1) {
            out += ' ';
        } else if (pair == 0xA1AB) {
            out += '~';
        } else if (pair == 0xA1EE || pair == 0xA1EF) {
            out += '*';
        } else if (pair >= 0xA3A1 && pair <= 0xA3FE) {
            out += static_cast<char>(t - 0x80);
        } else {
            out += static_cast<char>(b);
            out += static_cast<char>(t);
        }
        i += 2;
    }
    return out;
}

ScannedText ScanText(const std::string& s) {
    ScannedText r;
    const std::size_t n = s.size();
    std::size_t i = 0;
    while (i < n && IsSpace(s[i])) {
        ++i;
    }
    if (i < n && (s[i] == '+' || s[i] == '-')) {
        r.negative = s[i] == '-';
        ++i;
    }
    while (i < n && IsDigit(s[i])) {
        r.mantissa += s[i];
        ++i;
    }
    r.integerDigits = r.mantissa.size();
    // The point belongs to the number after integer digits, or before a digit.
    if (i < n && s[i] == '.' && (r.integerDigits > 0 || (i + 1 < n && IsDigit(s[i + 1])))) {
        ++i;
        while (i < n && IsDigit(s[i])) {
            r.mantissa += s[i];
            ++i;
        }
    }
    r.anyDigit = !r.mantissa.empty();
    if (!r.anyDigit) {
        return r;
    }
    if (i < n && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        std::size_t j = i + 1;
        bool negativeExponent = false;
        if (j < n && (s[j] == '+' || s[j] == '-')) {
            negativeExponent = s[j] == '-';
            ++j;
        }
        if (j < n && IsDigit(s[j])) {
            std::int64_t e = 0;
            for (; j < n && IsDigit(s[j]); ++j) {
                const int d = s[j] - '0';
                e = e <= (kExponentLimit - 9) / 10 ? e * 10 + d : kExponentLimit;
            }
            r.exponent = negativeExponent ? -e : e;
        }
    }
    return r;
}

Expected EvaluateText(const ScannedText& scanned) {
    Expected x;
    if (!scanned.anyDigit) {
        x.value = 0.0;
        return x;
    }
    const std::string& m = scanned.mantissa;
    std::size_t first = 0;
    while (first < m.size() && m[first] == '0') {
        ++first;
    }
    if (first == m.size()) {
        x.value = Signed(scanned.negative, 0.0);
        return x;
    }
    std::size_t last = m.size() - 1;
    while (m[last] == '0') {
        --last;
    }
    // The digit at index k of the mantissa weighs 10^(integerDigits - 1 - k + exponent).
    const std::int64_t place = static_cast<std::int64_t>(scanned.integerDigits) - 1 + scanned.exponent;
    const std::int64_t leading = place - static_cast<std::int64_t>(first);
    // The value lies in [10^leading, 10^(leading + 1)): from 10^309 on it is
    // beyond the rounding limit (about 1.798e308), and below 10^-324 it is
    // under half the least subnormal (about 2.47e-324).
    if (leading >= 309) {
        x.value = Signed(scanned.negative, std::numeric_limits<double>::infinity());
        return x;
    }
    if (leading <= -325) {
        x.value = Signed(scanned.negative, 0.0);
        return x;
    }
    std::size_t end = last + 1;
    x.decimal.significand.assign(m, first, std::min(end - first, kKeptDigits));
    if (end - first > kKeptDigits) {
        // The digits cut off end in a nonzero one (m[last]), so the rest is
        // nonzero and a 1 after the kept digits stands for it.
        x.decimal.significand += '1';
        end = first + kKeptDigits + 1;
    }
    x.decimal.power = place - static_cast<std::int64_t>(end - 1);

    const std::string text = x.decimal.significand + "e" + std::to_string(x.decimal.power);
    const double candidate = strtod_l(text.c_str(), nullptr, ClassicLocale());
    if (!IsNearestDouble(x.decimal, candidate)) {
        std::fprintf(stderr, "reference: strtod_l gave %a for %s, which is not the nearest double\n", candidate,
                     text.c_str());
        std::abort();
    }
    x.value = Signed(scanned.negative, candidate);
    x.rounded = true;
    return x;
}

bool IsNearestDouble(const Decimal& decimal, double candidate) {
    const double magnitude = std::fabs(candidate);
    constexpr Dyadic kTwoTo1024{1, 1024};
    const Dyadic largest = FromDouble(std::numeric_limits<double>::max());
    if (std::isnan(magnitude)) {
        return false;
    }
    if (std::isinf(magnitude)) {
        return CompareWithMidpoint(decimal, largest, kTwoTo1024) >= 0;
    }
    const Dyadic here = FromDouble(magnitude);
    const Dyadic above = magnitude == std::numeric_limits<double>::max()
                             ? kTwoTo1024
                             : FromDouble(std::nextafter(magnitude, std::numeric_limits<double>::infinity()));
    if (CompareWithMidpoint(decimal, here, above) > 0) {
        return false;
    }
    if (magnitude > 0.0) {
        const Dyadic below = FromDouble(std::nextafter(magnitude, 0.0));
        if (CompareWithMidpoint(decimal, below, here) < 0) {
            return false;
        }
    }
    return true;
}

std::int32_t PeriodFromBits(double number) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &number, sizeof bits);
    const bool negative = (bits >> 63) != 0;
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t significand = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    // The value is significand * 2^(biased - 1075); from 2^63 on (biased >=
    // 1086), and for NaN and the infinities (biased 2047), the conversion gives
    // 0x8000000000000000, whose low half is 0.
    std::uint64_t truncated = std::uint64_t{1} << 63;
    if (biased < 1023) {
        truncated = 0;  // |x| < 1, subnormals and zeros included
    } else if (biased < 1075) {
        truncated = significand >> (1075 - biased);
    } else if (biased < 1086) {
        truncated = significand << (biased - 1075);
    }
    if (negative && biased < 1086) {
        truncated = ~truncated + 1;
    }
    const std::uint32_t low = static_cast<std::uint32_t>(truncated & 0xFFFF'FFFFU);
    // Two's complement reading of the low half, spelled out.
    return low >= 0x8000'0000U ? static_cast<std::int32_t>(static_cast<std::int64_t>(low) - 0x1'0000'0000)
                               : static_cast<std::int32_t>(low);
}

}  // namespace fuzzref
