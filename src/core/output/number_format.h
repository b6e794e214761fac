#pragma once

#include <string>

namespace kalmira {

// The digits of `value` in fixed notation with eight decimals, taken from its exact binary
// value: rounded to nearest, an exact tie away from zero; "-" whenever the sign bit is set;
// "inf", "-inf" and an unsigned "nan".
std::string format_eight_decimals(float value);

}  // namespace kalmira
