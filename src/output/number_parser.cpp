#include "output/number_parser.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <system_error>

namespace kalmira {
namespace {

bool is_posix_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool is_digit(char c, int base) {
  if (c >= '0' && c <= '9') return true;
  const char lower = static_cast<char>(c | 0x20);
  return base == 16 && lower >= 'a' && lower <= 'f';
}

// For a number outside the range of double: whether it is too large rather than too small.
// Only the place of its leading significant digit, shifted by the exponent, decides that.
bool overflows(std::string_view number, int base) {
  long long place = 0;  // digits between the leading significant digit and the units digit
  bool in_fraction = false;
  bool significant = false;
  std::size_t i = 0;
  for (; i < number.size() && (number[i] == '.' || is_digit(number[i], base)); ++i) {
    if (number[i] == '.') {
      in_fraction = true;
    } else if (significant || number[i] != '0') {
      place += significant && !in_fraction ? 1 : 0;
      significant = true;
    } else if (in_fraction) {
      --place;
    }
  }
  long long exponent = 0;  // after "e" (decimal) or "p" (binary), if the number has one
  bool negative = false;
  if (++i < number.size() && (number[i] == '-' || number[i] == '+')) negative = number[i++] == '-';
  for (; i < number.size() && is_digit(number[i], 10); ++i) {
    exponent = std::min(exponent * 10 + (number[i] - '0'), 1LL << 40);
  }
  const long long bits_per_digit = base == 16 ? 4 : 1;
  return place * bits_per_digit + (negative ? -exponent : exponent) > 0;
}

// Cuts off a binary exponent that has no digits right after its one sign. libstdc++'s hexadecimal
// from_chars would read "p+-1" as an exponent, where the number ends before the "p".
std::string_view without_broken_exponent(std::string_view hex) {
  std::size_t p = 0;
  for (bool point = false; p < hex.size() && (is_digit(hex[p], 16) || (hex[p] == '.' && !point));
       ++p) {
    point = point || hex[p] == '.';
  }
  if (p == hex.size() || (hex[p] | 0x20) != 'p') return hex;
  const std::size_t digit =
      p + 1 < hex.size() && (hex[p + 1] == '+' || hex[p + 1] == '-') ? p + 2 : p + 1;
  return digit < hex.size() && is_digit(hex[digit], 10) ? hex : hex.substr(0, p);
}

// The number at the front of `text`, which starts right behind the sign; 0 if there is none.
double parse_unsigned(std::string_view text) {
  const bool hex =
      text.size() > 2 && text[0] == '0' && (text[1] | 0x20) == 'x' &&
      (is_digit(text[2], 16) || (text[2] == '.' && text.size() > 3 && is_digit(text[3], 16)));
  const std::string_view digits = hex ? without_broken_exponent(text.substr(2)) : text;
  double value = 0;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), value,
                      hex ? std::chars_format::hex : std::chars_format::general);
  if (error == std::errc::result_out_of_range) {
    const std::string_view number = digits.substr(0, static_cast<std::size_t>(end - digits.data()));
    return overflows(number, hex ? 16 : 10) ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return error == std::errc() ? value : 0.0;
}

}  // namespace

double parse_number(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && is_posix_space(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  double value = 0;
  // A second sign cannot follow the first; the digit parser would otherwise accept a "-".
  if (i < text.size() && text[i] != '-' && text[i] != '+') value = parse_unsigned(text.substr(i));
  return negative ? -value : value;
}

}  // namespace kalmira
