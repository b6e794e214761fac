#include <charconv>

#include "numbers/double_conversion.h"

namespace kalmira {

std::errc text_to_double(std::string_view text, bool hexadecimal, double& value) {
  return std::from_chars(text.data(), text.data() + text.size(), value,
                         hexadecimal ? std::chars_format::hex : std::chars_format::general)
      .ec;
}

}  // namespace kalmira
