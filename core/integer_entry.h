#pragma once

#include <string>
#include <string_view>

namespace clicker {

// The interval box accepts integers only. Two rules keep it so, both free of
// any platform call.

// Typing filter: control characters (Backspace, Ctrl+C/V/X/Z...) pass, and of
// the rest only '-' and the digits 0-9. Pasted text is not filtered.
bool IsAcceptedTypedChar(char32_t character);

// The text that the box shows after it loses the focus: read as a 64-bit
// decimal integer (leading white space, one optional sign, digits up to the
// first non-digit, wrapping modulo 2^64), clamped to the signed 32-bit range,
// written as "%d" writes it, and "0" shown as the empty text.
std::string NormalizeIntegerText(std::string_view text);

}  // namespace clicker
