#include "output/coordinate_conversion.h"

#include <cmath>

#include "numbers/number_parser.h"

namespace kalmira {
namespace {

// The converter's constants are single-precision values; the arithmetic on them is double.
constexpr double kRadius = 6371001.0F;
constexpr double kPi = 3.14159265358979323846F;

}  // namespace

double easting_to_longitude(std::string_view easting) {
  return (parse_number(easting) * 180.0F) / (kRadius * kPi);
}

// Written as 2 * atan(e^(N/R)) - pi/2 in the inverse projection; in this order of operations,
// and with atan taken over the full quadrant, a northing of 0 gives about -0.0000025 degrees.
double northing_to_latitude(std::string_view northing) {
  const double ratio = parse_number(northing) / kRadius;
  const double angle = std::atan2(std::exp(ratio), 1.0F);
  return ((angle - kPi / 4.0F) / kPi) * 360.0F;
}

}  // namespace kalmira
