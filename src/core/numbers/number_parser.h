#pragma once

#include <cstddef>
#include <string_view>

namespace kalmira {

// A number as the front of a text gives it.
struct NumberReading {
  double value = 0;
  // The bytes of the text it took, leading white space and sign included; 0 when the text holds
  // no number, and the value is then 0 (-0 after a "-").
  std::size_t length = 0;
  // Whether more than white space follows the number: only the text's front is a number.
  bool partial = false;
};

// Reads the number at the front of `text` as the C library's strtod does in the POSIX locale:
// leading white space, one sign, then a decimal, hexadecimal ("0x"), infinity or nan form; the
// rest of the text is ignored.
NumberReading read_number(std::string_view text);

inline double parse_number(std::string_view text) { return read_number(text).value; }

}  // namespace kalmira
