#include "output/target_writer.h"

#include "output/coordinate_conversion.h"
#include "output/number_format.h"

namespace kalmira {

Place place_of(const PointRecord& record) {
  return {static_cast<float>(easting_to_longitude(record.easting)),
          static_cast<float>(northing_to_latitude(record.northing))};
}

Position position_of(const PointRecord& record) { return position_of(place_of(record)); }

Position position_of(Place place) {
  return {format_eight_decimals(place.longitude), format_eight_decimals(place.latitude)};
}

void write_target_file(ByteSink& target, const PointTable& table) {
  for (int i = 0; i < table.count; ++i) {
    const PointRecord& record = table.records[static_cast<std::size_t>(i)];
    const Position position = position_of(record);
    target.write(position.longitude + ", " + position.latitude + ", ");
    for (const std::size_t piece : {std::size_t{1}, std::size_t{0}, std::size_t{2}}) {
      if (record.pieces[piece].empty()) continue;
      target.write(record.pieces[piece]);
      target.write(",");
    }
    target.write("\r\n");
  }
}

}  // namespace kalmira
