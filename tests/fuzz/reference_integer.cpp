#include "reference_integer.h"

#include <cstdio>

namespace fuzzref {
namespace {

__extension__ typedef unsigned __int128 Unsigned128;
__extension__ typedef __int128 Signed128;

const Unsigned128 kTwoTo64 = static_cast<Unsigned128>(1) << 64;

}  // namespace

std::string NormalizeInteger(const std::uint8_t* data, std::size_t size) {
    std::size_t i = 0;
    while (i < size && (data[i] == 0x20 || (data[i] >= 0x09 && data[i] <= 0x0D))) {
        ++i;
    }
    bool minus = false;
    if (i < size && (data[i] == '+' || data[i] == '-')) {
        minus = data[i] == '-';
        ++i;
    }
    // Below 2^64 before each step, so the 128-bit products never wrap.
    Unsigned128 value = 0;
    for (; i < size && data[i] >= '0' && data[i] <= '9'; ++i) {
        value = (value * 10 + (data[i] - '0')) % kTwoTo64;
    }
    if (minus) {
        value = (kTwoTo64 - value) % kTwoTo64;
    }
    Signed128 signedValue = static_cast<Signed128>(value);
    if (value >= kTwoTo64 / 2) {
        signedValue -= static_cast<Signed128>(kTwoTo64);
    }
    if (signedValue > 2147483647) {
        signedValue = 2147483647;
    }
    if (signedValue < -2147483647 - 1) {
        signedValue = -2147483647 - 1;
    }
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(signedValue));
    const std::string shown = buffer;
    return shown == "0" ? std::string() : shown;
}

bool IsShownForm(const std::string& text) {
    if (text.empty()) {
        return true;
    }
    const bool minus = text[0] == '-';
    const std::string digits = text.substr(minus ? 1 : 0);
    if (digits.empty() || digits.size() > 10 || digits[0] == '0') {
        return false;
    }
    long long magnitude = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return false;
        }
        magnitude = magnitude * 10 + (c - '0');
    }
    return minus ? magnitude <= 2147483648LL : magnitude <= 2147483647LL;
}

}  // namespace fuzzref
