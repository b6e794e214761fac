#include "output/target_writer.h"

#include <string>

#include "output/coordinate_conversion.h"
#include "output/number_format.h"

namespace kalmira {

void write_target_file(ByteSink& target, const PointTable& table) {
  for (int i = 0; i < table.count; ++i) {
    const PointRecord& record = table.records[static_cast<std::size_t>(i)];
    // Both values are printed from their single-precision form.
    const auto latitude = static_cast<float>(northing_to_latitude(record.northing));
    const auto longitude = static_cast<float>(easting_to_longitude(record.easting));
    target.write(format_eight_decimals(longitude) + ", " + format_eight_decimals(latitude) + ", ");
    target.write(record.desc2);
    target.write(record.desc1);
    target.write(record.desc3);
    target.write("\r\n");
  }
}

}  // namespace kalmira
