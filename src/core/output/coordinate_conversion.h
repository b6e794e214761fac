#pragma once

#include <string_view>

namespace kalmira {

// Inverse of the spherical Mercator projection that the source files use (sphere radius
// 6371001 m), with single-precision values for the radius and for pi. Results are in degrees,
// east and north positive.
double easting_to_longitude(std::string_view easting);
double northing_to_latitude(std::string_view northing);

}  // namespace kalmira
