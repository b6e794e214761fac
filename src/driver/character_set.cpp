#include "driver/character_set.h"

#include <array>

namespace kalmira {
namespace {

// The code points of the bytes 0x80 to 0x9F; the five bytes Windows-1252 leaves free stand for
// the control characters of the same number, as Windows converts them.
constexpr std::array<char16_t, 32> kHighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

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

}  // namespace

std::string windows1252_to_utf8(std::string_view text) {
  std::string utf8;
  utf8.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    append_utf8(utf8, byte >= 0x80 && byte < 0xA0 ? kHighControlRange[byte - 0x80] : byte);
  }
  return utf8;
}

bool locale_uses_utf8(const char* lc_all, const char* lc_ctype, const char* lang) {
  std::string_view name;
  for (const char* setting : {lc_all, lc_ctype, lang}) {
    if (setting != nullptr && *setting != '\0') {
      name = setting;
      break;
    }
  }
  // "language_TERRITORY.codeset@modifier": the codeset, compared as the C library does, without
  // case, hyphens or underscores ("UTF-8", "utf8").
  const std::size_t dot = name.find('.');
  if (dot == std::string_view::npos) return false;
  const std::string_view codeset = name.substr(dot + 1, name.find('@', dot) - dot - 1);
  std::string normalised;
  for (const char c : codeset) {
    if (c != '-' && c != '_') normalised += c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
  }
  return normalised == "utf8";
}

}  // namespace kalmira
