// Number reading against the C library's strtod (this process never leaves the C locale), and
// number printing against glibc's printf.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "numbers/number_parser.h"
#include "output/number_format.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

void check_parse(const std::string& text) {
  const double value = kalmira::parse_number(text);
  char* end = nullptr;
  const double expected = std::strtod(text.c_str(), &end);
  if (std::isnan(expected)) {
    require(std::isnan(value));
  } else if (end == text.c_str()) {
    // Without a number the converter keeps the sign that stood where the number should be.
    const std::size_t sign = text.find_first_not_of(" \t\n\v\f\r");
    require(value == 0 && std::signbit(value) == (sign != std::string::npos && text[sign] == '-'));
  } else {
    require(std::memcmp(&value, &expected, sizeof value) == 0);
  }
}

// Eight decimals, ties away from zero. glibc prints a value's exact digits and rounds a tie to
// even; a tie (exactly 5 in the ninth decimal) only occurs below 2^15, where adding 10^-9 in
// double precision moves it off the tie and nowhere else.
std::string reference_format(float value) {
  if (std::isnan(value)) return "nan";
  char text[400];
  std::snprintf(text, sizeof text, "%.160f", static_cast<double>(value));
  const std::string exact(text);
  const std::size_t point = exact.find('.');
  const bool tie = point != std::string::npos && exact[point + 9] == '5' &&
                   exact.find_first_not_of('0', point + 10) == std::string::npos;
  std::snprintf(text, sizeof text, "%.8f", tie ? value + std::copysign(1e-9, value) : value);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (text.find('\0') == std::string::npos) check_parse(text);
  if (size >= sizeof(float)) {
    float value;
    std::memcpy(&value, data, sizeof value);
    require(kalmira::format_eight_decimals(value) == reference_format(value));
  }
  return 0;
}
