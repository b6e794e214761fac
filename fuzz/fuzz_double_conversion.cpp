// The fallback number conversion against the standard library's from_chars, which the native
// builds use: the same outcome and the same double's bits for every delimited number text. The
// first byte chooses the form: "x" hexadecimal digits (without "0x"), anything else decimal.
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "numbers/double_conversion.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool hexadecimal = data[0] == 'x';
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  double expected = 0;
  const auto [end, expected_outcome] =
      std::from_chars(text.data(), text.data() + text.size(), expected,
                      hexadecimal ? std::chars_format::hex : std::chars_format::general);
  // Only whole number texts, unsigned, are the conversion's input: the parser delimits them,
  // with at most one sign in an exponent (libstdc++ 12 reads "1p+-3" whole, as 1p-3), and hands
  // over "inf" and "nan" only as decimal texts.
  const bool word = !text.empty() && (text[0] | 0x20) >= 'i';
  if (end != text.data() + text.size() || text.starts_with('-') || text.find("+-") != text.npos ||
      (hexadecimal && word)) {
    return 0;
  }
  double value = 0;
  const std::errc outcome = kalmira::text_to_double(text, hexadecimal, value);
  if (outcome != expected_outcome ||
      (outcome == std::errc() && std::memcmp(&value, &expected, sizeof value) != 0)) {
    std::abort();
  }
  return 0;
}
