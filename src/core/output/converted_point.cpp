#include "output/converted_point.h"

#include <cmath>

#include "output/coordinate_conversion.h"

namespace kalmira {
namespace {

// The projection's latitude limit, atan(sinh(pi)) in degrees: the map is square there.
constexpr double kMercatorLimit = 85.0511287798066;

}  // namespace

bool is_on_map(const PointRecord& record) {
  const Place place = place_of(record);
  return std::isfinite(place.longitude) && std::isfinite(place.latitude) &&
         std::fabs(place.longitude) <= 180 && std::fabs(place.latitude) <= kMercatorLimit;
}

ConvertedPoint convert_point(const PointRecord& record) {
  return {easting_to_longitude(record.easting), northing_to_latitude(record.northing),
          is_on_map(record), position_of(record)};
}

}  // namespace kalmira
