#pragma once

#include <cstddef>
#include <string_view>

namespace kalmira {

// The length in bytes of the whole UTF-8 character at the front of `text`: 1 for ASCII, 0 where
// no whole character starts there (a stray or overlong byte, a sequence cut short).
constexpr std::size_t utf8_length(std::string_view text) {
  if (text.empty()) return 0;
  const auto lead = static_cast<unsigned char>(text[0]);
  const std::size_t length = lead < 0x80                    ? 1
                             : lead >= 0xC2 && lead <= 0xDF ? 2
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                            : 0;
  if (length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((static_cast<unsigned char>(text[k]) & 0xC0) != 0x80) return 0;
  }
  return length;
}

}  // namespace kalmira
