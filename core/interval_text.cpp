#include "interval_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace clicker {
namespace {

constexpr unsigned char kLeadByteMin = 0x80;

// One two-byte character of the fold table, or 0 when it stays two bytes.
char FoldedByte(unsigned char lead, unsigned char trail) {
    if (lead == 0xA1) {
        switch (trail) {
            case 0xA1: return ' ';  // ideographic space
            case 0xAB: return '~';  // full-width tilde
            case 0xEE:              // white star
            case 0xEF: return '*';  // black star
            default: return 0;
        }
    }
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
        return static_cast<char>(trail - 0x80);  // full-width ASCII 0x21..0x7E
    }
    return 0;
}

bool IsWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsExponentLetter(char c) { return c == 'E' || c == 'e' || c == 'D' || c == 'd'; }

// What the scanner collects from the number at the start of the text.
struct ScannedNumber {
    bool negative = false;
    bool sawDigit = false;         // the digit mark: a digit of the number itself
    std::string digits;            // integer digits, then fraction digits
    std::int64_t fractionDigits = 0;
    bool negativeExponent = false;
    std::int64_t exponent = 0;     // saturated; see kExponentCap
};

// Beyond this the value is infinite or zero whatever the digits (a text longer
// than 10^15 bytes cannot be held), so larger exponents need not be exact.
constexpr std::int64_t kExponentCap = 1'000'000'000'000'000;

ScannedNumber Scan(const std::string& text, std::size_t pos) {
    enum class State {
        Start, Signed, LeadZero, Integer, PointFirst, Fraction,
        ExpLetter, ExpSigned, ExpZero, ExpDigits, End,
    };
    ScannedNumber n;
    bool expNegative = false;
    std::int64_t expValue = 0;
    bool expHasDigits = false;
    State state = State::Start;
    while (state != State::End) {
        const char c = pos < text.size() ? text[pos] : '\0';
        const bool digit = IsDigit(c);
        const bool zero = c == '0';
        const bool point = c == '.';
        const bool sign = c == '+' || c == '-';
        const bool letter = IsExponentLetter(c);
        bool consume = true;
        switch (state) {
            case State::Start:
            case State::Signed:
                if (digit && !zero) {
                    state = State::Integer;
                    consume = false;
                } else if (zero) {
                    state = State::LeadZero;
                } else if (point) {
                    state = State::PointFirst;
                } else if (sign && state == State::Start) {
                    n.negative = c == '-';
                    state = State::Signed;
                } else {
                    state = State::End;
                }
                break;
            case State::LeadZero:
                if (digit && !zero) {
                    state = State::Integer;
                    consume = false;
                } else if (zero) {
                    state = State::LeadZero;
                } else if (point) {
                    state = State::Fraction;
                } else if (letter) {
                    state = State::ExpLetter;
                } else {
                    state = State::End;
                }
                break;
            case State::Integer:
                if (digit) {
                    n.digits.push_back(c);
                } else if (point) {
                    state = State::Fraction;
                } else if (letter) {
                    state = State::ExpLetter;
                } else {
                    state = State::End;
                }
                break;
            case State::PointFirst:
                if (digit) {
                    state = State::Fraction;
                    consume = false;
                } else {
                    state = State::End;
                }
                break;
            case State::Fraction:
                if (digit) {
                    n.digits.push_back(c);
                    ++n.fractionDigits;
                } else if (letter) {
                    state = State::ExpLetter;
                } else {
                    state = State::End;
                }
                break;
            case State::ExpLetter:
            case State::ExpSigned:
                if (digit && !zero) {
                    state = State::ExpDigits;
                    consume = false;
                } else if (zero) {
                    state = State::ExpZero;
                } else if (sign && state == State::ExpLetter) {
                    expNegative = c == '-';
                    state = State::ExpSigned;
                } else {
                    state = State::End;
                }
                break;
            case State::ExpZero:
                if (digit && !zero) {
                    state = State::ExpDigits;
                    consume = false;
                } else if (zero) {
                    expHasDigits = true;
                } else {
                    state = State::End;
                }
                break;
            case State::ExpDigits:
                if (digit) {
                    expHasDigits = true;
                    if (expValue < kExponentCap) {
                        expValue = expValue * 10 + (c - '0');
                    }
                } else {
                    state = State::End;
                }
                break;
            case State::End:
                break;
        }
        if (state == State::LeadZero || state == State::Integer || state == State::Fraction) {
            n.sawDigit = true;
        }
        if (consume) {
            ++pos;
        }
    }
    // An exponent letter without digits leaves the exponent at 0.
    if (expHasDigits) {
        n.negativeExponent = expNegative;
        n.exponent = expValue;
    }
    return n;
}

