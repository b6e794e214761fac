#include "output/number_format.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace kalmira {
namespace {

__extension__ typedef unsigned __int128 Uint128;  // holds the integer part of any float

constexpr std::uint64_t kDecimalScale = 100'000'000;  // 10^8

void append_decimal(std::string& out, Uint128 number, int min_digits) {
  char digits[40];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + static_cast<int>(number % 10));
    number /= 10;
  } while (number != 0 || count < min_digits);
  std::reverse(digits, digits + count);
  out.append(digits, static_cast<std::size_t>(count));
}

}  // namespace

std::string format_eight_decimals(float value) {
  if (std::isnan(value)) return "nan";
  std::string out = std::signbit(value) ? "-" : "";
  if (std::isinf(value)) return out + "inf";

  // |value| = mantissa * 2^exponent exactly.
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
  const int biased_exponent = static_cast<int>((bits >> 23) & 0xFF);
  std::uint64_t mantissa = bits & 0x7FFFFF;
  if (biased_exponent != 0) mantissa |= 0x800000;
  const int exponent = std::max(biased_exponent, 1) - 150;

  Uint128 integer = 0;
  std::uint64_t fraction = 0;  // the eight decimals, as a number below 10^8
  if (exponent >= 0) {
    integer = Uint128{mantissa} << exponent;
  } else if (const int shift = -exponent; shift < 64) {
    integer = mantissa >> shift;
    // The fractional bits times 10^8 stay below 2^51, so the rounding is exact in 64 bits.
    const std::uint64_t scaled = (mantissa & ((std::uint64_t{1} << shift) - 1)) * kDecimalScale;
    fraction = scaled >> shift;
    const std::uint64_t remainder = scaled - (fraction << shift);
    if (remainder >= (std::uint64_t{1} << (shift - 1))) ++fraction;
    if (fraction == kDecimalScale) {
      fraction = 0;
      ++integer;
    }
  }
  // Below 2^-64 the value is under 10^-19 and rounds to 0.00000000.
  append_decimal(out, integer, 1);
  out += '.';
  append_decimal(out, fraction, 8);
  return out;
}

}  // namespace kalmira
