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

// The length of the word inf, infinity or nan (with its optional "(chars)") at the front of
// `text`, in any mix of cases; 0 where there is none.
std::size_t word_length(std::string_view text) {
  const auto starts_with = [&](std::string_view word) {
    return text.size() >= word.size() &&
           std::equal(word.begin(), word.end(), text.begin(),
                      [](char w, char c) { return w == static_cast<char>(c | 0x20); });
  };
  if (starts_with("infinity")) return 8;
  if (starts_with("inf")) return 3;
  if (!starts_with("nan")) return 0;
  // strtod's "nan(chars)": letters, digits and underscores between the parentheses.
  const auto is_name = [](char c) {
    return is_digit(c, 10) || c == '_' || static_cast<unsigned>((c | 0x20) - 'a') < 26;
  };
  if (text.size() < 4 || text[3] != '(') return 3;
  std::size_t end = 4;
  while (end < text.size() && is_name(text[end])) ++end;
  return end < text.size() && text[end] == ')' ? end + 1 : 3;
}

// The number at the front of `text`, which starts right behind the sign, and its length; none
// if there is none. text_to_double only converts the extent found here: libstdc++'s hexadecimal
// form would also take "p+-1" as an exponent.
std::optional<NumberReading> read_unsigned(std::string_view text) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] | 0x20) == 'x' &&
                   scan_number(text.substr(2), 16).length > 0;
  const std::string_view body = hex ? text.substr(2) : text;
  const NumberExtent number = scan_number(body, hex ? 16 : 10);
  // Without digits only the words inf, infinity and nan remain.
  const std::size_t length = number.length > 0 ? number.length : word_length(body);
  if (length == 0) return std::nullopt;
  double value = 0;
  const std::errc error = text_to_double(body.substr(0, length), hex, value);
  if (error == std::errc::result_out_of_range) {
    value = number.magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (error != std::errc()) {
    return std::nullopt;
  }
  return NumberReading{value, length + (hex ? 2 : 0)};
}

}  // namespace

NumberReading read_number(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && is_posix_space(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  // A second sign cannot follow the first; the digit parser would otherwise accept a "-".
  std::optional<NumberReading> number;
  if (i < text.size() && text[i] != '-' && text[i] != '+') number = read_unsigned(text.substr(i));
  if (!number) return {negative ? -0.0 : 0.0, 0};
  const std::string_view rest = text.substr(i + number->length);
  return {negative ? -number->value : number->value, i + number->length,
          !std::all_of(rest.begin(), rest.end(), is_posix_space)};
}

}  // namespace kalmira
