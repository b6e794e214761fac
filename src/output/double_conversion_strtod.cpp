// For standard libraries without floating-point std::from_chars (libc++ before 15, which the
// WebAssembly build uses): the C library's strtod, correctly rounded in musl and in glibc, on a
// terminated copy of the delimited text. The program never sets a locale, so strtod reads the
// C locale's decimal point.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

#include "output/double_conversion.h"

namespace kalmira {

std::errc text_to_double(std::string_view text, bool hexadecimal, double& value) {
  // from_chars takes neither white space nor a "+" in front, and reads the longest number at
  // the front of the text as strtod does.
  if (text.empty() || std::string_view("+- \t\n\v\f\r").find(text.front()) != text.npos) {
    return std::errc::invalid_argument;
  }
  const std::string terminated = (hexadecimal ? "0x" : "") + std::string(text);
  char* end = nullptr;
  errno = 0;
  const double converted = std::strtod(terminated.c_str(), &end);
  if (end == terminated.c_str()) return std::errc::invalid_argument;
  // Like from_chars, a value that falls below the smallest double still counts when it is not 0.
  if (errno == ERANGE && (std::isinf(converted) || converted == 0)) {
    return std::errc::result_out_of_range;
  }
  value = converted;
  return std::errc();
}

}  // namespace kalmira
