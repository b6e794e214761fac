#pragma once

#include <string>

#include "input/point_table.h"

namespace kalmira {

// A point's longitude and latitude in degrees, rounded to single precision as the target
// file gives them.
struct Place {
  float longitude;
  float latitude;
};

// The same as the target file writes them: eight decimals.
struct Position {
  std::string longitude;
  std::string latitude;
};

// A point as every front shows it: the conversion's double-precision place, before the target
// rounds it to single precision; whether it can stand on a map in the spherical Mercator
// projection (its place as the target gives it finite, within ±180° and within the projection's
// limit); and its place as the target writes it.
struct ConvertedPoint {
  double longitude;
  double latitude;
  bool on_map;
  Position target;

  // The place as the target gives it, in single precision.
  Place place() const { return {static_cast<float>(longitude), static_cast<float>(latitude)}; }
};
ConvertedPoint convert_point(const PointRecord& record);

}  // namespace kalmira
