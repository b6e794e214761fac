#include "numbers/number_parser.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <system_error>

#include "numbers/double_conversion.h"

namespace kalmira {
namespace {

bool is_posix_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool is_digit(char c, int base) {
  if (c >= '0' && c <= '9') return true;
  const char lower = static_cast<char>(c | 0x20);
  return base == 16 && lower >= 'a' && lower <= 'f';
}

// A decimal or hexadecimal number as strtod delimits it: digits with at most one point, then an
// exponent only where digits follow its "e" or "p" and its one sign.
struct NumberExtent {
  std::size_t length = 0;  // 0 when there is no digit
  // Where the leading significant digit stands once the exponent is applied, in powers of ten
  // (decimal) or two (hexadecimal); positive for a number too large for a double.
  long long magnitude = 0;
};

NumberExtent scan_number(std::string_view text, int base) {
  long long place = 0;  // digits between the leading significant digit and the units digit
  bool point = false;
  bool digits = false;
  bool significant = false;
  std::size_t i = 0;
  for (; i < text.size() && ((text[i] == '.' && !point) || is_digit(text[i], base)); ++i) {
    if (text[i] == '.') {
      point = true;
    } else if (significant || text[i] != '0') {
      place += significant && !point ? 1 : 0;
      significant = true;
    } else if (point) {
      --place;
    }
    digits = digits || text[i] != '.';
  }
  if (!digits) return {};
  long long exponent = 0;
  std::size_t length = i;
  if (i < text.size() && (text[i] | 0x20) == (base == 16 ? 'p' : 'e')) {
    std::size_t j = i + 1;
    const bool negative = j < text.size() && text[j] == '-';
    if (j < text.size() && (text[j] == '-' || text[j] == '+')) ++j;
    for (; j < text.size() && is_digit(text[j], 10); length = ++j) {
      exponent = std::min(exponent * 10 + (text[j] - '0'), 1LL << 40);
    }
    if (negative) exponent = -exponent;
  }
  return {length, place * (base == 16 ? 4 : 1) + exponent};
}

// The number at the front of `text`, which starts right behind the sign; none if there is none.
// text_to_double only converts the extent found here: libstdc++'s hexadecimal form would also
// take "p+-1" as an exponent.
std::optional<double> parse_unsigned(std::string_view text) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] | 0x20) == 'x' &&
                   scan_number(text.substr(2), 16).length > 0;
  const std::string_view body = hex ? text.substr(2) : text;
  const NumberExtent number = scan_number(body, hex ? 16 : 10);
  // Without digits only the words inf, infinity and nan remain.
  const std::size_t length = number.length > 0 ? number.length : body.size();
  double value = 0;
  const std::errc error = text_to_double(body.substr(0, length), hex, value);
  if (error == std::errc::result_out_of_range) {
    return number.magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  if (error != std::errc()) return std::nullopt;
  return value;
}

// The number in `text`, or none; `negative` tells whether a minus sign stood in front.
std::optional<double> parse_signed(std::string_view text, bool& negative) {
  std::size_t i = 0;
  while (i < text.size() && is_posix_space(text[i])) ++i;
  negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  // A second sign cannot follow the first; the digit parser would otherwise accept a "-".
  if (i == text.size() || text[i] == '-' || text[i] == '+') return std::nullopt;
  const std::optional<double> value = parse_unsigned(text.substr(i));
  return negative && value ? -*value : value;
}

}  // namespace

double parse_number(std::string_view text) {
  bool negative = false;
  return parse_signed(text, negative).value_or(negative ? -0.0 : 0.0);
}

bool holds_number(std::string_view text) {
  bool negative = false;
  return parse_signed(text, negative).has_value();
}

}  // namespace kalmira
