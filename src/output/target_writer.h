#pragma once

#include "input/point_table.h"
#include "output/byte_sink.h"

namespace kalmira {

// Writes one line per record below `table.count`: longitude, latitude, then the description
// pieces in the order desc2, desc1, desc3, ended by CR LF.
void write_target_file(ByteSink& target, const PointTable& table);

}  // namespace kalmira
