// For standard libraries without floating-point std::from_chars (libc++ before 15, which the
// WebAssembly build uses). Decimal texts go to the C library's strtod, correctly rounded in musl
// and in glibc; the program never sets a locale, so strtod reads the C locale's decimal point.
// Hexadecimal texts are converted here, exactly: musl's strtod rounds long ones wrongly.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "numbers/double_conversion.h"

namespace kalmira {
namespace {

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(c | 0x20);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Hexadecimal digits with an optional point and binary exponent, as bits: the leading 60 of
// them kept, the rest only as a sticky bit, and the exponent of the lowest bit kept.
struct HexBits {
  std::uint64_t bits = 0;
  bool sticky = false;
  std::int64_t exponent = 0;
};

HexBits read_hex(std::string_view text) {
  HexBits read;
  bool point = false;
  std::size_t i = 0;
  for (; i < text.size() && (hex_digit(text[i]) >= 0 || (text[i] == '.' && !point)); ++i) {
    if (text[i] == '.') {
      point = true;
    } else if (read.bits >> 56 == 0) {
      read.bits = read.bits << 4 | static_cast<unsigned>(hex_digit(text[i]));
      read.exponent -= point ? 4 : 0;
    } else {
      read.sticky |= hex_digit(text[i]) != 0;
      read.exponent += point ? 0 : 4;
    }
  }
  if (i < text.size() && (text[i] | 0x20) == 'p') {
    const bool negative = text[i + 1] == '-';
    std::int64_t written = 0;
    for (i += text[i + 1] == '-' || text[i + 1] == '+' ? 2U : 1U; i < text.size(); ++i) {
      written = std::min<std::int64_t>(written * 10 + (text[i] - '0'), 100000);
    }
    read.exponent += negative ? -written : written;
  }
  return read;
}

// The bits rounded once, to nearest even, into a double: 53 of them, or fewer where the value
// falls below the smallest normal double.
std::errc round_to_double(HexBits read, double& value) {
  auto [bits, sticky, exponent] = read;
  if (bits == 0) {
    value = 0;
    return std::errc();
  }
  int width = 64;
  while (bits >> (width - 1) == 0) --width;
  const std::int64_t top = exponent + width - 1;  // the exponent of the leading bit
  const std::int64_t dropped = std::max<std::int64_t>(width - 53, -1074 - exponent);
  if (dropped > 64) {
    bits = 0;  // below half the smallest double
  } else if (dropped > 0) {
    const std::uint64_t rest = dropped == 64 ? bits : bits & ((std::uint64_t{1} << dropped) - 1);
    const std::uint64_t half = std::uint64_t{1} << (dropped - 1);
    bits = dropped == 64 ? 0 : bits >> dropped;
    if (rest > half || (rest == half && (sticky || (bits & 1) != 0))) ++bits;
  }
  exponent += std::max<std::int64_t>(dropped, 0);
  if (top > 1023 || bits == 0) return std::errc::result_out_of_range;
  value = std::ldexp(static_cast<double>(bits), static_cast<int>(exponent));
  return std::isinf(value) ? std::errc::result_out_of_range : std::errc();
}

}  // namespace

std::errc text_to_double(std::string_view text, bool hexadecimal, double& value) {
  // from_chars takes neither white space nor a "+" in front, and reads the longest number at
  // the front of the text as strtod does.
  if (text.empty() || std::string_view("+- \t\n\v\f\r").find(text.front()) != text.npos) {
    return std::errc::invalid_argument;
  }
  if (hexadecimal) return round_to_double(read_hex(text), value);
  const std::string terminated(text);
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
