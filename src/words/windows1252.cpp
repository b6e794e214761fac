#include "windows1252.h"

#include <algorithm>
#include <array>
#include <utility>

#include "input/utf8.h"

namespace kalmira {
namespace {

// The code points of the bytes 0x80 to 0x9F; the five bytes Windows-1252 leaves free stand for
// the control characters of the same number, as Windows converts them.
constexpr std::array<char16_t, 32> kHighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t code_point_of(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kHighControlRange[byte - 0x80] : byte;
}

void append_utf8(std::string& out, char32_t code_point) {
  if (code_point < 0x80) {
    out += static_cast<char>(code_point);
  } else if (code_point < 0x800) {
    out += static_cast<char>(0xC0 | (code_point >> 6));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code_point >> 12));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  }
}

// The code point of the UTF-8 character at the front of `text`, and its length in bytes; a
// length of 1 and no code point where `text` starts with no whole character.
std::pair<char32_t, std::size_t> next_utf8(std::string_view text) {
  const std::size_t length = utf8_length(text);
  if (length == 0) return {0xFFFD, 1};
  const auto lead = static_cast<unsigned char>(text[0]);
  if (length == 1) return {lead, 1};
  char32_t code_point = lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    code_point = code_point << 6 | (static_cast<unsigned char>(text[k]) & 0x3F);
  }
  return {code_point, length};
}

}  // namespace

std::string windows1252_to_utf8(std::string_view text) {
  std::string utf8;
  utf8.reserve(text.size());
  for (const char c : text) append_utf8(utf8, code_point_of(static_cast<unsigned char>(c)));
  return utf8;
}

std::string utf8_to_windows1252(std::string_view text) {
  std::string bytes;
  while (!text.empty()) {
    const auto [code_point, length] = next_utf8(text);
    text.remove_prefix(length);
    if (code_point < 0x80 || (code_point >= 0xA0 && code_point < 0x100)) {
      bytes += static_cast<char>(code_point);
      continue;
    }
    const auto* found = std::find(kHighControlRange.begin(), kHighControlRange.end(), code_point);
    bytes += found == kHighControlRange.end()
                 ? '?'
                 : static_cast<char>(0x80 + (found - kHighControlRange.begin()));
  }
  return bytes;
}

}  // namespace kalmira
