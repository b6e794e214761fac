#pragma once

#include <string_view>
#include <system_error>

namespace kalmira {

// Converts a whole number text, already delimited (decimal digits with an optional point and
// exponent, or hexadecimal digits without their "0x", or inf, infinity, nan), into the nearest
// double. Gives std::errc::result_out_of_range for a value too large for a double or one that
// rounds to zero though it is not, std::errc::invalid_argument for a text that is no number.
std::errc text_to_double(std::string_view text, bool hexadecimal, double& value);

}  // namespace kalmira
