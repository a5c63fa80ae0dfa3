#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzzref {

// Prints what disagreed and the input in hex (the start of it when long), then
// aborts so that libFuzzer keeps the input as a crash artifact.
[[noreturn]] inline void ReportMismatch(const char* what, const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kShown = 256;
    std::fprintf(stderr, "\nMISMATCH: %s\ninput (%zu bytes):", what, size);
    for (std::size_t i = 0; i < size && i < kShown; ++i) {
        std::fprintf(stderr, " %02X", data[i]);
    }
    std::fprintf(stderr, "%s\n", size > kShown ? " ..." : "");
    std::abort();
}

}  // namespace fuzzref
