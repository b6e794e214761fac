#pragma once

#include "input/line_reader.h"
#include "input/point_table.h"

namespace kalmira {

// Scans the whole source for its "[COORDINATES]" and "[DESCRIPTION]" sections and fills
// `table` from their entry lines, matched to records by order. Returns the count.
int read_source_file(LineReader& source, PointTable& table);

}  // namespace kalmira
