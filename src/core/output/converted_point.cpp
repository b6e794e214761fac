#include "output/converted_point.h"

#include <cmath>

#include "output/coordinate_conversion.h"
#include "output/number_format.h"

namespace kalmira {
namespace {

// The projection's latitude limit, atan(sinh(pi)) in degrees: the map is square there.
constexpr double kMercatorLimit = 85.0511287798066;

}  // namespace

ConvertedPoint convert_point(const PointRecord& record) {
  ConvertedPoint point{
      easting_to_longitude(record.easting), northing_to_latitude(record.northing), false, {}};
  const Place place = point.place();
  point.on_map = std::isfinite(place.longitude) && std::isfinite(place.latitude) &&
                 std::fabs(place.longitude) <= 180 && std::fabs(place.latitude) <= kMercatorLimit;
  point.target = {format_eight_decimals(place.longitude), format_eight_decimals(place.latitude)};
  return point;
}

}  // namespace kalmira
