// libFuzzer target: the interval text conversion of core/ against the plain
// reference in this folder, bit for bit (the sign of a zero included).

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_report.h"
#include "interval_text.h"
#include "reference_number.h"

namespace {

std::uint64_t Bits(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    char message[256];

    const std::string folded = fuzzref::FoldText(data, size);
    if (clicker::FoldFullWidth(text) != folded) {
        fuzzref::ReportMismatch("FoldFullWidth differs from the reference fold", data, size);
    }

    const fuzzref::Expected expected = fuzzref::EvaluateText(fuzzref::ScanText(folded));
    const double number = clicker::TextToNumber(text);
    if (Bits(number) != Bits(expected.value)) {
        // At an exact tie either neighbour is right; anything else is a fault.
        const bool tie = expected.rounded && std::signbit(number) == std::signbit(expected.value) &&
                         fuzzref::IsNearestDouble(expected.decimal, number);
        if (!tie) {
            std::snprintf(message, sizeof message, "TextToNumber gave %a (bits %016llX), reference %a (bits %016llX)",
                          number, static_cast<unsigned long long>(Bits(number)), expected.value,
                          static_cast<unsigned long long>(Bits(expected.value)));
            fuzzref::ReportMismatch(message, data, size);
        }
    }

    const std::int32_t period = clicker::NumberToPeriod(number);
    if (period != fuzzref::PeriodFromBits(number)) {
        std::snprintf(message, sizeof message, "NumberToPeriod(%a) gave %d, reference %d", number, period,
                      fuzzref::PeriodFromBits(number));
        fuzzref::ReportMismatch(message, data, size);
    }

    // The first 8 bytes as a double reach what no text gives: NaN payloads,
    // exact values near 2^63, subnormals of both signs.
    if (size >= sizeof(double)) {
        double raw = 0.0;
        std::memcpy(&raw, data, sizeof raw);
        const std::int32_t rawPeriod = clicker::NumberToPeriod(raw);
        if (rawPeriod != fuzzref::PeriodFromBits(raw)) {
            std::snprintf(message, sizeof message, "NumberToPeriod(bits %016llX) gave %d, reference %d",
                          static_cast<unsigned long long>(Bits(raw)), rawPeriod, fuzzref::PeriodFromBits(raw));
            fuzzref::ReportMismatch(message, data, size);
        }
    }
    return 0;
}
