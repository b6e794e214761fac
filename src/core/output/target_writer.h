#pragma once

#include <string>

#include "input/point_table.h"
#include "output/byte_sink.h"

namespace kalmira {

// A point's longitude and latitude in degrees, rounded to single precision as the target
// file gives them.
struct Place {
  float longitude;
  float latitude;
};
Place place_of(const PointRecord& record);

// The same as the target file writes them: eight decimals.
struct Position {
  std::string longitude;
  std::string latitude;
};
Position position_of(const PointRecord& record);
Position position_of(Place place);

// Writes one line per record below `table.count`: longitude, latitude, then the non-empty
// description pieces each followed by ",", the second first, then the first and the third,
// ended by CR LF.
void write_target_file(ByteSink& target, const PointTable& table);

}  // namespace kalmira
