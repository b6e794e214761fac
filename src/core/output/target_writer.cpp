#include "output/target_writer.h"

namespace kalmira {

void write_target_file(ByteSink& target, const PointTable& table,
                       std::span<const ConvertedPoint> points) {
  for (std::size_t i = 0; i < points.size(); ++i) {
    const PointRecord& record = table.records[i];
    target.write(points[i].target.longitude + ", " + points[i].target.latitude + ", ");
    for (const std::size_t piece : {std::size_t{1}, std::size_t{0}, std::size_t{2}}) {
      if (record.pieces[piece].empty()) continue;
      target.write(record.pieces[piece]);
      target.write(",");
    }
    target.write("\r\n");
  }
}

}  // namespace kalmira
