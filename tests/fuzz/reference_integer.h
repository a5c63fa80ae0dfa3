#pragma once

// A second implementation of the interval box's normalization, for the fuzz
// target to hold core/ against: 128-bit arithmetic reduced modulo 2^64 and
// printf formatting, where the clicker wraps in 64 bits and uses to_string.

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzref {

// The shown text for the box's text (all size bytes, NULs included).
std::string NormalizeInteger(const std::uint8_t* data, std::size_t size);

// True when text is "" or a decimal in the 32-bit range, written with an
// optional '-' and no leading zero, and not "0" or "-0".
bool IsShownForm(const std::string& text);

}  // namespace fuzzref
