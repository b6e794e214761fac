#pragma once

#include "input/point_table.h"
#include "output/target_writer.h"

namespace kalmira {

// Whether a point can stand on a map in the spherical Mercator projection: its longitude and
// latitude, as the target gives them, finite, within ±180° and within the projection's limit.
bool is_on_map(const PointRecord& record);

// A point as every front shows it: the conversion's double-precision place, before the target
// rounds it to single precision, whether it can stand on a map, and its place as the target
// writes it.
struct ConvertedPoint {
  double longitude;
  double latitude;
  bool on_map;
  Position target;
};
ConvertedPoint convert_point(const PointRecord& record);

}  // namespace kalmira