double Evaluate(const ScannedNumber& n) {
    const double zero = n.negative ? -0.0 : 0.0;
    if (!n.sawDigit) {
        return 0.0;  // +0 whatever sign was read
    }
    // value = digits x 10^(exponent - fractionDigits), without leading zeros.
    const std::size_t first = n.digits.find_first_not_of('0');
    if (first == std::string::npos) {
        return zero;
    }
    const std::int64_t exponent =
        (n.negativeExponent ? -n.exponent : n.exponent) - n.fractionDigits;
    const std::int64_t significantDigits = static_cast<std::int64_t>(n.digits.size() - first);
    // Decimal magnitude: the value lies in [10^m, 10^(m+1)).
    const std::int64_t magnitude = significantDigits - 1 + exponent;
    const double infinity = n.negative ? -std::numeric_limits<double>::infinity()
                                       : std::numeric_limits<double>::infinity();
    if (magnitude > 400) {
        return infinity;
    }
    if (magnitude < -400) {
        return zero;
    }
    // A canonical form that std::from_chars rounds correctly and without any
    // locale: [-]DIGITSeEXP.
    std::string canonical;
    canonical.reserve(n.digits.size() - first + 24);
    if (n.negative) {
        canonical.push_back('-');
    }
    canonical.append(n.digits, first, std::string::npos);
    canonical.push_back('e');
    canonical.append(std::to_string(exponent));

    double value = 0.0;
    const char* begin = canonical.data();
    const char* end = begin + canonical.size();
    const auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::scientific);
    if (ec == std::errc::result_out_of_range) {
        return magnitude > 0 ? infinity : zero;
    }
    if (ec != std::errc() || ptr != end) {
        return zero;  // not reached: the canonical form is always valid
    }
    return value;
}

}  // namespace

std::string FoldFullWidth(std::string_view text) {
    std::string folded;
    folded.reserve(text.size());
    for (std::size_t i = 0; i < text.size() && text[i] != '\0'; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < kLeadByteMin) {
            folded.push_back(text[i]);
            continue;
        }
        if (i + 1 >= text.size() || text[i + 1] == '\0') {
            break;  // a lead byte without its trail byte is dropped
        }
        const auto trail = static_cast<unsigned char>(text[i + 1]);
        if (const char single = FoldedByte(byte, trail); single != 0) {
            folded.push_back(single);
        } else {
            folded.push_back(text[i]);
            folded.push_back(text[i + 1]);
        }
        ++i;
    }
    return folded;
}

double TextToNumber(std::string_view text) {
    const std::string folded = FoldFullWidth(text);
    std::size_t pos = 0;
    while (pos < folded.size() && IsWhiteSpace(folded[pos])) {
        ++pos;
    }
    return Evaluate(Scan(folded, pos));
}

std::int32_t NumberToPeriod(double number) {
    constexpr double kTwoTo63 = 9223372036854775808.0;
    std::int64_t truncated = std::numeric_limits<std::int64_t>::min();
    if (std::isfinite(number) && std::fabs(number) < kTwoTo63) {
        truncated = static_cast<std::int64_t>(number);  // in range: truncates toward zero
    }
    // Low 32 bits as two's complement (well defined from C++20 on).
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(truncated)));
}

}  // namespace clicker
