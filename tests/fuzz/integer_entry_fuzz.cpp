// libFuzzer target: the interval box's normalization of core/ against the
// reference in this folder, plus the properties every shown text must have.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "fuzz_report.h"
#include "integer_entry.h"
#include "reference_integer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string shown = clicker::NormalizeIntegerText(text);
    const std::string expected = fuzzref::NormalizeInteger(data, size);
    char message[160];
    if (shown != expected) {
        std::snprintf(message, sizeof message, "NormalizeIntegerText gave \"%s\", reference \"%s\"", shown.c_str(),
                      expected.c_str());
        fuzzref::ReportMismatch(message, data, size);
    }
    if (!fuzzref::IsShownForm(shown)) {
        std::snprintf(message, sizeof message, "NormalizeIntegerText gave \"%s\", not a shown form", shown.c_str());
        fuzzref::ReportMismatch(message, data, size);
    }
    // Losing the focus twice must not change the text again.
    const std::string again = clicker::NormalizeIntegerText(shown);
    if (again != shown) {
        std::snprintf(message, sizeof message, "normalizing \"%s\" again gave \"%s\"", shown.c_str(), again.c_str());
        fuzzref::ReportMismatch(message, data, size);
    }
    return 0;
}
