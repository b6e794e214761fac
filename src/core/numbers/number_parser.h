#pragma once

#include <string_view>

namespace kalmira {

// Converts the number at the front of `text` as the C library's strtod does in the POSIX
// locale: leading white space, one sign, then a decimal, hexadecimal ("0x"), infinity or nan
// form; the rest of the text is ignored. A text without a number gives 0 (-0 after a "-").
double parse_number(std::string_view text);

// Whether `text` holds a number that parse_number reads, rather than giving 0 for none.
bool holds_number(std::string_view text);

}  // namespace kalmira
