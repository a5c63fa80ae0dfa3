#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace clicker {

// The typed interval becomes the click period in two pure steps:
//   TextToNumber:   the decimal number at the start of the text, as a double;
//   NumberToPeriod: that double truncated, as a signed 32-bit period in ms.
// Texts are code page 936 bytes and end at the first NUL byte. Every text gives
// a period; nothing fails and no locale is read.

// Replaces the full-width forms of ASCII characters (and the ideographic space,
// tilde and the two stars) by their single-byte equivalents. Other two-byte
// characters stay as they are; a lead byte without its trail byte is dropped.
std::string FoldFullWidth(std::string_view text);

// Reads an optionally signed decimal number with optional point and exponent
// (E, e, D or d) after any leading white space, and gives the nearest double.
// Anything after the number is ignored; a text without one gives +0. Too large
// gives +-infinity, too small +-0; never a NaN.
double TextToNumber(std::string_view text);

// Truncates toward zero to 64 bits and keeps the low 32 bits. NaN, infinities
// and magnitudes of 2^63 or more take the x86 invalid-conversion value -2^63,
// whose low 32 bits are 0.
std::int32_t NumberToPeriod(double number);

}  // namespace clicker
