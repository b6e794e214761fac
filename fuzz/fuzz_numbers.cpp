// Number reading against the C library's strtod (this process never leaves the C locale), and
// number printing against the exact digits that glibc's printf gives with enough decimals.
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

// Eight decimals from the exact decimal expansion, ties away from zero.
std::string reference_format(float value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  char exact[400];
  std::snprintf(exact, sizeof exact, "%.160f", std::fabs(static_cast<double>(value)));
  std::string digits(exact);
  const std::size_t point = digits.find('.');
  const bool up = digits[point + 9] >= '5';
  digits.resize(point + 9);
  for (std::size_t i = digits.size(); up && i-- > 0;) {
    if (digits[i] == '.') continue;
    if (digits[i] != '9') {
      ++digits[i];
      break;
    }
    digits[i] = '0';
    if (i == 0) digits.insert(0, "1");
  }
  return (std::signbit(value) ? "-" : "") + digits;
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
